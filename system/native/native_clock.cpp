// The system clock and the delay on Linux and Windows: the monotonic clock
// and a sleep of the calling thread.
#include <chrono>
#include <thread>

#include "system/clock.h"

int32_t SystemMillisecs() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  // Keep the low 32 bits: the clock wraps like a 32-bit tick counter.
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(ms)));
}

void Delay(int32_t ms) {
  if (ms <= 0) return;
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
