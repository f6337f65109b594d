// Twin-stick play: the one mapping the pad and the touch sticks share, at its
// edges (the dead zone along an axis and across a diagonal, the trigger's,
// both sides of each sector border, the aim, Escape that never quits from the
// title screen, a key several devices hold; sticks in a pad's raw units,
// 32768 full travel), and fingers through SDL's queue, the SDL system driver
// and the touch sticks into the polled input.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "input_fake_driver.h"
#include "system/sdl/sdl_system_driver_private.h"
#include "system/touch_view.h"
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
std::string Set(TTwinStick& pad, TTwinStickState s, bool moved = false) { return pad.Update(s, moved), Held(); }
TTwinStickState Raw(int x, int y, int trigger = 0) {
  return {.move_x = x / 32768.0, .move_y = y / 32768.0, .trigger = trigger / 32768.0};
}
std::string Aim(TTwinStick& stick, double x, double y, bool moved = true) {
  Set(stick, {.aim_x = x, .aim_y = y, .aim_fires = true}, moved);
  const TAimPoint p = AimPoint(100, 100);
  return std::to_string(int(p.x)) + "," + std::to_string(int(p.y)) + Held();
}
std::string Push(SDL_Event e) { return SDL_PushEvent(&e), Held(); }
std::string Finger(uint32_t type, int64_t id, double x = 0, double y = 0) {
  SDL_Event e{type};
  e.tfinger = {type, 0, 1, id, float((160 + 1.2 * x) / 1280), float(1.2 * y / 720), 0, 0, 1, 7};
  return Push(e);
}
std::string Lean(int64_t id, double x, double y, double r, double degrees) {
  const double a = degrees * std::numbers::pi / 180;
  return Finger(SDL_FINGERMOTION, id, x + r * std::cos(a), y + r * std::sin(a));
}
std::string Aim() {  // what is held, and where the player at (400, 300) aims
  const TAimPoint p = AimPoint(400, 300);
  return Held() + "@" + std::to_string(std::lround(p.x)) + "," + std::to_string(std::lround(p.y));
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

// The window is 1280 x 720 and shows the 800 x 600 frame at 1.2 from x = 160,
// as full screen does; positions are in frame pixels (a stick's radius is 60
// of them, its dead zone 15).
TEST(Touch, TwoSticksTheTitleTapTheBackControlAndNoMouse) {
  auto driver = std::make_shared<TSDLSystemDriver>();
  driver->translator.window_size = [](uint32_t id, int& w, int& h) { return w = 1280, h = 720, id == 7; };
  SetSystemDriver(driver);
  SetPointerFrame({160, 0, 960, 720, 800, 600});
  DisablePolledInput();
  EnablePolledInput();
  EXPECT_FALSE(SDL_GetHintBoolean(SDL_HINT_TOUCH_MOUSE_EVENTS, SDL_TRUE));
  EXPECT_FALSE(SDL_GetHintBoolean(SDL_HINT_MOUSE_TOUCH_EVENTS, SDL_TRUE));
  SDL_Event mouse{SDL_MOUSEMOTION};
  mouse.motion = {SDL_MOUSEMOTION, 0, 7, 0, 0, 640, 360, 0, 0};  // the middle of the frame
  Push(mouse);

  // The title screen: a tap is Space, even on the back control; no sticks.
  EXPECT_EQ(Seq({Finger(SDL_FINGERDOWN, 1, 400, 30), Finger(SDL_FINGERDOWN, 2, 100, 300),
                 Finger(SDL_FINGERMOTION, 2, 200, 300), Finger(SDL_FINGERUP, 1), Finger(SDL_FINGERUP, 2)}),
            " | | ||");
  AimPoint(0, 0);  // a game runs
  // A thumb in the left band walks: the dead zone, a sector border, and the
  // anchor dragged along (after it, 20 to the left of the finger's farthest
  // point walks left).
  EXPECT_EQ(Seq({Finger(SDL_FINGERDOWN, 10, -100, 300), Finger(SDL_FINGERMOTION, 10, -86, 300),
                 Finger(SDL_FINGERMOTION, 10, -84, 300), Lean(10, -100, 300, 40, 21.5),
                 Lean(10, -100, 300, 40, 23.5), Finger(SDL_FINGERMOTION, 10, 0, 300),
                 Finger(SDL_FINGERMOTION, 10, -80, 300)}),
            "||D|D|SD|D|A");
  // A thumb on the right aims 150 pixels out and fires past the dead zone.
  EXPECT_EQ(Seq({Finger(SDL_FINGERDOWN, 11, 600, 300), Finger(SDL_FINGERMOTION, 11, 600, 314), Aim(),
                 Finger(SDL_FINGERMOTION, 11, 600, 316), Aim()}),
            "A|A|A@400,300|AF|AF@400,450");
  TTouchView view = GetTouchView();
  EXPECT_TRUE(view.used && view.in_game && view.move.held && view.aim.held);
  EXPECT_FLOAT_EQ(view.move.anchor_x, -60);
  EXPECT_FLOAT_EQ(view.move.anchor_u, 88.0f / 1280);
  EXPECT_FLOAT_EQ(view.aim.finger_v, 316 * 1.2f / 720);
  EXPECT_FLOAT_EQ(view.radius_u, 72.0f / 1280);
  EXPECT_FLOAT_EQ(view.back_u + view.back_uw / 2, 0.5f);
  // A third finger does nothing; each stick follows its own; the back control
  // is Escape. A real mouse takes the aim until the aiming stick moves again;
  // lifting releases, and the aim stays.
  EXPECT_EQ(Seq({Finger(SDL_FINGERDOWN, 12, 100, 300), Finger(SDL_FINGERMOTION, 12, 300, 100), Aim(),
                 Finger(SDL_FINGERMOTION, 11, 560, 300), Aim(), Finger(SDL_FINGERDOWN, 13, 400, 30),
                 Finger(SDL_FINGERUP, 13), Finger(SDL_FINGERUP, 12), Push(mouse), Aim(),
                 Finger(SDL_FINGERMOTION, 10, -81, 300), Aim(), Finger(SDL_FINGERMOTION, 11, 600, 270), Aim(),
                 Finger(SDL_FINGERUP, 10), Finger(SDL_FINGERUP, 11), Aim()}),
            "AF|AF|AF@400,450|AF|AF@250,300|AEF|AF|AF|AF|AF@400,300|AF|AF@400,300|AF|AF@400,150|F||@400,150");
  // The edges a thumb feels: just below the back control, or beside it, a
  // stick; just inside it, Escape. Just left of the middle walks, just right aims.
  EXPECT_EQ(Seq({Finger(SDL_FINGERDOWN, 20, 400, 56.5), Finger(SDL_FINGERMOTION, 20, 400, -3.5), Aim(),
                 Finger(SDL_FINGERUP, 20), Finger(SDL_FINGERDOWN, 21, 400, 55.5), Finger(SDL_FINGERUP, 21),
                 Finger(SDL_FINGERDOWN, 22, 367.5, 4), Finger(SDL_FINGERUP, 22),
                 Finger(SDL_FINGERDOWN, 23, 432.5, 4), Finger(SDL_FINGERUP, 23),
                 Finger(SDL_FINGERDOWN, 24, 399.5, 300), Finger(SDL_FINGERMOTION, 24, 399.5, 240),
                 Finger(SDL_FINGERUP, 24), Finger(SDL_FINGERDOWN, 25, 400.5, 300),
                 Finger(SDL_FINGERMOTION, 25, 400.5, 240), Aim(), Finger(SDL_FINGERUP, 25)}),
            "|F|F@400,150||E|||||||W|||F|F@400,150|");
  // Mouse events SDL makes of fingers never reach the game.
  mouse.motion = {SDL_MOUSEMOTION, 0, 7, SDL_TOUCH_MOUSEID, 0, 1120, 0, 0, 0};
  EXPECT_EQ(Seq({Push(mouse), Aim()}), "|@400,150");
  mouse.button = {SDL_MOUSEBUTTONDOWN, 0, 7, SDL_TOUCH_MOUSEID, SDL_BUTTON_LEFT, SDL_PRESSED, 1, 0, 10, 10};
  EXPECT_EQ(Seq({Push(mouse), Aim()}), "|@400,150");
  mouse.motion = {SDL_MOUSEMOTION, 0, 7, 0, 0, 1120, 0, 0, 0};
  EXPECT_EQ(Seq({Push(mouse), Aim()}), "|@799,0");
  DisablePolledInput();
  SetPointerFrame({});
  SetSystemDriver(nullptr);
}
