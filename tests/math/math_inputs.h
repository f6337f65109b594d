// The arguments both math tests draw, from integers only (splitmix64), so
// they are the same on every platform: the game's angles (degrees up to a
// million in steps of 1/1024), any double (every binade, subnormals,
// infinities and NaNs on odd draws; 2^-40 to 2^24 on even ones), a unit in
// [-1, 1), and game vectors (whole pixel differences, fractional positions).
#pragma once
#include <cstdint>
#include <cstring>

struct TMathInputs {
  uint64_t state;
  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
    return z ^ (z >> 31);
  }
  // A value's bits as another type's (by memcpy: the browser's library has no std::bit_cast).
  template <class To, class From>
  static To Cast(From from) {
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
  }
  static double Bits(uint64_t b) { return Cast<double>(b); }
  uint64_t r = 0;
  double degrees = 0, any = 0, unit = 0, dx = 0, dy = 0;
  void Draw(int i) {
    r = Next();
    degrees = static_cast<double>(static_cast<int64_t>(r % 2000001) - 1000000) + (r >> 54) / 1024.0;
    const uint64_t b = Next();
    any = Bits(i % 2 ? b : (b & 0x800FFFFFFFFFFFFF) | (1023 - 40 + b % 64) << 52);
    unit = static_cast<double>(static_cast<int64_t>(r >> 10)) * 0x1p-53 - 1;
    dx = static_cast<double>(static_cast<int64_t>(r % 2001) - 1000);
    dy = static_cast<double>(static_cast<int64_t>((r >> 20) % 2001) - 1000) + (r >> 60) / 16.0;
  }
};
