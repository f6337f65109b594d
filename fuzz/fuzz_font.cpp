// Fonts from untrusted bytes: LoadImageFont on a url served from memory. The
// input's last bytes also pick the size, the style, a character of the game's
// texts and a raw glyph index: two glyphs a run, not every glyph at every size.
// Sizes are mostly 1 to 20 pixels, where a glyph is cheap to render and a face
// that takes no size gives up after a few tries; one run in sixteen asks for
// one of the game's own larger sizes or the largest the loader sees.
#include "fuzz/fuzz_input.h"
#include "graphics/image_font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
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
