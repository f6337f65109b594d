// The one mapping from a twin stick to the game's keys, button and aim.
#include "system/twin_stick.h"

#include <algorithm>
#include <cmath>

#include "system/input.h"

namespace {
// A stick walks along a key's axis while it lies within 67.5 degrees of that
// key's direction: eight sectors of 45 degrees.
constexpr double kTan22_5 = 0.41421356237309503;
constexpr int kKeys[] = {KEY_W, KEY_A, KEY_S, KEY_D, KEY_SPACE, KEY_ESCAPE};
// EVENT_PADAIM carries a stick's lean in a pad's raw units.
constexpr double kAimUnits = 32768;

// Garbage from a driver reads as a stick at rest or at its edge.
double Clean(double v) { return std::isfinite(v) ? std::clamp(v, -1.0, 1.0) : 0.0; }
}  // namespace

bool TInputHolders::Pass(const TEvent& event) {
  mods_ = event.mods;
  const bool key = event.data >= 0 && event.data < 256;
  switch (event.id) {
    case EVENT_KEYDOWN:
      if (key) keyboard_.set(event.data);
      return true;
    case EVENT_KEYUP:
      if (!key) return true;
      keyboard_.reset(event.data);
      for (int i = 0; i < kStickFire; ++i) {
        if (sticks_[i] > 0 && kKeys[i] == event.data) return false;
      }
      return true;
    case EVENT_MOUSEDOWN:
      if (event.data == 1) mouse_left_ = true;
      return true;
    case EVENT_MOUSEUP:
      if (event.data != 1) return true;
      mouse_left_ = false;
      return sticks_[kStickFire] == 0;
    default:
      return true;
  }
}

TTwinStick::~TTwinStick() {
  for (int i = 0; i < kStickOutputs; ++i) {
    if (held_[i]) --holders_.sticks_[i];
  }
}

bool TTwinStick::Leans(double x, double y) { return x * x + y * y > kDeadZone * kDeadZone; }

void TTwinStick::Update(const TTwinStickState& in, bool aim_moved) {
  const double mx = Clean(in.move_x), my = Clean(in.move_y);
  const double ax = Clean(in.aim_x), ay = Clean(in.aim_y);
  const bool aim_leans = Leans(ax, ay);
  if (aim_moved && aim_leans) {
    Emit(EVENT_PADAIM, 0, static_cast<int>(std::lround(ax * kAimUnits)),
         static_cast<int>(std::lround(ay * kAimUnits)));
  }
  if (in.leave && !leaving_) leave_escapes_ = AimAsked() != 0;
  leaving_ = in.leave;

  const bool lean = Leans(mx, my);
  const double across_x = kTan22_5 * std::abs(my), across_y = kTan22_5 * std::abs(mx);
  std::bitset<kStickOutputs> want;
  want[kStickW] = in.up || (lean && -my > across_y);
  want[kStickA] = in.left || (lean && -mx > across_x);
  want[kStickS] = in.down || (lean && my > across_y);
  want[kStickD] = in.right || (lean && mx > across_x);
  want[kStickSpace] = in.start;
  want[kStickEscape] = in.back || (in.leave && leave_escapes_);
  want[kStickFire] = Clean(in.trigger) > kDeadZone || in.fire || (in.aim_fires && aim_leans);
  for (int i = 0; i < kStickOutputs; ++i) {
    if (want[i] == held_[i]) continue;
    held_[i] = want[i];
    holders_.sticks_[i] += want[i] ? 1 : -1;
    // A release waits while the keyboard, the mouse or another stick holds it.
    if (i == kStickFire) {
      if (want[i]) {
        Emit(EVENT_MOUSEDOWN, 1);
      } else if (!holders_.mouse_left_ && holders_.sticks_[i] == 0) {
        Emit(EVENT_MOUSEUP, 1);
      }
    } else if (want[i]) {
      Emit(EVENT_KEYDOWN, kKeys[i]);
    } else if (!holders_.keyboard_[kKeys[i]] && holders_.sticks_[i] == 0) {
      Emit(EVENT_KEYUP, kKeys[i]);
    }
  }
}

void TTwinStick::Release() {
  Update(TTwinStickState{}, false);
  Emit(EVENT_PADAIM, 0, 0, 0);
}

void TTwinStick::Emit(int id, int data, int x, int y) const {
  TEvent::Create(id, nullptr, data, holders_.mods_, x, y)->Emit();
}
