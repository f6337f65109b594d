// The game's icon, 256 x 256: an enemy staring out of the tunnel of stage
// layers, on a rounded tile. It is the window's icon and the desktop's.
#include "assets/pictures/pictures.h"

#include <cmath>

namespace {

constexpr float kC = 128;  // centre of the icon
constexpr Rgba kTint = {0.62f, 0.30f, 0.95f, 1.0f};  // a stage colour: violet

Rgba Tinted(float shade) { return {kTint.r * shade, kTint.g * shade, kTint.b * shade, 1.0f}; }

}  // namespace

Canvas MakeIcon(const Lettering& font) {
  Canvas c(256, 256);
  Sdf tile = Box(kC, kC, 116, 116, 34);
  c.Fill(Offset(tile, 2), {0.03f, 0.02f, 0.05f, 1.0f});
  c.Fill(tile, Tinted(0.16f));

  // The tunnel: each older layer a larger, lighter frame round the newer ones,
  // drawn largest first, each a little turned like a layer that zoomed past.
  const float sizes[] = {1.02f, 0.80f, 0.60f, 0.42f};
  const float shades[] = {0.56f, 0.40f, 0.27f, 0.14f};
  for (int i = 0; i < 4; ++i) {
    float h = 104 * sizes[i];
    Sdf frame = Rotate(Box(kC, kC, h, h * 0.82f, 4), kC, kC, 9.0f * (i - 1));
    c.Fill(Intersect(frame, tile), Tinted(shades[i]));
    c.Stroke(Intersect(frame, tile), 2.0f, Tinted(shades[i] + 0.18f));
  }
  // A glow behind the enemy so it reads against the dark middle.
  c.Shade([](float x, float y) {
    float r = std::hypot(x - kC, y - kC) / 92;
    return Rgba{1.0f, 0.55f, 0.35f, 0.45f * Clamp01(1 - r) * Clamp01(1 - r)};
  });

  // The enemy, tinted warm as the game tints its sprites, 1.85 times its size.
  const float scale = 1.85f;
  c.Draw(MakeVihu1(font), kC - 40 * scale, kC - 40 * scale, scale, {1.0f, 0.62f, 0.42f, 1.0f});

  // The tile's rim, so the icon holds its shape on light and dark panels.
  c.Stroke(tile, 3.0f, Tinted(0.75f));
  return c;
}
