// Fonts from untrusted bytes: LoadImageFont on a url served from memory. The
// input's last bytes also pick the size, the style, a character of the game's
// texts and a raw glyph index: two glyphs a run, not every glyph at every size.
// Sizes are mostly 1 to 20 pixels, where a glyph is cheap to render and a face
// that takes no size gives up after a few tries; one run in sixteen asks for
// one of the game's own larger sizes or the largest the loader sees (the
// bytes for those are ones mutation rarely writes, unlike 0 and 255).
//
// FreeType is built here with neither the sanitizers nor coverage hooks, so
// the fuzzer cannot steer it: what counts is what it hands the game's loader.
// The faces skipped below hand the loader nothing that others do not, and
// each would cost many runs' time.
#include <algorithm>
#include <optional>

#include "fuzz/fuzz_input.h"
#include "graphics/image_font.h"

namespace {

// The input's font tables, found the way FreeType finds them.
class TFaceTables {
 public:
  TFaceTables(const uint8_t* data, size_t size) : _data(data), _size(size) {
    const uint32_t format = U32(0);
    if (format != 0x00010000 && format != Tag("true") && format != Tag("OTTO") &&
        format != Tag("ttcf")) {
      return;
    }
    const size_t directory = format == Tag("ttcf") ? U32(12) : 0;  // a collection's first face
    const size_t tables = U16(directory + 4);
    if (tables == 0 || !Has(directory + 12, 16 * tables)) return;
    _sfnt = true;
    for (size_t entry = directory + 12; entry < directory + 12 + 16 * tables; entry += 16) {
      const uint32_t tag = U32(entry);
      const size_t at = U32(entry + 8);
      if ((tag == Tag("head") || tag == Tag("bhed")) && !_head && Has(at, 54)) _head = at;
      if (tag == Tag("maxp") && !_maxp && Has(at, 32)) _maxp = at;
    }
  }

  // A TrueType or OpenType face, or a collection, whose table directory
  // lies within the input and holds a font header. FreeType refuses any
  // other input as an unknown format, but only after each of its drivers
  // has tried it (Type 1, CFF, PCF, BDF and more): about 90 us a refusal
  // under the sanitizers, where a face that opens takes 25; and the game
  // sees the same refusal from many faces that do pass.
  bool Plausible() const { return _sfnt && _head; }

  // A maximum profile (version 1.0 and up) asking for more than 4096 of
  // anything (points, twilight points, storage, functions, stack,
  // instructions) makes FreeType's hinting interpreter zero up to 2 MB of
  // fresh pages before the first glyph, and mutated faces ask for that all
  // the time.
  bool HugeProfile() const {
    if (!_maxp || U16(*_maxp) == 0) return false;  // version 0.5 has none
    for (size_t field = *_maxp + 6; field < *_maxp + 32; field += 2) {
      if (U16(field) > 4096) return true;
    }
    return false;
  }

  // The largest size at which no glyph can be wider or taller than 4096
  // pixels: its points lie within 65536 font units. A mutated em square of a
  // few units would otherwise have FreeType render glyphs of hundreds of
  // megabytes, a second's work.
  int LargestSize() const { return _head ? int(U16(*_head + 18) / 16) : 0; }

 private:
  static constexpr uint32_t Tag(const char (&tag)[5]) {
    return uint32_t(uint8_t(tag[0])) << 24 | uint32_t(uint8_t(tag[1])) << 16 |
           uint32_t(uint8_t(tag[2])) << 8 | uint8_t(tag[3]);
  }
  bool Has(size_t at, size_t n) const { return at <= _size && _size - at >= n; }
  // Big-endian numbers; past the input's end they read 0.
  uint32_t U16(size_t at) const {
    return Has(at, 2) ? uint32_t(_data[at] << 8 | _data[at + 1]) : 0;
  }
  uint32_t U32(size_t at) const { return U16(at) << 16 | U16(at + 2); }

  const uint8_t* _data;
  size_t _size;
  bool _sfnt = false;
  std::optional<size_t> _head, _maxp;  // where those tables start, when whole
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TFaceTables face(data, size);
  if (size < 3 || !face.Plausible() || face.HugeProfile()) return 0;
  const uint8_t* pick = data + size - 3;
  constexpr int kLarge[] = {32, 52, 96, 32, 52, 96, 32, 52};
  const int asked = (pick[0] & 120) == 72 ? kLarge[pick[0] & 7] : 1 + (pick[0] & 127) % 20;
  const int pixels = std::min(asked, face.LargestSize());
  if (pixels < 1) return 0;
  FuzzInput(data, size);
  auto font = LoadImageFont("fuzz::font", pixels, pick[0] & 128 ? 4 : 0);
  if (!font) return 0;
  const std::string text = "gloomfall KILLS: LEVEL: HEALTH: GAME OVER 0123456789 (and esc to quit)!";
  font->LoadGlyph(font->CharToGlyph(static_cast<unsigned char>(text[pick[1] % text.size()])));
  if (font->CountGlyphs() > 0) font->LoadGlyph((pick[1] << 8 | pick[2]) % font->CountGlyphs());
  return 0;
}
