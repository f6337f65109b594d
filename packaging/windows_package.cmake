# The Windows executable's resources, and the two Windows packages.
#
#   gloomfall.exe carries the game's icon and its version (gloomfall.rc.in);
#   <build>/gloomfall-<version>-win64.zip   the self-contained folder, zipped
#   <build>/gloomfall-<version>-win64.exe   an NSIS installer of the same folder
#
# Included by the Windows install rules after they have said what goes into
# the folder; `cpack` in the build folder writes both packages.

# The icon is made by the data tools with the other data, so the resource
# script is compiled again whenever the icon changes.
enable_language(RC)
set(GLOOMFALL_ICO ${GLOOMFALL_DATA_DIR}/gloomfall.ico)
configure_file(${CMAKE_CURRENT_LIST_DIR}/gloomfall.rc.in ${CMAKE_BINARY_DIR}/packaging/gloomfall.rc @ONLY)
target_sources(gloomfall PRIVATE ${CMAKE_BINARY_DIR}/packaging/gloomfall.rc)
set_source_files_properties(${CMAKE_BINARY_DIR}/packaging/gloomfall.rc PROPERTIES OBJECT_DEPENDS ${GLOOMFALL_ICO})

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME gloomfall)
set(CPACK_PACKAGE_VENDOR gloomfall)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win64)
set(CPACK_PACKAGE_FILE_NAME gloomfall-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "2D arcade shooter paced by a 130 bpm beat")
set(CPACK_PACKAGE_INSTALL_DIRECTORY gloomfall)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY gloomfall)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
# (The zip unpacks into one folder named after the package, as zips do by default.)
set(CPACK_STRIP_FILES ON)

# A 64-bit installer for a 64-bit game (NSIS makes 32-bit ones unless told),
# and under "Program Files", not "Program Files (x86)".
set(CPACK_NSIS_COMPRESSOR "lzma\n  Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME gloomfall)
set(CPACK_NSIS_DISPLAY_NAME gloomfall)
set(CPACK_NSIS_MUI_ICON ${GLOOMFALL_ICO})
set(CPACK_NSIS_MUI_UNIICON ${GLOOMFALL_ICO})
set(CPACK_NSIS_INSTALLED_ICON_NAME gloomfall.exe)
set(CPACK_NSIS_MODIFY_PATH OFF)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The game opens its files relative to the folder it runs in, so the
# shortcut starts it in the install folder: NSIS gives a shortcut the current
# output folder as its working folder.
# (CPack loses double quotes on the way to the script, so these use single
# ones, and backslashes are unescaped twice.)
set(CPACK_NSIS_CREATE_ICONS_EXTRA "
  SetOutPath '$INSTDIR'
  CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\gloomfall.lnk' '$INSTDIR\\\\gloomfall.exe'")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "
  Delete '$SMPROGRAMS\\\\$MUI_TEMP\\\\gloomfall.lnk'")
include(CPack)
