// The capture device: the mixer pulled by hand, one fragment at a time.
#include "audio/capture/capture_audio_device.h"

#include <algorithm>

bool captureaudiodevice::open(mixer& m) {
  mixer_ = &m;
  m.set_output(44100, 2, fragmentframes_);
  return true;
}

void captureaudiodevice::CaptureInto(int16_t* out, int frames) {
  if (!mixer_) return;
  while (frames > 0) {
    int now = std::min(frames, fragmentframes_);
    mixer_->mix(out, now);
    out += now * 2;
    frames -= now;
  }
}

std::vector<int16_t> captureaudiodevice::Capture(int frames) {
  if (!mixer_ || frames <= 0) return {};
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
  CaptureInto(out.data(), frames);
  return out;
}
