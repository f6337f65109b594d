// Whether Windows has a desktop to show the game's window on (see
// sdl_window_platform.h); the rest of the desktop's window level is in
// graphics/native/.
#include "graphics/sdl/sdl_window_platform.h"

bool WindowPlatformCanShow() {
  // A Windows program always starts on a desktop, and nothing in its
  // environment names it: SDL's own driver finds it. Where a window still
  // cannot be made, opening the graphics fails there.
  return true;
}
