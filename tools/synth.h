// Building blocks for the sound recipes in assets/: oscillators, a filter,
// envelopes, seeded noise and buffers that wrap around (for a seamless loop).
// Everything runs at 44100 Hz on floats in -1..1 and is deterministic: noise
// comes from explicitly seeded generators, never from the clock.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

constexpr int kSampleRate = 44100;
constexpr double kTwoPi = 6.283185307179586;

// Equal temperament, A4 = 440 Hz = MIDI note 69.
double NoteHz(double midi_note);
double DbToGain(double db);

// xorshift32 noise: the same seed gives the same sounds on every machine.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed ? seed : 0x9e3779b9u) {}
  uint32_t NextBits();
  float Next();  // white, uniform in -1..1
 private:
  uint32_t state_;
};

// A phase-accumulating oscillator; every call advances by one sample at hz.
class Osc {
 public:
  explicit Osc(double phase = 0) : phase_(phase) {}
  float Sine(double hz);
  float Saw(double hz);                 // band-limited with polyBLEP
  float Square(double hz, double duty = 0.5);  // band-limited with polyBLEP
  float Triangle(double hz);
  double Phase() const { return phase_; }
 private:
  double Advance(double hz);
  double phase_;
};

// A state-variable filter (topology-preserving form): stable under fast
// cutoff sweeps, which the basses and the explosion lean on.
class Svf {
 public:
  struct Out {
    float low, band, high;
  };
  // resonance 0 (none) .. about 0.95 (ringing).
  Out Process(float x, double cutoff_hz, double resonance);
  float Low(float x, double cutoff_hz, double resonance = 0) { return Process(x, cutoff_hz, resonance).low; }
  float High(float x, double cutoff_hz, double resonance = 0) { return Process(x, cutoff_hz, resonance).high; }
  float Band(float x, double cutoff_hz, double resonance = 0) { return Process(x, cutoff_hz, resonance).band; }
 private:
  double ic1_ = 0, ic2_ = 0;
};

// Attack-decay envelope: rises linearly over attack seconds, then falls
// exponentially with time constant decay seconds.
float AttackDecay(double t, double attack, double decay);
// A gate envelope with linear attack and release around [0, hold] seconds.
float Gate(double t, double attack, double hold, double release);
// Gentle saturation that keeps small signals linear.
float SoftClip(float x);

// A mono sound under construction.
using Mono = std::vector<float>;

// Short fades at both ends so a sound never starts or stops with a click.
void FadeEnds(Mono& s, double fade_in_seconds, double fade_out_seconds);

// A stereo buffer that wraps: writing past the end lands at the start, so
// tails of notes at the end of a loop ring on into its beginning.
class LoopBuffer {
 public:
  explicit LoopBuffer(int64_t frames) : l_(frames, 0.0f), r_(frames, 0.0f) {}
  int64_t Frames() const { return static_cast<int64_t>(l_.size()); }
  void Add(int64_t frame, float left, float right) {
    int64_t n = Frames();
    int64_t i = ((frame % n) + n) % n;
    l_[i] += left;
    r_[i] += right;
  }
  float& L(int64_t i) { return l_[i]; }
  float& R(int64_t i) { return r_[i]; }
  std::vector<float>& Left() { return l_; }
  std::vector<float>& Right() { return r_; }
  // Mixes other in at gain.
  void Mix(const LoopBuffer& other, float gain);
 private:
  std::vector<float> l_, r_;
};

// Equal-power pan: -1 left, 0 centre, +1 right.
void PanGains(float pan, float& left, float& right);
