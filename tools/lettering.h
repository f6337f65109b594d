// Text for the pictures, rendered through FreeType from the game's own
// VeraMono.ttf (no glyphs are copied: the outlines are rasterised at build time).
// Text comes out as a coverage mask that the recipe paints in any colour, and
// masks can be grown to make outlines and shadows that read on any background.
#pragma once

#include <memory>
#include <string>
#include <vector>

class Lettering {
 public:
  // Opens the font; Ok() tells whether that worked.
  explicit Lettering(const std::string& font_path);
  ~Lettering();
  Lettering(const Lettering&) = delete;
  Lettering& operator=(const Lettering&) = delete;

  bool Ok() const;
  // Horizontal advance of the text at this pixel size, in pixels.
  float Advance(const std::string& text, int pixel_size) const;
  // Adds the text's coverage into mask (width x height, 0..1 per pixel), with
  // the pen starting at (x, baseline).
  void Draw(std::vector<float>& mask, int width, int height, const std::string& text,
            int pixel_size, float x, float baseline) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A copy of the mask grown by radius pixels (round pen), for outlines.
std::vector<float> GrowMask(const std::vector<float>& mask, int width, int height, float radius);
// A copy of the mask moved by (dx, dy) whole pixels.
std::vector<float> ShiftMask(const std::vector<float>& mask, int width, int height, int dx, int dy);
