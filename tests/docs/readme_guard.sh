#!/usr/bin/env bash
# The README's `make run` is the player's command: it (and `make data`, `make
# install`) must install the playing group only, and that group must hold no
# tool of the tests or the cross builds. Every link of the README and docs/
# must lead to a file.
#   readme_guard.sh <source-dir>
set -uo pipefail
src=$1 fail=0
say() { echo "FAIL: $*"; fail=1; }

play=$("$src/scripts/install-deps.sh" --list play) || say "install-deps.sh has no play group"
for p in $play; do
  case $p in
    *gtest* | *gmock* | *benchmark* | xvfb | xauth | xdotool | x11-* | xfonts-* | lintian | desktop-file-utils | \
      dpkg-dev | *mingw* | wine* | nsis | unzip | emscripten | terser | chromium* | python3* | clang* | libclang* | \
      fonttools) say "the play group holds $p" ;;
  esac
done
for target in run data install; do
  calls=$(cd "$src" && env -u MAKEFLAGS make -n "$target" BUILD=/nonexistent/build | grep 'install-deps\.sh' | sort -u)
  [ "$calls" = "scripts/install-deps.sh play" ] || say "make $target installs: ${calls:-nothing}"
done

for doc in "$src/README.md" "$src"/docs/*.md; do
  for link in $(grep -o '](\([^):#]*\))' "$doc" | sed 's/^](//; s/)$//'); do
    [ -e "$(dirname "$doc")/$link" ] || say "${doc#"$src"/} links to $link, which is missing"
  done
done
exit $fail
