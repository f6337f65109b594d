// Flip(1) pacing: pure logic on the clock values and refresh rates it is given,
// compared as the wrapping clock compares them.
#include "graphics/flip_pacer.h"

#include <algorithm>

#include "system/clock.h"

void TFlipPacer::Start(int now, int hertz) {
  paced = true;
  hertz_ = std::clamp(hertz, 1, kGameHertz);
  step_ = 1000 / hertz_;
  rem_ = 1000 - step_ * hertz_;
  frac_ = 0;
  due_ = now;
}

void TFlipPacer::BeforeFlip(int now, int hertz) {
  if (!paced && hertz > kGameHertz) Start(now, hertz);
}

void TFlipPacer::AfterFlip(bool interval_taken, int now, int hertz) {
  if (paced) return;
  if (!interval_taken) {
    Start(now, hertz);
    return;
  }
  if (probe_count_ == 0) {
    probe_start_ = now;
    probe_count_ = 1;
    return;
  }
  if (++probe_count_ <= kProbeFrames) return;
  // kProbeFrames frame intervals, against half of what the display needs.
  int64_t elapsed = MillisecsBetween(probe_start_, now);
  if (elapsed * 2 * std::max(1, hertz) < int64_t{kProbeFrames} * 1000) {
    Start(now, hertz);
  } else {
    probe_count_ = 0;
  }
}

int TFlipPacer::WaitBeforeFlip(int now) {
  due_ = MillisecsAfter(due_, step_);
  frac_ += rem_;
  if (frac_ >= hertz_) {
    frac_ -= hertz_;
    due_ = MillisecsAfter(due_, 1);
  }
  const int wait = MillisecsBetween(now, due_);
  // Never more than a frame: a clock that went back starts the pace afresh
  // rather than freezing the game until it catches up.
  if (wait > 0 && wait <= step_ + 1) return wait;
  due_ = now;
  return 0;
}
