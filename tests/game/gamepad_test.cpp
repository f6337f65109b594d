// SDL's virtual gamepads on the real SDL event pump, playing game frames:
// Start and Back on the title, walking eight ways and aiming while walking,
// firing, the keyboard and mouse alongside, unplugging mid-game, a second pad.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "game/bullet.h"
#include "game/game_loop.h"
#include "game/player.h"
#include "game/title.h"
#include "game_test_support.h"
#include "graphics/graphics.h"
#include "graphics/image.h"
#include "graphics/recording_canvas_driver.h"
#include "system/input.h"
#include "system/system_driver.h"

using namespace game_test;

class Gamepad : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    SetSystemDriver(CreateSDLSystemDriver());
    SetGraphicsDriver(rec);
    ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
    imgAim = Picture(9, 9);
  }
  void TearDown() override {
    EndGraphics();
    imgAim.reset();
    GameTest::TearDown();
  }
  static SDL_Joystick* Plug() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    SDL_Joystick* pad = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);  // released
    PollSystem();
    return pad;
  }
  static void Unplug(SDL_Joystick* pad) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(i) == SDL_JoystickInstanceID(pad)) SDL_JoystickDetachVirtual(i);
    }
    SDL_JoystickClose(pad);
  }
  // A stick leaning `travel` of the way along `degrees`.
  static void Lean(SDL_Joystick* pad, int x_axis, double degrees, double travel = 0.9) {
    const double rad = degrees * std::numbers::pi / 180;
    SDL_JoystickSetVirtualAxis(pad, x_axis, static_cast<Sint16>(32767 * travel * std::cos(rad)));
    SDL_JoystickSetVirtualAxis(pad, x_axis + 1, static_cast<Sint16>(32767 * travel * std::sin(rad)));
  }
  // The keyboard's W, the left mouse button, or the mouse moving to (x, y).
  static void Push(uint32_t type, int x = 0, int y = 0) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_KEYDOWN || type == SDL_KEYUP) e.key.keysym.scancode = SDL_SCANCODE_W;
    if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP) e.button.button = SDL_BUTTON_LEFT;
    if (type == SDL_MOUSEMOTION) e.motion.x = x, e.motion.y = y;
    SDL_PushEvent(&e);
  }
  void Frame() {
    rec->Clear();
    GameFrame();
  }
  int Keys() { return KeyDown(KEY_W) | KeyDown(KEY_A) << 1 | KeyDown(KEY_S) << 2 | KeyDown(KEY_D) << 3; }
  TRecordedCall Crosshair() {
    for (const auto& call : rec->Calls("Image")) {
      if (call.pixmap == imgAim->pixmaps[0]) return call;
    }
    return {};
  }
  std::shared_ptr<TRecordingCanvasDriver> rec = std::make_shared<TRecordingCanvasDriver>();
};

TEST_F(Gamepad, StartsWalksAimsFiresAndLeavesAGameAlongsideKeyboardAndMouse) {
  SDL_Joystick* pad = Plug();
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_START, 1);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_B, 1);
  EXPECT_EQ(KeyHit(KEY_SPACE), 1);
  EXPECT_EQ(KeyDown(KEY_ESCAPE), 0);  // B never quits from the title
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_BACK, 1);
  EXPECT_EQ(KeyDown(KEY_ESCAPE), 1);  // Back held on the title quits
  for (int b : {SDL_CONTROLLER_BUTTON_START, SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_BACK}) {
    SDL_JoystickSetVirtualButton(pad, b, 0);
  }
  EXPECT_EQ(KeyDown(KEY_SPACE) + KeyDown(KEY_ESCAPE), 0);

  BeginGame();
  auto player = All<TPlayer>(playerList).front();
  // Eight ways, 20 degrees off each key's direction, aiming obliquely; the
  // D-pad adds to the stick, and a lean inside the dead zone does nothing.
  const int want[8] = {0b1000, 0b1100, 0b0100, 0b0110, 0b0010, 0b0011, 0b0001, 0b1001};
  for (int k = 0; k < 10; ++k) {
    const float x = player->x, y = player->y;
    const double aim = 37 + 71 * k;
    Lean(pad, SDL_CONTROLLER_AXIS_LEFTX, 45 * k + 20, k < 8 ? 0.9 : 0.24);
    Lean(pad, SDL_CONTROLLER_AXIS_RIGHTX, aim, k < 8 ? 0.9 : 0.24);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_UP, k == 9);
    Frame();
    const int keys = k < 8 ? want[k] : k == 9 ? 1 : 0;
    EXPECT_EQ(Keys(), keys) << k;
    EXPECT_FLOAT_EQ(player->x - x, 6.0f * ((keys >> 3 & 1) - (keys >> 1 & 1))) << k;
    EXPECT_FLOAT_EQ(player->y - y, 6.0f * ((keys >> 2 & 1) - (keys & 1))) << k;
    const double kept = k < 8 ? aim : 37 + 71 * 7;  // inside the dead zone the last aim stays
    EXPECT_NEAR(player->shootangle, std::fmod(kept, 360), 1) << k;
    EXPECT_NEAR(Crosshair().tx, playerX + 150 * std::cos(kept * std::numbers::pi / 180), 0.5) << k;
    EXPECT_NEAR(Crosshair().ty, playerY + 150 * std::sin(kept * std::numbers::pi / 180), 0.5) << k;
  }
  // The mouse takes the aim back as soon as it moves; the pad's W and the
  // keyboard's W hold together; trigger, right shoulder and A fire, as the
  // mouse's left button does, and releasing one keeps the other's hold.
  Push(SDL_MOUSEMOTION, 123, 294);  // level with the player, on its left
  Push(SDL_KEYDOWN);
  Push(SDL_MOUSEBUTTONDOWN);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  Frame();
  EXPECT_EQ(Crosshair().tx, 123.0f);
  EXPECT_EQ(player->shootangle, 180);
  EXPECT_EQ(bulletList->Count(), 1);
  Push(SDL_KEYUP);
  Push(SDL_MOUSEBUTTONUP);
  EXPECT_EQ(KeyDown(KEY_W) + MouseDown(1), 2);
  Push(SDL_KEYDOWN);
  Push(SDL_MOUSEBUTTONDOWN);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_UP, 0);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  EXPECT_EQ(KeyDown(KEY_W) + MouseDown(1), 2);
  Push(SDL_KEYUP);
  Push(SDL_MOUSEBUTTONUP);
  EXPECT_EQ(KeyDown(KEY_W) + MouseDown(1), 0);
  for (int b : {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, SDL_CONTROLLER_BUTTON_A}) {
    SDL_JoystickSetVirtualButton(pad, b, 1);
    EXPECT_EQ(MouseDown(1), 1);
    SDL_JoystickSetVirtualButton(pad, b, 0);
    EXPECT_EQ(MouseDown(1), 0);
  }
  // B leaves a game.
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_B, 1);
  EXPECT_EQ(KeyDown(KEY_ESCAPE), 1);

  // A second pad waits. Unplugging the first mid-game releases all it held
  // and hands the aim back to the mouse; then the second drives.
  SDL_Joystick* second = Plug();
  SDL_JoystickSetVirtualButton(second, SDL_CONTROLLER_BUTTON_START, 1);
  Lean(pad, SDL_CONTROLLER_AXIS_LEFTX, 45);
  Lean(pad, SDL_CONTROLLER_AXIS_RIGHTX, 90);
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  Frame();
  EXPECT_EQ(Keys(), 0b1100);
  EXPECT_EQ(KeyDown(KEY_ESCAPE) + MouseDown(1) + KeyDown(KEY_SPACE), 2);
  SDL_JoystickSetVirtualButton(second, SDL_CONTROLLER_BUTTON_START, 0);
  Unplug(pad);
  Frame();
  EXPECT_EQ(Keys() + KeyDown(KEY_ESCAPE) + MouseDown(1), 0);
  EXPECT_EQ(Crosshair().tx, 123.0f);
  SDL_JoystickSetVirtualButton(second, SDL_CONTROLLER_BUTTON_START, 1);
  EXPECT_EQ(KeyHit(KEY_SPACE), 1);
  Unplug(second);
}
