// Image fonts and the text calls. Glyph images are made on first use from
// the source font's coverage pixmaps (A8 has its own alpha, so it is never
// masked), or, for the default font, all at once from the built-in bitmap.
#include "graphics/image_font.h"

#include "graphics/canvas.h"
#include "graphics/draw.h"
#include "graphics/font.h"
#include "graphics/image.h"
#include "graphics/pixmap.h"

#include <algorithm>

int TImageFont::Style() { return _src_font ? _src_font->Style() : 0; }

int TImageFont::Height() { return _src_font ? _src_font->Height() : 16; }

int TImageFont::CountGlyphs() { return int(_glyphs.size()); }

int TImageFont::CharToGlyph(int ch) {
  if (_src_font) return _src_font->CharToGlyph(ch);
  return ch >= 32 && ch < 128 ? ch - 32 : -1;
}

std::shared_ptr<TImageGlyph> TImageFont::LoadGlyph(int index) {
  if (index < 0 || index >= int(_glyphs.size())) return nullptr;
  std::shared_ptr<TImageGlyph>& slot = _glyphs[size_t(index)];
  if (slot) return slot;
  slot = std::make_shared<TImageGlyph>();
  if (!_src_font) return slot;
  std::shared_ptr<TGlyph> src = _src_font->LoadGlyph(index);
  if (!src) return slot;
  slot->_advance = src->Advance();
  src->GetRect(slot->_x, slot->_y, slot->_w, slot->_h);
  if (std::shared_ptr<TPixmap> pixels = src->Pixels()) {
    slot->_image = TImage::Load(pixels->Copy(), _imageFlags, 0, 0, 0);
  }
  return slot;
}

void TImageFont::Draw(const std::u16string& text, float x, float y, float ix, float iy, float jx,
                      float jy) {
  for (char16_t ch : text) {
    const int n = CharToGlyph(int(ch));
    if (n < 0) continue;
    std::shared_ptr<TImageGlyph> g = LoadGlyph(n);
    if (!g) continue;
    if (g->_image) {
      if (std::shared_ptr<TImageFrame> frame = g->_image->Frame(0)) {
        const float gx = float(g->_x), gy = float(g->_y);
        frame->Draw(0.0f, 0.0f, float(g->_image->width), float(g->_image->height),
                    x + gx * ix + gy * iy, y + gx * jx + gy * jy);
      }
    }
    x += g->_advance * ix;
    y += g->_advance * jx;
  }
}

std::shared_ptr<TImageFont> TImageFont::Load(const std::string& url, int size, int style) {
  std::shared_ptr<TFont> src = LoadFont(url, size, style);
  if (!src) return nullptr;
  auto font = std::make_shared<TImageFont>();
  font->_src_font = src;
  font->_glyphs.resize(size_t(std::max(src->CountGlyphs(), 0)));
  font->_imageFlags = (style & FONT_SMOOTH) ? (IMAGE_FILTERED | IMAGE_MIPMAPPED) : 0;
  return font;
}

std::shared_ptr<TImageFont> TImageFont::CreateDefault() {
  constexpr int kGlyphs = 96, kRows = 16;
  auto font = std::make_shared<TImageFont>();
  font->_glyphs.resize(kGlyphs);
  font->_imageFlags = 0;
  auto sheet = TPixmap::Create(kGlyphs * 8, kRows, PF_RGBA8888);
  const uint8_t* bits = DefaultFontBitmap();
  for (int i = 0; i < kRows; ++i) {
    for (int j = 0; j < kGlyphs; ++j) {
      const uint8_t byte = bits[i * kGlyphs + j];
      for (int k = 0; k < 8; ++k) {
        sheet->WritePixel(8 * j + k, i, (byte >> k) & 1 ? 0xffffffffu : 0u);
      }
    }
  }
  for (int j = 0; j < kGlyphs; ++j) {
    auto glyph = std::make_shared<TImageGlyph>();
    glyph->_advance = 8.0f;
    glyph->_x = 0, glyph->_y = 0, glyph->_w = 8, glyph->_h = 16;
    glyph->_image = TImage::Load(sheet->Window(8 * j, 0, 8, kRows)->Copy(), 0, 0, 0, 0);
    font->_glyphs[size_t(j)] = glyph;
  }
  return font;
}

const std::shared_ptr<TImageFont>& TImageFont::Default() {
  static const std::shared_ptr<TImageFont> font = CreateDefault();
  return font;
}

std::shared_ptr<TImageFont> LoadImageFont(const std::string& url, int size, int style) {
  return TImageFont::Load(url, size, style);
}

void SetImageFont(const std::shared_ptr<TImageFont>& font) {
  TCanvasGraphics* c = TCanvasGraphics::Current().get();
  if (!c) return;
  c->image_font = font ? font : TImageFont::Default();
}

std::shared_ptr<TImageFont> GetImageFont() {
  TCanvasGraphics* c = TCanvasGraphics::Current().get();
  if (c && c->image_font) return c->image_font;
  return TImageFont::Default();
}

int TextWidth(const std::u16string& text) {
  std::shared_ptr<TImageFont> font = GetImageFont();
  int width = 0;
  for (char16_t ch : text) {
    const int n = font->CharToGlyph(int(ch));
    if (n < 0) continue;
    if (std::shared_ptr<TImageGlyph> g = font->LoadGlyph(n)) {
      width = int(float(width) + g->Advance());
    }
  }
  return width;
}

int TextWidth(const std::string& text) { return TextWidth(TextToUTF16(text)); }

int TextHeight() { return GetImageFont()->Height(); }
