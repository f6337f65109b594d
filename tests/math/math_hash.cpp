// One hash of eleven million results of the degree functions and Pow: the
// game's angles and vectors, every binade of the doubles, NaNs and
// infinities. Built for each platform, it must print the same hash, the one
// it is given (exit status 1 otherwise), so a replay recorded on one
// platform computes the same angles on every other.
#include "system/random.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {
uint64_t g_state = 2024;
uint64_t Next() {  // splitmix64: integers only, so the arguments are the same everywhere too
  uint64_t z = (g_state += 0x9E3779B97F4A7C15);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
  return z ^ (z >> 31);
}
double Bits(uint64_t b) {
  double v;
  std::memcpy(&v, &b, sizeof v);
  return v;
}
uint64_t g_hash = 14695981039346656037u;
void Mix(double v) {  // FNV-1a over the result's bits
  uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  for (int i = 0; i < 64; i += 8) g_hash = (g_hash ^ ((b >> i) & 0xFF)) * 1099511628211u;
}
}  // namespace

int main(int argc, char** argv) {
  for (int i = 0; i < 1000000; ++i) {
    const uint64_t r = Next();
    const double degrees = static_cast<double>(static_cast<int64_t>(r % 2000001) - 1000000) + (r >> 54) / 1024.0;
    const uint64_t b = Next();  // every binade, NaNs and infinities; or 2^-40 to 2^24
    const double any = Bits(i % 2 ? b : (b & 0x800FFFFFFFFFFFFF) | (1023 - 40 + b % 64) << 52);
    const double unit = static_cast<double>(static_cast<int64_t>(r >> 10)) * 0x1p-53 - 1;
    const double dx = static_cast<double>(static_cast<int64_t>(r % 2001) - 1000);
    const double dy = static_cast<double>(static_cast<int64_t>((r >> 20) % 2001) - 1000) + (r >> 60) / 16.0;
    Mix(SinDeg(degrees));
    Mix(CosDeg(degrees));
    Mix(TanDeg(degrees));
    Mix(SinDeg(any));
    Mix(CosDeg(any));
    Mix(ATan2Deg(dy, dx));
    Mix(ATan2Deg(any, degrees));
    Mix(ASinDeg(unit));
    Mix(ACosDeg(unit));
    Mix(ATanDeg(any));
    Mix(Pow(unit + 1.5, dy / 32));
  }
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016" PRIx64, g_hash);
  std::printf("%s\n", hash);
  return argc > 1 && std::strcmp(argv[1], hash) != 0;
}
