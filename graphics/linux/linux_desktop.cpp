// Whether Linux has a desktop to show the game's window on (see
// sdl_window_platform.h); the rest of the desktop's window level is in
// graphics/native/.
#include "graphics/sdl/sdl_window_platform.h"

bool WindowPlatformCanShow() {
  // No display to open a window on (and no driver asked for by name): say
  // so at once rather than let SDL probe every backend, some of which print
  // their own complaints.
  return SDL_getenv("DISPLAY") || SDL_getenv("WAYLAND_DISPLAY") || SDL_getenv("SDL_VIDEODRIVER");
}
