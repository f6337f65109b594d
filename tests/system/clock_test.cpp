// The clock's time source can be replaced and restored, and Delay sleeps.
#include "system/clock.h"

#include <gtest/gtest.h>

namespace {
int32_t g_now = 0;
int32_t ManualNow() { return g_now; }
}  // namespace

TEST(Clock, ManualSourceDrivesMillisecsAndWrapsNegative) {
  SetTimeSource(ManualNow);
  g_now = 1234;
  EXPECT_EQ(Millisecs(), 1234);
  g_now = INT32_MIN;  // 2^31 ms of up-time reads negative
  EXPECT_EQ(Millisecs(), INT32_MIN);
  SetTimeSource(nullptr);
  int32_t a = Millisecs();
  EXPECT_EQ(a, SystemMillisecs());
}

TEST(Clock, DelaySleepsAndNegativeReturnsAtOnce) {
  int32_t t0 = SystemMillisecs();
  Delay(-1);
  EXPECT_LE(SystemMillisecs() - t0, 5);
  Delay(30);
  EXPECT_GE(SystemMillisecs() - t0, 30);
}
