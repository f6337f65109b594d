// Recipes for the seven sound effects. Each builds a mono buffer from the
// blocks in tools/synth.h; every one starts and ends on silence (FadeEnds).
// Seeds are fixed so the noise, and so the files, never change by themselves.
#include "assets/sounds/effects.h"

#include <algorithm>
#include <cmath>

namespace {

Mono Silence(double seconds) { return Mono(static_cast<size_t>(seconds * kSampleRate), 0.0f); }

double Seconds(size_t i) { return static_cast<double>(i) / kSampleRate; }

// A kill note: an FM pluck (modulator at twice the pitch, bright at the
// strike and mellowing as it rings) with a quick octave "ting" on top.
Mono Pluck(double midi) {
  Mono s = Silence(0.85);
  const double hz = NoteHz(midi);
  double carrier = 0, modulator = 0;
  Osc ting, shimmer(0.25);
  for (size_t i = 0; i < s.size(); ++i) {
    double t = Seconds(i);
    double index = 2.2 * std::exp(-t / 0.06) + 0.35;
    modulator += 2 * hz / kSampleRate;
    carrier += hz / kSampleRate;
    double body = std::sin(kTwoPi * carrier + index * std::sin(kTwoPi * modulator));
    float env = AttackDecay(t, 0.002, 0.22);
    float tail = AttackDecay(t, 0.002, 0.5);
    s[i] = static_cast<float>(0.7 * body * (0.7 * env + 0.3 * tail) +
                              0.25 * ting.Sine(hz * 2) * AttackDecay(t, 0.001, 0.05) +
                              0.08 * shimmer.Sine(hz * 3.003) * AttackDecay(t, 0.001, 0.15));
  }
  FadeEnds(s, 0.003, 0.08);
  return s;
}

Mono NoteD() { return Pluck(kNoteD); }
Mono NoteA() { return Pluck(kNoteA); }
Mono NoteG() { return Pluck(kNoteG); }

// The player's shot: a light, very short downward chirp with a breath of noise.
Mono PlayerShoot() {
  Mono s = Silence(0.09);
  Osc osc;
  Noise noise(0x51a7u);
  Svf hp;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = Seconds(i);
    double hz = 300 + 1500 * std::exp(-t / 0.018);
    float tone = osc.Square(hz, 0.3) * 0.5f;
    float breath = hp.High(noise.Next(), 4000) * AttackDecay(t, 0.0005, 0.012);
    s[i] = (tone * AttackDecay(t, 0.001, 0.025) + 0.5f * breath);
  }
  FadeEnds(s, 0.001, 0.02);
  return s;
}

// The enemy's shot: a buzzy falling zap, ring-modulated so it cannot be
// mistaken for the player's.
Mono EnemyBullet() {
  Mono s = Silence(0.22);
  Osc saw, ring;
  Svf band;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = Seconds(i);
    double hz = 120 + 900 * std::exp(-t / 0.05);
    float v = saw.Saw(hz) * (0.6f + 0.4f * ring.Square(73));
    v = band.Band(v, 400 + 2400 * std::exp(-t / 0.06), 0.75);
    s[i] = SoftClip(2.0f * v) * AttackDecay(t, 0.003, 0.07);
  }
  FadeEnds(s, 0.002, 0.03);
  return s;
}

// The player is hit: a heavy thump with a crunch of distorted noise.
Mono PlayerHit() {
  Mono s = Silence(0.5);
  Osc thump;
  Noise noise(0xb0d1u);
  Svf low;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = Seconds(i);
    double hz = 38 + 130 * std::exp(-t / 0.04);
    float body = thump.Sine(hz) * AttackDecay(t, 0.002, 0.16);
    float crunch = low.Low(noise.Next(), 600 + 3000 * std::exp(-t / 0.05), 0.3) * AttackDecay(t, 0.001, 0.07);
    s[i] = SoftClip(1.8f * body + 1.4f * crunch);
  }
  FadeEnds(s, 0.002, 0.08);
  return s;
}

// The player's death: a long explosion, a roar closing down from bright to
// dark over a falling sub-bass, with crackle in its first half.
Mono Boom() {
  Mono s = Silence(1.7);
  Osc sub;
  Noise noise(0xb00u), crackle(0xc4acu);
  Svf roar, roar2, crack_filter;
  float crack = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = Seconds(i);
    double cutoff = 120 + 6000 * std::exp(-t / 0.18);
    float n = noise.Next();
    float r = roar2.Low(roar.Low(n, cutoff, 0.2), cutoff * 1.5, 0.0);
    float rumble = sub.Sine(30 + 60 * std::exp(-t / 0.25));
    // Sparse crackle: random clicks, thinning out as the blast dies.
    if (crackle.NextBits() % 1000 < static_cast<uint32_t>(40 * std::exp(-t / 0.3))) crack = crackle.Next();
    crack *= 0.9f;
    float cr = crack_filter.Band(crack, 2500, 0.3);
    s[i] = SoftClip(2.2f * r * AttackDecay(t, 0.004, 0.45) + 0.9f * rumble * AttackDecay(t, 0.01, 0.5) +
                    0.6f * cr * AttackDecay(t, 0.0, 0.35));
  }
  FadeEnds(s, 0.003, 0.3);
  return s;
}

}  // namespace

const std::vector<SoundRecipe>& SoundRecipes() {
  static const std::vector<SoundRecipe> recipes = {
      {"a", -2.5, NoteA},
      {"g", -2.5, NoteG},
      {"d", -2.5, NoteD},
      {"boom1", -1.5, Boom},
      {"enemybullet", -7.0, EnemyBullet},
      {"playerhit", -2.0, PlayerHit},
      {"playershoot", -10.0, PlayerShoot},
  };
  return recipes;
}
