#!/usr/bin/env bash
# Builds the libraries a cross build of the game links (SDL2, zlib, libpng,
# FreeType, libogg, libvorbis) from Debian's own source packages, at the
# versions the Linux build links, into a static prefix for one target:
#
#   scripts/build-deps.sh windows <prefix-link>   MinGW-w64, 64-bit Windows
#   scripts/build-deps.sh web <prefix-link>       Debian's emscripten, WebAssembly
#
# The prefix itself lives in a per-user cache, as a compiler cache does, so a
# fresh clone or `make clean` does not build the libraries again:
# ${GLOOMFALL_DEPS_CACHE:-${XDG_CACHE_HOME:-~/.cache}/gloomfall/deps}/<target>-<key>,
# where the key is a hash of the target's recipes and of the versions of the
# packages they build from and with. <prefix-link> is made a symbolic link to
# it. A second run with the same key only renews the link; two runs at once
# (two worktrees) build it once, the second waiting for the first.
#
# The sources come through a private apt configuration next to the prefix,
# whose deb-src entries are derived from the machine's configured package
# sources; the system's own apt configuration is only read. For Windows zlib
# is Debian's libz-mingw-w64-dev. When the mirror no longer serves the
# installed version (a security update not installed here yet), the newest
# Debian revision of the same upstream release is taken, and the script says so.
set -euo pipefail

# deb-src twins of the machine's enabled deb entries. Files that do not end in
# .list or .sources are disabled to apt, and so are stanzas with "Enabled: no".
derive_list() {  # one-line format: deb [options] uri suite components...
  sed -n -E 's/^[[:space:]]*deb[[:space:]]+/deb-src /p' "$1"
}
derive_sources() {  # deb822 format: blank-line separated stanzas
  awk '
    function flush() {
      if (n > 0 && types ~ /(^|[ \t])deb([ \t]|$)/ && enabled !~ /^[ \t]*(no|false)[ \t]*$/) {
        print "Types: deb-src"
        for (i = 1; i <= n; i++) print lines[i]
        print ""
      }
      n = 0; types = ""; enabled = ""
    }
    /^[ \t]*#/ { next }
    /^[ \t]*$/ { flush(); next }
    /^Types:/ { types = substr($0, 7); next }
    /^Enabled:/ { enabled = substr($0, 9) }
    { lines[++n] = $0 }
    END { flush() }
  ' "$1"
}
# derive_apt_sources <etc-apt-dir> <out-dir>: a sources.list and a
# sources.list.d/ of deb-src entries in <out-dir>.
derive_apt_sources() {
  mkdir -p "$2/sources.list.d"
  : >"$2/sources.list"
  [ -f "$1/sources.list" ] && derive_list "$1/sources.list" >>"$2/sources.list"
  for f in "$1"/sources.list.d/*; do
    case "$f" in
      *.list) derive_list "$f" >"$2/sources.list.d/$(basename "$f")" ;;
      *.sources) derive_sources "$f" >"$2/sources.list.d/$(basename "$f")" ;;
    esac
  done
}

# For the tests: only the derivation, from a given apt configuration folder.
if [ "${1:-}" = --derive-sources ]; then
  derive_apt_sources "$2" "$3"
  exit 0
fi

usage() { echo "usage: $0 windows|web <prefix-link>" >&2; exit 2; }
[ $# -eq 2 ] || usage
TARGET=$1
JOBS=${JOBS:-2}

# The -dev packages the Linux build links; each one's source package is built.
case "$TARGET" in
  windows) DEV_PACKAGES=(libsdl2-dev libpng-dev libfreetype-dev libogg-dev libvorbis-dev)
           TOOL_PACKAGES=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev) ;;
  web)     DEV_PACKAGES=(zlib1g-dev libsdl2-dev libpng-dev libfreetype-dev libogg-dev libvorbis-dev)
           TOOL_PACKAGES=(emscripten) ;;
  *) usage ;;
esac

# Debian's emscripten on these machines: the wrapper runs whatever python3
# comes first on PATH, a node that is not Debian's does not find Debian's
# acorn, and configure scripts that run test programs under node trip over
# node's fetch.
setup_web_env() {
  export EMSDK_PYTHON=/usr/bin/python3
  export NODE_PATH=/usr/share/nodejs
  export NODE_OPTIONS=--no-experimental-fetch
}

# build_cmake <source-dir> <cmake options...>: one library's CMake build,
# installed into the prefix with the target's toolchain file.
build_cmake() {
  local src=$1; shift
  local out="$WORK/build/$(basename "$src")"
  cmake -S "$src" -B "$out" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF "$@" >"$out.log" 2>&1 ||
    { tail -n 60 "$out.log" >&2; exit 1; }
  cmake --build "$out" -j"$JOBS" >>"$out.log" 2>&1 && cmake --install "$out" >>"$out.log" 2>&1 ||
    { tail -n 60 "$out.log" >&2; exit 1; }
}

# SDL with only what the game uses: an OpenGL window, events, the message box,
# timers, threads and audio (the platform's own outputs and the disk and dummy
# drivers the tests use). ccache is left to the caller.
SDL_COMMON=(-DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_HAPTIC=OFF -DSDL_SENSOR=OFF
  -DSDL_POWER=OFF -DSDL_RENDER=OFF -DSDL_VULKAN=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF
  -DSDL_FILESYSTEM=OFF -DSDL_OFFSCREEN=OFF -DSDL_DUMMYVIDEO=OFF -DSDL_CCACHE=OFF)

recipe_windows() {
  local host=x86_64-w64-mingw32
  TOOLCHAIN="$WORK/toolchain.cmake"
  cat >"$TOOLCHAIN" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $host-gcc-posix)
set(CMAKE_CXX_COMPILER $host-g++-posix)
set(CMAKE_RC_COMPILER $host-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$host "$PREFIX")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TC
  local zlib=(-DZLIB_LIBRARY=/usr/$host/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/$host/include)
  build_cmake "${SRCDIR[libogg]}" -DINSTALL_DOCS=OFF
  build_cmake "${SRCDIR[libvorbis]}" -DOGG_ROOT="$PREFIX"
  build_cmake "${SRCDIR[libpng1.6]}" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF "${zlib[@]}"
  # FreeType inflates compressed fonts with the system zlib, as on Debian (its
  # own copy would clash with zlib at link time).
  build_cmake "${SRCDIR[freetype]}" -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON \
    -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_REQUIRE_ZLIB=ON "${zlib[@]}"
  # WASAPI, DirectSound and winmm sound; gamepads through SDL's joystick and
  # game controller layers.
  build_cmake "${SRCDIR[libsdl2]}" "${SDL_COMMON[@]}" -DSDL_JOYSTICK=ON -DSDL_HIDAPI=OFF -DSDL_OPENGLES=OFF
  cp /usr/share/doc/libz-mingw-w64-dev/copyright "$PREFIX/licenses/zlib.txt"
}

recipe_web() {
  setup_web_env
  TOOLCHAIN=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake
  # zlib through its own configure: its CMake wants a file Debian's tarball drops.
  (cd "${SRCDIR[zlib]}" && emconfigure ./configure --static --prefix="$PREFIX" &&
   emmake make -j"$JOBS" libz.a && emmake make install) >"$WORK/build/zlib.log" 2>&1 ||
    { tail -n 60 "$WORK/build/zlib.log" >&2; exit 1; }
  local zlib=(-DZLIB_LIBRARY="$PREFIX/lib/libz.a" -DZLIB_INCLUDE_DIR="$PREFIX/include")
  build_cmake "${SRCDIR[libogg]}" -DINSTALL_DOCS=OFF
  build_cmake "${SRCDIR[libvorbis]}" -DOGG_ROOT="$PREFIX" -DCMAKE_FIND_ROOT_PATH="$PREFIX"
  build_cmake "${SRCDIR[libpng1.6]}" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF "${zlib[@]}"
  build_cmake "${SRCDIR[freetype]}" -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON \
    -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_REQUIRE_ZLIB=ON "${zlib[@]}"
  # Web Audio sound through SDL, WebGL through its ES 2.0 context, and the
  # browser's gamepads through SDL's joystick and game controller layers.
  build_cmake "${SRCDIR[libsdl2]}" "${SDL_COMMON[@]}" -DSDL_JOYSTICK=ON -DSDL_HIDAPI=OFF \
    -DSDL_OPENGLES=ON -DSDL_PTHREADS=OFF -DSDL_THREADS=OFF
}

# The cache key: the target's recipes (every function it runs, as bash sees
# them, not the rest of this file) and the versions it builds from and with.
key_text() {
  echo "$TARGET"
  for p in "${DEV_PACKAGES[@]}" "${TOOL_PACKAGES[@]}"; do
    dpkg-query -W -f='${Package} ${Version}\n' "$p"
  done
  declare -f setup_web_env build_cmake fetch_sources "recipe_$TARGET"
  declare -p SDL_COMMON
}

# fetch_sources: unpacks each source package into $WORK/src, fills SRCDIR.
declare -A SRCDIR
fetch_sources() {
  local aptdir="$WORK/apt"
  mkdir -p "$aptdir"/{lists/partial,cache/archives/partial,preferences.d} "$WORK/src"
  : >"$aptdir/status"
  derive_apt_sources /etc/apt "$aptdir"
  local apt_opts=(
    -o "Dir::Etc::SourceList=$aptdir/sources.list"
    -o "Dir::Etc::SourceParts=$aptdir/sources.list.d"
    -o "Dir::Etc::PreferencesParts=$aptdir/preferences.d"
    -o "Dir::Etc::Preferences=$aptdir/preferences"
    -o "Dir::State=$aptdir"
    -o "Dir::State::Lists=$aptdir/lists"
    -o "Dir::State::status=$aptdir/status"
    -o "Dir::Cache=$aptdir/cache"
    -o "Debug::NoLocking=1"
    -o "APT::Sandbox::User=root"
  )
  echo "$TARGET-deps: fetching Debian's sources" >&2
  apt-get "${apt_opts[@]}" -qq update
  local p src ver upstream fetched_ver v
  for p in "${DEV_PACKAGES[@]}"; do
    src=$(dpkg-query -W -f='${source:Package}' "$p")
    ver=$(dpkg-query -W -f='${source:Version}' "$p")
    # The installed version first. If the mirror has moved on (a security
    # update not installed here yet), the newest Debian revision of the same
    # upstream release that the mirror still serves, and say so.
    upstream=${ver%-*}
    fetched_ver=""
    for v in "$ver" $(apt-cache "${apt_opts[@]}" showsrc "$src" | sed -n 's/^Version: //p' |
                      grep -F -- "$upstream-" | sort -Vru); do
      if (cd "$WORK/src" && apt-get "${apt_opts[@]}" -qq source "$src=$v") >"$WORK/$src.log" 2>&1; then
        fetched_ver=$v; break
      fi
    done
    [ -n "$fetched_ver" ] || { cat "$WORK/$src.log" >&2; echo "$TARGET-deps: no source of $src $upstream" >&2; exit 1; }
    [ "$fetched_ver" = "$ver" ] || echo "$TARGET-deps: $src $ver is gone from the mirror; using $fetched_ver" >&2
    # The tree is named after the upstream version without the epoch.
    SRCDIR[$src]=$(find "$WORK/src" -maxdepth 1 -type d -name "$src-*" | head -n1)
    [ -n "${SRCDIR[$src]}" ] || { echo "$TARGET-deps: no source tree for $src $ver" >&2; exit 1; }
  done
}

for p in "${TOOL_PACKAGES[@]}" "${DEV_PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' ||
    { echo "$TARGET-deps: $p is not installed (scripts/install-deps.sh play $TARGET)" >&2; exit 1; }
done
CACHE=${GLOOMFALL_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/gloomfall/deps}
KEY=$(key_text | sha256sum | cut -c1-16)
PREFIX="$CACHE/$TARGET-$KEY"
WORK="$PREFIX.work"
STAMP="$PREFIX/.deps-stamp"
LINK=$2

link_prefix() {
  mkdir -p "$(dirname "$LINK")"
  # An older build folder may hold a real prefix here.
  [ -L "$LINK" ] || rm -rf "$LINK"
  ln -sfn "$PREFIX" "$LINK"
}

mkdir -p "$CACHE"
exec 9>"$PREFIX.lock"
flock 9
if [ -f "$STAMP" ] && [ "$(cat "$STAMP")" = "$(key_text)" ]; then
  link_prefix
  exit 0
fi

start=$(date +%s)
rm -rf "$WORK" "$PREFIX"
mkdir -p "$WORK/build" "$PREFIX/licenses"
fetch_sources
fetched=$(date +%s)
export PKG_CONFIG_LIBDIR="$PREFIX/lib/pkgconfig"
export PKG_CONFIG_PATH=""
echo "$TARGET-deps: building the libraries into $PREFIX" >&2
"recipe_$TARGET"

# Each library's licence, for the folder that ships with the game.
for src in "${!SRCDIR[@]}"; do
  cp "${SRCDIR[$src]}/debian/copyright" "$PREFIX/licenses/$src.txt"
done

end=$(date +%s)
echo "$TARGET-deps: fetched in $((fetched - start)) s, built in $((end - fetched)) s" >&2
# The sources and object files are not needed again; the logs stay.
rm -rf "$WORK/src" "$WORK"/build/*/
key_text >"$STAMP"
link_prefix
