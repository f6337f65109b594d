// Sound in the browser (see web_audio.h). SDL keeps its audio context on
// the module; suspending it stops the mixer's callbacks too, so the music
// picks up exactly where the game does.
#include "audio/web_audio.h"

#include <emscripten.h>

// clang-format off
EM_JS(void, SuspendAudioContextWhileHidden, (), {
  if (Module.gloomfallSoundFollowsPage) return;
  Module.gloomfallSoundFollowsPage = true;
  document.addEventListener("visibilitychange", function() {
    var context = Module.SDL2 && Module.SDL2.audioContext;
    if (!context) return;
    if (document.hidden) {
      context.suspend();
    } else {
      context.resume();
    }
  });
});
// clang-format on

void WebPauseSoundWhileHidden() { SuspendAudioContextWhileHidden(); }
