// Fonts from untrusted bytes: LoadImageFont on a url served from memory,
// then every glyph the game's texts use.
#include "fuzz/fuzz_input.h"
#include "graphics/image_font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput(data, size);
  for (int fontSize : {16, 52}) {
    auto font = LoadImageFont("fuzz::font", fontSize, 4);
    if (!font) continue;
    for (char c : std::string("gloomfall KILLS: 0123456789 (and esc to quit)!"))
      font->LoadGlyph(font->CharToGlyph(static_cast<unsigned char>(c)));
  }
  return 0;
}
