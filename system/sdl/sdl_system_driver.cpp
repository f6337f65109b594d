// The system driver over SDL: the event pump, the translation of SDL events
// into the game's events (key codes in the Windows virtual-key convention the
// game's tables use), mouse capture, the cursor and message boxes. Gamepads
// are in sdl_gamepad.cpp, touch in sdl_touch.cpp.
#include "system/sdl/sdl_system_driver_private.h"

#include <cstdio>
#include <utility>

#include "system/timer.h"

namespace {
bool IsModifierKey(SDL_Scancode sc) {
  return sc == SDL_SCANCODE_LSHIFT || sc == SDL_SCANCODE_RSHIFT || sc == SDL_SCANCODE_LCTRL ||
         sc == SDL_SCANCODE_RCTRL || sc == SDL_SCANCODE_LALT || sc == SDL_SCANCODE_RALT ||
         sc == SDL_SCANCODE_LGUI || sc == SDL_SCANCODE_RGUI || sc == SDL_SCANCODE_MODE;
}

// Keys outside the letters and digits, by physical position (US layout names).
int VirtualKeyFromScancode(SDL_Scancode sc, bool num_lock) {
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return 112 + (sc - SDL_SCANCODE_F1);
  if (sc >= SDL_SCANCODE_F13 && sc <= SDL_SCANCODE_F24) return 124 + (sc - SDL_SCANCODE_F13);
  if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) {
    int digit = 1 + (sc - SDL_SCANCODE_KP_1);
    if (num_lock) return 96 + digit;
    // With Num Lock off the keypad is a second set of navigation keys.
    static const int kNav[10] = {45, 35, 40, 34, 37, 12, 39, 36, 38, 33};
    return kNav[digit];
  }
  switch (sc) {
    case SDL_SCANCODE_BACKSPACE: return 8;
    case SDL_SCANCODE_TAB: return 9;
    case SDL_SCANCODE_CLEAR: return 12;
    case SDL_SCANCODE_RETURN: return 13;
    case SDL_SCANCODE_KP_ENTER: return 13;
    case SDL_SCANCODE_PAUSE: return 19;
    case SDL_SCANCODE_CAPSLOCK: return 20;
    case SDL_SCANCODE_ESCAPE: return 27;
    case SDL_SCANCODE_SPACE: return 32;
    case SDL_SCANCODE_PAGEUP: return 33;
    case SDL_SCANCODE_PAGEDOWN: return 34;
    case SDL_SCANCODE_END: return 35;
    case SDL_SCANCODE_HOME: return 36;
    case SDL_SCANCODE_LEFT: return 37;
    case SDL_SCANCODE_UP: return 38;
    case SDL_SCANCODE_RIGHT: return 39;
    case SDL_SCANCODE_DOWN: return 40;
    case SDL_SCANCODE_PRINTSCREEN: return 44;
    case SDL_SCANCODE_INSERT: return 45;
    case SDL_SCANCODE_DELETE: return 46;
    case SDL_SCANCODE_LGUI: return 91;
    case SDL_SCANCODE_RGUI: return 92;
    case SDL_SCANCODE_APPLICATION: return 93;
    case SDL_SCANCODE_SLEEP: return 95;
    case SDL_SCANCODE_KP_0: return num_lock ? 96 : 45;
    case SDL_SCANCODE_KP_MULTIPLY: return 106;
    case SDL_SCANCODE_KP_PLUS: return 107;
    case SDL_SCANCODE_KP_COMMA: return 108;
    case SDL_SCANCODE_KP_MINUS: return 109;
    case SDL_SCANCODE_KP_PERIOD: return num_lock ? 110 : 46;
    case SDL_SCANCODE_KP_DIVIDE: return 111;
    case SDL_SCANCODE_NUMLOCKCLEAR: return 144;
    case SDL_SCANCODE_SCROLLLOCK: return 145;
    case SDL_SCANCODE_LSHIFT: return 160;
    case SDL_SCANCODE_RSHIFT: return 161;
    case SDL_SCANCODE_LCTRL: return 162;
    case SDL_SCANCODE_RCTRL: return 163;
    case SDL_SCANCODE_LALT: return 164;
    case SDL_SCANCODE_RALT: return 165;
    case SDL_SCANCODE_MODE: return 165;  // AltGr on some X servers
    case SDL_SCANCODE_AC_BACK: return 166;
    case SDL_SCANCODE_AC_FORWARD: return 167;
    case SDL_SCANCODE_AC_REFRESH: return 168;
    case SDL_SCANCODE_AC_STOP: return 169;
    case SDL_SCANCODE_AC_SEARCH: return 170;
    case SDL_SCANCODE_AC_BOOKMARKS: return 171;
    case SDL_SCANCODE_AC_HOME: return 172;
    case SDL_SCANCODE_MUTE:
    case SDL_SCANCODE_AUDIOMUTE: return 173;
    case SDL_SCANCODE_VOLUMEDOWN: return 174;
    case SDL_SCANCODE_VOLUMEUP: return 175;
    case SDL_SCANCODE_AUDIONEXT: return 176;
    case SDL_SCANCODE_AUDIOPREV: return 177;
    case SDL_SCANCODE_AUDIOSTOP: return 178;
    case SDL_SCANCODE_AUDIOPLAY: return 179;
    case SDL_SCANCODE_MAIL: return 180;
    case SDL_SCANCODE_MEDIASELECT: return 181;
    case SDL_SCANCODE_COMPUTER: return 182;
    case SDL_SCANCODE_CALCULATOR: return 183;
    case SDL_SCANCODE_SEMICOLON: return 186;
    case SDL_SCANCODE_EQUALS: return 187;
    case SDL_SCANCODE_COMMA: return 188;
    case SDL_SCANCODE_MINUS: return 189;
    case SDL_SCANCODE_PERIOD: return 190;
    case SDL_SCANCODE_SLASH: return 191;
    case SDL_SCANCODE_GRAVE: return 192;
    case SDL_SCANCODE_LEFTBRACKET: return 219;
    case SDL_SCANCODE_BACKSLASH: return 220;
    case SDL_SCANCODE_NONUSHASH: return 220;
    case SDL_SCANCODE_RIGHTBRACKET: return 221;
    case SDL_SCANCODE_APOSTROPHE: return 222;
    case SDL_SCANCODE_NONUSBACKSLASH: return 226;
    default: return 0;
  }
}

// The character a key press types on its own, as the window system would
// send it: Backspace, Tab, Enter and Escape type control characters, which
// SDL's text input leaves out.
int ControlCharacter(int vk) {
  switch (vk) {
    case 8: case 9: case 13: case 27: return vk;
    default: return 0;
  }
}

// Appends the UTF-16 code units of a UTF-8 string (what a character message
// carries); malformed bytes are skipped.
void Utf8ToUtf16(const char* text, std::vector<int>& out) {
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  while (*s) {
    uint32_t cp;
    int extra;
    if (*s < 0x80) {
      cp = *s;
      extra = 0;
    } else if ((*s & 0xE0) == 0xC0) {
      cp = *s & 0x1F;
      extra = 1;
    } else if ((*s & 0xF0) == 0xE0) {
      cp = *s & 0x0F;
      extra = 2;
    } else if ((*s & 0xF8) == 0xF0) {
      cp = *s & 0x07;
      extra = 3;
    } else {
      ++s;
      continue;
    }
    ++s;
    bool ok = true;
    for (int i = 0; i < extra; ++i) {
      if ((*s & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (*s & 0x3F);
      ++s;
    }
    if (!ok || cp > 0x10FFFF) continue;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<int>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<int>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<int>(cp));
    }
  }
}

// F11 and Alt+Enter switch full screen; they never reach the game while
// something switches it.
bool IsFullScreenKey(const SDL_Keysym& ks) {
  if (!GetFullScreenToggle()) return false;
  if (ks.scancode == SDL_SCANCODE_F11) return true;
  return (ks.scancode == SDL_SCANCODE_RETURN || ks.scancode == SDL_SCANCODE_KP_ENTER) &&
         (ks.mod & KMOD_ALT) != 0;
}

int ButtonFromSDL(uint8_t button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
  }
}
}  // namespace

int VirtualKeyFromSDL(SDL_Scancode scancode, SDL_Keycode sym, uint16_t sdl_mods) {
  // The walking keys go by place, so the block under the left hand walks on
  // any layout (Z Q S D on a French keyboard); the letters W A S D elsewhere
  // on the keyboard read as the key in their US place.
  const auto walks = [](int key) { return key == 'W' || key == 'A' || key == 'S' || key == 'D'; };
  const bool lettered = scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z;
  const int place = lettered ? 'A' + (scancode - SDL_SCANCODE_A) : 0;
  const int letter = sym >= 'a' && sym <= 'z' ? static_cast<int>(sym - 'a' + 'A') : 0;
  if (walks(place)) return place;
  if (letter && !walks(letter)) return letter;
  if (place) return place;
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
  if (scancode == SDL_SCANCODE_0) return '0';
  return VirtualKeyFromScancode(scancode, (sdl_mods & KMOD_NUM) != 0);
}

int ModifierMaskFromSDL(uint16_t sdl_mods) {
  int mask = 0;
  if (sdl_mods & KMOD_SHIFT) mask |= MODIFIER_SHIFT;
  if (sdl_mods & KMOD_CTRL) mask |= MODIFIER_CONTROL;
  if (sdl_mods & KMOD_ALT) mask |= MODIFIER_OPTION;
  if (sdl_mods & KMOD_GUI) mask |= MODIFIER_SYSTEM;
  return mask;
}

TSDLTranslation TSDLEventTranslator::Translate(const SDL_Event& e) {
  TSDLTranslation out;
  auto emit = [&](int id, int data, int x, int y) {
    out.events.push_back(TEvent::Create(id, nullptr, data, mods, x, y));
  };
  int width = 0, height = 0;
  auto ours = [&](uint32_t window_id) {
    return window_size && window_size(window_id, width, height);
  };

  switch (e.type) {
    case SDL_WINDOWEVENT:
      if (!ours(e.window.windowID)) break;
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: emit(EVENT_APPTERMINATE, 0, 0, 0); break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: emit(EVENT_APPRESUME, 0, 0, 0); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: emit(EVENT_APPSUSPEND, 0, 0, 0); break;
        case SDL_WINDOWEVENT_LEAVE:
          // The system's own leave notice ends tracking without an event.
          if (tracked_window == e.window.windowID) tracked_window = 0;
          break;
        default: break;
      }
      break;

    case SDL_DROPFILE:
      // A file dropped on the window: the game may open it.
      if (e.drop.file) {
        out.events.push_back(TEvent::Create(EVENT_APPOPENFILE, nullptr, 0, mods, 0, 0,
                                            std::make_shared<TStringObject>(e.drop.file)));
        SDL_free(e.drop.file);
      }
      break;

    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const SDL_Keysym& ks = e.key.keysym;
      // The mask is taken afresh when a modifier key changes, before the
      // event is made, so that event already carries the new mask.
      if (IsModifierKey(ks.scancode)) mods = ModifierMaskFromSDL(ks.mod);
      if (IsFullScreenKey(ks)) {
        out.toggle_fullscreen = e.type == SDL_KEYDOWN && !e.key.repeat;
        break;
      }
      int vk = VirtualKeyFromSDL(ks.scancode, ks.sym, ks.mod);
      // A key goes up as the code it went down as, whatever changed the
      // layout or Num Lock meanwhile, or it would stay held for good.
      if (ks.scancode >= 0 && ks.scancode < SDL_NUM_SCANCODES) {
        uint8_t& pressed = pressed_as[ks.scancode];
        if (e.type == SDL_KEYDOWN && vk >= 1 && vk <= 255) {
          pressed = static_cast<uint8_t>(vk);
        } else if (e.type == SDL_KEYUP && pressed) {
          vk = std::exchange(pressed, 0);
        }
      }
      if (vk < 1 || vk > 255) break;
      if (e.type == SDL_KEYUP) {
        emit(EVENT_KEYUP, vk, 0, 0);
      } else {
        emit(e.key.repeat ? EVENT_KEYREPEAT : EVENT_KEYDOWN, vk, 0, 0);
        if (int c = ControlCharacter(vk)) emit(EVENT_KEYCHAR, c, 0, 0);
      }
      break;
    }

    case SDL_TEXTINPUT: {
      std::vector<int> units;
      Utf8ToUtf16(e.text.text, units);
      for (int unit : units) emit(EVENT_KEYCHAR, unit, 0, 0);
      break;
    }

    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      if (e.button.which == SDL_TOUCH_MOUSEID) break;  // a finger; the touch sticks have it
      int button = ButtonFromSDL(e.button.button);
      if (button == 0) break;
      if (e.type == SDL_MOUSEBUTTONDOWN) {
        buttons_held |= 1 << button;
        out.capture = 1;  // keep getting the mouse outside the window while held
      } else {
        buttons_held &= ~(1 << button);
        if (buttons_held == 0) out.capture = 0;
      }
      int x = e.button.x, y = e.button.y;
      GetPointerFrame().Map(x, y);
      emit(e.type == SDL_MOUSEBUTTONDOWN ? EVENT_MOUSEDOWN : EVENT_MOUSEUP, button, x, y);
      break;
    }

    case SDL_MOUSEMOTION: {
      if (e.motion.which == SDL_TOUCH_MOUSEID) break;
      // Left 1, then middle 4, then right 2: the last held one wins.
      int data = 0;
      if (e.motion.state & SDL_BUTTON_LMASK) data = 1;
      if (e.motion.state & SDL_BUTTON_MMASK) data = 4;
      if (e.motion.state & SDL_BUTTON_RMASK) data = 2;
      int x = e.motion.x, y = e.motion.y;
      uint32_t under = 0;
      if (ours(e.motion.windowID) && x >= 0 && x < width && y >= 0 && y < height) {
        under = e.motion.windowID;
      }
      GetPointerFrame().Map(x, y);
      emit(EVENT_MOUSEMOVE, data, x, y);
      if (under != tracked_window) {
        if (tracked_window != 0) emit(EVENT_MOUSELEAVE, 0, x, y);
        if (under != 0) emit(EVENT_MOUSEENTER, 0, x, y);
        tracked_window = under;
      }
      break;
    }

    case SDL_MOUSEWHEEL: {
      int notches = e.wheel.y;
      if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
      if (notches != 0) emit(EVENT_MOUSEWHEEL, notches, e.wheel.mouseX, e.wheel.mouseY);
      break;
    }

    default:
      break;
  }
  return out;
}

TSDLSystemDriver::TSDLSystemDriver() {
  // The game has its own handling of SIGINT and SIGTERM; SDL must not turn
  // them into quit events.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  TSDLTouch::Open();
  initialised_ = SDL_InitSubSystem(SDL_INIT_EVENTS | SDL_INIT_TIMER) == 0;
  if (initialised_) gamepads.Open();
  translator.window_size = [](uint32_t window_id, int& width, int& height) {
    SDL_Window* window = SDL_GetWindowFromID(window_id);
    if (!window) return false;
    SDL_GetWindowSize(window, &width, &height);
    return true;
  };
}

TSDLSystemDriver::~TSDLSystemDriver() {
  gamepads.Close();
  if (initialised_) SDL_QuitSubSystem(SDL_INIT_EVENTS | SDL_INIT_TIMER);
}

void TSDLSystemDriver::Dispatch(const SDL_Event& e) {
  if (e.type == TimerMessageType()) {
    DeliverTimerTick(e.user.code);
    return;
  }
  if (gamepads.Dispatch(e) || touch.Dispatch(e, translator.window_size)) return;
  TSDLTranslation t = translator.Translate(e);
  if (t.capture >= 0) SDL_CaptureMouse(t.capture ? SDL_TRUE : SDL_FALSE);
  for (const auto& event : t.events) {
    if (holders.Pass(*event)) event->Emit();
  }
  if (t.toggle_fullscreen) {
    if (auto toggle = GetFullScreenToggle()) toggle();
  }
}

void TSDLSystemDriver::Poll() {
  if (!initialised_) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) Dispatch(e);
}

void TSDLSystemDriver::Wait() {
  if (!initialised_) return;
  SDL_Event e;
  if (SDL_WaitEvent(&e)) Dispatch(e);
  Poll();
}

void TSDLSystemDriver::MoveMouse(int x, int y) {
  if (SDL_Window* window = SDL_GetKeyboardFocus()) {
    SDL_WarpMouseInWindow(window, x, y);
  } else {
    SDL_WarpMouseGlobal(x, y);
  }
}

void TSDLSystemDriver::SetMouseVisible(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

void TSDLSystemDriver::Notify(const std::string& text, bool serious) {
  uint32_t flags = serious ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
  if (SDL_ShowSimpleMessageBox(flags, AppTitle.c_str(), text.c_str(), SDL_GetKeyboardFocus()) != 0) {
    // No display to show it on: the message still reaches the user.
    std::fprintf(stderr, "%s: %s\n", AppTitle.c_str(), text.c_str());
  }
}

namespace {
// A modal box with the given buttons; the id of the one pressed, or
// `fallback` when the box cannot be shown.
int AskBox(const std::string& text, bool serious, const SDL_MessageBoxButtonData* buttons, int count,
           int fallback) {
  SDL_MessageBoxData data{};
  data.flags = serious ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
  data.window = SDL_GetKeyboardFocus();
  data.title = AppTitle.c_str();
  data.message = text.c_str();
  data.numbuttons = count;
  data.buttons = buttons;
  int pressed = fallback;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) return fallback;
  return pressed;
}
}  // namespace

int TSDLSystemDriver::Confirm(const std::string& text, bool serious) {
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
  };
  return AskBox(text, serious, buttons, 2, 0);
}

int TSDLSystemDriver::Proceed(const std::string& text, bool serious) {
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
      {0, 0, "No"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, -1, "Cancel"},
  };
  return AskBox(text, serious, buttons, 3, -1);
}

// SDL has no file or folder pickers; nothing is ever chosen.
std::string TSDLSystemDriver::RequestFile(const std::string&, const std::string&, bool, const std::string&) {
  return std::string();
}

std::string TSDLSystemDriver::RequestDir(const std::string&, const std::string&) { return std::string(); }

int TSDLSystemDriver::OpenURL(const std::string& url) { return SDL_OpenURL(url.c_str()) == 0 ? 1 : 0; }

std::shared_ptr<TSystemDriver> CreateSDLSystemDriver() { return std::make_shared<TSDLSystemDriver>(); }
