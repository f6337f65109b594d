// The generator and the numeric helpers. Every formula here is written so
// the result is exact in double precision and matches the game's sequence.
#include "system/random.h"

#include "system/portable_math.h"

#include <climits>
#include <cmath>

namespace {
int32_t g_state = kInitialRandomSeed;

// Schrage's split of the modulus 2^31 - 1 by the multiplier 48271.
constexpr int32_t kQuotient = 44488;   // (2^31 - 1) div 48271
constexpr int32_t kRemainder = 3399;   // (2^31 - 1) mod 48271
constexpr double kDegToRad = kPi / 180.0;
constexpr double kRadToDeg = 180.0 / kPi;
}  // namespace

void SeedRandom(int32_t seed) {
  int32_t state = static_cast<int32_t>(static_cast<uint32_t>(seed) & 0x7FFFFFFFu);
  // 0 and 2^31 - 1 are fixed points of the step; they would stall it.
  g_state = (state == 0 || state == 0x7FFFFFFF) ? kInitialRandomSeed : state;
}

int32_t RandomSeed() { return g_state; }

int32_t RandomStep() {
  // Neither product exceeds 2^31 - 1, so this never overflows.
  g_state = 48271 * (g_state % kQuotient) - kRemainder * (g_state / kQuotient);
  if (g_state < 0) g_state += 2147483647;
  return g_state;
}

double RndDouble() {
  double hi = RandomStep() & 0x1FFFFFFC;
  double lo = RandomStep() & 0x1FFFFFF8;
  return (hi + lo / 134217728.0) / 536870912.0;
}

float RndFloat() { return static_cast<float>((RandomStep() & 0x0FFFFFF0) / 268435456.0); }

double RandomFloat(double a, double b) {
  double u = RndDouble();
  if (b > a) return a + u * (b - a);
  return b + u * (a - b);
}

int32_t RandomInt(int32_t a, int32_t b) {
  // The width is taken in 64 bits so even the full int range stays in bounds.
  int64_t range = static_cast<int64_t>(b) - a;
  double u = RndDouble();
  if (range > 0) return static_cast<int32_t>(a + static_cast<int64_t>(u * static_cast<double>(range + 1)));
  return static_cast<int32_t>(b + static_cast<int64_t>(u * static_cast<double>(1 - range)));
}

// The radian functions are the portable ones, not the platform's, so the
// game's state is the same bits on every platform; the conversion to and
// from degrees is the one rounded product it always was. A NaN comes back as
// the one quiet NaN whatever the platform's arithmetic would do to its bits.
double SinDeg(double degrees) { return portable_math::Sin(degrees * kDegToRad); }
double CosDeg(double degrees) { return portable_math::Cos(degrees * kDegToRad); }
double TanDeg(double degrees) { return portable_math::Tan(degrees * kDegToRad); }
namespace {
double ToDegrees(double radians) { return radians == radians ? radians * kRadToDeg : radians; }
}  // namespace
double ASinDeg(double x) { return ToDegrees(portable_math::Asin(x)); }
double ACosDeg(double x) { return ToDegrees(portable_math::Acos(x)); }
double ATanDeg(double x) { return ToDegrees(portable_math::Atan(x)); }
double ATan2Deg(double y, double x) { return ToDegrees(portable_math::Atan2(y, x)); }
// IEEE square root is correctly rounded everywhere already.
double Sqrt(double x) { return std::sqrt(x); }

int32_t ToInt(double x) {
  // The open bounds keep every value that truncates into range.
  if (!(x > -2147483649.0 && x < 2147483648.0)) return INT32_MIN;
  return static_cast<int32_t>(x);
}

double FMod(double a, double b) { return std::fmod(a, b); }
double Pow(double x, double y) { return portable_math::Pow(x, y); }
double Abs(double x) { return std::fabs(x); }
int32_t Abs(int32_t x) { return x < 0 ? static_cast<int32_t>(0u - static_cast<uint32_t>(x)) : x; }
double Min(double a, double b) { return a < b ? a : b; }
double Max(double a, double b) { return a > b ? a : b; }
int32_t Min(int32_t a, int32_t b) { return a < b ? a : b; }
int32_t Max(int32_t a, int32_t b) { return a > b ? a : b; }
double Sgn(double x) { return x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0); }
int32_t Sgn(int32_t x) { return x > 0 ? 1 : (x < 0 ? -1 : 0); }
