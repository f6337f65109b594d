// Fonts from untrusted bytes: LoadImageFont on a url served from memory. The
// input's last bytes also pick the size, the style, a character of the game's
// texts and a raw glyph index: two glyphs a run, not every glyph at every size.
#include "fuzz/fuzz_input.h"
#include "graphics/image_font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  FuzzInput(data, size);
  const uint8_t* pick = data + size - 3;
  constexpr int kSizes[] = {16, 32, 52, 1, 96};
  auto font = LoadImageFont("fuzz::font", kSizes[(pick[0] & 127) % 5], pick[0] & 128 ? 4 : 0);
  if (!font) return 0;
  const std::string text = "gloomfall KILLS: LEVEL: HEALTH: GAME OVER 0123456789 (and esc to quit)!";
  font->LoadGlyph(font->CharToGlyph(static_cast<unsigned char>(text[pick[1] % text.size()])));
  if (font->CountGlyphs() > 0) font->LoadGlyph((pick[1] << 8 | pick[2]) % font->CountGlyphs());
  return 0;
}
