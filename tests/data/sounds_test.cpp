// The generated sounds and music: every file decodes at 44100 Hz with the
// length the game needs, stays under -1 dBFS, starts and ends on silence; the
// kill notes are in tune; the song is a whole number of 16-beat stages at 130
// beats per minute, loops without a seam and changes on every stage boundary.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "tests/data/data_files.h"

namespace {

struct Effect {
  const char* name;
  double min_seconds, max_seconds;
};

const Effect kEffects[] = {
    {"a", 0.3, 1.0},          {"g", 0.3, 1.0},           {"d", 0.3, 1.0},
    {"boom1", 1.0, 2.0},      {"enemybullet", 0.05, 0.4}, {"playerhit", 0.15, 1.0},
    {"playershoot", 0.02, 0.15},
};

// Frames in one stage of 16 beats at 130 bpm: 325661.538...
constexpr double kStageFrames = 16 * 60.0 / 130 * 44100;

// Fundamental by autocorrelation over the strongest part of a note.
double EstimatePitch(const Sound& s, double lo_hz, double hi_hz) {
  const size_t start = 2000, n = 8192;
  double best = -1;
  int best_lag = 0;
  for (int lag = static_cast<int>(44100 / hi_hz); lag <= static_cast<int>(44100 / lo_hz); ++lag) {
    double sum = 0;
    for (size_t i = start; i < start + n; ++i) sum += static_cast<double>(s.pcm[i]) * s.pcm[i + lag];
    if (sum > best) best = sum, best_lag = lag;
  }
  // Parabolic interpolation around the best lag for sub-sample precision.
  auto ac = [&](int lag) {
    double sum = 0;
    for (size_t i = start; i < start + n; ++i) sum += static_cast<double>(s.pcm[i]) * s.pcm[i + lag];
    return sum;
  };
  double y0 = ac(best_lag - 1), y1 = ac(best_lag), y2 = ac(best_lag + 1);
  double shift = 0.5 * (y0 - y2) / (y0 - 2 * y1 + y2);
  return 44100.0 / (best_lag + shift);
}

double Energy(const Sound& s, int64_t from, int64_t count, int channel) {
  // Energy of the first difference: onsets of drums and cymbals stand out.
  double e = 0;
  const int64_t frames = s.Decoded();
  for (int64_t k = 0; k < count; ++k) {
    int64_t i = ((from + k) % frames + frames) % frames, j = (i + frames - 1) % frames;
    double d = s.pcm[i * s.channels + channel] - s.pcm[j * s.channels + channel];
    e += d * d;
  }
  return e;
}

}  // namespace

TEST(Sounds, EffectsDecodeMonoAt44100WithTheirLengths) {
  for (const Effect& e : kEffects) {
    SCOPED_TRACE(e.name);
    Sound s = ReadSound(DataPath(std::string("sfx/") + e.name + ".ogg"));
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.rate, 44100);
    EXPECT_EQ(s.channels, 1);
    EXPECT_EQ(s.Decoded(), s.frames);
    double seconds = static_cast<double>(s.frames) / 44100;
    EXPECT_GE(seconds, e.min_seconds);
    EXPECT_LT(seconds, e.max_seconds);
  }
}

TEST(Sounds, EffectsPeakUnderMinusOneDbAndAreAudible) {
  for (const Effect& e : kEffects) {
    SCOPED_TRACE(e.name);
    Sound s = ReadSound(DataPath(std::string("sfx/") + e.name + ".ogg"));
    ASSERT_TRUE(s.ok);
    EXPECT_LE(s.Peak(), kPeakLimit);
    EXPECT_GT(s.Peak(), 3000);  // louder than -21 dBFS
  }
}

TEST(Sounds, EffectsStartAndEndWithoutAClick) {
  for (const Effect& e : kEffects) {
    SCOPED_TRACE(e.name);
    Sound s = ReadSound(DataPath(std::string("sfx/") + e.name + ".ogg"));
    ASSERT_TRUE(s.ok);
    ASSERT_GT(s.pcm.size(), 200u);
    // Vorbis smears a little noise ahead of any attack; -30 dBFS is no click.
    EXPECT_LE(std::abs(s.pcm.front()), 1000);
    EXPECT_LE(std::abs(s.pcm.back()), 300);
    // The very last few milliseconds are near silence, not a cut-off sound.
    int tail = 0;
    for (size_t i = s.pcm.size() - 44; i < s.pcm.size(); ++i) tail = std::max(tail, std::abs(s.pcm[i]));
    EXPECT_LE(tail, 1000);
  }
}

TEST(Sounds, KillNotesAreDAGInTune) {
  // D5, A5, G5 of equal temperament at A = 440 Hz: the music's key.
  const std::pair<const char*, double> notes[] = {{"d", 587.33}, {"a", 880.0}, {"g", 783.99}};
  for (auto [name, hz] : notes) {
    SCOPED_TRACE(name);
    Sound s = ReadSound(DataPath(std::string("sfx/") + name + ".ogg"));
    ASSERT_TRUE(s.ok);
    double pitch = EstimatePitch(s, hz * 0.8, hz * 1.25);
    EXPECT_NEAR(pitch, hz, hz * 0.006);  // within about 10 cents
  }
}

TEST(Sounds, ShotIsLightHitIsHeavyAndTheBlastDiesAway) {
  // Zero crossings per second stand in for brightness: the shot, heard ten
  // times a second, is a light high chirp; the hit and the blast are low.
  auto crossings = [](const Sound& s) {
    int n = 0;
    for (size_t i = 1; i < s.pcm.size(); ++i) n += (s.pcm[i - 1] < 0) != (s.pcm[i] < 0);
    return n * 44100.0 / s.pcm.size();
  };
  auto rms = [](const Sound& s, size_t from, size_t to) {
    double e = 0;
    for (size_t i = from; i < to; ++i) e += static_cast<double>(s.pcm[i]) * s.pcm[i];
    return std::sqrt(e / (to - from));
  };
  Sound shoot = ReadSound(DataPath("sfx/playershoot.ogg"));
  Sound hit = ReadSound(DataPath("sfx/playerhit.ogg"));
  Sound boom = ReadSound(DataPath("sfx/boom1.ogg"));
  ASSERT_TRUE(shoot.ok && hit.ok && boom.ok);
  EXPECT_GT(crossings(shoot), 3 * crossings(hit));
  EXPECT_GT(crossings(shoot), 3 * crossings(boom));
  EXPECT_LT(shoot.Peak(), hit.Peak());  // quieter than the hit it repeats over
  size_t q = boom.pcm.size() / 4;
  EXPECT_LT(rms(boom, 3 * q, 4 * q), rms(boom, 0, q) / 8);
}

TEST(Sounds, SongIsAWholeNumberOfStagesAt130Bpm) {
  Sound s = ReadSound(DataPath("song3.ogg"));
  ASSERT_TRUE(s.ok);
  EXPECT_EQ(s.rate, 44100);
  EXPECT_EQ(s.channels, 2);
  EXPECT_EQ(s.Decoded(), s.frames);
  double stages = s.frames / kStageFrames;
  EXPECT_GE(std::lround(stages), 1);
  EXPECT_LE(std::fabs(s.frames - std::lround(stages) * kStageFrames), 1.0);
  EXPECT_EQ(s.frames, 2605292);  // the eight stages chosen
}

TEST(Sounds, SongPeaksUnderMinusOneDbAndFitsInTwoMegabytes) {
  Sound s = ReadSound(DataPath("song3.ogg"));
  ASSERT_TRUE(s.ok);
  EXPECT_LE(s.Peak(), kPeakLimit);
  EXPECT_GT(s.Peak(), 16000);
  EXPECT_LE(std::filesystem::file_size(DataPath("song3.ogg")), 2u * 1024 * 1024);
}

TEST(Sounds, SongLoopsWithoutASeam) {
  // The jump from the last frame back to the first is no bigger than the
  // song's ordinary frame-to-frame movement.
  Sound s = ReadSound(DataPath("song3.ogg"));
  ASSERT_TRUE(s.ok);
  const int64_t n = s.Decoded();
  for (int c = 0; c < 2; ++c) {
    double mean_step = 0;
    for (int64_t i = 1; i < n; ++i) mean_step += std::abs(s.pcm[i * 2 + c] - s.pcm[(i - 1) * 2 + c]);
    mean_step /= n - 1;
    double seam = std::abs(s.pcm[c] - s.pcm[(n - 1) * 2 + c]);
    EXPECT_LE(seam, 4 * mean_step) << "channel " << c;
    // And the loop's first moment is not silence.
    EXPECT_GT(Energy(s, 0, 4410, c), 0);
  }
}

TEST(Sounds, SongChangesOnEveryStageBoundary) {
  // Each stage opens with a cymbal: far more high-frequency energy just after
  // a boundary than just before it, the loop point included.
  Sound s = ReadSound(DataPath("song3.ogg"));
  ASSERT_TRUE(s.ok);
  const int64_t window = 2205;  // 50 ms
  for (int stage = 0; stage < 8; ++stage) {
    int64_t at = std::llround(stage * kStageFrames);
    double before = Energy(s, at - window, window, 0) + Energy(s, at - window, window, 1);
    double after = Energy(s, at, window, 0) + Energy(s, at, window, 1);
    EXPECT_GT(after, 2 * before) << "stage " << stage;
  }
}
