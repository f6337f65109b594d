// The generator's exact sequence, its seeding rules and range mapping, the
// degree trigonometry and the numeric conversions.
#include "system/random.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>

namespace {
// Every test starts from the program's initial state.
class Random : public ::testing::Test {
 protected:
  void SetUp() override { SeedRandom(kInitialRandomSeed); }
};
}  // namespace

TEST_F(Random, FirstThreeStepsFromInitialState) {
  EXPECT_EQ(RandomSeed(), 4660);
  EXPECT_EQ(RandomStep(), 224942860);
  EXPECT_EQ(RandomStep(), 539475828);
  EXPECT_EQ(RandomStep(), 650989866);
  EXPECT_EQ(RandomSeed(), 650989866);
}

TEST_F(Random, StepIsMultiplicationModuloTwoToThe31MinusOne) {
  // Schrage's method must agree with the direct 64-bit product everywhere,
  // including the extremes of the state range.
  for (int64_t state : {1LL, 2LL, 44487LL, 44488LL, 44489LL, 1073741823LL, 2147483645LL, 2147483646LL}) {
    SeedRandom(static_cast<int32_t>(state));
    EXPECT_EQ(RandomStep(), (48271 * state) % 2147483647) << state;
  }
  SeedRandom(kInitialRandomSeed);
  int64_t expected = 4660;
  for (int i = 0; i < 100000; ++i) {
    expected = (48271 * expected) % 2147483647;
    ASSERT_EQ(RandomStep(), expected) << "step " << i;
  }
}

TEST_F(Random, FirstUnitDoubleAndFirstRandomInt) {
  EXPECT_DOUBLE_EQ(RndDouble(), 0.4189887270692887);
  EXPECT_EQ(RandomSeed(), 539475828);  // two steps per unit double
  SeedRandom(kInitialRandomSeed);
  EXPECT_EQ(RndDouble(), 0.4189887270692887);  // exactly, not just nearly
  SeedRandom(kInitialRandomSeed);
  EXPECT_EQ(RandomInt(0, 15), 6);
}

TEST_F(Random, UnitFloatUsesOneStepAndTwentyFourBits) {
  EXPECT_EQ(RndFloat(), 0.837977409362793f);  // (224942860 & 0x0FFFFFF0) / 2^28
  EXPECT_EQ(RandomSeed(), 224942860);
  for (int i = 0; i < 10000; ++i) {
    float f = RndFloat();
    ASSERT_GE(f, 0.0f);
    ASSERT_LT(f, 1.0f);
  }
}

TEST_F(Random, SeedingEdgeCases) {
  for (int32_t seed : {0, 0x7FFFFFFF, -1, INT32_MIN}) {
    SeedRandom(12345);
    SeedRandom(seed);
    EXPECT_EQ(RandomSeed(), 4660) << seed;
  }
  SeedRandom(-5);
  EXPECT_EQ(RandomSeed(), 2147483643);
  SeedRandom(1);
  EXPECT_EQ(RandomSeed(), 1);
  SeedRandom(0x7FFFFFFE);
  EXPECT_EQ(RandomSeed(), 0x7FFFFFFE);
}

TEST_F(Random, SameSeedRepeatsTheSequence) {
  SeedRandom(987654);
  double a1 = RandomFloat(0, 360);
  int32_t b1 = RandomInt(1, 255);
  float c1 = RndFloat();
  SeedRandom(987654);
  EXPECT_EQ(RandomFloat(0, 360), a1);
  EXPECT_EQ(RandomInt(1, 255), b1);
  EXPECT_EQ(RndFloat(), c1);
}

TEST_F(Random, RandomIntCoversBothEndsInEitherOrder) {
  std::set<int32_t> seen;
  for (int i = 0; i < 2000; ++i) seen.insert(RandomInt(5, 1));
  EXPECT_EQ(seen, (std::set<int32_t>{1, 2, 3, 4, 5}));

  seen.clear();
  for (int i = 0; i < 2000; ++i) seen.insert(RandomInt(-2, 2));
  EXPECT_EQ(seen, (std::set<int32_t>{-2, -1, 0, 1, 2}));

  // Reversed bounds give the very same draw, not just the same range.
  for (int i = 0; i < 100; ++i) {
    int32_t seed = RandomSeed();
    int32_t forward = RandomInt(1, 255);
    SeedRandom(seed);
    EXPECT_EQ(RandomInt(255, 1), forward);
  }
}

TEST_F(Random, DegenerateAndExtremeIntRanges) {
  for (int i = 0; i < 100; ++i) EXPECT_EQ(RandomInt(3, 3), 3);
  for (int i = 0; i < 1000; ++i) {
    int32_t v = RandomInt(INT32_MIN, INT32_MAX);
    (void)v;  // any int is in range; the point is no overflow (UBSan checks)
    int32_t w = RandomInt(INT32_MAX - 1, INT32_MAX);
    ASSERT_GE(w, INT32_MAX - 1);
  }
}

TEST_F(Random, RandomFloatStaysInHalfOpenRangeInEitherOrder) {
  EXPECT_EQ(RandomFloat(0, 0), 0.0);
  for (int i = 0; i < 20000; ++i) {
    double f = RandomFloat(0.7, 1);
    ASSERT_GE(f, 0.7);
    ASSERT_LT(f, 1.0);
    double g = RandomFloat(360, 0);
    ASSERT_GE(g, 0.0);
    ASSERT_LT(g, 360.0);
  }
  SeedRandom(4660);
  EXPECT_EQ(RandomFloat(10, 20), 10 + 0.4189887270692887 * 10);
  SeedRandom(4660);
  EXPECT_EQ(RandomFloat(20, 10), 10 + 0.4189887270692887 * 10);
  SeedRandom(4660);
  EXPECT_EQ(Rnd(), 0.4189887270692887);
  SeedRandom(4660);
  EXPECT_EQ(Rand(16), 7);  // 1 + trunc(u * 16)
}

TEST(DegreeMath, AnglesPointTheGameWay) {
  EXPECT_EQ(ATan2Deg(0, -1), 180.0);
  EXPECT_EQ(ATan2Deg(1, 0), 90.0);
  EXPECT_EQ(ATan2Deg(-1, 0), -90.0);
  EXPECT_EQ(ATan2Deg(0, 1), 0.0);
  EXPECT_DOUBLE_EQ(ATan2Deg(1, 1), 45.0);
  EXPECT_EQ(SinDeg(90), 1.0);
  EXPECT_EQ(CosDeg(180), -1.0);
  EXPECT_EQ(SinDeg(0), 0.0);
  EXPECT_NEAR(CosDeg(90), 0.0, 1e-15);
  EXPECT_NEAR(SinDeg(30), 0.5, 1e-15);
  EXPECT_NEAR(TanDeg(45), 1.0, 1e-15);
  EXPECT_NEAR(SinDeg(-270), 1.0, 1e-15);
  EXPECT_DOUBLE_EQ(ASinDeg(1), 90.0);
  EXPECT_DOUBLE_EQ(ACosDeg(-1), 180.0);
  EXPECT_DOUBLE_EQ(ATanDeg(1), 45.0);
  // The conversion is x * (pi / 180), exactly as the drawing code expects.
  EXPECT_EQ(SinDeg(37.0), std::sin(37.0 * (3.141592653589793 / 180.0)));
  EXPECT_EQ(Sqrt(2.25), 1.5);
  EXPECT_TRUE(std::isnan(Sqrt(-1)));
}

TEST(Numbers, TruncationTowardZero) {
  EXPECT_EQ(ToInt(2.7), 2);
  EXPECT_EQ(ToInt(-2.7), -2);
  EXPECT_EQ(ToInt(-0.5), 0);
  EXPECT_EQ(ToInt(2147483647.9), INT32_MAX);
  EXPECT_EQ(ToInt(-2147483648.9), INT32_MIN);
  EXPECT_EQ(ToInt(1e10), INT32_MIN);
  EXPECT_EQ(ToInt(-1e10), INT32_MIN);
  EXPECT_EQ(ToInt(std::nan("")), INT32_MIN);
}

TEST(Numbers, RemainderKeepsTheSignOfTheDividend) {
  EXPECT_EQ(FMod(-7.5, 2), -1.5);
  EXPECT_EQ(FMod(7.5, -2), 1.5);
  EXPECT_EQ(FMod(370.0, 360.0), 10.0);
  EXPECT_EQ(Pow(2.0, 10.0), 1024.0);
}

TEST(Numbers, MinAndMaxReturnTheSecondArgumentOnTies) {
  // +0 and -0 compare equal, so the sign shows which argument came back.
  EXPECT_TRUE(std::signbit(Min(0.0, -0.0)));
  EXPECT_FALSE(std::signbit(Min(-0.0, 0.0)));
  EXPECT_TRUE(std::signbit(Max(0.0, -0.0)));
  EXPECT_FALSE(std::signbit(Max(-0.0, 0.0)));
  EXPECT_EQ(Min(1.0, 2.0), 1.0);
  EXPECT_EQ(Max(1.0, 2.0), 2.0);
  EXPECT_EQ(Min(-3, 4), -3);
  EXPECT_EQ(Max(-3, 4), 4);
}

TEST(Numbers, AbsoluteValueAndSign) {
  EXPECT_EQ(Abs(-2.5), 2.5);
  EXPECT_EQ(Abs(-7), 7);
  EXPECT_EQ(Abs(INT32_MIN), INT32_MIN);  // wraps, like the hardware
  EXPECT_EQ(Sgn(-0.1), -1.0);
  EXPECT_EQ(Sgn(0.0), 0.0);
  EXPECT_EQ(Sgn(3.0), 1.0);
  EXPECT_EQ(Sgn(-4), -1);
  EXPECT_EQ(Sgn(0), 0);
}
