// FreeType text masks for the picture recipes (see lettering.h).
#include "tools/lettering.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

struct Lettering::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

Lettering::Lettering(const std::string& font_path) : impl_(std::make_unique<Impl>()) {
  if (FT_Init_FreeType(&impl_->library) != 0) {
    impl_->library = nullptr;
    return;
  }
  if (FT_New_Face(impl_->library, font_path.c_str(), 0, &impl_->face) != 0) impl_->face = nullptr;
}

Lettering::~Lettering() {
  if (impl_->face) FT_Done_Face(impl_->face);
  if (impl_->library) FT_Done_FreeType(impl_->library);
}

bool Lettering::Ok() const { return impl_->face != nullptr; }

float Lettering::Advance(const std::string& text, int pixel_size) const {
  if (!Ok()) return 0;
  FT_Set_Pixel_Sizes(impl_->face, 0, pixel_size);
  float pen = 0;
  for (unsigned char ch : text) {
    if (FT_Load_Char(impl_->face, ch, FT_LOAD_DEFAULT) != 0) continue;
    pen += impl_->face->glyph->advance.x / 64.0f;
  }
  return pen;
}

void Lettering::Draw(std::vector<float>& mask, int width, int height, const std::string& text,
                     int pixel_size, float x, float baseline) const {
  if (!Ok()) return;
  FT_Set_Pixel_Sizes(impl_->face, 0, pixel_size);
  float pen = x;
  for (unsigned char ch : text) {
    if (FT_Load_Char(impl_->face, ch, FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot g = impl_->face->glyph;
    int left = static_cast<int>(std::lround(pen)) + g->bitmap_left;
    int top = static_cast<int>(std::lround(baseline)) - g->bitmap_top;
    for (unsigned row = 0; row < g->bitmap.rows; ++row)
      for (unsigned col = 0; col < g->bitmap.width; ++col) {
        int px = left + static_cast<int>(col), py = top + static_cast<int>(row);
        if (px < 0 || py < 0 || px >= width || py >= height) continue;
        float v = g->bitmap.buffer[row * g->bitmap.pitch + col] / 255.0f;
        float& m = mask[static_cast<size_t>(py) * width + px];
        m = std::min(1.0f, m + v);
      }
    pen += g->advance.x / 64.0f;
  }
}

std::vector<float> GrowMask(const std::vector<float>& mask, int width, int height, float radius) {
  std::vector<float> out(mask.size(), 0.0f);
  int r = static_cast<int>(std::ceil(radius)) + 1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      float best = 0;
      for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
          int sx = x + dx, sy = y + dy;
          if (sx < 0 || sy < 0 || sx >= width || sy >= height) continue;
          // Soft pen: full weight inside the radius, fading over one pixel.
          float w = std::min(1.0f, std::max(0.0f, radius + 0.5f - std::hypot(float(dx), float(dy))));
          best = std::max(best, w * mask[static_cast<size_t>(sy) * width + sx]);
        }
      out[static_cast<size_t>(y) * width + x] = best;
    }
  return out;
}

std::vector<float> ShiftMask(const std::vector<float>& mask, int width, int height, int dx, int dy) {
  std::vector<float> out(mask.size(), 0.0f);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int sx = x - dx, sy = y - dy;
      if (sx < 0 || sy < 0 || sx >= width || sy >= height) continue;
      out[static_cast<size_t>(y) * width + x] = mask[static_cast<size_t>(sy) * width + sx];
    }
  return out;
}
