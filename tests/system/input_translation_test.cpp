// SDL events in, game events out: key codes by the virtual-key table, sides
// of the modifier keys, the modifier mask, repeat, characters, mouse buttons
// with capture, move data, wheel, focus and the close request. No display.
#include <gtest/gtest.h>

#include "input_fake_driver.h"
#include "system/sdl/sdl_system_driver_private.h"

namespace {
constexpr uint32_t kWindow = 7;

class Translation : public ::testing::Test {
 protected:
  void SetUp() override {
    tr.window_size = [](uint32_t id, int& w, int& h) {
      if (id != kWindow) return false;
      w = 800;
      h = 600;
      return true;
    };
  }

  static SDL_Event Key(uint32_t type, SDL_Scancode sc, SDL_Keycode sym, uint16_t mod = 0,
                       bool repeat = false) {
    SDL_Event e{};
    e.type = type;
    e.key.windowID = kWindow;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.scancode = sc;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    return e;
  }
  static SDL_Event Button(uint32_t type, uint8_t button, int x, int y) {
    SDL_Event e{};
    e.type = type;
    e.button.windowID = kWindow;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    return e;
  }
  static SDL_Event Motion(int x, int y, uint32_t state = 0, uint32_t window = kWindow) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = window;
    e.motion.x = x;
    e.motion.y = y;
    e.motion.state = state;
    return e;
  }
  static SDL_Event Window(uint8_t what, uint32_t window = kWindow) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = window;
    e.window.event = what;
    return e;
  }

  // "KeyDown 65 m0 (0,0)" for each event of one translation.
  std::vector<std::string> Run(const SDL_Event& e) {
    last = tr.Translate(e);
    std::vector<std::string> out;
    for (const auto& ev : last.events) {
      out.push_back(EventIdName(ev->id) + " " + std::to_string(ev->data) + " m" +
                    std::to_string(ev->mods) + " (" + std::to_string(ev->x) + "," +
                    std::to_string(ev->y) + ")");
    }
    return out;
  }
  int KeyCode(SDL_Scancode sc, SDL_Keycode sym = SDLK_UNKNOWN, uint16_t mod = 0) {
    auto out = tr.Translate(Key(SDL_KEYDOWN, sc, sym, mod));
    return out.events.empty() ? 0 : out.events[0]->data;
  }

  TSDLEventTranslator tr;
  TSDLTranslation last;
};
using V = std::vector<std::string>;
}  // namespace

TEST_F(Translation, LettersDigitsAndCommonKeysUseVirtualKeyCodes) {
  EXPECT_EQ(Run(Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a)), V{"KeyDown 65 m0 (0,0)"});
  EXPECT_EQ(KeyCode(SDL_SCANCODE_W, SDLK_w), 87);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_S, SDLK_s), 83);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_D, SDLK_d), 68);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_Z, SDLK_z), 90);
  // A French layout: the letters follow it, but the walking keys keep their
  // places (Z walks up, W and A in the Z and Q places do not walk).
  EXPECT_EQ(KeyCode(SDL_SCANCODE_Q, SDLK_a), 81);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_W, SDLK_z), 87);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_Z, SDLK_w), 90);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_A, SDLK_q), 65);
  // A non-Latin layout falls back to the key's position.
  EXPECT_EQ(KeyCode(SDL_SCANCODE_Q, 0x439), 81);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_1, SDLK_1), 49);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_0, SDLK_0), 48);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_SPACE, SDLK_SPACE), 32);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_TAB), 9);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_DELETE), 46);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_INSERT), 45);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_HOME), 36);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_END), 35);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_PAGEUP), 33);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_PAGEDOWN), 34);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_LEFT), 37);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_UP), 38);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_RIGHT), 39);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_DOWN), 40);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_F1), 112);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_F12), 123);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_CAPSLOCK), 20);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_PAUSE), 19);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_SEMICOLON), 186);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_EQUALS), 187);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_COMMA), 188);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_MINUS), 189);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_PERIOD), 190);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_SLASH), 191);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_GRAVE), 192);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_LEFTBRACKET), 219);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_BACKSLASH), 220);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_RIGHTBRACKET), 221);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_APOSTROPHE), 222);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_LGUI), 91);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_RGUI), 92);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_APPLICATION), 93);
}

TEST_F(Translation, KeypadFollowsNumLock) {
  EXPECT_EQ(KeyCode(SDL_SCANCODE_KP_7, SDLK_KP_7, KMOD_NUM), 103);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_KP_0, SDLK_KP_0, KMOD_NUM), 96);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, KMOD_NUM), 110);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_KP_8, SDLK_KP_8, 0), 38);  // up arrow
  EXPECT_EQ(KeyCode(SDL_SCANCODE_KP_5, SDLK_KP_5, 0), 12);  // clear
  EXPECT_EQ(KeyCode(SDL_SCANCODE_KP_0, SDLK_KP_0, 0), 45);  // insert
  EXPECT_EQ(KeyCode(SDL_SCANCODE_KP_ENTER), 13);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_KP_PLUS), 107);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_KP_DIVIDE), 111);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_NUMLOCKCLEAR), 144);
}

TEST_F(Translation, ModifierKeysBySideWithTheNewMask) {
  EXPECT_EQ(Run(Key(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT)),
            V{"KeyDown 160 m1 (0,0)"});
  EXPECT_EQ(Run(Key(SDL_KEYDOWN, SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_LSHIFT | KMOD_RCTRL)),
            V{"KeyDown 163 m3 (0,0)"});
  // Keys pressed meanwhile carry the mask.
  EXPECT_EQ(Run(Key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_LSHIFT | KMOD_RCTRL)),
            V{"KeyDown 65 m3 (0,0)"});
  EXPECT_EQ(Run(Key(SDL_KEYUP, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_RCTRL)), V{"KeyUp 160 m2 (0,0)"});
  EXPECT_EQ(Run(Key(SDL_KEYUP, SDL_SCANCODE_RCTRL, SDLK_RCTRL, 0)), V{"KeyUp 163 m0 (0,0)"});
  EXPECT_EQ(KeyCode(SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, KMOD_RSHIFT), 161);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL), 162);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT), 164);
  EXPECT_EQ(tr.mods, MODIFIER_OPTION);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_RALT, SDLK_RALT, KMOD_RALT), 165);
  EXPECT_EQ(KeyCode(SDL_SCANCODE_LGUI, SDLK_LGUI, KMOD_LGUI), 91);
  EXPECT_EQ(tr.mods, MODIFIER_SYSTEM);
  // Mouse events carry the mask too.
  EXPECT_EQ(Run(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 2)), V{"MouseDown 1 m8 (1,2)"});
}

TEST_F(Translation, RepeatKeyUpAndControlCharacters) {
  EXPECT_EQ(Run(Key(SDL_KEYDOWN, SDL_SCANCODE_W, SDLK_w, 0, true)), V{"KeyRepeat 87 m0 (0,0)"});
  EXPECT_EQ(Run(Key(SDL_KEYUP, SDL_SCANCODE_W, SDLK_w)), V{"KeyUp 87 m0 (0,0)"});
  EXPECT_EQ(Run(Key(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE)),
            (V{"KeyDown 27 m0 (0,0)", "KeyChar 27 m0 (0,0)"}));
  EXPECT_EQ(Run(Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN)),
            (V{"KeyDown 13 m0 (0,0)", "KeyChar 13 m0 (0,0)"}));
  EXPECT_EQ(Run(Key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, 0, true)),
            (V{"KeyRepeat 8 m0 (0,0)", "KeyChar 8 m0 (0,0)"}));
  EXPECT_EQ(Run(Key(SDL_KEYUP, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE)), V{"KeyUp 27 m0 (0,0)"});
  // A key goes up as it went down, though the layout or Num Lock changed.
  EXPECT_EQ(Run(Key(SDL_KEYDOWN, SDL_SCANCODE_Y, SDLK_y)), V{"KeyDown 89 m0 (0,0)"});
  EXPECT_EQ(Run(Key(SDL_KEYUP, SDL_SCANCODE_Y, SDLK_z)), V{"KeyUp 89 m0 (0,0)"});
  EXPECT_EQ(Run(Key(SDL_KEYDOWN, SDL_SCANCODE_KP_8, SDLK_KP_8, KMOD_NUM)), V{"KeyDown 104 m0 (0,0)"});
  EXPECT_EQ(Run(Key(SDL_KEYUP, SDL_SCANCODE_KP_8, SDLK_KP_8)), V{"KeyUp 104 m0 (0,0)"});
  EXPECT_EQ(Run(Key(SDL_KEYUP, SDL_SCANCODE_KP_8, SDLK_KP_8)), V{"KeyUp 38 m0 (0,0)"});
  // A key without a virtual-key code produces nothing.
  EXPECT_EQ(Run(Key(SDL_KEYDOWN, SDL_SCANCODE_INTERNATIONAL3, SDLK_UNKNOWN)), V{});
}

TEST_F(Translation, TextInputBecomesCharactersInUtf16) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  e.text.windowID = kWindow;
  std::snprintf(e.text.text, sizeof e.text.text, "%s", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(Run(e), (V{"KeyChar 97 m0 (0,0)", "KeyChar 233 m0 (0,0)", "KeyChar 8364 m0 (0,0)",
                       "KeyChar 55357 m0 (0,0)", "KeyChar 56832 m0 (0,0)"}));
  // A stray continuation byte and a truncated sequence are skipped.
  std::snprintf(e.text.text, sizeof e.text.text, "%s", "\x80z\xE2\x82");
  EXPECT_EQ(Run(e), V{"KeyChar 122 m0 (0,0)"});
}

TEST_F(Translation, MouseButtonsCaptureWhileAnyIsHeld) {
  EXPECT_EQ(Run(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20)), V{"MouseDown 1 m0 (10,20)"});
  EXPECT_EQ(last.capture, 1);
  EXPECT_EQ(Run(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 11, 21)), V{"MouseDown 2 m0 (11,21)"});
  EXPECT_EQ(Run(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, -5, 700)), V{"MouseUp 1 m0 (-5,700)"});
  EXPECT_EQ(last.capture, -1);  // the right button still holds the capture
  EXPECT_EQ(Run(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 0, 0)), V{"MouseUp 2 m0 (0,0)"});
  EXPECT_EQ(last.capture, 0);
  EXPECT_EQ(Run(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 3, 4)), V{"MouseDown 3 m0 (3,4)"});
  EXPECT_EQ(Run(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 3, 4)), V{});
}

TEST_F(Translation, MoveDataPrefersRightThenMiddleThenLeft) {
  tr.tracked_window = kWindow;
  EXPECT_EQ(Run(Motion(5, 6)), V{"MouseMove 0 m0 (5,6)"});
  EXPECT_EQ(Run(Motion(5, 6, SDL_BUTTON_LMASK)), V{"MouseMove 1 m0 (5,6)"});
  EXPECT_EQ(Run(Motion(5, 6, SDL_BUTTON_LMASK | SDL_BUTTON_MMASK)), V{"MouseMove 4 m0 (5,6)"});
  EXPECT_EQ(Run(Motion(5, 6, SDL_BUTTON_MMASK | SDL_BUTTON_RMASK)), V{"MouseMove 2 m0 (5,6)"});
  EXPECT_EQ(Run(Motion(5, 6, SDL_BUTTON_LMASK | SDL_BUTTON_RMASK)), V{"MouseMove 2 m0 (5,6)"});
}

TEST_F(Translation, EnterAndLeaveFollowTheClientArea) {
  EXPECT_EQ(Run(Motion(0, 0)), (V{"MouseMove 0 m0 (0,0)", "MouseEnter 0 m0 (0,0)"}));
  EXPECT_EQ(Run(Motion(799, 599)), V{"MouseMove 0 m0 (799,599)"});
  // Captured moves outside the window: negative and beyond the size.
  EXPECT_EQ(Run(Motion(-12, 40, SDL_BUTTON_LMASK)),
            (V{"MouseMove 1 m0 (-12,40)", "MouseLeave 0 m0 (-12,40)"}));
  EXPECT_EQ(Run(Motion(800, 600, SDL_BUTTON_LMASK)), V{"MouseMove 1 m0 (800,600)"});
  EXPECT_EQ(Run(Motion(400, 300)), (V{"MouseMove 0 m0 (400,300)", "MouseEnter 0 m0 (400,300)"}));
  // The system's leave notice ends tracking silently; the next move enters again.
  EXPECT_EQ(Run(Window(SDL_WINDOWEVENT_LEAVE)), V{});
  EXPECT_EQ(tr.tracked_window, 0u);
  EXPECT_EQ(Run(Motion(401, 300)), (V{"MouseMove 0 m0 (401,300)", "MouseEnter 0 m0 (401,300)"}));
}

TEST_F(Translation, WheelNotchesAndPosition) {
  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.windowID = kWindow;
  e.wheel.y = 2;
  e.wheel.mouseX = 30;
  e.wheel.mouseY = 40;
  EXPECT_EQ(Run(e), V{"MouseWheel 2 m0 (30,40)"});
  e.wheel.y = -1;
  EXPECT_EQ(Run(e), V{"MouseWheel -1 m0 (30,40)"});
  e.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
  EXPECT_EQ(Run(e), V{"MouseWheel 1 m0 (30,40)"});
  e.wheel.y = 0;  // sideways scrolling only
  EXPECT_EQ(Run(e), V{});
}

TEST_F(Translation, FocusAndCloseRequestOfOurWindowsOnly) {
  EXPECT_EQ(Run(Window(SDL_WINDOWEVENT_CLOSE)), V{"AppTerminate 0 m0 (0,0)"});
  EXPECT_EQ(Run(Window(SDL_WINDOWEVENT_FOCUS_LOST)), V{"AppSuspend 0 m0 (0,0)"});
  EXPECT_EQ(Run(Window(SDL_WINDOWEVENT_FOCUS_GAINED)), V{"AppResume 0 m0 (0,0)"});
  EXPECT_EQ(Run(Window(SDL_WINDOWEVENT_MOVED)), V{});
  EXPECT_EQ(Run(Window(SDL_WINDOWEVENT_CLOSE, 99)), V{});
  SDL_Event quit{};
  quit.type = SDL_QUIT;  // follows the close request; it is not a second one
  EXPECT_EQ(Run(quit), V{});
  // A file dropped on the window: its path, and SDL's copy freed (the leak
  // checker of the sanitized build sees to that).
  SDL_Event drop{};
  drop.type = SDL_DROPFILE;
  drop.drop.file = SDL_strdup("/home/p/my run.gfreplay");
  EXPECT_EQ(Run(drop), V{"AppOpenFile 0 m0 (0,0)"});
  EXPECT_EQ(last.events.at(0)->extra->ToString(), "/home/p/my run.gfreplay");
}

// The whole path: SDL events through the translation and the emit chain into
// the polled-input state.
TEST_F(PolledInputTest, LeftShiftHeldReadsAs160AndNever16) {
  TSDLEventTranslator tr;
  tr.window_size = [](uint32_t, int& w, int& h) {
    w = 800;
    h = 600;
    return true;
  };
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.scancode = SDL_SCANCODE_LSHIFT;
  e.key.keysym.sym = SDLK_LSHIFT;
  e.key.keysym.mod = KMOD_LSHIFT;
  for (auto& ev : tr.Translate(e).events) fake->pending.push_back(ev);
  EXPECT_EQ(KeyDown(160), 1);
  EXPECT_EQ(KeyDown(16), 0);
  EXPECT_EQ(KeyDown(161), 0);
}

// Full screen: 1280 x 720 shows the 800 x 600 frame at 1.2 from x = 160.
// The pointer reaches the game in frame pixels, clamped over the bands; F11
// and Alt+Enter switch instead of reaching the game, once per press.
TEST_F(Translation, FullScreenMapsThePointerAndTakesItsKeys) {
  using V = std::vector<std::string>;
  tr.window_size = [](uint32_t, int& w, int& h) { return w = 1280, h = 720, true; };
  tr.tracked_window = kWindow;
  SetPointerFrame({160, 0, 960, 720, 800, 600});
  SetFullScreenToggle(+[] {});
  EXPECT_EQ(Run(Motion(160 + 6 * 89, 5 * 101)), V{"MouseMove 0 m0 (445,420)"});
  EXPECT_EQ(Run(Motion(1119, 719)), V{"MouseMove 0 m0 (799,599)"});
  EXPECT_EQ(Run(Motion(161, 1)), V{"MouseMove 0 m0 (0,0)"});
  EXPECT_EQ(Run(Motion(40, 300)), V{"MouseMove 0 m0 (0,250)"}) << "over the left band";
  EXPECT_EQ(Run(Motion(1250, -7)), (V{"MouseMove 0 m0 (799,0)", "MouseLeave 0 m0 (799,0)"}));
  EXPECT_EQ(Run(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1000, 333)), V{"MouseDown 1 m0 (700,277)"});
  EXPECT_EQ(Run(Key(SDL_KEYDOWN, SDL_SCANCODE_F11, SDLK_F11)), V{});
  EXPECT_TRUE(last.toggle_fullscreen);
  EXPECT_EQ(Run(Key(SDL_KEYDOWN, SDL_SCANCODE_F11, SDLK_F11, 0, true)), V{});
  EXPECT_FALSE(last.toggle_fullscreen) << "a held key toggles once";
  EXPECT_EQ(Run(Key(SDL_KEYUP, SDL_SCANCODE_F11, SDLK_F11)), V{});
  EXPECT_EQ(Run(Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT)), V{});
  EXPECT_TRUE(last.toggle_fullscreen);
  EXPECT_EQ(Run(Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN)), (V{"KeyDown 13 m0 (0,0)", "KeyChar 13 m0 (0,0)"}));
  SetPointerFrame({});
  SetFullScreenToggle(nullptr);
  EXPECT_EQ(Run(Motion(1119, 719)), (V{"MouseMove 0 m0 (1119,719)", "MouseEnter 0 m0 (1119,719)"}));
  EXPECT_EQ(Run(Key(SDL_KEYDOWN, SDL_SCANCODE_F11, SDLK_F11)), V{"KeyDown 122 m0 (0,0)"});
}
