// The window level on Linux and Windows (see sdl_window_platform.h): real
// windows on a display, each context its own, and SDL's swap interval.
// Whether there is a display at all each system tells in a file of its own
// (graphics/linux/, graphics/windows/).
#include "graphics/sdl/sdl_window_platform.h"

void WindowPlatformDeleteContext(SDL_GLContext context) { SDL_GL_DeleteContext(context); }

bool WindowPlatformSetSwapInterval(int interval) {
  return SDL_GL_SetSwapInterval(interval) == 0 && SDL_GL_GetSwapInterval() == interval;
}

void WindowPlatformPresented(int) {}

int WindowPlatformContextRestores() { return 0; }

int WindowPlatformRefreshRate(SDL_Window* window) {
  const int display = window ? SDL_GetWindowDisplayIndex(window) : 0;
  SDL_DisplayMode mode;
  if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) return 0;
  return mode.refresh_rate;
}

bool WindowPlatformFrameArea(SDL_Window* window, bool full_screen, int& drawable_w, int& drawable_h,
                             int& window_w, int& window_h) {
  if (!full_screen) return false;
  SDL_GL_GetDrawableSize(window, &drawable_w, &drawable_h);
  SDL_GetWindowSize(window, &window_w, &window_h);
  return true;
}
