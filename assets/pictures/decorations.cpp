// The background's decorations and the vignette.
// The eye and the mushroom drift over the zooming layers at alpha 0.2 and
// below, drawn white, so they are bold shapes with strong light/dark bands
// (faint detail would vanish). shade2 is drawn black at twice its size over
// the whole window; only its alpha matters: clear in the middle, darker toward
// the edges and darkest in the corners.
#include <cmath>

#include "assets/pictures/pictures.h"

namespace {

constexpr float kPi = 3.14159265f;

}  // namespace

Canvas MakeShade2(const Lettering&) {
  Canvas c(400, 300);
  c.Shade([](float x, float y) {
    float u = (x - 200) / 200, v = (y - 150) / 150;
    float r = std::sqrt(u * u + v * v);
    float a = std::pow(Clamp01((r - 0.3f) / 0.95f), 1.4f);
    return Rgba{0, 0, 0, Clamp01(a)};
  });
  return c;
}

Canvas MakeEye(const Lettering&) {
  Canvas c(128, 128);
  const float m = 64;
  // Rays all around, alternating long and short, like a drawn sun.
  for (int i = 0; i < 24; ++i) {
    float a = i * 15.0f * kPi / 180;
    float r0 = 38, r1 = (i % 2) ? 50 : 57;
    c.Fill(Capsule(m + r0 * std::cos(a), m + r0 * 0.8f * std::sin(a), m + r1 * std::cos(a),
                   m + r1 * 0.8f * std::sin(a), i % 2 ? 1.6f : 2.4f),
           Grey(0.85f));
  }
  // The almond: where two large circles overlap.
  Sdf almond = Intersect(Circle(m, m + 38, 62), Circle(m, m - 38, 62));
  c.Fill(Offset(almond, 3.0f), Grey(0.05f));
  c.FillShaded(almond, [=](float, float y) { return Grey(Mix(1.0f, 0.75f, Clamp01((y - m + 22) / 44))); });
  // The iris: concentric bands, the psychedelic part.
  c.FillShaded(Intersect(almond, Circle(m, m, 21)), [=](float x, float y) {
    float r = std::hypot(x - m, y - m);
    float band = 0.5f + 0.5f * std::cos(r * 0.9f);
    float spokes = 0.5f + 0.5f * std::cos(std::atan2(y - m, x - m) * 12);
    return Grey(Mix(0.25f, 0.8f, band * (0.7f + 0.3f * spokes)));
  });
  c.Stroke(Intersect(almond, Circle(m, m, 21)), 2.0f, Grey(0.05f));
  c.Fill(Circle(m, m, 8), Grey(0.0f));
  c.Fill(Circle(m - 7, m - 7, 4), Grey(1.0f));
  c.Stroke(almond, 2.5f, Grey(0.05f));
  return c;
}

Canvas MakeMushroom(const Lettering&) {
  Canvas c(128, 128);
  const float m = 64;
  const Rgba ink = Grey(0.05f);
  // Stem: slightly curved, widening at the foot.
  Sdf stem = Union(Polygon({m - 9, 60, m + 9, 60, m + 14, 112, m + 4, 120, m - 8, 120, m - 15, 112}),
                   Ellipse(m - 1, 114, 15, 7));
  c.Fill(Offset(stem, 2.5f), ink);
  c.FillShaded(stem, [=](float x, float) { return Grey(Mix(1.0f, 0.6f, Clamp01((x - m + 12) / 26))); });
  for (int i = 0; i < 3; ++i)
    c.Fill(Capsule(m - 6 + 6.0f * i, 72 + 4.0f * i, m - 4 + 6.0f * i, 104 + 3.0f * i, 0.8f), Grey(0.45f));
  // Cap: a dome with a scalloped rim.
  Sdf dome = Intersect(Ellipse(m, 62, 56, 50), Box(m, 37, 60, 28, 0));
  Sdf scallops;
  for (int i = 0; i < 7; ++i) {
    Sdf s = Circle(m - 48 + 16.0f * i, 64, 9.5f);
    scallops = scallops ? Union(scallops, s) : s;
  }
  Sdf cap = Union(dome, scallops);
  c.Fill(Offset(cap, 2.5f), ink);
  // Bands across the cap, swirling with the distance from its crown.
  c.FillShaded(cap, [=](float x, float y) {
    float r = std::hypot((x - m) / 1.1f, y - 64);
    float band = 0.5f + 0.5f * std::cos(r * 0.42f + std::atan2(y - 64, x - m) * 2);
    return Grey(Mix(0.55f, 1.0f, band));
  });
  // Spots.
  const float spots[][3] = {{m - 26, 40, 7}, {m + 4, 26, 8}, {m + 30, 44, 6}, {m - 6, 50, 5}, {m + 22, 22, 4}};
  for (const auto& s : spots) {
    c.Fill(Circle(s[0], s[1], s[2] + 1.8f), ink);
    c.Fill(Circle(s[0], s[1], s[2]), Grey(1.0f));
  }
  return c;
}
