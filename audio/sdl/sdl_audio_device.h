// The game's real sound output: an SDL2 audio device at 44100 Hz, signed
// 16-bit, stereo, 512-frame fragments, fed from SDL's own callback thread.
// The sound output on the desktop, and under the browser's one.
#pragma once
#include <cstdint>

#include "audio/mixer.h"

class sdlaudiodevice : public audiodevice {
 public:
  static constexpr int kFragmentFrames = 512;

  ~sdlaudiodevice() override { close(); }
  // False, silently, when SDL has no audio driver or no device opens.
  bool open(mixer& m) override;
  void close() override;

 private:
  static void Callback(void* self, uint8_t* stream, int bytes);
  void Fill(int16_t* out, int frames);

  mixer* mixer_ = nullptr;
  uint32_t device_ = 0;
  bool subsystem_ = false;
  // A fragment mixed but not yet handed over, for when SDL asks for a size
  // that is not a whole number of fragments.
  int16_t carry_[kFragmentFrames * 2] = {};
  int carryoffset_ = kFragmentFrames;  // frames of carry_ already used
};

// The SDL output, as the platform tables (platforms/) name it.
std::unique_ptr<audiodevice> CreateSDLAudioOutput();
