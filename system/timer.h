// Periodic timers. A system timer thread only posts a message; the tick
// itself is counted, and its event emitted, on the main thread while it pumps
// messages (PollSystem / WaitSystem), so hooks never run on another thread.
// Leans on SDL's timers (timer.cpp is a platform file) and the event pump.
#pragma once

#include <cstdint>
#include <memory>

#include "system/event.h"

class TTimer : public TObject, public std::enable_shared_from_this<TTimer> {
 public:
  int _ticks = 0;
  int _wticks = 0;
  std::shared_ptr<TTimer> _cycle;  // itself while running, so it is never destroyed early
  std::shared_ptr<TEvent> _event;  // emitted on each tick; empty: a fresh "TimerTick" event
  int _handle = 0;                 // the system timer's id, 0 once stopped

  virtual ~TTimer() = default;
  virtual int Ticks();
  // Kills the system timer; ticks already posted are dropped.
  virtual void Stop();
  // Counts a tick and emits its event.
  virtual void Fire();
  // Waits in the message pump for the next tick; returns how many passed.
  virtual int Wait();

  // Period 1000 / hz ms in single precision, truncated. Empty when 16 timers
  // already run, the period would be under 1 ms, or the system refuses.
  static std::shared_ptr<TTimer> Create(float hz, std::shared_ptr<TEvent> event = nullptr);
};

constexpr int MAX_TIMERS = 16;

std::shared_ptr<TTimer> CreateTimer(float hz, std::shared_ptr<TEvent> event = nullptr);
int TimerTicks(const std::shared_ptr<TTimer>& timer);
int WaitTimer(const std::shared_ptr<TTimer>& timer);
void StopTimer(const std::shared_ptr<TTimer>& timer);

// The event pump's side: the message type timer threads post, and what to
// do when one arrives (fire the timer with that id if it still runs).
uint32_t TimerMessageType();
void DeliverTimerTick(int timer_id);
