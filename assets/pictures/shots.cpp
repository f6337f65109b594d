// Shots and sparks: the player's bullet, the enemy's shot and the two particles.
// The soft ones fade to nothing well inside their borders, because the
// explosion flash draws the spark nine times larger and a hard square edge
// would show. particle2 is the one RGB picture: a hard-edged shard on pure
// black, which the game's loader turns transparent.
#include <cmath>

#include "assets/pictures/pictures.h"

namespace {

float SegmentDistance(float x, float y, float ax, float ay, float bx, float by) {
  float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
  float h = Clamp01((px * dx + py * dy) / (dx * dx + dy * dy));
  return std::hypot(px - dx * h, py - dy * h);
}

}  // namespace

Canvas MakeBullet(const Lettering&) {
  // A white-hot slug along +x with a tail that thins out behind it, inside a
  // faint dark rim so it still shows over the palest background layers.
  Canvas c(16, 6);
  Sdf slug = Union(Circle(12.0f, 3.0f, 1.9f), Polygon({3.5f, 3.0f, 12.0f, 1.1f, 12.0f, 4.9f}));
  c.Shade([](float x, float y) {
    float d = SegmentDistance(x, y, 2.0f, 3.0f, 13.0f, 3.0f);
    return Rgba{0, 0, 0, 0.45f * (1 - Smoothstep(1.8f, 2.6f, d)) * Clamp01((x - 1.0f) / 4.0f)};
  });
  c.Shade([](float x, float y) {
    float d = SegmentDistance(x, y, 1.5f, 3.0f, 6.0f, 3.0f);
    return Grey(1.0f, 0.55f * (1 - Smoothstep(0.3f, 1.4f, d)) * Clamp01((x - 1.0f) / 5.0f));
  });
  c.Fill(slug, Grey(1.0f));
  return c;
}

Canvas MakeVihuAmmus(const Lettering&) {
  // A round, hot core inside a dark ring and a halo, trailing a short wake
  // toward -x (the game turns it to its velocity).
  Canvas c(16, 16);
  const float m = 8;
  c.Shade([=](float x, float y) {
    float r = std::hypot(x - m, y - m);
    float wake = SegmentDistance(x, y, 3.0f, m, m, m);
    float halo = std::max(std::exp(-r * r / 18.0f), 0.6f * std::exp(-wake * wake / 2.5f)) *
                 (1 - Smoothstep(5.5f, 7.5f, r));
    return Grey(0.9f, 0.75f * halo);
  });
  c.Stroke(Circle(m, m, 4.6f), 1.4f, Grey(0.25f, 0.9f));
  c.Fill(Circle(m, m, 3.8f), Grey(1.0f));
  c.Fill(Circle(m - 1.2f, m - 1.2f, 1.3f), Grey(1.0f));
  return c;
}

Canvas MakeParticle(const Lettering&) {
  // A soft round spark: a bright centre falling smoothly to nothing at the rim.
  Canvas c(16, 16);
  c.Shade([](float x, float y) {
    float r = std::hypot(x - 8, y - 8) / 7.5f;
    float a = std::pow(Clamp01(1 - r), 2.0f);
    return Grey(1.0f, Clamp01(a * 1.15f));
  });
  return c;
}

Canvas MakeParticle2(const Lettering&) {
  // A shard with a lit facet and a shadowed one; hard edges, because the
  // loader's mask would make any soft edge an opaque dark rim.
  Canvas c(16, 16, Rgba{0, 0, 0, 1});
  std::vector<float> outline = {2.0f, 9.0f, 7.0f, 1.5f, 14.5f, 5.0f, 12.0f, 12.5f, 5.0f, 14.5f};
  c.FillHard(Polygon(outline), Grey(0.62f));
  c.FillHard(Polygon({2.0f, 9.0f, 7.0f, 1.5f, 14.5f, 5.0f, 8.5f, 8.0f}), Grey(0.95f));
  c.FillHard(Capsule(7.0f, 3.0f, 12.0f, 5.0f, 0.7f), Grey(1.0f));
  return c;
}
