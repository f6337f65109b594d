// Fonts from untrusted bytes: LoadImageFont on a url served from memory. The
// input's last bytes also pick the size, the style, a character of the game's
// texts and a raw glyph index: two glyphs a run, not every glyph at every size.
// Sizes are mostly 1 to 20 pixels, where a glyph is cheap to render and a face
// that takes no size gives up after a few tries; one run in sixteen asks for
// one of the game's own larger sizes or the largest the loader sees.
#include "fuzz/fuzz_input.h"
#include "graphics/image_font.h"

namespace {

// A TrueType face whose maximum profile (version 1.0 and up) asks for more
// than 4096 of anything (points, twilight points, storage, functions, stack,
// instructions) makes FreeType's hinting interpreter zero up to 2 MB of fresh
// pages before the first glyph, and mutated faces ask for that all the time.
// FreeType is not built with the sanitizers here, and such a face hands the
// game's code nothing a smaller profile cannot, so it is skipped.
bool HugeProfile(const uint8_t* data, size_t size) {
  auto u16 = [&](size_t at) { return at + 2 <= size ? data[at] << 8 | data[at + 1] : 0; };
  const size_t tables = size_t(u16(4));
  for (size_t entry = 12; entry < 12 + 16 * tables && entry + 16 <= size; entry += 16) {
    if (std::string(reinterpret_cast<const char*>(data + entry), 4) != "maxp") continue;
    const size_t at = size_t(u16(entry + 8)) << 16 | size_t(u16(entry + 10));
    if (at > size || size - at < 32 || u16(at) == 0) return false;  // version 0.5 has none
    for (size_t field = at + 6; field < at + 32; field += 2) {
      if (u16(field) > 4096) return true;
    }
    return false;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3 || HugeProfile(data, size)) return 0;
  FuzzInput(data, size);
  const uint8_t* pick = data + size - 3;
  constexpr int kLarge[] = {32, 52, 96, 32, 52, 96, 32, 52};
  const int pixels = pick[0] & 120 ? 1 + (pick[0] & 127) % 20 : kLarge[pick[0] & 7];
  auto font = LoadImageFont("fuzz::font", pixels, pick[0] & 128 ? 4 : 0);
  if (!font) return 0;
  const std::string text = "gloomfall KILLS: LEVEL: HEALTH: GAME OVER 0123456789 (and esc to quit)!";
  font->LoadGlyph(font->CharToGlyph(static_cast<unsigned char>(text[pick[1] % text.size()])));
  if (font->CountGlyphs() > 0) font->LoadGlyph((pick[1] << 8 | pick[2]) % font->CountGlyphs());
  return 0;
}
