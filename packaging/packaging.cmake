# Installing gloomfall, laid out as Debian lays out a game:
#
#   <prefix>/games/gloomfall                launcher: runs the game from its data
#   <prefix>/libexec/gloomfall/gloomfall    the game itself
#   <prefix>/share/games/gloomfall/         the data folder the game runs in
#   <prefix>/share/applications/gloomfall.desktop
#   <prefix>/share/icons/hicolor/256x256/apps/gloomfall.png
#   <prefix>/share/man/man6/gloomfall.6.gz
#   <prefix>/share/doc/gloomfall/           copyright and changelog.gz
#
# The font is not copied: VeraMono.ttf in the data folder is a link to the
# system's ttf-bitstream-vera, which the package depends on. Without it the
# game falls back to its own default font.
include(GNUInstallDirs)

set(GLOOMFALL_LAUNCHER_DIR games)
set(GLOOMFALL_GAME_DIR ${CMAKE_INSTALL_LIBEXECDIR}/gloomfall)
set(GLOOMFALL_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/games/gloomfall)
set(GLOOMFALL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/gloomfall)
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${packaging_out})

install(TARGETS gloomfall RUNTIME DESTINATION ${GLOOMFALL_GAME_DIR})
install(DIRECTORY ${GLOOMFALL_DATA_DIR}/ DESTINATION ${GLOOMFALL_SHARE_DIR}
        FILES_MATCHING PATTERN "*.png" PATTERN "*.ogg")

# Under /usr (the package, or /usr/local) the font link is relative, so it
# holds inside any root the tree is unpacked in. Anywhere else it is absolute,
# so the installed tree can be moved.
install(CODE "set(share_dir ${GLOOMFALL_SHARE_DIR})\nset(font ${VERA_FONT})")
install(CODE [[
  set(share "${CMAKE_INSTALL_PREFIX}/${share_dir}")
  if(CMAKE_INSTALL_PREFIX MATCHES "^/usr(/|$)")
    file(RELATIVE_PATH font "${share}" "${font}")
  endif()
  message(STATUS "Linking: $ENV{DESTDIR}${share}/VeraMono.ttf -> ${font}")
  file(MAKE_DIRECTORY "$ENV{DESTDIR}${share}")
  file(CREATE_LINK "${font}" "$ENV{DESTDIR}${share}/VeraMono.ttf" SYMBOLIC)
]])

# The launcher finds the game and the data relative to its own folder.
file(RELATIVE_PATH BIN_TO_DATA /prefix/${GLOOMFALL_LAUNCHER_DIR} /prefix/${GLOOMFALL_SHARE_DIR})
file(RELATIVE_PATH BIN_TO_GAME /prefix/${GLOOMFALL_LAUNCHER_DIR} /prefix/${GLOOMFALL_GAME_DIR}/gloomfall)
configure_file(${CMAKE_CURRENT_LIST_DIR}/gloomfall.sh.in ${packaging_out}/gloomfall @ONLY)
install(PROGRAMS ${packaging_out}/gloomfall DESTINATION ${GLOOMFALL_LAUNCHER_DIR})

install(FILES ${CMAKE_CURRENT_LIST_DIR}/gloomfall.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${GLOOMFALL_DATA_DIR}/gloomfall.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)

# The manual page and the changelog go in gzipped, without a name or a time
# stamp in the header, so the package comes out the same every time.
find_program(GZIP gzip REQUIRED)
foreach(doc gloomfall.6 changelog)
  add_custom_command(OUTPUT ${packaging_out}/${doc}.gz
    COMMAND ${GZIP} -9nc ${CMAKE_CURRENT_LIST_DIR}/${doc} > ${packaging_out}/${doc}.gz
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${doc}
    VERBATIM)
endforeach()
add_custom_target(packaging_docs ALL DEPENDS ${packaging_out}/gloomfall.6.gz ${packaging_out}/changelog.gz)
install(FILES ${packaging_out}/gloomfall.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# The machine-readable copyright file: our own stanzas (copyright.in), under
# the format line and beside the font's licence stanza of Debian's own
# ttf-bitstream-vera copyright file, so the licence text is Debian's, word for word.
set(vera_copyright /usr/share/doc/ttf-bitstream-vera/copyright)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_CURRENT_LIST_DIR}/copyright.in ${vera_copyright})
file(READ ${vera_copyright} vera)
string(REGEX MATCH "^Format: [^\n]*\n" format_line "${vera}")
string(REGEX MATCH "\nLicense: Bitstream\n( [^\n]*\n)+" vera_licence "${vera}")
if(NOT format_line OR NOT vera_licence)
  message(FATAL_ERROR "${vera_copyright} has no format line or no Bitstream licence stanza")
endif()
string(REPLACE "License: Bitstream\n" "License: Bitstream-Vera\n" vera_licence "${vera_licence}")
file(READ ${CMAKE_CURRENT_LIST_DIR}/copyright.in own)
file(WRITE ${packaging_out}/copyright "${format_line}${own}${vera_licence}")
install(FILES ${packaging_out}/copyright ${packaging_out}/changelog.gz DESTINATION ${GLOOMFALL_DOC_DIR})

# `make package`: a Debian package for /usr. Its dependencies are worked out
# from the libraries the game links (dpkg-shlibdeps), plus the font.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gloomfall)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "2D arcade shooter paced by a 130 bpm beat")
set(CPACK_PACKAGE_DESCRIPTION "Walk with W, A, S and D, aim with the mouse and fire at waves of
enemies that come with the music. Every 16 beats a new stage zooms in through
a tunnel of older layers, with a new colour and a bigger wave.")
set(CPACK_PACKAGE_CONTACT "gloomfall maintainers <maintainers@gloomfall.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS ttf-bitstream-vera)
include(CPack)
