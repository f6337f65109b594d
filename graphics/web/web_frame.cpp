// Presenting frames in the browser (see web_frame.h). The refresh rate is
// the median of the last intervals between animation frames, which shrugs
// off the odd late frame; TFlipPacer then keeps the game at 60 frames a
// second on faster displays.
#include "graphics/web/web_frame.h"

#include <emscripten.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "system/web/web_pause.h"

namespace {
constexpr int kIntervals = 15;
std::array<double, kIntervals> g_intervals{};
int g_seen = 0;
double g_last_frame = -1.0;
}  // namespace

// The page learns when the game's first frame is on its way to the screen
// (Module.onFirstFrame), to take its progress bar away just then.
// clang-format off
EM_ASYNC_JS(double, WebNextAnimationFrame, (), {
  var first = Module["onFirstFrame"];
  if (first) {
    Module["onFirstFrame"] = null;
    first();
  }
  // While the browser has the WebGL context, or the page holds the pause,
  // the game waits where it is: no frame, drawn into nothing, moves its
  // world on.
  var pause = Module.gloomfallPause;
  return await new Promise(function(resolve) {
    function frame(time) {
      if (pause.stopped()) {
        pause.whenBack(function() { requestAnimationFrame(frame); });
      } else {
        resolve(time);
      }
    }
    requestAnimationFrame(frame);
  });
});
// clang-format on

void WebPresentFrame(bool sync) {
  WebFollowPause();
  if (!sync) {
    emscripten_sleep(0);
    return;
  }
  double now = WebNextAnimationFrame();
  // A gap of a second or more is a page that was hidden, not the display.
  if (g_last_frame >= 0.0 && now - g_last_frame < 1000.0) {
    g_intervals[static_cast<size_t>(g_seen % kIntervals)] = now - g_last_frame;
    ++g_seen;
  }
  g_last_frame = now;
}

int WebDisplayRefreshRate() {
  if (g_seen < kIntervals) return 60;
  std::array<double, kIntervals> sorted = g_intervals;
  std::nth_element(sorted.begin(), sorted.begin() + kIntervals / 2, sorted.end());
  double interval = sorted[kIntervals / 2];
  return interval > 0.0 ? static_cast<int>(std::lround(1000.0 / interval)) : 60;
}
