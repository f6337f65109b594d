// Polled input: what the queries report for the sequences of key and mouse
// events the game meets between two frames.
#include "system/input.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "input_fake_driver.h"

TEST_F(PolledInputTest, KeyPressedAndReleasedBetweenQueriesIsAHitButNotHeld) {
  fake->Queue(EVENT_KEYDOWN, KEY_SPACE);
  fake->Queue(EVENT_KEYUP, KEY_SPACE);
  EXPECT_EQ(KeyDown(KEY_SPACE), 0);
  EXPECT_EQ(KeyHit(KEY_SPACE), 1);
  EXPECT_EQ(KeyHit(KEY_SPACE), 0);
}

TEST_F(PolledInputTest, TwoPressesBetweenQueriesCountTwo) {
  fake->Queue(EVENT_KEYDOWN, KEY_A);
  fake->Queue(EVENT_KEYUP, KEY_A);
  fake->Queue(EVENT_KEYDOWN, KEY_A);
  EXPECT_EQ(KeyHit(KEY_A), 2);
  EXPECT_EQ(KeyDown(KEY_A), 1);
}

TEST_F(PolledInputTest, AutoRepeatAndDoubledKeyDownCountOnce) {
  fake->Queue(EVENT_KEYDOWN, KEY_W);
  for (int i = 0; i < 20; ++i) fake->Queue(EVENT_KEYREPEAT, KEY_W);
  fake->Queue(EVENT_KEYDOWN, KEY_W);  // a second down without an up
  EXPECT_EQ(KeyHit(KEY_W), 1);
  EXPECT_EQ(KeyDown(KEY_W), 1);
  for (int i = 0; i < 5; ++i) fake->Queue(EVENT_KEYREPEAT, KEY_W);
  EXPECT_EQ(KeyHit(KEY_W), 0);
}

TEST_F(PolledInputTest, FlushWithAHeldKeyReadsUpUntilPressedAgain) {
  fake->Queue(EVENT_KEYDOWN, KEY_ESCAPE);
  EXPECT_EQ(KeyDown(KEY_ESCAPE), 1);
  FlushKeys();
  EXPECT_EQ(KeyDown(KEY_ESCAPE), 0);
  EXPECT_EQ(KeyHit(KEY_ESCAPE), 0);
  fake->Queue(EVENT_KEYREPEAT, KEY_ESCAPE);  // still physically held
  EXPECT_EQ(KeyDown(KEY_ESCAPE), 0);
  fake->Queue(EVENT_KEYUP, KEY_ESCAPE);
  fake->Queue(EVENT_KEYDOWN, KEY_ESCAPE);
  EXPECT_EQ(KeyDown(KEY_ESCAPE), 1);
  EXPECT_EQ(KeyHit(KEY_ESCAPE), 1);
}

TEST_F(PolledInputTest, FlushKeysPumpsFirstSoPendingPressesAreForgottenToo) {
  fake->Queue(EVENT_KEYDOWN, KEY_A);
  fake->Queue(EVENT_KEYCHAR, 'a');
  FlushKeys();
  EXPECT_EQ(KeyHit(KEY_A), 0);
  EXPECT_EQ(GetChar(), 0);
}

TEST_F(PolledInputTest, SuspendReleasesHeldKeysAndButtonsAndResumeClearsAgain) {
  fake->Queue(EVENT_KEYDOWN, KEY_W);
  fake->Queue(EVENT_MOUSEDOWN, 1);
  fake->Queue(EVENT_APPSUSPEND);
  EXPECT_EQ(KeyDown(KEY_W), 0);
  EXPECT_EQ(KeyHit(KEY_W), 0);
  EXPECT_EQ(MouseDown(1), 0);
  EXPECT_EQ(AppSuspended(), 1);
  fake->Queue(EVENT_KEYDOWN, KEY_D);
  fake->Queue(EVENT_APPRESUME);
  EXPECT_EQ(AppSuspended(), 0);
  EXPECT_EQ(KeyDown(KEY_D), 0);
  // The flushes inside the hook did not pump the queue again.
  EXPECT_EQ(fake->max_depth, 1);
}

TEST_F(PolledInputTest, AppTerminateReportsOneCloseRequestOnce) {
  EXPECT_EQ(AppTerminate(), 0);
  fake->Queue(EVENT_APPTERMINATE);
  EXPECT_EQ(AppTerminate(), 1);
  EXPECT_EQ(AppTerminate(), 0);
  fake->Queue(EVENT_APPTERMINATE);
  fake->Queue(EVENT_APPTERMINATE);
  EXPECT_EQ(AppTerminate(), 1);
  EXPECT_EQ(AppTerminate(), 0);
}

TEST_F(PolledInputTest, EveryQueryPumpsTheQueue) {
  int before = fake->polls;
  KeyDown(1);
  KeyHit(1);
  GetChar();
  MouseX();
  MouseY();
  MouseZ();
  MouseDown(1);
  MouseHit(1);
  AppSuspended();
  AppTerminate();
  EXPECT_EQ(fake->polls - before, 10);
}

TEST(PolledInputFresh, MouseXAndMouseYAre0BeforeTheFirstMove) {
  // The position lasts the whole program, so only a fresh one has never moved.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        auto fake = std::make_shared<FakeSystemDriver>();
        SetSystemDriver(fake);
        EnablePolledInput();
        fake->Queue(EVENT_MOUSEDOWN, 1, 30, 40);
        fake->Queue(EVENT_MOUSEWHEEL, 1, 50, 60);
        const bool unmoved = MouseX() == 0 && MouseY() == 0;
        fake->Queue(EVENT_MOUSEMOVE, 1, 30, 40);
        const bool moved = MouseX() == 30 && MouseY() == 40;
        std::exit(unmoved && moved ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(PolledInputTest, MousePositionFollowsMovesOnlyAndMayBeNegative) {
  fake->Queue(EVENT_MOUSEMOVE, 0, 100, 200);
  EXPECT_EQ(MouseX(), 100);
  EXPECT_EQ(MouseY(), 200);
  fake->Queue(EVENT_MOUSEDOWN, 1, 5, 5);  // buttons do not move the position
  EXPECT_EQ(MouseX(), 100);
  fake->Queue(EVENT_MOUSEMOVE, 1, -40, -3);
  EXPECT_EQ(MouseX(), -40);
  EXPECT_EQ(MouseY(), -3);
  EXPECT_EQ(MouseDown(1), 1);
}

TEST_F(PolledInputTest, MouseButtonsCountLikeKeysAndFlushMouseKeepsThePosition) {
  fake->Queue(EVENT_MOUSEMOVE, 0, 7, 9);
  fake->Queue(EVENT_MOUSEDOWN, 2);
  fake->Queue(EVENT_MOUSEUP, 2);
  fake->Queue(EVENT_MOUSEDOWN, 2);
  fake->Queue(EVENT_MOUSEDOWN, 3);
  fake->Queue(EVENT_MOUSEWHEEL, 3);
  fake->Queue(EVENT_MOUSEWHEEL, -1);
  EXPECT_EQ(MouseHit(2), 2);
  EXPECT_EQ(MouseHit(2), 0);
  EXPECT_EQ(MouseDown(2), 1);
  EXPECT_EQ(MouseDown(3), 1);
  EXPECT_EQ(MouseDown(1), 0);
  EXPECT_EQ(MouseZ(), 2);
  FlushMouse();
  EXPECT_EQ(MouseDown(2), 0);
  EXPECT_EQ(MouseHit(3), 0);
  EXPECT_EQ(MouseZ(), 0);
  EXPECT_EQ(MouseX(), 7);
  EXPECT_EQ(MouseY(), 9);
}

TEST_F(PolledInputTest, CharacterQueueIsFirstInFirstOutAndDropsBeyond256) {
  for (int i = 0; i < 300; ++i) fake->Queue(EVENT_KEYCHAR, 1000 + i);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(GetChar(), 1000 + i);
  EXPECT_EQ(GetChar(), 0);
  fake->Queue(EVENT_KEYCHAR, 'z');  // room again after reading
  EXPECT_EQ(GetChar(), 'z');
}

TEST_F(PolledInputTest, CodesOutsideTheArraysAreIgnoredNotWritten) {
  fake->Queue(EVENT_KEYDOWN, 256);
  fake->Queue(EVENT_KEYDOWN, -1);
  fake->Queue(EVENT_MOUSEDOWN, 4);
  fake->Queue(EVENT_MOUSEDOWN, 1000000);
  EXPECT_EQ(KeyDown(256), 0);
  EXPECT_EQ(KeyHit(-1), 0);
  EXPECT_EQ(MouseDown(4), 0);
  EXPECT_EQ(MouseHit(-7), 0);
  for (int key = 0; key < 256; ++key) ASSERT_EQ(KeyDown(key), 0) << key;
  for (int b = 0; b < 4; ++b) ASSERT_EQ(MouseDown(b), 0) << b;
}

TEST_F(PolledInputTest, EnablingTwiceAttachesTheHookOnceAndDisablingDetachesIt) {
  EnablePolledInput();
  fake->Queue(EVENT_KEYDOWN, KEY_A);
  fake->Queue(EVENT_KEYUP, KEY_A);
  EXPECT_EQ(KeyHit(KEY_A), 1);
  DisablePolledInput();
  fake->Queue(EVENT_KEYDOWN, KEY_A);
  EXPECT_EQ(KeyHit(KEY_A), 0);
  EXPECT_EQ(KeyDown(KEY_A), 0);
}

TEST_F(PolledInputTest, SourceFilterAcceptsOnlyThatSource) {
  DisablePolledInput();
  auto mine = std::make_shared<TEvent>();
  EnablePolledInput(mine);
  TEvent::Create(EVENT_KEYDOWN, nullptr, KEY_A)->Emit();
  TEvent::Create(EVENT_KEYDOWN, mine, KEY_D)->Emit();
  EXPECT_EQ(KeyDown(KEY_A), 0);
  EXPECT_EQ(KeyDown(KEY_D), 1);
}

TEST_F(PolledInputTest, WaitKeyForgetsEarlierPressesAndReturnsTheLowestNewHit) {
  fake->Queue(EVENT_KEYDOWN, 50);  // pressed before the wait: flushed
  fake->QueueWhileWaiting(EVENT_KEYDOWN, 70);
  fake->QueueWhileWaiting(EVENT_KEYDOWN, 66);
  EXPECT_EQ(WaitKey(), 66);
  EXPECT_EQ(fake->waits, 1);
  EXPECT_EQ(KeyHit(70), 1);
  EXPECT_EQ(KeyHit(50), 0);
}

TEST_F(PolledInputTest, WaitCharAndWaitMouseBlockUntilSomethingArrives) {
  fake->Queue(EVENT_KEYCHAR, 'a');
  fake->QueueWhileWaiting(EVENT_KEYCHAR, 'x');
  EXPECT_EQ(WaitChar(), 'x');
  fake->Queue(EVENT_MOUSEDOWN, 1);
  fake->QueueWhileWaiting(EVENT_MOUSEMOVE, 0);
  fake->QueueWhileWaiting(EVENT_MOUSEDOWN, 3);
  int waits = fake->waits;
  EXPECT_EQ(WaitMouse(), 3);
  EXPECT_EQ(fake->waits - waits, 1);
}

TEST_F(PolledInputTest, NotifyGoesToTheSystemDriver) {
  Notify("Font Not Loaded");
  Notify("Bad", true);
  EXPECT_EQ(fake->notes, (std::vector<std::string>{"Font Not Loaded", "Bad!"}));
}

TEST_F(PolledInputTest, PollSystemDoesNotReenterFromAHook) {
  static std::shared_ptr<FakeSystemDriver> driver;
  driver = fake;
  auto hook = [](int, std::shared_ptr<TObject> data, std::shared_ptr<TObject>) {
    PollSystem();  // would recurse into Poll without the re-entry flag
    WaitSystem();
    return data;
  };
  AddHook(EmitEventHook, hook, nullptr, 50);
  fake->Queue(EVENT_KEYDOWN, KEY_A);
  PollSystem();
  RemoveHook(EmitEventHook, hook, nullptr);
  EXPECT_EQ(fake->max_depth, 1);
  EXPECT_EQ(KeyDown(KEY_A), 1);
  driver = nullptr;
}
