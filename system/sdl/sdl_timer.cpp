// Timers over SDL's timer thread: the callback posts a user event carrying
// the timer's id and touches nothing else; the main thread looks the id up
// in the table of running timers, so a tick posted just before Stop is lost.
#include "system/timer.h"

#include <SDL.h>

#include <array>

#include "system/system_driver.h"

namespace {
struct RunningTimer {
  int id = 0;              // our id, never reused
  SDL_TimerID sdl_id = 0;
  std::weak_ptr<TTimer> timer;
};
std::array<RunningTimer, MAX_TIMERS> g_running{};
int g_last_id = 0;
uint32_t g_message_type = 0;

uint32_t TickCallback(uint32_t interval, void* param) {
  SDL_Event e{};
  e.type = g_message_type;
  e.user.code = static_cast<int32_t>(reinterpret_cast<intptr_t>(param));
  SDL_PushEvent(&e);
  return interval;
}
}  // namespace

uint32_t TimerMessageType() {
  if (g_message_type == 0) {
    uint32_t type = SDL_RegisterEvents(1);
    if (type != static_cast<uint32_t>(-1)) g_message_type = type;
  }
  return g_message_type;
}

void DeliverTimerTick(int timer_id) {
  for (const RunningTimer& running : g_running) {
    if (running.id == timer_id && running.id != 0) {
      if (auto timer = running.timer.lock()) timer->Fire();
      return;
    }
  }
}

int TTimer::Ticks() { return _ticks; }

void TTimer::Stop() {
  if (!_handle) return;
  for (RunningTimer& running : g_running) {
    if (running.id == _handle) {
      SDL_RemoveTimer(running.sdl_id);
      running = RunningTimer{};
    }
  }
  _handle = 0;
  _event = nullptr;
  _cycle = nullptr;  // may release the last reference: touch nothing after this
}

void TTimer::Fire() {
  ++_ticks;
  if (_event) {
    _event->Emit();
  } else {
    TEvent::Create(EVENT_TIMERTICK, shared_from_this(), _ticks)->Emit();
  }
}

int TTimer::Wait() {
  if (!_handle) return 0;
  // Keep ourselves alive even if a hook stops us while we wait.
  std::shared_ptr<TTimer> self = shared_from_this();
  while (_ticks == _wticks) {
    WaitSystem();
    if (!_handle) break;
  }
  int n = _ticks - _wticks;
  _wticks = _ticks;
  return n;
}

std::shared_ptr<TTimer> TTimer::Create(float hz, std::shared_ptr<TEvent> event) {
  float period_f = 1000.0f / hz;
  // Also refuses NaN and infinity (hz 0 or negative).
  if (!(period_f >= 1.0f && period_f < 2147483647.0f)) return nullptr;
  auto period = static_cast<uint32_t>(period_f);
  RunningTimer* slot = nullptr;
  for (RunningTimer& running : g_running) {
    if (running.id == 0) {
      slot = &running;
      break;
    }
  }
  if (!slot || TimerMessageType() == 0) return nullptr;
  SystemDriver();  // the driver brings up SDL's event and timer systems

  auto timer = std::make_shared<TTimer>();
  int id = ++g_last_id;
  SDL_TimerID sdl_id = SDL_AddTimer(period, TickCallback, reinterpret_cast<void*>(static_cast<intptr_t>(id)));
  if (sdl_id == 0) return nullptr;
  slot->id = id;
  slot->sdl_id = sdl_id;
  slot->timer = timer;
  timer->_event = std::move(event);
  timer->_handle = id;
  timer->_cycle = timer;
  return timer;
}

std::shared_ptr<TTimer> CreateTimer(float hz, std::shared_ptr<TEvent> event) {
  return TTimer::Create(hz, std::move(event));
}

int TimerTicks(const std::shared_ptr<TTimer>& timer) { return timer ? timer->Ticks() : 0; }
int WaitTimer(const std::shared_ptr<TTimer>& timer) { return timer ? timer->Wait() : 0; }
void StopTimer(const std::shared_ptr<TTimer>& timer) {
  if (timer) timer->Stop();
}
