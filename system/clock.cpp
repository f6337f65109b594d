// The millisecond clock over the monotonic system clock, with a swappable
// source for tests. The mixer thread reads it too, so the source is atomic.
#include "system/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {
std::atomic<TimeSource> g_source{nullptr};
}

int32_t SystemMillisecs() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  // Keep the low 32 bits: the clock wraps like a 32-bit tick counter.
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(ms)));
}

int32_t Millisecs() {
  TimeSource source = g_source.load(std::memory_order_acquire);
  return source ? source() : SystemMillisecs();
}

void Delay(int32_t ms) {
  if (ms <= 0) return;
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SetTimeSource(TimeSource source) { g_source.store(source, std::memory_order_release); }
