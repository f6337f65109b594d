// contact_sheet: lays every picture of the data folder out on one PNG, each on
// a mid-grey and on a stage-coloured background, the way the game draws it
// (tint multiplied in, its alpha, black masked out of RGB pictures), so the
// pictures can be judged together. Small sprites are shown enlarged as well.
// Usage: contact_sheet <data folder> <VeraMono.ttf> <out.png>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tools/canvas.h"
#include "tools/lettering.h"

namespace {

struct Image {
  int w = 0, h = 0;
  bool has_alpha = false;
  std::vector<Rgba> px;
};

bool ReadPng(const std::string& path, Image& out) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, path.c_str())) return false;
  out.has_alpha = (img.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  img.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> buf(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, buf.data(), 0, nullptr)) return false;
  out.w = img.width;
  out.h = img.height;
  out.px.resize(static_cast<size_t>(out.w) * out.h);
  for (size_t i = 0; i < out.px.size(); ++i) {
    Rgba p{buf[4 * i] / 255.0f, buf[4 * i + 1] / 255.0f, buf[4 * i + 2] / 255.0f, buf[4 * i + 3] / 255.0f};
    // The game masks pictures without alpha: pure black becomes transparent.
    if (!out.has_alpha && buf[4 * i] == 0 && buf[4 * i + 1] == 0 && buf[4 * i + 2] == 0) p.a = 0;
    out.px[i] = p;
  }
  if (!out.has_alpha) {
    // Like the game's mask: under each transparent pixel, the average colour
    // of its visible neighbours, so filtering does not bleed black in.
    std::vector<Rgba> masked = out.px;
    for (int y = 0; y < out.h; ++y)
      for (int x = 0; x < out.w; ++x) {
        Rgba& m = masked[static_cast<size_t>(y) * out.w + x];
        if (m.a > 0) continue;
        float r = 0, g = 0, b = 0;
        int n = 0;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            int sx = x + dx, sy = y + dy;
            if (sx < 0 || sy < 0 || sx >= out.w || sy >= out.h) continue;
            const Rgba& q = out.px[static_cast<size_t>(sy) * out.w + sx];
            if (q.a > 0) r += q.r, g += q.g, b += q.b, ++n;
          }
        if (n) m = Rgba{r / n, g / n, b / n, 0};
      }
    out.px = masked;
  }
  return true;
}

Rgba Sample(const Image& im, float u, float v) {
  // Bilinear on straight (not premultiplied) values, clamped at the border,
  // as the game's textures are filtered: colour under transparent texels shows.
  float x = u - 0.5f, y = v - 0.5f;
  int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  float fx = x - x0, fy = y - y0;
  Rgba acc{0, 0, 0, 0};
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      int sx = std::clamp(x0 + i, 0, im.w - 1), sy = std::clamp(y0 + j, 0, im.h - 1);
      float w = (i ? fx : 1 - fx) * (j ? fy : 1 - fy);
      const Rgba& p = im.px[static_cast<size_t>(sy) * im.w + sx];
      acc.r += p.r * w;
      acc.g += p.g * w;
      acc.b += p.b * w;
      acc.a += p.a * w;
    }
  return acc;
}

struct Tint {
  float r, g, b, alpha;
};

// Draws im at (x, y) scaled by s, multiplied by tint, over the sheet.
void Draw(Canvas& sheet, const Image& im, int x, int y, float s, Tint t) {
  int w = static_cast<int>(im.w * s), h = static_cast<int>(im.h * s);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      int px = x + i, py = y + j;
      if (px < 0 || py < 0 || px >= sheet.Width() || py >= sheet.Height()) continue;
      Rgba c = Sample(im, (i + 0.5f) / s, (j + 0.5f) / s);
      float a = c.a * t.alpha;
      Rgba d = sheet.At(px, py);
      sheet.Set(px, py, Rgba{Mix(d.r, c.r * t.r, a), Mix(d.g, c.g * t.g, a), Mix(d.b, c.b * t.b, a), 1});
    }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s <data folder> <VeraMono.ttf> <out.png>\n", argv[0]);
    return 2;
  }
  std::string data = argv[1];
  Lettering font(argv[2]);

  // A sample stage tint (the game's colorR, colorG, colorB) and the colours
  // the game derives from it for each kind of sprite.
  const float R = 90 / 255.0f, G = 40 / 255.0f, B = 200 / 255.0f;
  const Tint white{1, 1, 1, 1};
  const Tint player{1 - R, 1 - B * 0.5f, B, 1};
  const Tint enemy{1 - R, 1 - B, 1 - B, 1};
  const Tint shot{1 - R * 0.5f, 1 - B * 0.5f, 1 - B * 0.5f, 1};
  const Rgba stage_bg{R * 0.5f, G * 0.5f, B * 0.5f, 1};

  struct Entry {
    const char* name;
    Tint tint;       // on the stage background
    float zoom;      // enlarged view of small sprites
    Tint on_grey;    // on mid-grey
  };
  const Entry entries[] = {
      {"player1", player, 4, white},          {"player2", player, 4, white},
      {"shadow", {0, 0, 0, 0.5f}, 3, white},  {"weapon", player, 3, white},
      {"aim", white, 3, white},               {"vihu1", enemy, 2, white},
      {"vihu2", enemy, 2, white},             {"vihu1", {1, 0, 0, 1}, 2, {1, 0, 0, 1}},
      {"bullet", white, 4, white},            {"vihuammus", shot, 4, white},
      {"particle", enemy, 4, white},          {"particle2", enemy, 4, white},
      {"particle", white, 9, white},          {"eye", {1, 1, 1, 0.2f}, 1, white},
      {"mushroom", {1, 1, 1, 0.2f}, 1, white}, {"help", white, 1, white},
      {"shade2", {0, 0, 0, 0.5f}, 1, {0, 0, 0, 1}},
  };

  const int sheet_w = 1800, pad = 12, label_h = 22;
  // First pass lays the cells out, second paints them.
  struct Cell {
    const Entry* e;
    Image im;
    int x, y, w, h;
  };
  std::vector<Cell> cells;
  int cx = pad, cy = pad, row_h = 0;
  for (const Entry& e : entries) {
    Cell cell{&e, {}, 0, 0, 0, 0};
    if (!ReadPng(data + "/gfx/" + e.name + ".png", cell.im)) {
      std::fprintf(stderr, "%s: cannot read %s.png\n", argv[0], e.name);
      return 1;
    }
    int pw = std::max(static_cast<int>(cell.im.w * e.zoom), 90) + 2 * pad;
    int ph = static_cast<int>(cell.im.h * e.zoom) + 2 * pad;
    cell.w = 2 * pw;
    cell.h = ph + label_h;
    if (cx + cell.w > sheet_w) {
      cx = pad;
      cy += row_h + pad;
      row_h = 0;
    }
    cell.x = cx;
    cell.y = cy;
    cx += cell.w + pad;
    row_h = std::max(row_h, cell.h);
    cells.push_back(std::move(cell));
  }
  Canvas sheet(sheet_w, cy + row_h + pad, Rgba{0.1f, 0.1f, 0.1f, 1});
  std::vector<float> labels(static_cast<size_t>(sheet.Width()) * sheet.Height(), 0.0f);
  for (const Cell& cell : cells) {
    const Entry& e = *cell.e;
    int pw = cell.w / 2, ph = cell.h - label_h;
    for (int half = 0; half < 2; ++half) {
      int x0 = cell.x + half * pw, y0 = cell.y + label_h;
      Rgba bg = half == 0 ? Grey(0.5f) : stage_bg;
      sheet.Fill(Box(x0 + pw / 2.0f, y0 + ph / 2.0f, pw / 2.0f, ph / 2.0f), bg);
      Draw(sheet, cell.im, x0 + pad, y0 + pad, e.zoom, half == 0 ? e.on_grey : e.tint);
    }
    std::string label = std::string(e.name) + "  " + std::to_string(cell.im.w) + "x" +
                        std::to_string(cell.im.h) + (cell.im.has_alpha ? " RGBA" : " RGB") +
                        (e.zoom != 1 ? "  x" + std::to_string(static_cast<int>(e.zoom)) : "");
    font.Draw(labels, sheet.Width(), sheet.Height(), label, 14, cell.x + 2, cell.y + 15);
  }
  sheet.PaintMask(labels, Grey(0.9f));
  return WritePng(argv[3], sheet.Width(), sheet.Height(), 3, sheet.ToRgb8()) ? 0 : 1;
}
