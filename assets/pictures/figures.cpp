// The player's figure (two walk frames), its shadow, its gun and the cross-hair.
// The figure is seen from above, facing down the screen; it never turns, the
// gun circles it along the aim. Everything is light grey inside a dark outline
// so the stage tint colours it while the silhouette stays readable.
#include <cmath>

#include "assets/pictures/pictures.h"

namespace {

constexpr Rgba kOutline = {0.08f, 0.08f, 0.1f, 1.0f};

// Light from the upper left: a little brighter there, darker toward the lower right.
Rgba Lit(float x, float y, float cx, float cy, float radius, float base) {
  float t = ((x - cx) + (y - cy)) / (2 * radius);
  return Grey(Clamp01(base - 0.18f * t));
}

// step is +1 or -1: which foot is forward (down the screen).
Canvas Figure(float step) {
  Canvas c(48, 48);
  const float cx = 24, cy = 25;
  // Feet stride well beyond the body's rim so the two frames differ clearly.
  Sdf foot_l = Ellipse(cx - 5.5f, cy + 10 * step, 3.4f, 5.5f);
  Sdf foot_r = Ellipse(cx + 5.5f, cy - 10 * step, 3.4f, 5.5f);
  // Arms swing against the legs: shoulder to hand.
  Sdf arm_l = Capsule(cx - 12, cy - 1, cx - 15, cy - 7 * step, 3.3f);
  Sdf arm_r = Capsule(cx + 12, cy - 1, cx + 15, cy + 7 * step, 3.3f);
  Sdf body = Ellipse(cx, cy, 14.5f, 8.5f);
  Sdf head = Circle(cx, cy - 1, 8.0f);
  Sdf all = Union(Union(Union(foot_l, foot_r), Union(arm_l, arm_r)), Union(body, head));

  c.Fill(Offset(all, 2.0f), kOutline);
  auto part = [&](const Sdf& s, float px, float py, float r, float base) {
    c.FillShaded(s, [=](float x, float y) { return Lit(x, y, px, py, r, base); });
  };
  part(foot_l, cx - 5.5f, cy + 10 * step, 6, 0.5f);
  part(foot_r, cx + 5.5f, cy - 10 * step, 6, 0.5f);
  // A dark seam between the limbs and the body keeps them apart when tinted.
  c.Fill(Offset(body, 1.2f), kOutline);
  part(arm_l, cx - 14, cy - 4 * step, 6, 0.72f);
  part(arm_r, cx + 14, cy + 4 * step, 6, 0.72f);
  c.Fill(Offset(body, 0.0f), kOutline);
  part(body, cx, cy, 14, 0.78f);
  c.Stroke(Ellipse(cx, cy + 1.5f, 10.0f, 5.0f), 1.2f, Grey(0.55f, 0.8f));
  c.Fill(Offset(head, 1.5f), kOutline);
  part(head, cx, cy - 1, 8, 0.97f);
  // The face looks down the screen: a dark visor at the front of the head.
  c.Fill(Subtract(Circle(cx, cy - 1, 6.6f), Circle(cx, cy - 5.0f, 8.2f)), Grey(0.12f));
  c.Fill(Circle(cx - 2.6f, cy - 4.0f, 1.6f), Grey(1.0f, 0.8f));
  return c;
}

}  // namespace

Canvas MakePlayer1(const Lettering&) { return Figure(1); }
Canvas MakePlayer2(const Lettering&) { return Figure(-1); }

Canvas MakeShadow(const Lettering&) {
  Canvas c(40, 16);
  c.Shade([](float x, float y) {
    float u = (x - 20) / 19.0f, v = (y - 8) / 7.0f;
    float r = std::sqrt(u * u + v * v);
    return Rgba{0, 0, 0, 0.85f * (1 - Smoothstep(0.35f, 1.0f, r))};
  });
  return c;
}

Canvas MakeWeapon(const Lettering&) {
  // Seen from above, pointing along +x: stock, body, a long barrel, a muzzle ring.
  Canvas c(32, 10);
  Sdf stock = Box(6, 5, 4.5f, 2.2f, 1.5f);
  Sdf body = Box(13, 5, 6.0f, 3.2f, 1.2f);
  Sdf barrel = Box(23, 5, 7.0f, 1.5f, 0.6f);
  Sdf muzzle = Box(29.2f, 5, 1.6f, 2.3f, 0.6f);
  Sdf all = Union(Union(stock, body), Union(barrel, muzzle));
  c.Fill(Offset(all, 1.0f), kOutline);
  c.Fill(stock, Grey(0.55f));
  c.FillShaded(body, [](float, float y) { return Grey(y < 5 ? 0.92f : 0.7f); });
  c.FillShaded(barrel, [](float, float y) { return Grey(y < 5 ? 1.0f : 0.8f); });
  c.Fill(muzzle, Grey(0.9f));
  c.Fill(Box(13, 5, 3.0f, 0.6f, 0.3f), Grey(0.35f));
  return c;
}

Canvas MakeAim(const Lettering&) {
  // A broken ring with four ticks and a dot: white inside a soft dark border,
  // so it shows on the white stage flash as well as on dark layers.
  Canvas c(32, 32);
  const float m = 16;
  Sdf ring = Subtract(Circle(m, m, 10.5f), Circle(m, m, 8.5f));
  Sdf gaps = Union(Box(m, m, 2.2f, 16, 0), Box(m, m, 16, 2.2f, 0));
  Sdf arcs = Subtract(ring, gaps);
  Sdf ticks = Union(Union(Capsule(m, 4.5f, m, 10.0f, 1.0f), Capsule(m, 22.0f, m, 27.5f, 1.0f)),
                    Union(Capsule(4.5f, m, 10.0f, m, 1.0f), Capsule(22.0f, m, 27.5f, m, 1.0f)));
  Sdf dot = Circle(m, m, 1.6f);
  Sdf all = Union(Union(arcs, ticks), dot);
  c.Fill(Offset(all, 1.6f), Rgba{0, 0, 0, 0.75f});
  c.Fill(all, Grey(1.0f));
  return c;
}
