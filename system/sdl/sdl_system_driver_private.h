// The SDL system driver and the translation of SDL events into the game's
// events. The translation is a plain object with no SDL calls of its own, so
// tests can feed it SDL_Event structs built by hand. Private to the platform
// code: only sdl_system_driver.cpp and its tests include this header; everyone
// else reaches the driver through SystemDriver() (system_driver.h). The
// libraries link SDL privately, so a public header that included SDL would not
// even compile in the game.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "system/event.h"
#include "system/sdl/sdl_gamepad_private.h"
#include "system/sdl/sdl_touch_private.h"
#include "system/system_driver.h"

// The Windows virtual-key code of an SDL key (0 when the key has none).
// Letters follow the keyboard layout when SDL reports a letter for them,
// except the walking keys W A S D, which go by place; keypad digits read as
// navigation keys when Num Lock is off.
int VirtualKeyFromSDL(SDL_Scancode scancode, SDL_Keycode sym, uint16_t sdl_mods);

// The modifier mask (MODIFIER_SHIFT...) of an SDL modifier state.
int ModifierMaskFromSDL(uint16_t sdl_mods);

struct TSDLTranslation {
  std::vector<std::shared_ptr<TEvent>> events;
  // Mouse capture to apply: 1 capture, 0 release, -1 leave as it is.
  int capture = -1;
  // F11 or Alt+Enter was pressed while a full-screen toggle is set.
  bool toggle_fullscreen = false;
};

class TSDLEventTranslator {
 public:
  // The client size of one of our windows by SDL window id; false for a
  // window that is not ours (its events are ignored).
  std::function<bool(uint32_t window_id, int& width, int& height)> window_size;

  int mods = 0;                  // the modifier mask, updated by modifier keys
  uint32_t tracked_window = 0;   // the window under the mouse, 0 for none
  int buttons_held = 0;          // bit n for mouse button n (1-3)
  std::array<uint8_t, SDL_NUM_SCANCODES> pressed_as{};  // the code each held key went down as

  TSDLTranslation Translate(const SDL_Event& e);
};

class TSDLSystemDriver : public TSystemDriver {
 public:
  TSDLSystemDriver();
  ~TSDLSystemDriver() override;

  void Poll() override;
  void Wait() override;
  void MoveMouse(int x, int y) override;
  void SetMouseVisible(bool visible) override;
  void Notify(const std::string& text, bool serious) override;
  int Confirm(const std::string& text, bool serious) override;
  int Proceed(const std::string& text, bool serious) override;
  std::string RequestFile(const std::string& text, const std::string& extensions, bool save,
                          const std::string& path) override;
  std::string RequestDir(const std::string& text, const std::string& path) override;
  int OpenURL(const std::string& url) override;

  // Handles one SDL event: timer ticks, capture, and the translated events.
  void Dispatch(const SDL_Event& e);

  TSDLEventTranslator translator;
  // The keyboard, the mouse, the pad and touch share the keys: each release
  // waits for the last of them.
  TInputHolders holders;
  TSDLGamepads gamepads{holders};
  TSDLTouch touch{holders};

 private:
  bool initialised_ = false;
};

// The SDL system driver, as the platform tables (platforms/) name it.
std::shared_ptr<TSystemDriver> CreateSDLSystemDriver();
