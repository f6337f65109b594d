// SDL's virtual gamepads on SDL's own event pump, playing game frames.
#include <SDL.h>

#include "game/game_loop.h"
#include "game/player.h"
#include "game/title.h"
#include "game_test_support.h"
#include "graphics/recording/recording_canvas_driver.h"
#include "system/input.h"
#include "system/random.h"
#include "system/sdl/sdl_system_driver_private.h"
#include "system/system_driver.h"

using namespace game_test;
namespace {
enum : int { kA, kB, kBack = 4, kStart = 6, kRB = 10, kUp, kRT = 105 };  // buttons, then axes + 100
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
std::string Set(SDL_Joystick* pad, int control, int value = 1) {
  control < 100 ? SDL_JoystickSetVirtualButton(pad, control, static_cast<Uint8>(value))
                : SDL_JoystickSetVirtualAxis(pad, control - 100, static_cast<Sint16>(value));
  return Held();
}
void Lean(SDL_Joystick* pad, double travel, double left, double right) {  // both sticks at once, in degrees
  for (auto [axis, degrees] : {std::pair{0, left}, {2, right}}) {
    SDL_JoystickSetVirtualAxis(pad, axis, static_cast<Sint16>(32767 * travel * CosDeg(degrees)));
    SDL_JoystickSetVirtualAxis(pad, axis + 1, static_cast<Sint16>(32767 * travel * SinDeg(degrees)));
  }
}
SDL_Joystick* Plug() {  // 6 axes, 21 buttons; the only joysticks are ours, so the first is at index 0
  auto* pad = SDL_JoystickOpen(SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 21, 0));
  Set(pad, kRT, -32768);  // a trigger at rest
  return pad;
}
std::string KeyW(uint32_t type) {  // the keyboard's W going down or up
  SDL_Event e{type};
  e.key.keysym.scancode = SDL_SCANCODE_W;
  return SDL_PushEvent(&e), Held();
}
}  // namespace
using Gamepad = GameTest;
TEST_F(Gamepad, StartsWalksAimsFiresAndLeavesAlongsideKeyboardAndMouse) {
  SetSystemDriver(CreateSDLSystemDriver());
  auto rec = std::make_shared<TRecordingCanvasDriver>();
  SetGraphicsDriver(rec);
  ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
  imgAim = Picture(9, 9);
  auto frame = [&] { return rec->Clear(), GameFrame(), rec->Calls("Image").back(); };  // its cross-hair
  SDL_Joystick* pad = Plug();
  EXPECT_EQ(Seq({Set(pad, kStart), Set(pad, kB), Set(pad, kBack)}), " | | E");  // B never quits the title
  EXPECT_EQ(Seq({Set(pad, kStart, 0), Set(pad, kB, 0), Set(pad, kBack, 0)}), "E|E|");
  BeginGame();
  auto player = All<TPlayer>(playerList).front();
  // Eight ways 20 degrees off each key's direction, aiming obliquely; a lean
  // inside the dead zone (nothing moves, the aim stays); the D-pad.
  const char* want[10] = {"D", "SD", "S", "AS", "A", "WA", "W", "WD", "", "W"};
  for (int k = 0; k < 10; ++k) {
    Lean(pad, k < 8 ? 0.9 : 0.24, 45 * k + 20, 37 + 71 * k);
    Set(pad, kUp, k == 9);
    const auto crosshair = frame();
    const int aim = (37 + 71 * (k < 8 ? k : 7)) % 360;
    EXPECT_EQ(Held(), want[k]) << k;
    EXPECT_NEAR(player->shootangle, aim, 1) << k;
    EXPECT_NEAR(crosshair.tx, playerX + 150 * CosDeg(aim), 0.5) << k;
    EXPECT_NEAR(crosshair.ty, playerY + 150 * SinDeg(aim), 0.5) << k;
  }
  // W stays held while the pad or the keyboard holds it. The mouse takes the
  // aim back once it moves. Trigger, right shoulder and A fire; B leaves a game.
  EXPECT_EQ(Seq({KeyW(SDL_KEYDOWN), KeyW(SDL_KEYUP), KeyW(SDL_KEYDOWN), Set(pad, kUp, 0), KeyW(SDL_KEYUP)}), "W|W|W|W|");
  MoveMouseTo(123, 294);  // level with the player, on its left
  EXPECT_EQ(Set(pad, kRT, 32767), "F");
  EXPECT_EQ(frame().tx, 123.0f);
  EXPECT_EQ(std::pair(player->shootangle, bulletList->Count()), std::pair(180, 1));
  EXPECT_EQ(Seq({Set(pad, kRT, -32768), Set(pad, kRB), Set(pad, kRB, 0), Set(pad, kA), Set(pad, kA, 0), Set(pad, kB)}),
            "|F||F||E");
  // A second pad waits. Unplugging the first mid-game releases all it held
  // and hands the aim back to the mouse; then the second drives.
  SDL_Joystick* second = Plug();
  Lean(pad, 0.9, 45, 90);
  EXPECT_EQ(Seq({Set(second, kStart), Set(second, kStart, 0), Set(pad, kRT, 32767)}), "SDE|SDE|SDEF");
  SDL_JoystickDetachVirtual(0);
  EXPECT_EQ(frame().tx, 123.0f);
  EXPECT_EQ(Seq({Held(), Set(second, kStart)}), "| ");
  SDL_JoystickDetachVirtual(0), SDL_JoystickClose(pad), SDL_JoystickClose(second);
  EndGraphics(), imgAim.reset();
}
