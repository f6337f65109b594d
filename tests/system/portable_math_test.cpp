// The portable trigonometry against MPFR: every result must be the double
// nearest to the exact value, on the game's angles, near the multiples of
// 90 degrees, across every binade of the doubles and on the special values.
#include "system/portable_math.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <bit>
#include <cstdint>
#include <limits>

namespace {
using namespace portable_math;
template <int (*F)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t)>
int Unary(mpfr_ptr r, mpfr_srcptr x, mpfr_srcptr, mpfr_rnd_t rnd) { return F(r, x, rnd); }
int Atan2Yx(mpfr_ptr r, mpfr_srcptr x, mpfr_srcptr y, mpfr_rnd_t rnd) { return mpfr_atan2(r, y, x, rnd); }
const struct {
  const char* name;
  double (*ours)(double, double);
  int (*exact)(mpfr_ptr, mpfr_srcptr, mpfr_srcptr, mpfr_rnd_t);
} kFunctions[] = {
    {"sin", [](double x, double) { return Sin(x); }, Unary<mpfr_sin>},
    {"cos", [](double x, double) { return Cos(x); }, Unary<mpfr_cos>},
    {"tan", [](double x, double) { return Tan(x); }, Unary<mpfr_tan>},
    {"atan", [](double x, double) { return Atan(x); }, Unary<mpfr_atan>},
    {"asin", [](double x, double) { return Asin(x); }, Unary<mpfr_asin>},
    {"acos", [](double x, double) { return Acos(x); }, Unary<mpfr_acos>},
    {"atan2", [](double x, double y) { return Atan2(y, x); }, Atan2Yx},
    {"pow", Pow, mpfr_pow},
};
uint64_t g_state;
uint64_t Next() {  // splitmix64
  uint64_t z = (g_state += 0x9E3779B97F4A7C15);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
  return z ^ (z >> 31);
}
double Bits(uint64_t b) { return std::bit_cast<double>(b); }
}  // namespace

TEST(PortableMath, CorrectlyRoundedEverywhere) {
  mpfr_set_emin(-1073);  // the doubles' exponent range, so subnormals round as doubles do
  mpfr_set_emax(1024);
  mpfr_t mx, my, mr;
  mpfr_inits2(53, mx, my, mr, static_cast<mpfr_ptr>(nullptr));
  const double inf = std::numeric_limits<double>::infinity();
  const double special[] = {0.0, -0.0, Bits(1), -Bits(1), 0x1p-27, 0x1.fffffffffffffp-28, 1e-300,
                            0x1.921fb54442d18p-1, 0x1.921fb54442d19p-1, 0x1p21, 0x1.fffffffffffffp20, 1.0, -1.0,
                            0x1.0000000000001p0, 6381956970095103 * 0x1p797, 1e22, 0x1.fffffffffffffp1023,
                            -0x1.fffffffffffffp1023, inf, -inf, std::numeric_limits<double>::quiet_NaN()};
  const double degToRad = 3.141592653589793 / 180.0;
  for (const auto& f : kFunctions) {
    g_state = 1;
    int wrong = 0;
    auto check = [&](double x, double y) {
      mpfr_set_d(mx, x, MPFR_RNDN);
      mpfr_set_d(my, y, MPFR_RNDN);
      mpfr_subnormalize(mr, f.exact(mr, mx, my, MPFR_RNDN), MPFR_RNDN);
      const double want = mpfr_get_d(mr, MPFR_RNDN);
      const double got = f.ours(x, y);
      // A NaN must come back as the one quiet NaN; anything else bit for bit (signed zeros too).
      const uint64_t wantBits = want != want ? 0x7FF8000000000000 : std::bit_cast<uint64_t>(want);
      if (std::bit_cast<uint64_t>(got) != wantBits && ++wrong <= 5)
        ADD_FAILURE() << f.name << "(" << std::hexfloat << x << ", " << y << ") = " << got << ", exact " << want;
    };
    const bool inverse = f.name[0] == 'a';
    const bool power = f.exact == mpfr_pow;
    for (double x : special)
      for (double y : special) check(x, y);
    // exactly half-way powers, which round to the even neighbour
    check(0x1.0000002p0, 2);
    check(-0x1.00004p0, 3);
    check(2, -1075);
    for (int i = 0; i < 60000; ++i) {
      const uint64_t r = Next();
      // the game's angles: degrees up to a million in steps of 1/1024, turned into radians as the game does
      const double degrees = static_cast<double>(static_cast<int64_t>(r % 2000001) - 1000000) + (r >> 54) / 1024.0;
      // every binade, subnormals, infinities and NaNs among them; or 2^-40 to 2^24
      const uint64_t b = Next();
      const double any = Bits(i % 2 ? b : (b & 0x800FFFFFFFFFFFFF) | (1023 - 40 + b % 64) << 52);
      // multiples of 90 degrees, the reduction's hardest arguments, and their neighbours
      const double right = Bits(std::bit_cast<uint64_t>(90.0 * static_cast<int32_t>(r % 80001 - 40000) * degToRad) +
                                (r >> 62) - 1);
      const double unit = static_cast<double>(static_cast<int64_t>(r >> 10)) * 0x1p-53 - 1;  // [-1, 1)
      // game vectors: whole pixel differences and fractional positions
      const double dx = static_cast<double>(static_cast<int64_t>(r % 2001) - 1000);
      const double dy = static_cast<double>(static_cast<int64_t>((r >> 20) % 2001) - 1000) + (r >> 60) / 16.0;
      check(inverse ? unit : power ? unit + 1.5 : degrees * degToRad, power ? dy / 32 : dy);
      check(any, inverse ? dx : Bits(Next()));
      check(inverse ? dx / 1000 : right, any);
      check(dx, dy);
      if (power) check(dx / 64, static_cast<double>(static_cast<int64_t>(r % 41) - 20));
    }
    EXPECT_EQ(wrong, 0) << f.name;
  }
  mpfr_clears(mx, my, mr, static_cast<mpfr_ptr>(nullptr));
}
