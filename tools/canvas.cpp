// Painting surface and PNG writer for the picture tool (see canvas.h).
// Leans on libpng for the file format; everything else is plain arithmetic.
#include "tools/canvas.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

constexpr float kPi = 3.14159265358979f;

}  // namespace

float Clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

float Smoothstep(float e0, float e1, float v) {
  float t = Clamp01((v - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

float Mix(float a, float b, float t) { return a + (b - a) * t; }

Sdf Circle(float cx, float cy, float r) {
  return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

Sdf Ellipse(float cx, float cy, float rx, float ry) {
  // A close approximation to the true distance, good to a fraction of a
  // pixel near the outline, which is all the soft edge needs.
  return [=](float x, float y) {
    float px = (x - cx) / rx, py = (y - cy) / ry;
    float k0 = std::hypot(px, py);
    float k1 = std::hypot(px / rx, py / ry);
    if (k1 < 1e-6f) return -std::min(rx, ry);
    return k0 * (k0 - 1.0f) / k1;
  };
}

Sdf Box(float cx, float cy, float hw, float hh, float round) {
  return [=](float x, float y) {
    float qx = std::fabs(x - cx) - hw + round;
    float qy = std::fabs(y - cy) - hh + round;
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - round;
  };
}

Sdf Capsule(float ax, float ay, float bx, float by, float r) {
  return [=](float x, float y) {
    float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    float len2 = dx * dx + dy * dy;
    float h = len2 > 0 ? Clamp01((px * dx + py * dy) / len2) : 0.0f;
    return std::hypot(px - dx * h, py - dy * h) - r;
  };
}

Sdf Polygon(std::vector<float> xy) {
  return [xy = std::move(xy)](float x, float y) {
    size_t n = xy.size() / 2;
    float best = 1e30f;
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
      float xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
      float ex = xj - xi, ey = yj - yi, wx = x - xi, wy = y - yi;
      float h = Clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey));
      best = std::min(best, std::hypot(wx - ex * h, wy - ey * h));
      if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside ? -best : best;
  };
}

Sdf Union(Sdf a, Sdf b) {
  return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

Sdf Intersect(Sdf a, Sdf b) {
  return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

Sdf Subtract(Sdf a, Sdf b) {
  return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

Sdf Offset(Sdf s, float r) {
  return [=](float x, float y) { return s(x, y) - r; };
}

Sdf Rotate(Sdf s, float cx, float cy, float deg) {
  float c = std::cos(-deg * kPi / 180), sn = std::sin(-deg * kPi / 180);
  return [=](float x, float y) {
    float dx = x - cx, dy = y - cy;
    return s(cx + dx * c - dy * sn, cy + dx * sn + dy * c);
  };
}

Canvas::Canvas(int width, int height, Rgba background)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, background) {}

void Canvas::Over(int x, int y, Rgba c, float coverage) {
  float sa = Clamp01(c.a * coverage);
  if (sa <= 0) return;
  Rgba& d = pixels_[static_cast<size_t>(y) * width_ + x];
  float oa = sa + d.a * (1 - sa);
  if (oa <= 0) return;
  d.r = (c.r * sa + d.r * d.a * (1 - sa)) / oa;
  d.g = (c.g * sa + d.g * d.a * (1 - sa)) / oa;
  d.b = (c.b * sa + d.b * d.a * (1 - sa)) / oa;
  d.a = oa;
}

void Canvas::Fill(const Sdf& s, Rgba c) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) Over(x, y, c, Clamp01(0.5f - s(x + 0.5f, y + 0.5f)));
}

void Canvas::FillHard(const Sdf& s, Rgba c) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      if (s(x + 0.5f, y + 0.5f) < 0) Set(x, y, c);
}

void Canvas::Stroke(const Sdf& s, float width, Rgba c) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      float d = std::fabs(s(x + 0.5f, y + 0.5f)) - width / 2;
      Over(x, y, c, Clamp01(0.5f - d));
    }
}

void Canvas::FillShaded(const Sdf& s, const std::function<Rgba(float, float)>& shade) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      float cov = Clamp01(0.5f - s(x + 0.5f, y + 0.5f));
      if (cov > 0) Over(x, y, shade(x + 0.5f, y + 0.5f), cov);
    }
}

void Canvas::Shade(const std::function<Rgba(float, float)>& shade) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) Over(x, y, shade(x + 0.5f, y + 0.5f), 1.0f);
}

void Canvas::PaintMask(const std::vector<float>& mask, Rgba c) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) Over(x, y, c, mask[static_cast<size_t>(y) * width_ + x]);
}

void Canvas::Draw(const Canvas& src, float x0, float y0, float scale, Rgba tint) {
  // One source texel, premultiplied; outside the picture is transparent.
  auto texel = [&src](int sx, int sy) {
    if (sx < 0 || sy < 0 || sx >= src.width_ || sy >= src.height_) return Rgba{0, 0, 0, 0};
    Rgba p = src.At(sx, sy);
    return Rgba{p.r * p.a, p.g * p.a, p.b * p.a, p.a};
  };
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      float u = (x + 0.5f - x0) / scale - 0.5f, v = (y + 0.5f - y0) / scale - 0.5f;
      if (u < -1 || v < -1 || u > src.width_ || v > src.height_) continue;
      int iu = static_cast<int>(std::floor(u)), iv = static_cast<int>(std::floor(v));
      float fu = u - iu, fv = v - iv;
      Rgba a = texel(iu, iv), b = texel(iu + 1, iv), c = texel(iu, iv + 1), d = texel(iu + 1, iv + 1);
      auto lerp2 = [&](float Rgba::*ch) {
        return Mix(Mix(a.*ch, b.*ch, fu), Mix(c.*ch, d.*ch, fu), fv);
      };
      float alpha = lerp2(&Rgba::a);
      if (alpha <= 0) continue;
      Rgba p{lerp2(&Rgba::r) / alpha * tint.r, lerp2(&Rgba::g) / alpha * tint.g,
             lerp2(&Rgba::b) / alpha * tint.b, tint.a};
      Over(x, y, p, alpha);
    }
}

static uint8_t To8(float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); }

std::vector<uint8_t> Canvas::ToRgba8() const {
  // Transparent pixels take the colour of their visible neighbours, a few
  // pixels deep. The game filters textures linearly without premultiplied
  // alpha, so black under the transparent edge would show as a dark fringe
  // round every soft sprite (worst on the spark drawn nine times larger).
  std::vector<Rgba> px = pixels_;
  std::vector<bool> known(px.size());
  for (size_t i = 0; i < px.size(); ++i) known[i] = To8(px[i].a) > 0;
  for (int pass = 0; pass < 4; ++pass) {
    std::vector<bool> next = known;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) {
        size_t i = static_cast<size_t>(y) * width_ + x;
        if (known[i]) continue;
        float r = 0, g = 0, b = 0;
        int n = 0;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            int sx = x + dx, sy = y + dy;
            if (sx < 0 || sy < 0 || sx >= width_ || sy >= height_) continue;
            size_t j = static_cast<size_t>(sy) * width_ + sx;
            if (!known[j]) continue;
            r += px[j].r, g += px[j].g, b += px[j].b, ++n;
          }
        if (n == 0) continue;
        px[i] = Rgba{r / n, g / n, b / n, 0};
        next[i] = true;
      }
    known = next;
  }
  std::vector<uint8_t> out;
  out.reserve(px.size() * 4);
  for (const Rgba& p : px) out.insert(out.end(), {To8(p.r), To8(p.g), To8(p.b), To8(p.a)});
  return out;
}

std::vector<uint8_t> Canvas::ToRgb8() const {
  std::vector<uint8_t> out;
  out.reserve(pixels_.size() * 3);
  for (const Rgba& p : pixels_) out.insert(out.end(), {To8(p.r), To8(p.g), To8(p.b)});
  return out;
}

bool WritePng(const std::string& path, int width, int height, int channels,
              const std::vector<uint8_t>& pixels) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!file) {
    std::perror(path.c_str());
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    std::fprintf(stderr, "%s: libpng could not start\n", path.c_str());
    return false;
  }
  std::vector<png_bytep> rows(height);
  for (int y = 0; y < height; ++y)
    rows[y] = const_cast<png_bytep>(pixels.data()) + static_cast<size_t>(y) * width * channels;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fprintf(stderr, "%s: libpng failed to write\n", path.c_str());
    return false;
  }
  png_init_io(png, file.get());
  // Fixed compression settings and no time chunk: identical input, identical file.
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, width, height, 8, channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fflush(file.get()) == 0;
}
