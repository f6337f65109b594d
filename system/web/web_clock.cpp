// The system clock and the delay in the browser. The game runs on the page's
// own thread, so a delay hands the thread back to the browser until it is
// over (through asyncify) instead of blocking it.
//
// The clock stops while the game is paused (web_pause.h): when the player
// comes back, or the graphics do, the game goes on where it was, still in
// step with its music, rather than jumping ahead by the time it was away.
#include <emscripten.h>

#include "system/clock.h"
#include "system/web/web_pause.h"

// clang-format off
EM_JS(void, WebStartPause, (), {
  if (Module.gloomfallPause) return;
  var pause = Module.gloomfallPause = {
    hidden: document.hidden, lost: false, held: {}, since: document.hidden ? performance.now() : -1, away: 0,
    restores: 0, followers: [], waiting: [],
    onChange: function(f) { pause.followers.push(f); },
    hold: function(reason, on) {
      if (on) { pause.held[reason] = true; } else { delete pause.held[reason]; }
      changed();
    },
    stopped: function() { return pause.lost || Object.keys(pause.held).length > 0; },
    whenBack: function(f) { if (pause.stopped()) { pause.waiting.push(f); } else { f(); } }
  };
  function changed() {
    var paused = pause.hidden || pause.stopped();
    var now = performance.now();
    if (paused && pause.since < 0) {
      pause.since = now;
    } else if (!paused && pause.since >= 0) {
      pause.away += now - pause.since;
      pause.since = -1;
    }
    pause.followers.forEach(function(f) { f(paused); });
    if (pause.stopped()) return;
    var waiting = pause.waiting;
    pause.waiting = [];
    waiting.forEach(function(f) { f(); });
  }
  var canvas = Module.canvas;
  var listeners = [
    [document, "visibilitychange", function() {
      pause.hidden = document.hidden;
      changed();
    }],
    // Without preventDefault the browser would never give the context back.
    [canvas, "webglcontextlost", function(e) {
      e.preventDefault();
      pause.lost = true;
      changed();
    }],
    [canvas, "webglcontextrestored", function() {
      pause.lost = false;
      pause.restores++;
      changed();
    }]
  ];
  listeners.forEach(function(l) { if (l[0]) l[0].addEventListener(l[1], l[2]); });
  // A game that has ended leaves the page, and the next game on it, alone.
  addOnExit(function() {
    listeners.forEach(function(l) { if (l[0]) l[0].removeEventListener(l[1], l[2]); });
  });
});

EM_JS(double, WebPlayingMillisecs, (), {
  var pause = Module.gloomfallPause;
  return Math.floor((pause.since >= 0 ? pause.since : performance.now()) - pause.away);
});

EM_JS(int, WebContextRestoresJS, (), { return Module.gloomfallPause.restores; });
// clang-format on

void WebFollowPause() {
  static const bool following = (WebStartPause(), true);
  (void)following;
}

int WebContextRestores() {
  WebFollowPause();
  return WebContextRestoresJS();
}

int32_t SystemMillisecs() {
  WebFollowPause();
  // Keep the low 32 bits: the clock wraps like a 32-bit tick counter.
  auto ms = static_cast<uint64_t>(WebPlayingMillisecs());
  return static_cast<int32_t>(static_cast<uint32_t>(ms));
}

void Delay(int32_t ms) {
  if (ms <= 0) return;
  emscripten_sleep(static_cast<unsigned>(ms));
}
