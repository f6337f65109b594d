// Frame pacing for Flip(1), shared by both 2D drivers through the window
// level (graphics/sdl/sdl_window.h), which feeds it the clock and the
// display's refresh rate and keeps the game at its own speed where vsync
// alone would give another.
#pragma once

#include <cstdint>

// Flip(1) pacing. The game moves once per frame and is tuned for 60 frames a
// second, so Flip(1) paces frames on the millisecond clock, for the rest of
// the process, wherever vsync alone would give another speed:
//  - on a display refreshing faster than 60 Hz, from the first frame, at 60
//    frames a second (still presented with vsync, so nothing tears);
//  - where vertical sync is not honoured (Xvfb, many remote and virtual
//    displays, drivers that ignore the swap interval), where the game would
//    run at thousands of frames per second, at the refresh rate (60 at
//    most). Vsync counts as not honoured when the interval could not be set,
//    or when kProbeFrames Flip(1) calls in a row took less than half the time
//    the refresh rate allows (a real vsync with a few queued buffers still
//    takes most of it).
// Pure logic: the driver feeds it the clock and the display's refresh rate.
class TFlipPacer {
 public:
  static constexpr int kProbeFrames = 10;
  static constexpr int kGameHertz = 60;

  // Before a Flip(1) while not paced: a display faster than the game starts the pace.
  void BeforeFlip(int now, int hertz);
  // After an unpaced Flip(1) has presented its frame.
  void AfterFlip(bool interval_taken, int now, int hertz);
  // Before a paced Flip(1): how long to sleep so frames start 1000 / hertz ms
  // apart (step or step + 1 ms, the remainder spread over each second). A
  // late frame makes the next one due a full step from now: no catching up;
  // nor is a clock that went back (or wrapped round) waited for.
  int WaitBeforeFlip(int now);

  bool paced = false;

 private:
  void Start(int now, int hertz);
  int probe_count_ = 0;
  int probe_start_ = 0;
  int hertz_ = 60;
  int step_ = 16, rem_ = 40, frac_ = 0;
  int due_ = 0;
};
