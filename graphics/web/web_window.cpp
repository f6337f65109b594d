// The window level in the browser (see sdl_window_platform.h): the page's
// canvas is always there, its one WebGL context stands for every context the
// window level makes, the browser's animation frames are the vertical sync
// (web_frame.h), and the browser may take the context away and give it back
// empty (system/web/web_pause.h). The page sizes the canvas to the screen;
// the frame is drawn letterboxed in it, and the page draws the touch
// controls over it.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <array>

#include "graphics/sdl/sdl_window_platform.h"
#include "graphics/web/web_frame.h"
#include "system/touch_view.h"
#include "system/web/web_pause.h"

namespace {
int g_restores = 0;
// Hands the touch controls to the page (Module.showTouchControls), as
// fractions of the canvas: bit 1 the move stick held, 2 the aim stick, 4 touch
// used, 8 a game on; then each stick's anchor and finger, the stick's radius
// as a fraction of the canvas's width, and the back control's rectangle.
// clang-format off
EM_JS(void, WebShowTouchControls, (int flags, double mau, double mav, double mfu, double mfv, double aau,
                                   double aav, double afu, double afv, double radius, double bu, double bv,
                                   double bw, double bh), {
  if (Module.showTouchControls) {
    Module.showTouchControls({
      move: (flags & 1) ? { anchor: [mau, mav], finger: [mfu, mfv] } : null,
      aim: (flags & 2) ? { anchor: [aau, aav], finger: [afu, afv] } : null,
      used: (flags & 4) != 0, inGame: (flags & 8) != 0, radius: radius, back: [bu, bv, bw, bh] });
  }
});
// clang-format on

std::array<double, 14> g_shown{-1};

// Only what changed since the last presented frame goes to the page.
void ShowTouchControls() {
  const TTouchView v = GetTouchView();
  const std::array<double, 14> now = {
      double(int(v.move.held) | int(v.aim.held) << 1 | int(v.used) << 2 | int(v.in_game) << 3),
      v.move.anchor_u, v.move.anchor_v, v.move.finger_u, v.move.finger_v,
      v.aim.anchor_u, v.aim.anchor_v, v.aim.finger_u, v.aim.finger_v,
      v.radius_u, v.back_u, v.back_v, v.back_uw, v.back_vh};
  if (now == g_shown) return;
  g_shown = now;
  WebShowTouchControls(int(now[0]), now[1], now[2], now[3], now[4], now[5], now[6], now[7], now[8], now[9],
                       now[10], now[11], now[12], now[13]);
}
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

void WindowPlatformPresented(int interval) {
  ShowTouchControls();
  WebPresentFrame(interval != 0);
}

int WindowPlatformRefreshRate(SDL_Window*) { return WebDisplayRefreshRate(); }

int WindowPlatformContextRestores() {
  const int restores = WebContextRestores();
  if (restores != g_restores) {
    g_restores = restores;
    WebForgetLostGLObjects();
  }
  return restores;
}

// SDL keeps the window at the game's size and gives pointer and finger
// positions in it, scaled from the canvas's size on the page; the drawable is
// the canvas's own backing store, which the page sizes (SDL would say the
// window's size).
bool WindowPlatformFrameArea(SDL_Window* window, bool, int& drawable_w, int& drawable_h, int& window_w,
                             int& window_h) {
  if (emscripten_get_canvas_element_size("#canvas", &drawable_w, &drawable_h) != EMSCRIPTEN_RESULT_SUCCESS ||
      drawable_w <= 0 || drawable_h <= 0) {
    return false;
  }
  SDL_GetWindowSize(window, &window_w, &window_h);
  return true;
}
