# Installing gloomfall, and its Debian package.
#
#   <prefix>/bin/gloomfall                  launcher: runs the game from its data
#   <prefix>/libexec/gloomfall/gloomfall    the game itself
#   <prefix>/share/gloomfall/               the data folder the game runs in
#   <prefix>/share/applications/gloomfall.desktop
#   <prefix>/share/icons/hicolor/256x256/apps/gloomfall.png
#   <prefix>/share/man/man6/gloomfall.6
#
# The font is not copied: VeraMono.ttf in the data folder is a link to the
# system's ttf-bitstream-vera, which the package depends on. Without it the
# game falls back to its own default font.
include(GNUInstallDirs)

set(GLOOMFALL_GAME_DIR ${CMAKE_INSTALL_LIBEXECDIR}/gloomfall)
set(GLOOMFALL_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/gloomfall)

install(TARGETS gloomfall RUNTIME DESTINATION ${GLOOMFALL_GAME_DIR})
install(DIRECTORY ${GLOOMFALL_DATA_DIR}/ DESTINATION ${GLOOMFALL_SHARE_DIR}
        FILES_MATCHING PATTERN "*.png" PATTERN "*.ogg")
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
file(CREATE_LINK ${VERA_FONT} ${CMAKE_BINARY_DIR}/packaging/VeraMono.ttf SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/packaging/VeraMono.ttf DESTINATION ${GLOOMFALL_SHARE_DIR})

# The launcher finds the game and the data relative to its own folder.
file(RELATIVE_PATH BIN_TO_DATA /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${GLOOMFALL_SHARE_DIR})
file(RELATIVE_PATH BIN_TO_GAME /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${GLOOMFALL_GAME_DIR}/gloomfall)
configure_file(${CMAKE_CURRENT_LIST_DIR}/gloomfall.sh.in ${CMAKE_BINARY_DIR}/packaging/gloomfall @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/gloomfall DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${CMAKE_CURRENT_LIST_DIR}/gloomfall.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${GLOOMFALL_DATA_DIR}/gloomfall.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/gloomfall.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# `make package`: a Debian package for /usr. Its dependencies are worked out
# from the libraries the game links (dpkg-shlibdeps), plus the font.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gloomfall)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "2D arcade shooter paced by a 130 bpm beat")
set(CPACK_PACKAGE_DESCRIPTION "Walk with W, A, S and D, aim with the mouse and fire at waves of
enemies that come with the music. Every 16 beats a new stage zooms in through
a tunnel of older layers, with a new colour and a bigger wave.")
set(CPACK_PACKAGE_CONTACT "gloomfall maintainers <maintainers@users.noreply.c-seed-12fa7801.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS ttf-bitstream-vera)
include(CPack)
