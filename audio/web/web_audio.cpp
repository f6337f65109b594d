// Sound in the browser (see web_audio.h). SDL keeps its audio context on
// the module; suspending it while the game is paused (web_pause.js) stops the
// mixer's callbacks too, so the music picks up exactly where the game does.
#include "audio/web/web_audio.h"

#include <emscripten.h>

#include "audio/sdl/sdl_audio_device.h"

// clang-format off
EM_JS(void, SuspendAudioContextWhilePaused, (), {
  if (Module.gloomfallSoundFollowsPause) return;
  Module.gloomfallSoundFollowsPause = true;
  Module.gloomfallPause.listen(function(paused) {
    var context = Module.SDL2 && Module.SDL2.audioContext;
    if (!context) return;
    if (paused) {
      context.suspend();
    } else {
      context.resume();
    }
  });
});
// clang-format on

namespace {
// SDL's output, following the page.
class webaudiodevice : public sdlaudiodevice {
 public:
  bool open(mixer& m) override {
    if (!sdlaudiodevice::open(m)) return false;
    SuspendAudioContextWhilePaused();
    return true;
  }
};
}  // namespace

std::unique_ptr<audiodevice> CreateWebAudioOutput() { return std::make_unique<webaudiodevice>(); }
