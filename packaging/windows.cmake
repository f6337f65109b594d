# The Windows install: one self-contained folder the game runs in.
#
#   <prefix>/gloomfall.exe       the game (C++ runtime, winpthread and libraries linked in)
#   <prefix>/gfx, sfx, *.ogg     the data folder's contents
#   <prefix>/VeraMono.ttf        the font (a copy: Windows has no ttf-bitstream-vera)
#   <prefix>/licenses/           the licence of each library and of the font
#
# The libraries' licences were copied from their Debian source packages into
# the dependency prefix when they were built.
install(TARGETS gloomfall RUNTIME DESTINATION .)
install(DIRECTORY ${GLOOMFALL_DATA_DIR}/ DESTINATION .
        FILES_MATCHING PATTERN "*.png" PATTERN "*.ogg"
        PATTERN "VeraMono.ttf")
install(FILES ${GLOOMFALL_DATA_DIR}/VeraMono-COPYRIGHT.txt DESTINATION licenses RENAME VeraMono.txt)
install(DIRECTORY ${GLOOMFALL_WINDOWS_DEPS}/licenses/ DESTINATION licenses)

# The icon and version resources, and the zip and the installer.
include(${CMAKE_CURRENT_LIST_DIR}/windows_package.cmake)
