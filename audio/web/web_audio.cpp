// Sound in the browser (see web_audio.h). SDL keeps its audio context on
// the module; suspending it stops the mixer's callbacks too, so the music
// picks up exactly where the game does when the pause (web_pause.h) ends.
#include "audio/web/web_audio.h"

#include <emscripten.h>

#include "audio/sdl/sdl_audio_device.h"
#include "system/background.h"
#include "system/web/web_pause.h"

// clang-format off
EM_JS(void, SuspendAudioContextWhilePaused, (), {
  var context = Module.SDL2 && Module.SDL2.audioContext;
  if (!context || context.gloomfallFollowsPause) return;
  context.gloomfallFollowsPause = true;
  // Whoever asks (SDL's first-key resume, the page's first tap, the pause),
  // the game may end and SDL close the context while a request is pending:
  // the request then fails, and that is no error of the page. Nor is a
  // request to a context already closed.
  ["resume", "suspend", "close"].forEach(function(name) {
    var request = context[name];
    context[name] = function() {
      var done = request.apply(context, arguments);
      if (done && done.catch) done.catch(function() {});
      return done;
    };
  });
  var pause = Module.gloomfallPause;
  pause.onChange(function(paused) {
    if (context.state === "closed") return;
    paused ? context.suspend() : context.resume();
  });
  // SDL lets the player's first key or click start the sound (the browser
  // allows it only then), whether or not the game is paused.
  context.addEventListener("statechange", function() {
    if (context.state === "running" && pause.since >= 0) context.suspend();
  });
  if (pause.since >= 0) context.suspend();
});

// Whether the page has the browser's sound output going (a page that does
// not say is taken to have).
EM_JS(int, WebSoundOutputReady, (), {
  var ready = Module["soundOutputReady"];
  return !ready || ready() ? 1 : 0;
});
// clang-format on

namespace {
// SDL's output, following the page. The browser takes tens of milliseconds
// to make its first audio context, and the title is silent, so the device
// opens in the background, after the title's first frame, once the page has
// the browser's sound output going (which makes the context quick to make);
// the mixer's format is set at once. Until it opens nothing is mixed, as
// while the browser holds the sound back for the player's first key or tap.
// Where it does not open the game goes on silent.
class webaudiodevice : public audiodevice {
 public:
  ~webaudiodevice() override { close(); }
  bool open(mixer& m) override {
    m.set_output(44100, 2, sdlaudiodevice::kFragmentFrames);
    opening_ = RunInBackground(std::make_shared<TOpening>(*this, m));
    return true;
  }
  void close() override {
    opening_.reset();
    sdl_.close();
  }

 private:
  struct TOpening : TBackgroundJob {
    TOpening(webaudiodevice& device, mixer& m) : device(device), m(m) {}
    Slice Step() override {
      if (!WebSoundOutputReady()) return Slice::kWaiting;
      if (device.sdl_.open(m)) {
        WebFollowPause();
        SuspendAudioContextWhilePaused();
      }
      return Slice::kDone;
    }
    webaudiodevice& device;
    mixer& m;
  };

  sdlaudiodevice sdl_;
  std::shared_ptr<TBackgroundWork> opening_;  // dropped, it never opens
};
}  // namespace

std::unique_ptr<audiodevice> CreateWebAudioOutput() { return std::make_unique<webaudiodevice>(); }
