// The enemy ("vihu"): a spiny urchin with one big eye, two frames that blink.
// Bullets hit it within 37 pixels of its centre, so the body and the spines
// fill just that circle. It is drawn tinted, pure red when hit, swinging and
// throbbing, so it relies on a bold dark outline and strong light/dark shapes.
#include <cmath>

#include "assets/pictures/pictures.h"

namespace {

constexpr float kC = 40;  // centre of the 80 x 80 picture
constexpr Rgba kOutline = {0.06f, 0.05f, 0.08f, 1.0f};

Sdf Spines(float inner, float outer, int count, float width_deg, float twist_deg) {
  std::vector<float> pts;
  const float rad = 3.14159265f / 180;
  for (int i = 0; i < count; ++i) {
    float a = (360.0f * i) / count;
    // Each spine bends a little, like a flame, so the swing reads as motion.
    pts.insert(pts.end(), {kC + inner * std::cos((a - width_deg) * rad), kC + inner * std::sin((a - width_deg) * rad),
                           kC + outer * std::cos((a + twist_deg) * rad), kC + outer * std::sin((a + twist_deg) * rad),
                           kC + inner * std::cos((a + width_deg) * rad), kC + inner * std::sin((a + width_deg) * rad)});
  }
  Sdf all;
  for (size_t i = 0; i < pts.size(); i += 6) {
    Sdf spine = Polygon(std::vector<float>(pts.begin() + i, pts.begin() + i + 6));
    all = all ? Union(all, spine) : spine;
  }
  return all;
}

Canvas Vihu(bool eye_open) {
  Canvas c(80, 80);
  Sdf body = Circle(kC, kC, 27);
  Sdf spines = Spines(22, 37.5f, 14, 10, 7);
  Sdf inner_spines = Spines(18, 31, 14, 6, -4);

  c.Fill(Offset(Union(body, spines), 1.5f), kOutline);
  c.FillShaded(spines, [](float x, float y) {
    float r = std::hypot(x - kC, y - kC);
    return Grey(Mix(0.85f, 0.45f, Clamp01((r - 24) / 14)));
  });
  c.Fill(Offset(body, 1.5f), kOutline);
  c.FillShaded(body, [](float x, float y) {
    // A domed body: bright toward the upper left, darker at the rim.
    float r = std::hypot(x - kC + 6, y - kC + 6) / 34;
    return Grey(Mix(1.0f, 0.68f, Clamp01(r)));
  });
  // Ridges on the body echo the spines: light grey wedges inside the rim.
  c.Fill(Intersect(inner_spines, Subtract(body, Circle(kC, kC, 20))), Grey(0.62f, 0.7f));

  // The eye: a dark socket, then either the open eye or a closed lid.
  Sdf socket = Ellipse(kC, kC + 1, 16, 12.5f);
  c.Fill(Offset(socket, 1.5f), kOutline);
  if (eye_open) {
    c.FillShaded(socket, [](float, float y) { return Grey(Mix(1.0f, 0.78f, Clamp01((y - kC + 10) / 22))); });
    c.Fill(Circle(kC + 1, kC + 2, 8.5f), Grey(0.18f));
    c.Stroke(Circle(kC + 1, kC + 2, 6.0f), 1.4f, Grey(0.5f));
    c.Fill(Ellipse(kC + 1, kC + 2, 2.2f, 5.0f), Grey(0.0f));  // a slit pupil
    c.Fill(Circle(kC - 2.5f, kC - 1.5f, 2.2f), Grey(1.0f));  // glint
    // The upper lid cuts the top of the eye: a heavy, unfriendly look.
    c.Fill(Intersect(socket, Offset(Ellipse(kC, kC - 14, 22, 10), 0)), Grey(0.08f));
  } else {
    // Closed: the lid fills the socket, its edge a dark arc with three lashes.
    c.FillShaded(socket, [](float, float y) { return Grey(Mix(0.95f, 0.7f, Clamp01((y - kC + 12) / 24))); });
    Sdf lid = Ellipse(kC, kC - 6, 20, 12);
    c.Fill(Intersect(Subtract(Offset(lid, 1.2f), Offset(lid, -1.2f)), socket), Grey(0.08f));
    for (int i = -1; i <= 1; ++i)
      c.Fill(Capsule(kC + 7.0f * i, kC + 5.0f, kC + 9.5f * i, kC + 10.0f, 0.9f), Grey(0.08f));
  }
  return c;
}

}  // namespace

Canvas MakeVihu1(const Lettering&) { return Vihu(true); }
Canvas MakeVihu2(const Lettering&) { return Vihu(false); }
