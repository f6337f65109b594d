// The polled-input hook and the queries over its state.
#include "system/input.h"

#include <array>
#include <cmath>

namespace {
struct PolledInput {
  std::array<int, 256> key_states{};
  std::array<int, 256> key_hits{};
  std::array<int, 4> mouse_states{};
  std::array<int, 4> mouse_hits{};
  int mouse_x = 0;
  int mouse_y = 0;
  int mouse_z = 0;
  bool pad_aims = false;  // the pad aimed after the mouse last moved
  double pad_dx = 1;      // the pad's aim, a unit vector
  int pad_lean_x = 0, pad_lean_y = 0;  // ... as the stick leant
  double pad_dy = 0;
  bool aim_asked = false;
  std::array<int, 256> char_queue{};
  unsigned char_get = 0;
  unsigned char_put = 0;
  int suspended = 0;
  int terminate = 0;
  bool enabled = false;
  std::shared_ptr<TObject> source;
  bool auto_poll = true;
};
PolledInput g_in;

bool ValidKey(int key) { return key >= 0 && key < 256; }
bool ValidButton(int button) { return button >= 0 && button < 4; }

void Poll() {
  if (g_in.auto_poll) PollSystem();
}

std::shared_ptr<TObject> PolledInputHook(int, std::shared_ptr<TObject> data, std::shared_ptr<TObject>) {
  auto* event = dynamic_cast<TEvent*>(data.get());
  if (!event) return data;
  if (g_in.source && g_in.source != event->source) return data;
  // Codes from outside the valid ranges (a program's own events) are ignored
  // rather than written past the state arrays.
  switch (event->id) {
    case EVENT_KEYDOWN:
      if (ValidKey(event->data) && !g_in.key_states[event->data]) {
        g_in.key_states[event->data] = 1;
        ++g_in.key_hits[event->data];
      }
      break;
    case EVENT_KEYUP:
      if (ValidKey(event->data)) g_in.key_states[event->data] = 0;
      break;
    case EVENT_KEYCHAR:
      if (g_in.char_put - g_in.char_get < 256) {
        g_in.char_queue[g_in.char_put % 256] = event->data;
        ++g_in.char_put;
      }
      break;
    case EVENT_MOUSEDOWN:
      if (ValidButton(event->data) && !g_in.mouse_states[event->data]) {
        g_in.mouse_states[event->data] = 1;
        ++g_in.mouse_hits[event->data];
      }
      break;
    case EVENT_MOUSEUP:
      if (ValidButton(event->data)) g_in.mouse_states[event->data] = 0;
      break;
    case EVENT_MOUSEMOVE:
      g_in.mouse_x = event->x;
      g_in.mouse_y = event->y;
      g_in.pad_aims = false;
      break;
    case EVENT_PADAIM:
      g_in.pad_aims = event->x != 0 || event->y != 0;
      if (g_in.pad_aims) {
        g_in.pad_lean_x = event->x;
        g_in.pad_lean_y = event->y;
        const double length = std::hypot(event->x, event->y);
        g_in.pad_dx = event->x / length;
        g_in.pad_dy = event->y / length;
      }
      break;
    case EVENT_MOUSEWHEEL:
      // Unsigned so that a flood of notches wraps instead of overflowing.
      g_in.mouse_z = static_cast<int>(static_cast<unsigned>(g_in.mouse_z) +
                                      static_cast<unsigned>(event->data));
      break;
    case EVENT_APPSUSPEND:
      FlushKeys();
      FlushMouse();
      g_in.suspended = 1;
      break;
    case EVENT_APPRESUME:
      FlushKeys();
      FlushMouse();
      g_in.suspended = 0;
      break;
    case EVENT_APPTERMINATE:
      g_in.terminate = 1;
      break;
    default:
      break;
  }
  return data;
}
}  // namespace

int KeyDown(int key) {
  Poll();
  return ValidKey(key) ? g_in.key_states[key] : 0;
}

int KeyHit(int key) {
  Poll();
  if (!ValidKey(key)) return 0;
  int n = g_in.key_hits[key];
  g_in.key_hits[key] = 0;
  return n;
}

int GetChar() {
  Poll();
  if (g_in.char_get == g_in.char_put) return 0;
  int c = g_in.char_queue[g_in.char_get % 256];
  ++g_in.char_get;
  return c;
}

int FlushKeys() {
  PollSystem();
  g_in.key_states.fill(0);
  g_in.key_hits.fill(0);
  g_in.char_get = 0;
  g_in.char_put = 0;
  g_in.aim_asked = false;
  return 0;
}

int MouseX() {
  Poll();
  return g_in.mouse_x;
}

int MouseY() {
  Poll();
  return g_in.mouse_y;
}

TAimPoint AimPoint(float x, float y) {
  Poll();
  g_in.aim_asked = true;
  if (!g_in.pad_aims) return {static_cast<float>(g_in.mouse_x), static_cast<float>(g_in.mouse_y)};
  return {static_cast<float>(x + g_in.pad_dx * PAD_AIM_DISTANCE),
          static_cast<float>(y + g_in.pad_dy * PAD_AIM_DISTANCE), g_in.pad_lean_x, g_in.pad_lean_y};
}

int AimAsked() { return g_in.aim_asked ? 1 : 0; }

int MouseZ() {
  Poll();
  return g_in.mouse_z;
}

int MouseDown(int button) {
  Poll();
  return ValidButton(button) ? g_in.mouse_states[button] : 0;
}

int MouseHit(int button) {
  Poll();
  if (!ValidButton(button)) return 0;
  int n = g_in.mouse_hits[button];
  g_in.mouse_hits[button] = 0;
  return n;
}

int FlushMouse() {
  PollSystem();
  g_in.mouse_states.fill(0);
  g_in.mouse_hits.fill(0);
  g_in.mouse_z = 0;
  return 0;
}

int AppSuspended() {
  Poll();
  return g_in.suspended;
}

int AppTerminate() {
  Poll();
  int t = g_in.terminate;
  g_in.terminate = 0;
  return t;
}

int WaitKey() {
  FlushKeys();
  for (;;) {
    WaitSystem();
    for (int key = 1; key < 256; ++key) {
      if (KeyHit(key)) return key;
    }
  }
}

int WaitChar() {
  FlushKeys();
  for (;;) {
    WaitSystem();
    if (int c = GetChar()) return c;
  }
}

int WaitMouse() {
  FlushMouse();
  for (;;) {
    WaitSystem();
    for (int button = 1; button < 4; ++button) {
      if (MouseHit(button)) return button;
    }
  }
}

void EnablePolledInput(std::shared_ptr<TObject> source) {
  if (g_in.enabled) return;
  g_in.source = std::move(source);
  FlushKeys();
  FlushMouse();
  AddHook(EmitEventHook, PolledInputHook, nullptr, 0);
  g_in.enabled = true;
}

void DisablePolledInput() {
  if (!g_in.enabled) return;
  RemoveHook(EmitEventHook, PolledInputHook, nullptr);
  FlushKeys();
  FlushMouse();
  g_in.source = nullptr;
  g_in.enabled = false;
}
