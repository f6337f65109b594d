// The game's icon, 256 x 256: an enemy staring out of the tunnel of stage
// layers, on a rounded tile. It is the window's icon and the desktop's.
#include "assets/pictures/pictures.h"

#include <cmath>

namespace {

constexpr float kC = 128;  // centre of the icon
constexpr Rgba kTint = {0.62f, 0.30f, 0.95f, 1.0f};  // a stage colour: violet

Rgba Tinted(float shade) { return {kTint.r * shade, kTint.g * shade, kTint.b * shade, 1.0f}; }

}  // namespace

Canvas MakeIcon(const Lettering& font, int size) {
  // Painted in the 256-pixel icon's own coordinates, times k.
  const float k = size / 256.0f;
  const float mid = kC * k;
  Canvas c(size, size);
  Sdf tile = Box(mid, mid, 116 * k, 116 * k, 34 * k);
  c.Fill(Offset(tile, 2 * k), {0.03f, 0.02f, 0.05f, 1.0f});
  c.Fill(tile, Tinted(0.16f));

  // The tunnel: each older layer a larger, lighter frame round the newer ones,
  // drawn largest first, each a little turned like a layer that zoomed past.
  const float sizes[] = {1.02f, 0.80f, 0.60f, 0.42f};
  const float shades[] = {0.56f, 0.40f, 0.27f, 0.14f};
  for (int i = 0; i < 4; ++i) {
    float h = 104 * sizes[i] * k;
    Sdf frame = Rotate(Box(mid, mid, h, h * 0.82f, 4 * k), mid, mid, 9.0f * (i - 1));
    c.Fill(Intersect(frame, tile), Tinted(shades[i]));
    c.Stroke(Intersect(frame, tile), 2.0f * k, Tinted(shades[i] + 0.18f));
  }
  // A glow behind the enemy so it reads against the dark middle.
  c.Shade([mid, k](float x, float y) {
    float r = std::hypot(x - mid, y - mid) / (92 * k);
    return Rgba{1.0f, 0.55f, 0.35f, 0.45f * Clamp01(1 - r) * Clamp01(1 - r)};
  });

  // The enemy, tinted warm as the game tints its sprites, 1.85 times its size.
  const float scale = 1.85f * k;
  c.Draw(MakeVihu1(font), mid - 40 * scale, mid - 40 * scale, scale, {1.0f, 0.62f, 0.42f, 1.0f});

  // The tile's rim, so the icon holds its shape on light and dark panels.
  c.Stroke(tile, 3.0f * k, Tinted(0.75f));
  return c;
}
