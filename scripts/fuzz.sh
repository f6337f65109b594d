#!/usr/bin/env bash
# Runs every fuzz target for a set time, each seeded from the game's data and
# from the inputs kept as regression tests. Findings land in the build folder.
set -euo pipefail
build=$(cd "$1" && pwd) data=$(cd "$2" && pwd) seconds=$3
top=$(cd "$(dirname "$0")/.." && pwd)
seed() {  # seed <target> <files...>
  local dir=$build/corpus/$1; shift
  mkdir -p "$dir"
  for f in "$@"; do [ -f "$f" ] && cp -f "$f" "$dir/"; done
  return 0
}
seed fuzz_png "$data"/gfx/*.png "$top"/tests/regressions/png/*
seed fuzz_audio "$data"/sfx/*.ogg "$top"/tests/regressions/audio/*
seed fuzz_replay "$top"/tests/replays/*.gfreplay "$top"/tests/regressions/replay/*
# The font target starts from small cuts of the game's font: a face of a few
# kilobytes parses and renders many times faster than the whole 50 KB file,
# and keeps the glyph shapes (simple and composite) and the character map.
# One keeps the glyphs' hinting programs and the functions they call, the
# other only the functions. Both leave out what costs FreeType most on every
# new face and shows the game nothing: the font's 1.8 KB size program (about
# 100 us a face), and, for a font without any program, the auto-hinter's
# survey of the whole face.
fonts=$build/seeds/font
rm -rf "$fonts"
mkdir -p "$fonts"
subset() {  # subset <name> <options...>
  local name=$1; shift
  pyftsubset "$data"/VeraMono.ttf --unicodes=U+30,U+67,U+E9 --name-IDs= --drop-tables+=PCLT,hdmx "$@" \
    --output-file="$fonts/$name.ttf"
}
subset vera-hinted --hinting --drop-tables+=prep
subset vera-plain --no-hinting --hinting-tables-=fpgm
seed fuzz_font "$fonts"/*.ttf "$top"/tests/regressions/font/*
mkdir -p "$build/corpus/fuzz_stream"
printf 'gfx\\\\a.png' >"$build/corpus/fuzz_stream/backslash"
printf 'fuzz::x' >"$build/corpus/fuzz_stream/protocol"
# A small quarantine and short allocation stacks: every run frees all it
# loaded, and with the sanitizer's defaults (256 MB of freed memory held back,
# 30 frames kept per allocation) the font target spent a sixth of its time
# faulting in fresh pages and walking stacks. Replay a finding without these
# to see its whole stacks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=32:malloc_context_size=5}
failed=0
for t in fuzz_png fuzz_audio fuzz_font fuzz_stream; do
  echo "== $t for ${seconds}s"
  mkdir -p "$build/findings/$t"
  options=()
  # Fonts stay small, so that every input is a whole face (the seeds are 1 to 4 KB).
  [ "$t" = fuzz_font ] && options=(-max_len=4096)
  if ! (cd "$build/findings/$t" && "$build/fuzz/$t" -max_total_time="$seconds" -rss_limit_mb=2048 \
        "${options[@]}" -print_final_stats=1 "$build/corpus/$t" 2>&1 | tail -n 12); then
    failed=1
  fi
done
exit $failed
