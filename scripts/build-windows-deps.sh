#!/usr/bin/env bash
# Cross-builds the libraries the Windows build links (SDL2, libpng, FreeType,
# libogg, libvorbis) from Debian's own source packages, at the versions the
# Linux build links, into a static MinGW-w64 prefix:
#
#   scripts/build-windows-deps.sh <prefix-dir>
#
# The sources come through a private apt configuration next to the prefix,
# whose deb-src entries are derived from the machine's configured package
# sources; the system's own apt configuration is only read. zlib is Debian's
# libz-mingw-w64-dev. When the mirror no longer serves the installed version
# (a security update not installed here yet), the newest Debian revision of the
# same upstream release is taken, and the script says so. A stamp in the
# prefix makes a second run do nothing.
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

[ $# -eq 1 ] || { echo "usage: $0 <prefix-dir>" >&2; exit 2; }
mkdir -p "$1"
PREFIX=$(cd "$1" && pwd)
SELF=$(readlink -f "$0")
WORK="$PREFIX.work"
APTDIR="$WORK/apt"
JOBS=${JOBS:-2}
HOST=x86_64-w64-mingw32

# The -dev packages the Linux build links, and the source package each comes from.
DEV_PACKAGES=(libsdl2-dev libpng-dev libfreetype-dev libogg-dev libvorbis-dev)

stamp_text() {
  for p in "${DEV_PACKAGES[@]}" libz-mingw-w64-dev; do
    dpkg-query -W -f='${Package} ${Version}\n' "$p"
  done
  # A change to this script's recipes rebuilds the prefix too.
  sha256sum "$SELF" | cut -d' ' -f1
}
STAMP="$PREFIX/.deps-stamp"
if [ -f "$STAMP" ] && [ "$(cat "$STAMP")" = "$(stamp_text)" ]; then
  exit 0
fi

start=$(date +%s)
rm -rf "$WORK" "${PREFIX:?}"/{bin,include,lib,share,licenses}
mkdir -p "$APTDIR"/{lists/partial,cache/archives/partial,preferences.d} "$WORK"/{src,build}
: >"$APTDIR/status"
derive_apt_sources /etc/apt "$APTDIR"

APT_OPTS=(
  -o "Dir::Etc::SourceList=$APTDIR/sources.list"
  -o "Dir::Etc::SourceParts=$APTDIR/sources.list.d"
  -o "Dir::Etc::PreferencesParts=$APTDIR/preferences.d"
  -o "Dir::Etc::Preferences=$APTDIR/preferences"
  -o "Dir::State=$APTDIR"
  -o "Dir::State::Lists=$APTDIR/lists"
  -o "Dir::State::status=$APTDIR/status"
  -o "Dir::Cache=$APTDIR/cache"
  -o "Debug::NoLocking=1"
  -o "APT::Sandbox::User=root"
)
echo "windows-deps: fetching Debian's sources" >&2
apt-get "${APT_OPTS[@]}" -qq update

cd "$WORK/src"
declare -A SRCDIR
for p in "${DEV_PACKAGES[@]}"; do
  src=$(dpkg-query -W -f='${source:Package}' "$p")
  ver=$(dpkg-query -W -f='${source:Version}' "$p")
  # The installed version first. If the mirror has moved on (a security update
  # not installed here yet), the newest Debian revision of the same upstream
  # release that the mirror still serves, and say so.
  upstream=${ver%-*}
  fetched_ver=""
  for v in "$ver" $(apt-cache "${APT_OPTS[@]}" showsrc "$src" | sed -n 's/^Version: //p' |
                    grep -F -- "$upstream-" | sort -Vru); do
    if apt-get "${APT_OPTS[@]}" -qq source "$src=$v" >"$WORK/$src.log" 2>&1; then
      fetched_ver=$v; break
    fi
  done
  [ -n "$fetched_ver" ] || { cat "$WORK/$src.log" >&2; echo "windows-deps: no source of $src $upstream" >&2; exit 1; }
  [ "$fetched_ver" = "$ver" ] || echo "windows-deps: $src $ver is gone from the mirror; using $fetched_ver" >&2
  SRCDIR[$src]=$(find . -maxdepth 1 -type d -name "$src-*" | head -n1)
  [ -n "${SRCDIR[$src]}" ] || { echo "windows-deps: no source tree for $src $ver" >&2; exit 1; }
done
fetched=$(date +%s)

# One toolchain file for the libraries' own CMake builds.
cat >"$WORK/toolchain.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $HOST-gcc-posix)
set(CMAKE_CXX_COMPILER $HOST-g++-posix)
set(CMAKE_RC_COMPILER $HOST-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$HOST "$PREFIX")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
export PKG_CONFIG_LIBDIR="$PREFIX/lib/pkgconfig"
export PKG_CONFIG_PATH=""

build() {  # build <source-dir> <cmake options...>
  local src=$1; shift
  local out="$WORK/build/$(basename "$src")"
  cmake -S "$src" -B "$out" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$WORK/toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF "$@" >"$out.log" 2>&1 ||
    { cat "$out.log" >&2; exit 1; }
  cmake --build "$out" -j"$JOBS" >>"$out.log" 2>&1 && cmake --install "$out" >>"$out.log" 2>&1 ||
    { tail -n 60 "$out.log" >&2; exit 1; }
}

echo "windows-deps: cross-building the libraries into $PREFIX" >&2
build "$WORK/src/${SRCDIR[libogg]}" -DINSTALL_DOCS=OFF
build "$WORK/src/${SRCDIR[libvorbis]}" -DOGG_ROOT="$PREFIX"
build "$WORK/src/${SRCDIR[libpng1.6]}" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
  -DPNG_EXECUTABLES=OFF -DZLIB_LIBRARY=/usr/$HOST/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/$HOST/include
# FreeType inflates compressed fonts with the system zlib, as on Debian (its
# own copy would clash with zlib at link time).
build "$WORK/src/${SRCDIR[freetype]}" -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON \
  -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_REQUIRE_ZLIB=ON \
  -DZLIB_LIBRARY=/usr/$HOST/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/$HOST/include
# SDL with only what the game uses: an OpenGL window, events, the message box,
# timers, threads and audio (WASAPI, DirectSound, winmm, and the disk and
# dummy drivers the tests use). ccache is left to the caller.
build "$WORK/src/${SRCDIR[libsdl2]}" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
  -DSDL_JOYSTICK=ON -DSDL_HAPTIC=OFF -DSDL_SENSOR=OFF -DSDL_HIDAPI=OFF -DSDL_POWER=OFF \
  -DSDL_RENDER=OFF -DSDL_VULKAN=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF -DSDL_FILESYSTEM=OFF \
  -DSDL_OPENGLES=OFF -DSDL_OFFSCREEN=OFF -DSDL_DUMMYVIDEO=OFF -DSDL_CCACHE=OFF

# Each library's licence, for the folder that ships with the game.
mkdir -p "$PREFIX/licenses"
for src in "${!SRCDIR[@]}"; do
  cp "$WORK/src/${SRCDIR[$src]}/debian/copyright" "$PREFIX/licenses/$src.txt"
done
cp /usr/share/doc/libz-mingw-w64-dev/copyright "$PREFIX/licenses/zlib.txt"

end=$(date +%s)
echo "windows-deps: fetched in $((fetched - start)) s, built in $((end - fetched)) s" >&2
# The sources and object files are not needed again; the logs stay.
rm -rf "$WORK/src" "$WORK"/build/*/
stamp_text >"$STAMP"
