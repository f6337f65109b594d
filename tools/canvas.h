// A small anti-aliased painting surface for the picture recipes in assets/.
// Shapes are signed distance functions (negative inside, in pixels), so edges
// come out smooth without supersampling; the result is written as PNG through
// libpng with nothing time-dependent in it, so the same recipe always gives the
// same bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A straight (not premultiplied) colour, every channel 0..1.
struct Rgba {
  float r = 0, g = 0, b = 0, a = 1;
};

// Grey level v at opacity a: the sprites are white and grey, tinted in game.
inline Rgba Grey(float v, float a = 1.0f) { return {v, v, v, a}; }

// Signed distance from a point to a shape: < 0 inside, > 0 outside.
using Sdf = std::function<float(float x, float y)>;

Sdf Circle(float cx, float cy, float r);
Sdf Ellipse(float cx, float cy, float rx, float ry);
// A rectangle centred on (cx, cy) with half sizes hw, hh and corner radius.
Sdf Box(float cx, float cy, float hw, float hh, float round = 0);
// A line segment thickened to radius r.
Sdf Capsule(float ax, float ay, float bx, float by, float r);
// A closed polygon from x, y pairs, in either winding.
Sdf Polygon(std::vector<float> xy);
Sdf Union(Sdf a, Sdf b);
Sdf Intersect(Sdf a, Sdf b);
Sdf Subtract(Sdf a, Sdf b);
// The shape grown outward by r pixels (shrunk for negative r).
Sdf Offset(Sdf s, float r);
// Turns the shape about (cx, cy) by deg degrees (y down, like the game).
Sdf Rotate(Sdf s, float cx, float cy, float deg);

float Clamp01(float v);
float Smoothstep(float e0, float e1, float v);
float Mix(float a, float b, float t);

class Canvas {
 public:
  Canvas(int width, int height, Rgba background = {0, 0, 0, 0});

  int Width() const { return width_; }
  int Height() const { return height_; }

  // Paints colour c over the inside of s, with a one-pixel soft edge.
  void Fill(const Sdf& s, Rgba c);
  // Paints a line of the given width along the outline of s.
  void Stroke(const Sdf& s, float width, Rgba c);
  // Paints over the inside of s with a colour chosen per pixel centre.
  void FillShaded(const Sdf& s, const std::function<Rgba(float x, float y)>& shade);
  // Sets every pixel whose centre is inside s to c, with no soft edge (for
  // pictures masked on black, where a soft edge would be an opaque dark rim).
  void FillHard(const Sdf& s, Rgba c);
  // Paints a per-pixel colour everywhere (glows, gradients, vignettes).
  void Shade(const std::function<Rgba(float x, float y)>& shade);
  // Paints colour c through a coverage mask (0..1 per pixel, same size).
  void PaintMask(const std::vector<float>& mask, Rgba c);
  // Paints another picture over this one with its top-left at (x, y), scaled
  // by scale and multiplied by tint, as the game draws a tinted sprite
  // (bilinear, on premultiplied colour so edges keep no dark rim).
  void Draw(const Canvas& src, float x, float y, float scale, Rgba tint);

  Rgba At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  void Set(int x, int y, Rgba c) { pixels_[static_cast<size_t>(y) * width_ + x] = c; }

  // 8-bit RGBA, or 8-bit RGB with the alpha ignored.
  std::vector<uint8_t> ToRgba8() const;
  std::vector<uint8_t> ToRgb8() const;

 private:
  void Over(int x, int y, Rgba c, float coverage);

  int width_;
  int height_;
  std::vector<Rgba> pixels_;
};

// Writes 8-bit RGBA (channels 4) or RGB (channels 3) rows as a PNG file.
// Returns false and says why on standard error when the file cannot be written.
bool WritePng(const std::string& path, int width, int height, int channels,
              const std::vector<uint8_t>& pixels);
