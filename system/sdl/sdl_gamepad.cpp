// Twin-stick play with a gamepad: the left stick or the D-pad walks (W, A, S
// and D held in eight directions), the right stick aims, the right trigger,
// the right shoulder or A fires (the left mouse button), Start is Space, Back
// is Escape, and B is Escape during a game only, so a pad never quits from
// the title screen by accident.
#include "system/sdl/sdl_gamepad_private.h"

#include <cstdint>
#include <cstdlib>

#include "system/input.h"

namespace {
// A stick counts once it leans past a quarter of its travel.
constexpr int kDeadZone = 32768 / 4;
// The stick walks along a key's axis while it lies within 67.5 degrees of
// that key's direction: eight sectors of 45 degrees.
constexpr double kTan22_5 = 0.41421356237309503;
constexpr int kKeys[] = {KEY_W, KEY_A, KEY_S, KEY_D, KEY_SPACE, KEY_ESCAPE};

bool Leans(int x, int y) {
  return int64_t{x} * x + int64_t{y} * y > int64_t{kDeadZone} * kDeadZone;
}
}  // namespace

void TSDLGamepads::Open() { open_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0; }

void TSDLGamepads::Close() {
  if (pad_) SDL_GameControllerClose(pad_);
  pad_ = nullptr;
  if (open_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  open_ = false;
}

bool TSDLGamepads::Take(int device_index) {
  if (!SDL_IsGameController(device_index)) return false;
  pad_ = SDL_GameControllerOpen(device_index);
  if (!pad_) return false;
  id_ = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad_));
  return true;
}

void TSDLGamepads::Drop() {
  axes_.fill(0);
  buttons_.fill(false);
  b_escapes_ = false;
  // SDL recentres a pad that goes, but nothing held may hang on that.
  Update();
  Emit(EVENT_PADAIM, 0, 0, 0);
  SDL_GameControllerClose(pad_);
  pad_ = nullptr;
  id_ = -1;
}

bool TSDLGamepads::Dispatch(const SDL_Event& e) {
  switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED:
      if (!pad_) Take(e.cdevice.which);
      return true;
    case SDL_CONTROLLERDEVICEREMOVED:
      if (pad_ && e.cdevice.which == id_) {
        const SDL_JoystickID gone = id_;
        Drop();
        // The next pad still plugged in takes over.
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
          if (SDL_JoystickGetDeviceInstanceID(i) != gone && Take(i)) break;
        }
      }
      return true;
    case SDL_CONTROLLERAXISMOTION:
      if (pad_ && e.caxis.which == id_) {
        // Both axes of a stick as they are now: taken one event at a time, a
        // quick flick would pass through directions the stick never had.
        for (int axis = 0; axis < SDL_CONTROLLER_AXIS_MAX; ++axis) {
          axes_[axis] = SDL_GameControllerGetAxis(pad_, static_cast<SDL_GameControllerAxis>(axis));
        }
        const int rx = axes_[SDL_CONTROLLER_AXIS_RIGHTX], ry = axes_[SDL_CONTROLLER_AXIS_RIGHTY];
        // Inside the dead zone the last direction stays.
        const bool aim_axis = e.caxis.axis == SDL_CONTROLLER_AXIS_RIGHTX ||
                              e.caxis.axis == SDL_CONTROLLER_AXIS_RIGHTY;
        if (aim_axis && Leans(rx, ry)) Emit(EVENT_PADAIM, 0, rx, ry);
        Update();
      }
      return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      if (pad_ && e.cbutton.which == id_ && e.cbutton.button < buttons_.size()) {
        const bool down = e.type == SDL_CONTROLLERBUTTONDOWN;
        buttons_[e.cbutton.button] = down;
        if (e.cbutton.button == SDL_CONTROLLER_BUTTON_B) b_escapes_ = down && AimAsked();
        Update();
      }
      return true;
    default:
      return false;
  }
}

void TSDLGamepads::Update() {
  const auto button = [&](SDL_GameControllerButton b) { return buttons_[b]; };
  const int lx = axes_[SDL_CONTROLLER_AXIS_LEFTX], ly = axes_[SDL_CONTROLLER_AXIS_LEFTY];
  const bool lean = Leans(lx, ly);
  const double across_x = kTan22_5 * std::abs(ly), across_y = kTan22_5 * std::abs(lx);
  std::bitset<kOutputs> want;
  want[kW] = button(SDL_CONTROLLER_BUTTON_DPAD_UP) || (lean && -ly > across_y);
  want[kA] = button(SDL_CONTROLLER_BUTTON_DPAD_LEFT) || (lean && -lx > across_x);
  want[kS] = button(SDL_CONTROLLER_BUTTON_DPAD_DOWN) || (lean && ly > across_y);
  want[kD] = button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) || (lean && lx > across_x);
  want[kSpace] = button(SDL_CONTROLLER_BUTTON_START);
  want[kEscape] = button(SDL_CONTROLLER_BUTTON_BACK) || b_escapes_;
  want[kFire] = axes_[SDL_CONTROLLER_AXIS_TRIGGERRIGHT] > kDeadZone ||
                button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER) || button(SDL_CONTROLLER_BUTTON_A);
  for (int i = 0; i < kOutputs; ++i) {
    if (want[i] == held_[i]) continue;
    held_[i] = want[i];
    // A release the keyboard or the mouse still holds waits for theirs.
    if (i == kFire) {
      if (want[i]) {
        Emit(EVENT_MOUSEDOWN, 1);
      } else if (!mouse_left_) {
        Emit(EVENT_MOUSEUP, 1);
      }
    } else if (want[i]) {
      Emit(EVENT_KEYDOWN, kKeys[i]);
    } else if (!keyboard_[kKeys[i]]) {
      Emit(EVENT_KEYUP, kKeys[i]);
    }
  }
}

void TSDLGamepads::Emit(int id, int data, int x, int y) const {
  TEvent::Create(id, nullptr, data, mods_, x, y)->Emit();
}

bool TSDLGamepads::Pass(const TEvent& event) {
  mods_ = event.mods;
  const bool key = event.data >= 0 && event.data < 256;
  switch (event.id) {
    case EVENT_KEYDOWN:
      if (key) keyboard_.set(event.data);
      return true;
    case EVENT_KEYUP:
      if (!key) return true;
      keyboard_.reset(event.data);
      for (int i = 0; i < kFire; ++i) {
        if (held_[i] && kKeys[i] == event.data) return false;
      }
      return true;
    case EVENT_MOUSEDOWN:
      if (event.data == 1) mouse_left_ = true;
      return true;
    case EVENT_MOUSEUP:
      if (event.data != 1) return true;
      mouse_left_ = false;
      return !held_[kFire];
    default:
      return true;
  }
}
