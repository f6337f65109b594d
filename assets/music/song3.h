// song3: the game's looping music. 130 beats per minute, eight stages of 16
// beats (the game changes stage every 16 beats of its own beat clock, so every
// stage change lands on a change of arrangement), D minor.
#pragma once

#include <cmath>
#include <cstdint>

#include "tools/synth.h"

constexpr int kSongBpm = 130;
constexpr int kSongStages = 8;
constexpr int kBeatsPerStage = 16;
constexpr double kFramesPerBeat = kSampleRate * 60.0 / kSongBpm;  // 20353.846...

// 8 stages are 2605292.3 frames; the file is 2605292 frames long, 7 µs short of
// the exact length, far below anything the game's millisecond clock can see.
inline int64_t SongFrames() {
  return std::llround(kFramesPerBeat * kBeatsPerStage * kSongStages);
}

// Renders the whole loop, with the tails of the last notes and the echoes
// already wrapped into its beginning so it repeats without a seam.
LoopBuffer RenderSong3();
