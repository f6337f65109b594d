// song3: instruments, parts and the arrangement of the game's music.
//
// Layout: 8 stages of 4 bars (16 beats). Two chord loops alternate,
//   P1: Dm | Bb | F | C      P2: Dm | Gm | Bb | A
// and each stage adds or takes away parts:
//   0 intro: pad, long bass, hats creeping in, kicks in the last bar
//   1 groove: four-on-the-floor kick, offbeat bass, quiet arpeggio
//   2 + claps, sixteenth hats, brighter arpeggio (P2)
//   3 + lead melody A, open hats
//   4 breakdown: no drums, bells over the pad, riser and snare roll (P2)
//   5 full: rolling bass, bright arpeggio, lead melody B
//   6 full: arpeggio an octave up, lead melody C (P2)
//   7 wind-down: no lead, fill in the last bar, back into the intro (P2)
// Every stage opens with a cymbal, on the beat where the game flashes white.
// Bass, pad and arpeggio duck under the kick, which makes the mix breathe.
#include "assets/music/song3.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

int64_t BeatFrame(double beat) { return std::llround(beat * kFramesPerBeat); }
double BeatSeconds(double beats) { return beats * 60.0 / kSongBpm; }

struct Chord {
  int bass;
  std::array<int, 4> pad;
  std::array<int, 4> arp;
};

const Chord kDm{38, {57, 62, 65, 69}, {62, 65, 69, 74}};
const Chord kBb{34, {58, 62, 65, 70}, {62, 65, 70, 74}};
const Chord kF{41, {57, 60, 65, 69}, {60, 65, 69, 72}};
const Chord kC{36, {55, 60, 64, 67}, {60, 64, 67, 72}};
const Chord kGm{43, {55, 58, 62, 67}, {62, 67, 70, 74}};
const Chord kA{33, {57, 61, 64, 69}, {61, 64, 69, 73}};
const std::array<Chord, 4> kP1{kDm, kBb, kF, kC};
const std::array<Chord, 4> kP2{kDm, kGm, kBb, kA};

struct Note {
  double beat, length;
  int midi;
};

// Lead melodies, beats counted from the start of their stage.
const std::vector<Note> kMelodyA = {
    {0, 1.5, 81}, {1.5, 0.5, 77}, {2, 1, 74},  {3, 1, 76},     {4, 1.5, 77},  {5.5, 0.5, 74},
    {6, 2, 70},   {8, 1, 72},     {9, 1, 77},  {10, 1.5, 81},  {11.5, 0.5, 79}, {12, 2, 79},
    {14, 1, 76},  {15, 1, 72}};
const std::vector<Note> kMelodyB = {
    {0, 0.5, 74},  {0.5, 0.5, 77}, {1, 1, 81},    {2, 1.5, 86},  {3.5, 0.5, 84}, {4, 1.5, 82},
    {5.5, 0.5, 81}, {6, 2, 77},    {8, 1, 81},    {9, 1, 84},    {10, 0.5, 81},  {10.5, 0.5, 79},
    {11, 1, 77},   {12, 1.5, 76},  {13.5, 0.5, 79}, {14, 1, 84}, {15, 1, 76}};
const std::vector<Note> kMelodyC = {
    {0, 1, 77},   {1, 0.5, 76},  {1.5, 0.5, 74}, {2, 2, 81},    {4, 1, 79},    {5, 1, 82},
    {6, 1.5, 86}, {7.5, 0.5, 84}, {8, 1, 82},    {9, 0.5, 81},  {9.5, 0.5, 79}, {10, 2, 77},
    {12, 1, 76},  {13, 1, 73},   {14, 0.5, 76},  {14.5, 0.5, 79}, {15, 1, 81}};
// The breakdown's bells start with the kill notes' D, A, G.
const std::vector<Note> kBells = {{0, 2, 86}, {2, 2, 81}, {4, 4, 79}, {8, 2, 77}, {10, 2, 74}, {12, 4, 76}};

class Song {
 public:
  explicit Song(int64_t frames)
      : drums_(frames), ducked_(frames), lead_(frames), delay_send_(frames), reverb_send_(frames),
        duck_(frames, 1.0f) {}

  // ---- drums ----
  void Kick(double beat, float gain) {
    const int64_t start = BeatFrame(beat);
    double phase = 0;
    Noise click(0x4b1cu);
    for (int64_t i = 0; i < static_cast<int64_t>(0.4 * kSampleRate); ++i) {
      double t = static_cast<double>(i) / kSampleRate;
      phase += (44 + 120 * std::exp(-t / 0.03)) / kSampleRate;
      float v = static_cast<float>(std::sin(kTwoPi * phase)) * AttackDecay(t, 0.001, 0.13);
      v += 0.25f * click.Next() * AttackDecay(t, 0.0002, 0.002);
      v = SoftClip(1.3f * v) * gain * 0.85f;
      drums_.Add(start + i, v, v);
    }
    // The other parts dip under the kick and swell back.
    for (int64_t i = 0; i < static_cast<int64_t>(0.3 * kSampleRate); ++i) {
      double t = static_cast<double>(i) / kSampleRate;
      float g = 1.0f - 0.55f * gain * static_cast<float>(std::exp(-t / 0.09)) * std::min(1.0f, static_cast<float>(t / 0.004));
      float& d = duck_[static_cast<size_t>((start + i) % Frames())];
      d = std::min(d, g);
    }
  }

  void Clap(double beat, float gain, uint32_t seed) {
    const int64_t start = BeatFrame(beat);
    Noise noise(seed);
    Svf band;
    Osc body;
    for (int64_t i = 0; i < static_cast<int64_t>(0.3 * kSampleRate); ++i) {
      double t = static_cast<double>(i) / kSampleRate;
      float env = 0;
      for (int k = 0; k < 3; ++k) env = std::max(env, AttackDecay(t - 0.011 * k, 0.0005, 0.007));
      env = std::max(env, 0.8f * AttackDecay(t - 0.022, 0.0005, 0.09));
      float v = band.Band(noise.Next(), 1300, 0.35) * env * 2.2f;
      v += 0.35f * body.Sine(185) * AttackDecay(t, 0.001, 0.04);
      v *= gain;
      drums_.Add(start + i, v * 0.95f, v);
      reverb_send_.Add(start + i, v * 0.3f, v * 0.3f);
    }
  }

  void Hat(double beat, float gain, bool open, float pan, uint32_t seed) {
    const int64_t start = BeatFrame(beat);
    Noise noise(seed);
    Svf hp, hp2;
    float l, r;
    PanGains(pan, l, r);
    const double decay = open ? 0.16 : 0.025;
    for (int64_t i = 0; i < static_cast<int64_t>((open ? 0.6 : 0.12) * kSampleRate); ++i) {
      double t = static_cast<double>(i) / kSampleRate;
      float v = hp2.High(hp.High(noise.Next(), 7000, 0.2), 9000, 0.1) * AttackDecay(t, 0.0005, decay) * gain;
      drums_.Add(start + i, v * l, v * r);
    }
  }

  void Crash(double beat, float gain) {
    const int64_t start = BeatFrame(beat);
    Noise nl(0xc7a5u), nr(0x5a7cu);
    Svf fl, fr;
    for (int64_t i = 0; i < static_cast<int64_t>(2.6 * kSampleRate); ++i) {
      double t = static_cast<double>(i) / kSampleRate;
      float env = AttackDecay(t, 0.002, 0.7) * gain * 0.45f;
      float l = fl.High(nl.Next(), 4500, 0.3) * env, r = fr.High(nr.Next(), 4500, 0.3) * env;
      drums_.Add(start + i, l, r);
      reverb_send_.Add(start + i, l * 0.2f, r * 0.2f);
    }
  }

  // A noise sweep rising over `beats`, ending on `end_beat`.
  void Riser(double end_beat, double beats, float gain) {
    const int64_t start = BeatFrame(end_beat - beats), len = BeatFrame(end_beat) - start;
    Noise nl(0x715eu), nr(0xe517u);
    Svf fl, fr;
    for (int64_t i = 0; i < len; ++i) {
      double x = static_cast<double>(i) / len;
      double cutoff = 300 * std::pow(25.0, x);
      float env = static_cast<float>(x * x) * gain;
      float l = fl.Band(nl.Next(), cutoff, 0.6) * env, r = fr.Band(nr.Next(), cutoff * 1.05, 0.6) * env;
      drums_.Add(start + i, l, r);
      reverb_send_.Add(start + i, l * 0.4f, r * 0.4f);
    }
  }

  // ---- pitched parts ----
  void Bass(double beat, double beats, int midi, float gain) {
    const int64_t start = BeatFrame(beat);
    const double hold = BeatSeconds(beats) - 0.02;
    Osc saw, sub;
    Svf low;
    const double hz = NoteHz(midi);
    for (int64_t i = 0; i < static_cast<int64_t>((hold + 0.04) * kSampleRate); ++i) {
      double t = static_cast<double>(i) / kSampleRate;
      float raw = 0.6f * saw.Saw(hz) + 0.55f * sub.Sine(hz);
      float v = low.Low(raw, 180 + 1300 * std::exp(-t / 0.07), 0.35);
      v = SoftClip(1.5f * v) * Gate(t, 0.004, hold, 0.03) * gain;
      ducked_.Add(start + i, v, v);
    }
  }

  void Pad(double beat, double beats, const std::array<int, 4>& notes, float gain) {
    const int64_t start = BeatFrame(beat);
    const double hold = BeatSeconds(beats);
    std::array<Osc, 12> osc;
    for (size_t k = 0; k < osc.size(); ++k) osc[k] = Osc(0.137 * k);
    Svf fl, fr;
    const double cents[3] = {-9, 0, 8};
    double hz[12];
    for (int k = 0; k < 12; ++k) hz[k] = NoteHz(notes[k / 3] + cents[k % 3] / 100);
    for (int64_t i = 0; i < static_cast<int64_t>((hold + 0.7) * kSampleRate); ++i) {
      double t = static_cast<double>(i) / kSampleRate;
      float l = 0, r = 0;
      for (int n = 0; n < 4; ++n)
        for (int d = 0; d < 3; ++d) {
          float v = osc[n * 3 + d].Saw(hz[n * 3 + d]);
          l += v * (d == 2 ? 0.4f : 1.0f);
          r += v * (d == 0 ? 0.4f : 1.0f);
        }
      // The filter drifts slowly with the song's own clock: a slow psychedelic sweep.
      double song_t = static_cast<double>(start + i) / kSampleRate;
      double cutoff = 900 + 600 * std::sin(kTwoPi * song_t / (BeatSeconds(32)));
      float env = Gate(t, 0.35, hold, 0.6) * gain * 0.065f;
      l = fl.Low(l, cutoff, 0.25) * env;
      r = fr.Low(r, cutoff * 1.03, 0.25) * env;
      ducked_.Add(start + i, l, r);
      reverb_send_.Add(start + i, l * 0.35f, r * 0.35f);
    }
  }

  void Arp(double beat, int midi, float gain, float brightness, float pan) {
    const int64_t start = BeatFrame(beat);
    Osc sq, saw;
    Svf low;
    float l, r;
    PanGains(pan, l, r);
    const double hz = NoteHz(midi);
    for (int64_t i = 0; i < static_cast<int64_t>(0.22 * kSampleRate); ++i) {
      double t = static_cast<double>(i) / kSampleRate;
      float raw = 0.6f * sq.Square(hz, 0.25) + 0.4f * saw.Saw(hz * 1.003);
      float v = low.Low(raw, 400 + brightness * 4000 * std::exp(-t / 0.05), 0.3);
      v *= AttackDecay(t, 0.002, 0.07) * gain * 0.5f;
      ducked_.Add(start + i, v * l, v * r);
      delay_send_.Add(start + i, v * l * 0.6f, v * r * 0.6f);
    }
  }

  void Lead(double beat, double beats, int midi, float gain) {
    const int64_t start = BeatFrame(beat);
    const double hold = BeatSeconds(beats) - 0.03;
    Osc a, b(0.3), vib;
    Svf low;
    for (int64_t i = 0; i < static_cast<int64_t>((hold + 0.12) * kSampleRate); ++i) {
      double t = static_cast<double>(i) / kSampleRate;
      double wobble = 0.12 * std::min(1.0, std::max(0.0, (t - 0.15) / 0.2)) * vib.Sine(5.5);
      double hz = NoteHz(midi + wobble);
      float raw = 0.5f * a.Saw(hz * 0.997) + 0.5f * b.Saw(hz * 1.003);
      float v = low.Low(raw, 1400 + 2600 * std::exp(-t / 0.12), 0.3);
      v *= Gate(t, 0.01, hold, 0.1) * gain * 0.55f;
      lead_.Add(start + i, v, v);
      delay_send_.Add(start + i, v * 0.35f, v * 0.35f);
      reverb_send_.Add(start + i, v * 0.3f, v * 0.3f);
    }
  }

  // The same FM pluck the kill notes use, left to ring longer.
  void Bell(double beat, int midi, float gain, float pan) {
    const int64_t start = BeatFrame(beat);
    const double hz = NoteHz(midi);
    double carrier = 0, modulator = 0;
    float l, r;
    PanGains(pan, l, r);
    for (int64_t i = 0; i < static_cast<int64_t>(2.0 * kSampleRate); ++i) {
      double t = static_cast<double>(i) / kSampleRate;
      modulator += 2 * hz / kSampleRate;
      carrier += hz / kSampleRate;
      double index = 2.0 * std::exp(-t / 0.08) + 0.3;
      float v = static_cast<float>(std::sin(kTwoPi * carrier + index * std::sin(kTwoPi * modulator)));
      v *= AttackDecay(t, 0.002, 0.5) * Gate(t, 0, 1.9, 0.1) * gain * 0.6f;
      lead_.Add(start + i, v * l, v * r);
      reverb_send_.Add(start + i, v * l * 0.6f, v * r * 0.6f);
      delay_send_.Add(start + i, v * l * 0.3f, v * r * 0.3f);
    }
  }

  LoopBuffer Mix() {
    LoopBuffer out(Frames());
    for (int64_t i = 0; i < Frames(); ++i) {
      out.L(i) = drums_.L(i) + ducked_.L(i) * duck_[i] + lead_.L(i);
      out.R(i) = drums_.R(i) + ducked_.R(i) * duck_[i] + lead_.R(i);
    }
    Echo(out);
    Reverb(out);
    // Round off the few drum peaks that stick out, so the loudest cymbal does
    // not set the level of the whole song.
    for (int64_t i = 0; i < Frames(); ++i) {
      out.L(i) = Limit(out.L(i));
      out.R(i) = Limit(out.R(i));
    }
    return out;
  }

 private:
  int64_t Frames() const { return drums_.Frames(); }

  // Linear up to the knee, then bending smoothly toward the ceiling.
  static float Limit(float x) {
    constexpr float kKnee = 0.8f, kCeiling = 1.3f;
    float a = std::fabs(x);
    if (a <= kKnee) return x;
    float over = (a - kKnee) / (kCeiling - kKnee);
    return std::copysign(kKnee + (kCeiling - kKnee) * std::tanh(over), x);
  }

  // Ping-pong echo at a dotted eighth. Run over the loop twice so the echoes
  // of its end are already sounding at its start.
  void Echo(LoopBuffer& out) {
    const int64_t d = BeatFrame(0.75);
    std::vector<float> dl(d, 0.0f), dr(d, 0.0f);
    Svf damp_l, damp_r;
    const int64_t n = Frames();
    for (int64_t k = 0; k < 2 * n; ++k) {
      int64_t i = k % n;
      size_t p = static_cast<size_t>(k % d);
      float el = dl[p], er = dr[p];
      dl[p] = delay_send_.L(i) + damp_l.Low(er, 3500) * 0.4f;  // crossfeed: ping-pong
      dr[p] = delay_send_.R(i) + damp_r.Low(el, 3500) * 0.4f;
      if (k >= n) {
        out.L(i) += el * 0.5f;
        out.R(i) += er * 0.5f;
      }
    }
  }

  // A small Schroeder room: parallel damped combs into series all-passes,
  // different lengths per side for width. Also run twice round the loop.
  void Reverb(LoopBuffer& out) {
    static constexpr int kCombs[2][4] = {{1557, 1617, 1491, 1422}, {1580, 1640, 1514, 1445}};
    static constexpr int kAllpasses[2][2] = {{556, 441}, {579, 464}};
    const int64_t n = Frames();
    for (int side = 0; side < 2; ++side) {
      std::vector<std::vector<float>> comb(4), ap(2);
      std::array<float, 4> damp{};
      std::array<size_t, 4> cpos{};
      std::array<size_t, 2> apos{};
      for (int c = 0; c < 4; ++c) comb[c].assign(kCombs[side][c] * 2, 0.0f);
      for (int a = 0; a < 2; ++a) ap[a].assign(kAllpasses[side][a], 0.0f);
      std::vector<float>& in = side ? reverb_send_.Right() : reverb_send_.Left();
      std::vector<float>& dst = side ? out.Right() : out.Left();
      for (int64_t k = 0; k < 2 * n; ++k) {
        int64_t i = k % n;
        float x = in[i] * 0.25f, acc = 0;
        for (int c = 0; c < 4; ++c) {
          float y = comb[c][cpos[c]];
          damp[c] = y * 0.6f + damp[c] * 0.4f;
          comb[c][cpos[c]] = x + damp[c] * 0.84f;
          cpos[c] = (cpos[c] + 1) % comb[c].size();
          acc += y;
        }
        for (int a = 0; a < 2; ++a) {
          float b = ap[a][apos[a]];
          ap[a][apos[a]] = acc + b * 0.5f;
          acc = b - acc;
          apos[a] = (apos[a] + 1) % ap[a].size();
        }
        if (k >= n) dst[i] += acc * 0.6f;
      }
    }
  }

  LoopBuffer drums_, ducked_, lead_, delay_send_, reverb_send_;
  std::vector<float> duck_;
};

struct StagePlan {
  const std::array<Chord, 4>* chords;
  bool kick, claps, hats16, open_hats;
  int bass;            // 0 none, 1 long notes, 2 offbeat eighths, 3 rolling sixteenths
  float arp;           // 0 none, else brightness
  int arp_octave;
  const std::vector<Note>* melody;
  float crash;
};

const StagePlan kPlan[kSongStages] = {
    {&kP1, false, false, false, false, 1, 0.0f, 0, nullptr, 0.5f},
    {&kP1, true, false, false, false, 2, 0.25f, 0, nullptr, 0.8f},
    {&kP2, true, true, true, false, 2, 0.5f, 0, nullptr, 0.8f},
    {&kP1, true, true, true, true, 2, 0.5f, 0, &kMelodyA, 0.9f},
    {&kP2, false, false, false, false, 1, 0.3f, 0, &kBells, 0.6f},
    {&kP1, true, true, true, true, 3, 0.8f, 0, &kMelodyB, 1.0f},
    {&kP2, true, true, true, true, 3, 0.8f, 12, &kMelodyC, 1.0f},
    {&kP2, true, true, false, false, 2, 0.4f, 0, nullptr, 0.8f},
};

}  // namespace

LoopBuffer RenderSong3() {
  Song song(SongFrames());
  uint32_t seed = 1;
  for (int stage = 0; stage < kSongStages; ++stage) {
    const StagePlan& p = kPlan[stage];
    const double s0 = stage * kBeatsPerStage;
    song.Crash(s0, p.crash);
    for (int bar = 0; bar < 4; ++bar) {
      const Chord& chord = (*p.chords)[bar];
      const double b0 = s0 + 4 * bar;
      const bool last_bar = bar == 3;
      song.Pad(b0, 4, chord.pad, stage == 4 ? 1.3f : 1.0f);
      // Bass.
      if (p.bass == 1) {
        song.Bass(b0, 4, chord.bass, 0.55f);
      } else if (p.bass == 2) {
        for (int e = 0; e < 4; ++e) song.Bass(b0 + e + 0.5, 0.45, chord.bass, 0.8f);
      } else if (p.bass == 3) {
        for (int x = 0; x < 16; ++x)
          if (x % 4 != 0) song.Bass(b0 + x * 0.25, 0.22, chord.bass + (x % 4 == 3 ? 12 : 0), 0.75f);
      }
      // Drums.
      const bool fill = stage == 7 && last_bar;
      if (p.kick && !fill)
        for (int q = 0; q < 4; ++q) song.Kick(b0 + q, 1.0f);
      if (stage == 0 && last_bar)
        for (int q = 0; q < 4; ++q) song.Kick(b0 + q, 0.4f + 0.15f * q);
      if (p.claps && !fill) {
        song.Clap(b0 + 1, 0.8f, seed++);
        song.Clap(b0 + 3, 0.8f, seed++);
      }
      const bool hats = p.kick || stage == 4 || (stage == 0 && bar >= 2);
      if (hats) {
        float g = stage == 0 || stage == 4 ? 0.5f : 0.85f;
        for (int e = 0; e < 4; ++e) {
          song.Hat(b0 + e + 0.5, g, p.open_hats, e % 2 ? 0.3f : -0.3f, seed++);
          if (p.hats16) {
            song.Hat(b0 + e + 0.25, g * 0.45f, false, 0.5f, seed++);
            song.Hat(b0 + e + 0.75, g * 0.45f, false, -0.5f, seed++);
          }
        }
      }
      // Arpeggio, sixteenths over the chord tones.
      if (p.arp > 0) {
        static constexpr int kOrder[8] = {0, 2, 1, 3, 2, 0, 3, 1};
        for (int x = 0; x < 16; ++x) {
          float accent = x % 4 == 0 ? 1.0f : 0.7f;
          song.Arp(b0 + x * 0.25, chord.arp[kOrder[x % 8]] + p.arp_octave, accent * (stage == 7 ? 0.7f : 1.0f),
                   p.arp, x % 2 ? 0.45f : -0.45f);
        }
      }
    }
    // Melody or bells.
    if (p.melody == &kBells) {
      for (const Note& n : kBells) song.Bell(s0 + n.beat, n.midi, 1.0f, n.beat < 8 ? -0.3f : 0.3f);
    } else if (p.melody) {
      for (const Note& n : *p.melody) song.Lead(s0 + n.beat, n.length, n.midi, 1.0f);
    }
    // Build-ups into the next stage.
    if (stage == 4) {
      // The build-up stops a sixteenth short of the drop: a breath before the cymbal.
      song.Riser(s0 + 15.75, 7.75, 0.5f);
      for (int x = 0; x < 14; ++x) song.Clap(s0 + 12 + x * 0.25, 0.2f + 0.04f * x, seed++);
    }
    if (stage == 7) {
      song.Riser(s0 + 15.75, 3.75, 0.35f);
      for (int x = 0; x < 8; ++x) song.Clap(s0 + 12 + x * 0.5, 0.3f + 0.06f * x, seed++);
    }
  }
  return song.Mix();
}
