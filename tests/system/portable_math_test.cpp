// The portable trigonometry against MPFR: every result must be the double
// nearest to the exact value, on the game's angles, near the multiples of
// 90 degrees, across every binade of the doubles and on the special values.
#include "system/portable_math.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <bit>
#include <cstdint>
#include <limits>

#include "tests/math/math_inputs.h"

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
double Bits(uint64_t b) { return TMathInputs::Bits(b); }
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
    TMathInputs in{1};
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
      in.Draw(i);
      const uint64_t r = in.r;
      // multiples of 90 degrees, the reduction's hardest arguments, and their neighbours
      const double right = Bits(std::bit_cast<uint64_t>(90.0 * static_cast<int32_t>(r % 80001 - 40000) * degToRad) +
                                (r >> 62) - 1);
      check(inverse ? in.unit : power ? in.unit + 1.5 : in.degrees * degToRad, power ? in.dy / 32 : in.dy);
      check(in.any, inverse ? in.dx : Bits(in.Next()));
      check(inverse ? in.dx / 1000 : right, in.any);
      check(in.dx, in.dy);
      if (power) check(in.dx / 64, static_cast<double>(static_cast<int64_t>(r % 41) - 20));
    }
    EXPECT_EQ(wrong, 0) << f.name;
  }
  mpfr_clears(mx, my, mr, static_cast<mpfr_ptr>(nullptr));
}
