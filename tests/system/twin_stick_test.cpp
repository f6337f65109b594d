// The one mapping the pad and the touch sticks share, at its edges: the dead
// zone along an axis and across a diagonal, the trigger's, both sides of each
// sector border, the aim, Escape that never quits from the title screen, and
// a key several devices hold. Sticks in a pad's raw units (32768 full travel).
#include <gtest/gtest.h>

#include "input_fake_driver.h"
#include "system/twin_stick.h"

namespace {
std::string Held() {  // what the game sees held: W A S D, Space, Escape (E) and fire (F)
  std::string held;
  for (int key : {KEY_W, KEY_A, KEY_S, KEY_D, KEY_SPACE, KEY_ESCAPE}) {
    if (KeyDown(key)) held += key == KEY_ESCAPE ? 'E' : static_cast<char>(key);
  }
  return MouseDown(1) ? held + 'F' : held;
}
std::string Seq(std::initializer_list<std::string> steps) {  // a braced list runs left to right
  std::string out;
  for (const auto& step : steps) out += "|" + step;
  return out.substr(1);
}
std::string Set(TTwinStick& stick, TTwinStickState s, bool aim_moved = false) {
  return stick.Update(s, aim_moved), Held();
}
TTwinStickState Raw(int x, int y, int trigger = 0) {
  return {.move_x = x / 32768.0, .move_y = y / 32768.0, .trigger = trigger / 32768.0};
}
std::string Aim(TTwinStick& stick, double x, double y, bool moved = true) {
  Set(stick, {.aim_x = x, .aim_y = y, .aim_fires = true}, moved);
  const TAimPoint p = AimPoint(100, 100);
  return std::to_string(int(p.x)) + "," + std::to_string(int(p.y)) + Held();
}
}  // namespace

TEST_F(PolledInputTest, TwinStickMapsEdgesAimAndSharedKeys) {
  TInputHolders holders;
  TTwinStick pad(holders), touch(holders);
  const std::pair<int, int> moves[] = {{8192, 0},       {8193, 0},       {0, -8193},       {5792, 5792},
                                       {5793, 5793},    {30000, 12426},  {30000, 12427},   {12427, 30000},
                                       {12426, 30000},  {-30000, -12426}, {-30000, -12427}, {-12427, -30000},
                                       {-12426, -30000}};
  const char* want[] = {"", "D", "W", "", "SD", "D", "SD", "SD", "S", "A", "WA", "WA", "W"};
  for (int i = 0; i < 13; ++i) EXPECT_EQ(Set(pad, Raw(moves[i].first, moves[i].second)), want[i]) << i;
  EXPECT_EQ(Seq({Set(pad, Raw(0, 0, 8192)), Set(pad, Raw(0, 0, 8193))}), "|F");
  EXPECT_EQ(Set(pad, {.up = true, .right = true, .start = true, .back = true}), "WD E");
  EXPECT_EQ(Set(pad, {.left = true, .down = true, .fire = true}), "ASF");

  // The aim leans past the dead zone only, and moves only when the stick did.
  fake->Queue(EVENT_MOUSEMOVE, 0, 7, 9);
  EXPECT_EQ(Aim(pad, 0.25, 0), "7,9");
  EXPECT_EQ(Aim(pad, 0, -0.2501), "100,-50F");
  EXPECT_EQ(Aim(pad, 0.9, 0, false), "100,-50F");
  EXPECT_EQ(Aim(pad, 0.9, 0), "250,100F");
  EXPECT_EQ(Set(pad, {.aim_x = 0.9}), "");
  pad.Release();
  EXPECT_EQ(Aim(pad, 0, 0, false), "7,9");

  // Escape by `leave` only when it went down during a game.
  FlushKeys();
  EXPECT_EQ(Set(pad, {.leave = true}), "");
  AimPoint(0, 0);
  EXPECT_EQ(Seq({Set(pad, {.leave = true}), Set(pad, {}), Set(pad, {.leave = true}), Set(pad, {})}), "||E|");

  // A key or the button stays down until the last device holding it lets go.
  auto device = [&](int id, int data) {
    auto event = TEvent::Create(id, nullptr, data);
    if (holders.Pass(*event)) event->Emit();
    return Held();
  };
  EXPECT_EQ(Seq({device(EVENT_KEYDOWN, KEY_W), Set(pad, Raw(0, -30000)), Set(touch, Raw(0, -30000)),
                 device(EVENT_KEYUP, KEY_W), Set(pad, {}), Set(touch, {})}),
            "W|W|W|W|W|");
  EXPECT_EQ(Seq({device(EVENT_MOUSEDOWN, 1), Set(touch, {.fire = true}), Set(pad, {.fire = true}),
                 device(EVENT_MOUSEUP, 1), Set(touch, {}), Set(pad, {}), device(EVENT_MOUSEDOWN, 1),
                 Set(touch, {.fire = true}), Set(touch, {})}),
            "F|F|F|F|F||F|F|F");
}
