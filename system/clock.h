// The millisecond clock and the blocking delay.
// Everything that measures time in the game reads Millisecs(); tests replace
// the time source so they can step the clock by hand.
#pragma once
#include <cstdint>

// A function returning the current time in milliseconds (wrapping 32-bit).
using TimeSource = int32_t (*)();

// The clock as a signed 32-bit millisecond count; it wraps after 2^32 ms.
int32_t Millisecs();

// Sleeps the calling thread for ms milliseconds; a negative value does nothing.
void Delay(int32_t ms);

// The clock wraps, so two of its readings are compared by their difference
// modulo 2^32: later - earlier as the clock counts it, correct across the
// wrap as long as the two lie less than 2^31 ms apart. Never a signed overflow.
constexpr int32_t MillisecsBetween(int32_t earlier, int32_t later) {
  return static_cast<int32_t>(static_cast<uint32_t>(later) - static_cast<uint32_t>(earlier));
}
// A reading ms after another, wrapping as the clock does.
constexpr int32_t MillisecsAfter(int32_t time, int32_t ms) {
  return static_cast<int32_t>(static_cast<uint32_t>(time) + static_cast<uint32_t>(ms));
}

// Replaces the clock's time source; nullptr restores the system clock.
// Safe to call while other threads read the clock.
void SetTimeSource(TimeSource source);

// The system's own monotonic millisecond clock, whatever source is installed.
int32_t SystemMillisecs();
