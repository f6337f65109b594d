// SDL's audio thread calls back whenever its queue wants more sound; each call
// is filled with whole 512-frame mixer fragments (with a carry-over fragment
// if SDL's buffer is not a multiple of that). SDL keeps its own buffer ahead
// of the hardware, which is the write-ahead the mixer needs.
#include "audio/sdl/sdl_audio_device.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "system/background.h"

namespace {
// SDL's audio, given up after no output opened. Quitting it waits for SDL's
// device-watching thread to wake, up to a tenth of a second: start-up does
// not wait for that, the background quits it, and the next open (the only
// other thing here that starts or quits SDL's audio) waits for it first.
struct TAudioQuit : TBackgroundJob {
  Slice Step() override {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return Slice::kDone;
  }
};
std::shared_ptr<TBackgroundWork> g_quitting;

void FinishQuitting() {
  if (auto quitting = std::move(g_quitting)) quitting->Finish();
}
}  // namespace

bool sdlaudiodevice::open(mixer& m) {
  FinishQuitting();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  subsystem_ = true;
  // The mixer's format is fixed before SDL's thread can call back.
  mixer_ = &m;
  m.set_output(44100, 2, kFragmentFrames);
  carryoffset_ = kFragmentFrames;

  SDL_AudioSpec want{};
  want.freq = 44100;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = kFragmentFrames;
  want.callback = &sdlaudiodevice::Callback;
  want.userdata = this;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the hardware wants.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    subsystem_ = false;
    close();
    g_quitting = RunInBackground(std::make_shared<TAudioQuit>());
    return false;
  }
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void sdlaudiodevice::close() {
  if (device_ != 0) {
    // Returns once the callback thread has finished.
    SDL_CloseAudioDevice(device_);
    device_ = 0;
  }
  if (subsystem_) {
    FinishQuitting();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystem_ = false;
  }
  mixer_ = nullptr;
}

void sdlaudiodevice::Callback(void* self, uint8_t* stream, int bytes) {
  static_cast<sdlaudiodevice*>(self)->Fill(reinterpret_cast<int16_t*>(stream), bytes / 4);
}

void sdlaudiodevice::Fill(int16_t* out, int frames) {
  while (frames > 0) {
    if (carryoffset_ >= kFragmentFrames) {
      if (frames >= kFragmentFrames) {
        mixer_->mix(out, kFragmentFrames);
        out += kFragmentFrames * 2;
        frames -= kFragmentFrames;
        continue;
      }
      mixer_->mix(carry_, kFragmentFrames);
      carryoffset_ = 0;
    }
    int take = std::min(frames, kFragmentFrames - carryoffset_);
    std::memcpy(out, carry_ + carryoffset_ * 2, static_cast<size_t>(take) * 4);
    carryoffset_ += take;
    out += take * 2;
    frames -= take;
  }
}

std::unique_ptr<audiodevice> CreateSDLAudioOutput() { return std::make_unique<sdlaudiodevice>(); }
