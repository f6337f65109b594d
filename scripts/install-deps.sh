#!/usr/bin/env bash
# Installs the Debian packages gloomfall needs, one group per purpose, so that
# playing never pulls in what only the tests and the cross builds use:
#
#   scripts/install-deps.sh play [package test bench windows web fuzz]
#   scripts/install-deps.sh              every group (`make deps`)
#   scripts/install-deps.sh --list play  the groups' packages, one a line
#
# Each make target asks for the groups it uses. Safe to run again and again:
# apt is updated and asked only when a package is missing.
set -euo pipefail

GROUPS_IN_ORDER=(play package test bench windows web fuzz)
declare -A GROUP
# Building the game and its data, and playing it: `make run`, `make data`,
# `make install`. The compiler and build tools; SDL2, OpenGL and OpenGL ES
# with Mesa's driver, libpng and zlib, FreeType, Ogg Vorbis (the data tools
# encode it, the game decodes it); the game's font, copied into the built data
# folder and linked by an install.
GROUP[play]="g++ cmake ninja-build pkg-config make
  libsdl2-dev libgl-dev libgles-dev libgl1-mesa-dri libpng-dev zlib1g-dev libfreetype-dev
  libvorbis-dev libogg-dev ttf-bitstream-vera"
# `make package`: CPack works out the Debian package's dependencies with
# dpkg-shlibdeps, after telling the programs from the other files with file.
GROUP[package]="dpkg-dev file"
# The test suite: Google Test, X11 for the end-to-end tests, a headless
# display with xauth for xvfb-run, xdotool to play, xwininfo and xwd to look,
# the X core fonts SDL's message box draws its text with, and the desktop
# entry's and the Debian package's checkers; MPFR (over GMP), the exact
# reference the degree trigonometry is checked against.
GROUP[test]="libgtest-dev libgmock-dev libx11-dev
  xvfb xauth xdotool x11-utils x11-apps xfonts-base
  desktop-file-utils lintian libmpfr-dev libgmp-dev"
# `make bench`: Google Benchmark, and the table's script, which plays the
# game on a private Xvfb.
GROUP[bench]="libbenchmark-dev python3 xvfb xdotool"
# The Windows build: MinGW-w64, zlib for it, the installer; the other
# libraries are built from Debian's source packages by scripts/build-deps.sh,
# which needs dpkg-source. Wine plays it in the tests, which read the zip's
# listing with unzip.
GROUP[windows]="g++-mingw-w64-x86-64-posix libz-mingw-w64-dev nsis dpkg-dev wine64 unzip"
# The browser build: Debian's emscripten (it builds the same libraries from
# the same source packages), terser to shrink its JavaScript; headless
# Chromium driven over the DevTools protocol plays it in the tests, its
# screenshots read with PIL.
GROUP[web]="emscripten terser dpkg-dev python3 chromium python3-websocket python3-pil"
# `make fuzz`: clang with libFuzzer, and pyftsubset (fonttools) for the
# small fonts the font fuzzer starts from.
GROUP[fuzz]="clang libclang-rt-14-dev python3 fonttools"

list=0
if [ "${1:-}" = --list ]; then list=1; shift; fi
groups=("$@")
[ ${#groups[@]} -gt 0 ] || groups=("${GROUPS_IN_ORDER[@]}")

# The asked-for groups' packages, each once, in the groups' order.
packages=()
declare -A seen
for g in "${groups[@]}"; do
  if [ -z "${GROUP[$g]+set}" ]; then
    echo "install-deps: no group '$g' (the groups: ${GROUPS_IN_ORDER[*]})" >&2
    exit 2
  fi
  for p in ${GROUP[$g]}; do
    [ -n "${seen[$p]+set}" ] || { seen[$p]=1; packages+=("$p"); }
  done
done
if [ $list -eq 1 ]; then printf '%s\n' "${packages[@]}"; exit 0; fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: ${groups[*]}: all ${#packages[@]} packages are installed" >&2
  exit 0
fi

echo "install-deps: ${groups[*]}: installing ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "install-deps: need root (or sudo) to install: ${missing[*]}" >&2; exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! $SUDO apt-get update -qq >"$log" 2>&1; then
  cat "$log" >&2; echo "install-deps: apt-get update failed; cannot install ${missing[*]}" >&2; exit 1
fi
if ! $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >"$log" 2>&1; then
  cat "$log" >&2; echo "install-deps: apt-get install failed for: ${missing[*]}" >&2; exit 1
fi
echo "install-deps: ${groups[*]}: installed ${#missing[@]} packages" >&2
