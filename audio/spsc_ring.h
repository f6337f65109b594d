// A fixed ring of values with exactly one writer thread and one reader thread.
// The mixer uses two: new voices go from the game thread to the mixer, spent
// voices come back. Each index is written by one side only; acquire/release
// on the indices hands the slot contents over, so no lock is ever taken.
#pragma once
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

template <typename T, size_t N>
class TSpscRing {
  static_assert((N & (N - 1)) == 0, "ring size must be a power of two");

 public:
  // Writer side. False when the ring is full; the value is not taken.
  bool Push(T value) {
    uint32_t write = write_.load(std::memory_order_relaxed);
    if (write - read_.load(std::memory_order_acquire) >= N) return false;
    slots_[write & (N - 1)] = value;
    write_.store(write + 1, std::memory_order_release);
    return true;
  }

  // Reader side. False when the ring is empty.
  bool Pop(T& value) {
    uint32_t read = read_.load(std::memory_order_relaxed);
    if (read == write_.load(std::memory_order_acquire)) return false;
    value = slots_[read & (N - 1)];
    read_.store(read + 1, std::memory_order_release);
    return true;
  }

 private:
  std::array<T, N> slots_{};
  // The indices run freely and wrap; their difference is the fill level.
  alignas(64) std::atomic<uint32_t> read_{0};
  alignas(64) std::atomic<uint32_t> write_{0};
};
