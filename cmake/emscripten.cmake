# Building for the browser with Debian's emscripten. GLOOMFALL_WEB_DEPS is the
# prefix the libraries were built into (scripts/build-deps.sh web);
# pkg-config looks only there, never at the Linux libraries, and emscripten's
# own ports (which would fetch from the network) are never used.
#
# The compiler is a Python program and links through node: every step runs
# with Debian's python3 and Debian's node modules, whatever comes first on PATH.
set(GLOOMFALL_WEB_ENV EMSDK_PYTHON=/usr/bin/python3 NODE_PATH=/usr/share/nodejs
    NODE_OPTIONS=--no-experimental-fetch)
foreach(setting ${GLOOMFALL_WEB_ENV})
  string(REGEX MATCH "^[^=]+" name "${setting}")
  string(REGEX REPLACE "^[^=]+=" "" value "${setting}")
  set(ENV{${name}} "${value}")
endforeach()
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
foreach(lang C CXX)
  set(CMAKE_${lang}_COMPILER_LAUNCHER env ${GLOOMFALL_WEB_ENV})
  set(CMAKE_${lang}_LINKER_LAUNCHER env ${GLOOMFALL_WEB_ENV})
endforeach()
# emar runs llvm-ar and nothing else; calling it straight needs no Python.
set(CMAKE_AR /usr/bin/llvm-ar-14 CACHE FILEPATH "" FORCE)
set(CMAKE_RANLIB /usr/bin/llvm-ranlib-14 CACHE FILEPATH "" FORCE)
set(CMAKE_C_COMPILER_AR ${CMAKE_AR} CACHE FILEPATH "" FORCE)
set(CMAKE_CXX_COMPILER_AR ${CMAKE_AR} CACHE FILEPATH "" FORCE)
set(CMAKE_C_COMPILER_RANLIB ${CMAKE_RANLIB} CACHE FILEPATH "" FORCE)
set(CMAKE_CXX_COMPILER_RANLIB ${CMAKE_RANLIB} CACHE FILEPATH "" FORCE)

set(GLOOMFALL_WEB_DEPS "" CACHE PATH "The prefix of the libraries built for the browser")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES GLOOMFALL_WEB_DEPS)
list(APPEND CMAKE_FIND_ROOT_PATH ${GLOOMFALL_WEB_DEPS})
set(ENV{PKG_CONFIG_LIBDIR} "${GLOOMFALL_WEB_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
