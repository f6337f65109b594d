// Timers over the SDL event pump: periods, WaitTimer, the 16-timer table,
// ticks dropped after Stop, and the events a tick emits. Real time, no display.
#include "system/timer.h"

#include <gtest/gtest.h>

#include <vector>

#include "system/clock.h"
#include "system/system_driver.h"

namespace {
class Timer : public ::testing::Test {
 protected:
  void SetUp() override { SetSystemDriver(nullptr); }
  void TearDown() override {
    for (auto& t : timers) StopTimer(t);
  }
  std::shared_ptr<TTimer> Make(float hz, std::shared_ptr<TEvent> event = nullptr) {
    auto t = CreateTimer(hz, std::move(event));
    if (t) timers.push_back(t);
    return t;
  }
  std::vector<std::shared_ptr<TTimer>> timers;
};

std::vector<std::shared_ptr<TEvent>> g_ticks;
std::shared_ptr<TObject> KeepTicks(int, std::shared_ptr<TObject> data, std::shared_ptr<TObject>) {
  auto e = std::dynamic_pointer_cast<TEvent>(data);
  if (e && (e->id == EVENT_TIMERTICK || (e->id & EVENT_USEREVENTMASK))) g_ticks.push_back(e);
  return data;
}
}  // namespace

TEST_F(Timer, SixtyWaitsAt60HzTakeAbout096Seconds) {
  int t0 = SystemMillisecs();  // before the timer starts: a slow start does not shorten the count
  auto t = Make(60);
  ASSERT_TRUE(t);
  int ticks = 0;
  while (ticks < 60) ticks += WaitTimer(t);
  int elapsed = SystemMillisecs() - t0;
  // 1000 / 60 truncates to 16 ms: 62.5 ticks a second, not 60.
  EXPECT_GE(elapsed, 940);
  EXPECT_LE(elapsed, 1100);
  EXPECT_EQ(TimerTicks(t), ticks);
}

TEST_F(Timer, WaitAfterBeingBusyForThreePeriodsReturnsThree) {
  auto t = Make(10);  // 100 ms
  ASSERT_TRUE(t);
  WaitTimer(t);
  const int t0 = SystemMillisecs();
  Delay(350);
  // Every period missed is counted at once: three, or more where a loaded
  // machine held the delay longer.
  const int missed = (SystemMillisecs() - t0) / 100;
  const int got = WaitTimer(t);
  EXPECT_GE(got, 3);
  EXPECT_LE(got, missed + 1);
  EXPECT_EQ(WaitTimer(t), 1);
}

TEST_F(Timer, TicksAreCountedOnlyWhileTheMainThreadPumps) {
  const int t0 = SystemMillisecs();
  auto t = Make(100);
  ASSERT_TRUE(t);
  Delay(120);
  EXPECT_EQ(t->Ticks(), 0);
  // About twelve wait in the queue; a loaded machine posts them later, and
  // never more than the time allows.
  for (PollSystem(); t->Ticks() < 5 && SystemMillisecs() - t0 < 5000; PollSystem()) Delay(5);
  EXPECT_GE(t->Ticks(), 5);
  EXPECT_LE(t->Ticks(), (SystemMillisecs() - t0) / 10 + 1);
}

TEST_F(Timer, AtMostSixteenRunAtOnce) {
  for (int i = 0; i < MAX_TIMERS; ++i) ASSERT_TRUE(Make(1)) << i;
  EXPECT_EQ(CreateTimer(1), nullptr);
  timers[3]->Stop();
  EXPECT_TRUE(Make(1));
  EXPECT_EQ(CreateTimer(1), nullptr);
}

TEST_F(Timer, PeriodsUnderOneMillisecondOrNotPositiveAreRefused) {
  EXPECT_EQ(CreateTimer(0), nullptr);
  EXPECT_EQ(CreateTimer(-5), nullptr);
  EXPECT_EQ(CreateTimer(1001), nullptr);  // 0.999 ms truncates to 0
  EXPECT_TRUE(Make(1000));
}

TEST_F(Timer, TicksPostedBeforeStopAreDropped) {
  auto t = Make(200);
  ASSERT_TRUE(t);
  Delay(60);  // about twelve ticks wait in the queue
  t->Stop();
  PollSystem();
  EXPECT_EQ(t->Ticks(), 0);
  EXPECT_EQ(WaitTimer(t), 0);
  t->Stop();  // twice is harmless
  EXPECT_EQ(t->_handle, 0);
}

TEST_F(Timer, EachTickEmitsATimerTickWithTheTimerAndItsCount) {
  g_ticks.clear();
  AddHook(EmitEventHook, KeepTicks, nullptr, 0);
  auto t = Make(50);
  ASSERT_TRUE(t);
  WaitTimer(t);
  WaitTimer(t);
  RemoveHook(EmitEventHook, KeepTicks, nullptr);
  ASSERT_GE(g_ticks.size(), 2u);
  for (size_t i = 0; i < g_ticks.size(); ++i) {
    EXPECT_EQ(g_ticks[i]->id, EVENT_TIMERTICK);
    EXPECT_EQ(g_ticks[i]->source, t);
    EXPECT_EQ(g_ticks[i]->data, static_cast<int>(i) + 1);
  }
  EXPECT_EQ(g_ticks[0]->ToString(), "TimerTick: data=1, mods=0, x=0, y=0, extra=\"\"");
}

TEST_F(Timer, ATimerWithItsOwnEventEmitsThatEvent) {
  g_ticks.clear();
  AddHook(EmitEventHook, KeepTicks, nullptr, 0);
  auto mine = TEvent::Create(TEvent::AllocUserId(), nullptr, 42);
  auto t = Make(50, mine);
  ASSERT_TRUE(t);
  WaitTimer(t);
  RemoveHook(EmitEventHook, KeepTicks, nullptr);
  ASSERT_FALSE(g_ticks.empty());
  EXPECT_EQ(g_ticks[0], mine);
}

TEST_F(Timer, ARunningTimerKeepsItselfAliveUntilStopped) {
  std::weak_ptr<TTimer> weak;
  {
    auto t = CreateTimer(20);
    ASSERT_TRUE(t);
    weak = t;
  }
  ASSERT_FALSE(weak.expired());
  Delay(60);
  PollSystem();  // ticks for a timer nobody holds still arrive safely
  EXPECT_GE(weak.lock()->Ticks(), 1);
  weak.lock()->Stop();
  EXPECT_TRUE(weak.expired());
}
