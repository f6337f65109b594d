// The system clock and the delay in the browser. The game runs on the page's
// own thread, so a delay hands the thread back to the browser until it is
// over (through asyncify) instead of blocking it.
//
// The clock stops while the page is hidden: the browser stops giving frames
// to a hidden page and the sound pauses with it (web_audio.cpp), so when the
// player comes back the game goes on where it was, still in step with its
// music, rather than jumping ahead by the time it was away.
#include <emscripten.h>

#include "system/clock.h"

// clang-format off
EM_JS(double, WebPlayingMillisecs, (), {
  var clock = Module.gloomfallClock;
  if (!clock) {
    clock = Module.gloomfallClock = { away: 0, hiddenAt: document.hidden ? performance.now() : -1 };
    document.addEventListener("visibilitychange", function() {
      var now = performance.now();
      if (document.hidden) {
        if (clock.hiddenAt < 0) clock.hiddenAt = now;
      } else if (clock.hiddenAt >= 0) {
        clock.away += now - clock.hiddenAt;
        clock.hiddenAt = -1;
      }
    });
  }
  var now = clock.hiddenAt >= 0 ? clock.hiddenAt : performance.now();
  return Math.floor(now - clock.away);
});
// clang-format on

int32_t SystemMillisecs() {
  // Keep the low 32 bits: the clock wraps like a 32-bit tick counter.
  auto ms = static_cast<uint64_t>(WebPlayingMillisecs());
  return static_cast<int32_t>(static_cast<uint32_t>(ms));
}

void Delay(int32_t ms) {
  if (ms <= 0) return;
  emscripten_sleep(static_cast<unsigned>(ms));
}
