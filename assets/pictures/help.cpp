// The controls picture shown under "controls: " on the title screen.
// It sits over the zooming background in any colour, so the words are white
// with a dark outline and drop shadow on a dark translucent panel. The keys
// are right-aligned in one column and what they do in the next, in VeraMono.
#include <string>

#include "assets/pictures/pictures.h"
#include "tools/lettering.h"

namespace {

constexpr int kW = 400, kH = 160;
constexpr int kSize = 27;  // pixel size of the lettering

struct Line {
  std::string keys;
  std::string action;
};

}  // namespace

Canvas MakeHelp(const Lettering& font) {
  Canvas c(kW, kH);
  // The panel.
  Sdf panel = Box(kW / 2.0f, kH / 2.0f, kW / 2.0f - 3, kH / 2.0f - 3, 18);
  c.FillShaded(panel, [](float, float y) { return Rgba{0.02f, 0.0f, 0.05f, Mix(0.62f, 0.72f, y / kH)}; });
  c.Stroke(Offset(panel, -1.5f), 2.0f, Grey(1.0f, 0.35f));

  const Line lines[] = {{"W A S D", "walk"}, {"mouse", "aim"}, {"left button", "fire"}};
  const float cell = font.Advance("M", kSize);
  const float keys_right = kW / 2.0f + cell * 2.5f;  // "left button  fire" centred
  const float action_left = keys_right + cell * 2;
  const float row_gap = 44, first_baseline = 45;

  std::vector<float> keys(kW * kH, 0.0f), actions(kW * kH, 0.0f);
  for (int i = 0; i < 3; ++i) {
    float baseline = first_baseline + row_gap * i;
    float left = keys_right - font.Advance(lines[i].keys, kSize);
    font.Draw(keys, kW, kH, lines[i].keys, kSize, left, baseline);
    font.Draw(actions, kW, kH, lines[i].action, kSize, action_left, baseline);
    if (i == 0) {
      // Key caps behind W, A, S and D.
      for (int k = 0; k < 4; ++k) {
        float cx = left + cell * (2 * k + 0.5f);
        Sdf cap = Box(cx, baseline - kSize * 0.36f, cell * 0.8f, kSize * 0.6f, 5);
        c.Fill(cap, Rgba{0.35f, 0.3f, 0.45f, 0.55f});
        c.Stroke(cap, 1.5f, Grey(0.9f, 0.7f));
      }
    }
  }
  // A thin arrow between each key and its action.
  for (int i = 0; i < 3; ++i) {
    float y = first_baseline + row_gap * i - kSize * 0.33f;
    float x0 = keys_right + cell * 0.6f, x1 = action_left - cell * 0.4f;
    c.Fill(Capsule(x0, y, x1, y, 1.0f), Grey(0.7f, 0.8f));
    c.Fill(Polygon({x1 + 1.5f, y, x1 - 5, y - 4.5f, x1 - 5, y + 4.5f}), Grey(0.7f, 0.8f));
  }

  std::vector<float> all(kW * kH);
  for (size_t i = 0; i < all.size(); ++i) all[i] = std::min(1.0f, keys[i] + actions[i]);
  c.PaintMask(ShiftMask(GrowMask(all, kW, kH, 1.5f), kW, kH, 2, 3), Rgba{0, 0, 0, 0.7f});
  c.PaintMask(GrowMask(all, kW, kH, 1.6f), Rgba{0.02f, 0.0f, 0.05f, 0.95f});
  c.PaintMask(keys, Grey(1.0f));
  c.PaintMask(actions, Rgba{1.0f, 0.86f, 0.55f, 1.0f});
  return c;
}
