#!/usr/bin/env bash
# Installs the Debian packages gloomfall needs to build, run and test.
# Safe to run again and again: it asks apt only when something is missing.
set -euo pipefail

# The one list of everything the project needs from Debian.
PACKAGES=(
  # compilers and build
  g++ clang libclang-rt-14-dev cmake ninja-build pkg-config make
  # platform layer, drawing, pictures, fonts, sound
  libsdl2-dev libgl-dev libgles-dev libgl1-mesa-dri libpng-dev zlib1g-dev libfreetype-dev
  libvorbis-dev libogg-dev
  # the game's font: copied into the built data folder, linked by an install
  ttf-bitstream-vera
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # the benchmark table; the small fonts the font fuzzer starts from (pyftsubset)
  python3 fonttools
  # headless display for tests that open a window
  xvfb xauth xdotool x11-utils x11-apps libx11-dev
  # X core fonts: SDL's message box draws its text with them
  xfonts-base
  # the Debian package (dependencies from dpkg-shlibdeps), its desktop entry, its checker
  dpkg-dev desktop-file-utils lintian
  # the Windows build: MinGW-w64, zlib for it, the installer, Wine to test it
  # (the other libraries are built from Debian's source packages by
  # scripts/build-deps.sh, which needs dpkg-source from dpkg-dev)
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev nsis wine64
  # reading the Windows zip's listing in its test
  unzip
  # the browser build: Debian's emscripten (it builds the libraries above from
  # the same source packages), terser to shrink its JavaScript, the zip, and
  # headless Chromium driven over the DevTools protocol to test it, its
  # screenshots read with PIL
  emscripten terser zip chromium python3-websocket python3-pil
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}" >&2
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
