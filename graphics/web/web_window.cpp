// The window level in the browser (see sdl_window_platform.h): the page's
// canvas is always there, its one WebGL context stands for every context the
// window level makes, the browser's animation frames are the vertical sync
// (web_frame.h), and the browser may take the context away and give it back
// empty (system/web/web_pause.h).
#include <emscripten.h>

#include "graphics/sdl/sdl_window_platform.h"
#include "graphics/web/web_frame.h"
#include "system/web/web_pause.h"

namespace {
int g_restores = 0;
}  // namespace

// Emscripten's GL library keeps every object the game made in its tables,
// under names it never gives out again (it only counts up). A context given
// back after a loss has none of them: they are dropped from the tables
// (deleting one in the new context would only draw a warning), and the
// renderer makes what it needs again.
// clang-format off
EM_JS(void, WebForgetLostGLObjects, (), {
  [GL.buffers, GL.programs, GL.shaders, GL.textures, GL.framebuffers, GL.renderbuffers].forEach(
    function(table) { if (table) table.fill(null); });
});
// clang-format on

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

int WindowPlatformContextRestores() {
  const int restores = WebContextRestores();
  if (restores != g_restores) {
    g_restores = restores;
    WebForgetLostGLObjects();
  }
  return restores;
}
