// An output device with no hardware behind it: mixing happens only when a
// test asks for frames, on the test's thread, at whatever time the test has
// set on the millisecond clock. The mixer cannot tell it from a real device.
#pragma once
#include <cstdint>
#include <vector>

#include "audio/mixer.h"

class captureaudiodevice : public audiodevice {
 public:
  // Mixes in fragments of this many frames, like the real device.
  explicit captureaudiodevice(int fragmentframes = 512) : fragmentframes_(fragmentframes) {}

  bool open(mixer& m) override;
  void close() override { mixer_ = nullptr; }

  // Mixes `frames` stereo frames, fragment by fragment, and returns them
  // interleaved left, right. Empty when the device is not open.
  std::vector<int16_t> Capture(int frames);
  // Same, into a caller-provided buffer of frames * 2 values (no allocation).
  void CaptureInto(int16_t* out, int frames);

 private:
  int fragmentframes_;
  mixer* mixer_ = nullptr;
};
