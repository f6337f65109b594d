// Sound in the browser (see web_audio.h). SDL keeps its audio context on
// the module; suspending it stops the mixer's callbacks too, so the music
// picks up exactly where the game does.
#include "audio/web/web_audio.h"

#include <emscripten.h>

#include "audio/sdl/sdl_audio_device.h"

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

namespace {
// SDL's output, following the page.
class webaudiodevice : public sdlaudiodevice {
 public:
  bool open(mixer& m) override {
    if (!sdlaudiodevice::open(m)) return false;
    SuspendAudioContextWhileHidden();
    return true;
  }
};
}  // namespace

std::unique_ptr<audiodevice> CreateWebAudioOutput() { return std::make_unique<webaudiodevice>(); }
