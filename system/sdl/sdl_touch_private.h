// Touch screens through SDL's finger events, for the SDL system driver: each
// finger goes to the touch sticks (touch_sticks.h) in fractions of the window
// it is on. SDL's own touch-to-mouse and mouse-to-touch emulation is off, so a
// finger never also moves the mouse. Private to the platform code, like
// sdl_system_driver_private.h.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>

#include "system/touch_sticks.h"

class TSDLTouch {
 public:
  explicit TSDLTouch(TInputHolders& holders) : sticks_(holders) {}

  // Turns SDL's mouse emulation of fingers (and of fingers by the mouse) off.
  static void Open();

  // Handles a finger event; false for every other event. `window_size` gives
  // the size of one of our windows by id (false for another's).
  bool Dispatch(const SDL_Event& e, const std::function<bool(uint32_t, int&, int&)>& window_size);

 private:
  TTouchSticks sticks_;
};
