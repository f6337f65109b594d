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
  // A finger SDL cannot place on a window is on the one with the focus.
  uint32_t window = f.windowID;
  if (window == 0) {
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
