// Fingers from SDL to the touch sticks.
#include "system/sdl/sdl_touch_private.h"

void TSDLTouch::Open() {
  SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
  SDL_SetHint(SDL_HINT_MOUSE_TOUCH_EVENTS, "0");
}

bool TSDLTouch::Dispatch(const SDL_Event& e, const std::function<bool(uint32_t, int&, int&)>& window_size) {
  if (e.type != SDL_FINGERDOWN && e.type != SDL_FINGERMOTION && e.type != SDL_FINGERUP) return false;
  const SDL_TouchFingerEvent& f = e.tfinger;
  if (e.type == SDL_FINGERUP) {
    sticks_.Up(f.fingerId);
    return true;
  }
  // A finger SDL cannot place on a window, or places on a hidden one, is on
  // the one with the focus: in the browser every window shares the page's
  // canvas, the window level's hidden context window too, and SDL gives a
  // finger to whichever took the canvas's touches first.
  uint32_t window = f.windowID;
  SDL_Window* on = window ? SDL_GetWindowFromID(window) : nullptr;
  if (window == 0 || (on && (SDL_GetWindowFlags(on) & SDL_WINDOW_HIDDEN))) {
    window = 0;
    if (SDL_Window* focus = SDL_GetKeyboardFocus()) window = SDL_GetWindowID(focus);
  }
  int width = 0, height = 0;
  if (!window_size || !window_size(window, width, height)) return true;
  if (e.type == SDL_FINGERDOWN) {
    sticks_.Down(f.fingerId, f.x, f.y, width, height);
  } else {
    sticks_.Move(f.fingerId, f.x, f.y, width, height);
  }
  return true;
}
