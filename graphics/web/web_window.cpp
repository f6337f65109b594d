// The window level in the browser (see sdl_window_platform.h): the page's
// canvas is always there, its one WebGL context stands for every context the
// window level makes, and the browser's animation frames are the vertical
// sync (web_frame.h).
#include "graphics/sdl/sdl_window_platform.h"
#include "graphics/web/web_frame.h"

bool WindowPlatformCanShow() {
  // Frames are presented by WebPresentFrame, not by SDL's own yield in
  // every buffer swap.
  SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "0");
  return true;
}

// Deleting one would take the shared one's textures with it.
void WindowPlatformDeleteContext(SDL_GLContext) {}

bool WindowPlatformSetSwapInterval(int) { return true; }

void WindowPlatformPresented(int interval) { WebPresentFrame(interval != 0); }

int WindowPlatformRefreshRate(SDL_Window*) { return WebDisplayRefreshRate(); }
