// Gamepads through SDL's game controller API, for the SDL system driver. The
// first pad plugged in drives; others wait until it goes. The pad fills a
// twin-stick state; the shared mapping (twin_stick.h) turns it into the keys,
// the left button and the aim. Private to the platform code, like
// sdl_system_driver_private.h.
#pragma once

#include <SDL.h>

#include <array>

#include "system/twin_stick.h"

class TSDLGamepads {
 public:
  explicit TSDLGamepads(TInputHolders& holders) : stick_(holders) {}

  // Starts SDL's game controllers (pads already plugged in arrive as
  // device-added events on the next poll); without them there is no pad.
  void Open();
  void Close();

  // Handles a game controller event; false for every other event.
  bool Dispatch(const SDL_Event& e);

 private:
  bool Take(int device_index);
  void Drop();
  // Brings the game to the pad's sticks and buttons.
  void Update(bool aim_moved);

  bool open_ = false;
  SDL_GameController* pad_ = nullptr;
  SDL_JoystickID id_ = -1;
  std::array<int, SDL_CONTROLLER_AXIS_MAX> axes_{};
  std::array<bool, SDL_CONTROLLER_BUTTON_MAX> buttons_{};
  TTwinStick stick_;
};
