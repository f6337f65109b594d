# The Windows install: one self-contained folder the game runs in.
#
#   <prefix>/gloomfall.exe       the game (C++ runtime, winpthread and libraries linked in)
#   <prefix>/gfx, sfx, *.ogg     the data folder's contents
#   <prefix>/VeraMono.ttf        the font (a copy: Windows has no ttf-bitstream-vera)
#   <prefix>/licenses/           the licence of each library, of the font and
#                                of the MinGW-w64 and GCC runtimes linked in
#
# The libraries' licences were copied from their Debian source packages into
# the dependency prefix when they were built.
install(TARGETS gloomfall RUNTIME DESTINATION .)
install(DIRECTORY ${GLOOMFALL_DATA_DIR}/ DESTINATION .
        FILES_MATCHING PATTERN "*.png" PATTERN "*.ogg"
        PATTERN "VeraMono.ttf")
install(FILES ${GLOOMFALL_DATA_DIR}/VeraMono-COPYRIGHT.txt DESTINATION licenses RENAME VeraMono.txt)
install(DIRECTORY ${GLOOMFALL_WINDOWS_DEPS}/licenses/ DESTINATION licenses)

# gloomfall.exe carries the MinGW-w64 runtime (start-up code, winpthreads and
# the C library's extras), whose licence asks that its notice go with the
# binary, and GCC's libgcc and libstdc++ (under the runtime library exception).
# Each notice is the copyright file of the Debian package the compiler takes
# that library from, named after the package's source: mingw-w64.txt,
# gcc-mingw-w64.txt.
foreach(runtime_lib crt2.o libwinpthread.a libmingwex.a libgcc.a libstdc++.a)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime_lib}
                  OUTPUT_VARIABLE lib_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  file(REAL_PATH "${lib_path}" lib_path)
  execute_process(COMMAND dpkg-query -S ${lib_path} OUTPUT_VARIABLE owner RESULT_VARIABLE failed
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(REGEX REPLACE ":.*" "" owner "${owner}")
  execute_process(COMMAND dpkg-query -W -f=\${source:Package} ${owner} OUTPUT_VARIABLE source)
  set(notice /usr/share/doc/${owner}/copyright)
  if(failed OR NOT source OR NOT EXISTS ${notice})
    message(FATAL_ERROR "No Debian copyright file for the runtime's ${runtime_lib} (${lib_path})")
  endif()
  if(NOT source IN_LIST runtime_sources)
    list(APPEND runtime_sources ${source})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${notice})
    install(FILES ${notice} DESTINATION licenses RENAME ${source}.txt)
  endif()
endforeach()

# The icon and version resources, and the zip and the installer.
include(${CMAKE_CURRENT_LIST_DIR}/windows_package.cmake)
