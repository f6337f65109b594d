// The game's one pause in the browser, put into the module before it starts
// (--pre-js). It holds while any reason does: "hidden" while the page is
// hidden, and whatever the page adds (a phone held upright, for one). While
// it holds the clock stands still (web_clock.cpp), the sound is suspended
// (web_audio.cpp) and no frame is presented (web_frame.cpp), so the game
// goes on where it stopped, in step with its music.
Module["gloomfallPause"] = (function () {
  var reasons = new Set();
  var listeners = [];
  var waiting = [];
  var since = -1;  // when the pause began, or -1
  var away = 0;    // milliseconds spent paused before that
  var pause = {
    // Holds or lifts the pause for one reason.
    set: function (reason, on) {
      var was = reasons.size > 0;
      if (on) reasons.add(reason); else reasons.delete(reason);
      var now = reasons.size > 0;
      if (now === was) return;
      var t = performance.now();
      if (now) {
        since = t;
      } else {
        away += t - since;
        since = -1;
        waiting.splice(0).forEach(function (resolve) { resolve(); });
      }
      listeners.forEach(function (f) { f(now); });
    },
    paused: function () { return reasons.size > 0; },
    // Milliseconds since the page opened, less the time spent paused.
    now: function () { return (since >= 0 ? since : performance.now()) - away; },
    // Calls f(paused) now and on every change.
    listen: function (f) { listeners.push(f); f(reasons.size > 0); },
    // Resolves once nothing holds the pause.
    playing: function () {
      return reasons.size ? new Promise(function (resolve) { waiting.push(resolve); }) : Promise.resolve();
    },
  };
  document.addEventListener("visibilitychange", function () { pause.set("hidden", document.hidden); });
  pause.set("hidden", document.hidden);
  return pause;
})();
