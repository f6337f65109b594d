// The millisecond clock with a swappable source for tests. The mixer thread
// reads it too, so the source is atomic. The system's own clock and the
// delay are the platform's (native_clock.cpp, web_clock.cpp).
#include "system/clock.h"

#include <atomic>

namespace {
std::atomic<TimeSource> g_source{nullptr};
}

int32_t Millisecs() {
  TimeSource source = g_source.load(std::memory_order_acquire);
  return source ? source() : SystemMillisecs();
}

void SetTimeSource(TimeSource source) { g_source.store(source, std::memory_order_release); }
