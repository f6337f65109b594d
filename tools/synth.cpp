// Sound building blocks (see synth.h).
#include "tools/synth.h"

#include <algorithm>

double NoteHz(double midi_note) { return 440.0 * std::pow(2.0, (midi_note - 69.0) / 12.0); }

double DbToGain(double db) { return std::pow(10.0, db / 20.0); }

uint32_t Noise::NextBits() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_;
}

float Noise::Next() { return static_cast<float>(NextBits() >> 8) / 8388608.0f - 1.0f; }

namespace {

// The polyBLEP correction that rounds off a step at phase 0 of width dt.
double Blep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

}  // namespace

double Osc::Advance(double hz) {
  double t = phase_;
  phase_ += hz / kSampleRate;
  phase_ -= std::floor(phase_);
  return t;
}

float Osc::Sine(double hz) { return static_cast<float>(std::sin(kTwoPi * Advance(hz))); }

float Osc::Saw(double hz) {
  double dt = hz / kSampleRate;
  double t = Advance(hz);
  return static_cast<float>(2.0 * t - 1.0 - Blep(t, dt));
}

float Osc::Square(double hz, double duty) {
  double dt = hz / kSampleRate;
  double t = Advance(hz);
  double v = t < duty ? 1.0 : -1.0;
  v += Blep(t, dt);
  double t2 = t - duty;
  if (t2 < 0) t2 += 1.0;
  v -= Blep(t2, dt);
  return static_cast<float>(v);
}

float Osc::Triangle(double hz) {
  double t = Advance(hz);
  return static_cast<float>(t < 0.5 ? 4.0 * t - 1.0 : 3.0 - 4.0 * t);
}

Svf::Out Svf::Process(float x, double cutoff_hz, double resonance) {
  double fc = std::clamp(cutoff_hz, 10.0, kSampleRate * 0.45);
  double g = std::tan(kTwoPi * 0.5 * fc / kSampleRate);
  double k = 2.0 - 2.0 * std::clamp(resonance, 0.0, 0.98);
  double a1 = 1.0 / (1.0 + g * (g + k));
  double a2 = g * a1;
  double a3 = g * a2;
  double v3 = x - ic2_;
  double v1 = a1 * ic1_ + a2 * v3;
  double v2 = ic2_ + a2 * ic1_ + a3 * v3;
  ic1_ = 2.0 * v1 - ic1_;
  ic2_ = 2.0 * v2 - ic2_;
  return {static_cast<float>(v2), static_cast<float>(v1), static_cast<float>(x - k * v1 - v2)};
}

float AttackDecay(double t, double attack, double decay) {
  if (t < 0) return 0.0f;
  if (t < attack) return static_cast<float>(t / attack);
  return static_cast<float>(std::exp(-(t - attack) / decay));
}

float Gate(double t, double attack, double hold, double release) {
  if (t < 0) return 0.0f;
  if (t < attack) return static_cast<float>(t / attack);
  if (t < hold) return 1.0f;
  if (t < hold + release) return static_cast<float>(1.0 - (t - hold) / release);
  return 0.0f;
}

float SoftClip(float x) { return std::tanh(x); }

void FadeEnds(Mono& s, double fade_in_seconds, double fade_out_seconds) {
  size_t in = std::min(s.size(), static_cast<size_t>(fade_in_seconds * kSampleRate));
  size_t out = std::min(s.size(), static_cast<size_t>(fade_out_seconds * kSampleRate));
  for (size_t i = 0; i < in; ++i) s[i] *= static_cast<float>(i) / in;
  // The last sample lands exactly on zero.
  for (size_t i = 0; i < out; ++i) s[s.size() - 1 - i] *= static_cast<float>(i) / out;
}

void LoopBuffer::Mix(const LoopBuffer& other, float gain) {
  for (size_t i = 0; i < l_.size() && i < other.l_.size(); ++i) {
    l_[i] += other.l_[i] * gain;
    r_[i] += other.r_[i] * gain;
  }
}

void PanGains(float pan, float& left, float& right) {
  double a = (std::clamp(pan, -1.0f, 1.0f) + 1.0) * kTwoPi / 8.0;
  left = static_cast<float>(std::cos(a));
  right = static_cast<float>(std::sin(a));
}
