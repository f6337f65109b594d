// Twin-stick play with a gamepad: the left stick or the D-pad walks (W, A, S
// and D held in eight directions), the right stick aims, the right trigger,
// the right shoulder or A fires (the left mouse button), Start is Space, Back
// is Escape, and B is Escape during a game only, so a pad never quits from
// the title screen by accident.
#include "system/sdl/sdl_gamepad_private.h"

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
  // SDL recentres a pad that goes, but nothing held may hang on that.
  stick_.Release();
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
        Update(e.caxis.axis == SDL_CONTROLLER_AXIS_RIGHTX || e.caxis.axis == SDL_CONTROLLER_AXIS_RIGHTY);
      }
      return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      if (pad_ && e.cbutton.which == id_ && e.cbutton.button < buttons_.size()) {
        buttons_[e.cbutton.button] = e.type == SDL_CONTROLLERBUTTONDOWN;
        Update(false);
      }
      return true;
    default:
      return false;
  }
}

void TSDLGamepads::Update(bool aim_moved) {
  const auto axis = [&](SDL_GameControllerAxis a) { return axes_[a] / 32768.0; };
  const auto button = [&](SDL_GameControllerButton b) { return buttons_[b]; };
  TTwinStickState s;
  s.move_x = axis(SDL_CONTROLLER_AXIS_LEFTX);
  s.move_y = axis(SDL_CONTROLLER_AXIS_LEFTY);
  s.aim_x = axis(SDL_CONTROLLER_AXIS_RIGHTX);
  s.aim_y = axis(SDL_CONTROLLER_AXIS_RIGHTY);
  s.trigger = axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
  s.up = button(SDL_CONTROLLER_BUTTON_DPAD_UP);
  s.left = button(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
  s.down = button(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  s.right = button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  s.fire = button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER) || button(SDL_CONTROLLER_BUTTON_A);
  s.start = button(SDL_CONTROLLER_BUTTON_START);
  s.back = button(SDL_CONTROLLER_BUTTON_BACK);
  s.leave = button(SDL_CONTROLLER_BUTTON_B);
  stick_.Update(s, aim_moved);
}
