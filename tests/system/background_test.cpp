// Background work on the desktop: the jobs' slices on one worker thread, a
// job at a time in the order they came, stopped between two slices, finished on the caller's thread, its errors
// handed to whoever finishes it.
#include "system/background.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

// Counts its slices (the third and fourth wait for a file), which take a
// millisecond each; the last one records its thread, or throws.
struct CountingJob : TBackgroundJob {
  explicit CountingJob(int total, bool fails = false) : total(total), fails(fails) {}
  Slice Step() override {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const int n = ++slices;
    if (n == 3 || n == 4) return Slice::kWaiting;
    if (n < total) return Slice::kMore;
    if (fails) throw std::runtime_error("no good");
    last = std::this_thread::get_id();
    return Slice::kDone;
  }
  const int total;
  const bool fails;
  std::atomic<int> slices{0};
  std::thread::id last;
};

TEST(Background, SlicesRunOnAThreadStopBetweenTwoAndFinishOnTheCaller) {
  auto whole = std::make_shared<CountingJob>(30);
  auto work = RunInBackground(whole);
  for (int i = 0; i < 2000 && whole->slices < 30; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  work->Finish();
  EXPECT_EQ(whole->slices, 30);
  EXPECT_NE(whole->last, std::this_thread::get_id());

  auto stopped = std::make_shared<CountingJob>(60);
  auto halted = RunInBackground(stopped);
  while (stopped->slices < 5) std::this_thread::yield();
  halted->Stop();
  const int at = stopped->slices;
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(stopped->slices, at) << "no slice after Stop";
  EXPECT_LT(at, 60);
  halted->Finish();
  EXPECT_EQ(stopped->slices, 60);
  EXPECT_EQ(stopped->last, std::this_thread::get_id()) << "the rest done by the one who finished it";

  auto failing = std::make_shared<CountingJob>(8, true);
  auto broken = RunInBackground(failing);
  EXPECT_THROW(broken->Finish(), std::runtime_error);
  EXPECT_FALSE(FileArriving("song3.ogg")) << "every file is there from the start";
}

TEST(Background, OneWorkerTakesTheJobsInTurnAndTheCallerTakesOneNotReached) {
  auto first = std::make_shared<CountingJob>(40), second = std::make_shared<CountingJob>(10);
  auto dropped = std::make_shared<CountingJob>(10), third = std::make_shared<CountingJob>(10);
  auto a = RunInBackground(first), b = RunInBackground(second);
  RunInBackground(dropped);
  auto c = RunInBackground(third);
  while (first->slices < 2) std::this_thread::yield();
  EXPECT_EQ(second->slices, 0) << "the second waits for the first";
  c->Finish();
  EXPECT_EQ(third->last, std::this_thread::get_id()) << "one not reached yet is done at once by the caller";
  for (int i = 0; i < 5000 && second->slices < 10; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  a->Finish();
  b->Finish();
  EXPECT_EQ(first->last, second->last) << "one worker";
  EXPECT_NE(first->last, std::this_thread::get_id());
  EXPECT_EQ(dropped->slices, 0) << "dropped before the worker came to it";
}

}  // namespace
