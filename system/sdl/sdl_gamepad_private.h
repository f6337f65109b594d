// Gamepads through SDL's game controller API, for the SDL system driver. The
// first pad plugged in drives; others wait until it goes. The pad presses the
// keys and the mouse button the game already reads (W A S D, Space, Escape,
// the left button) and sends its right stick as EVENT_PADAIM. Private to the
// platform code, like sdl_system_driver_private.h.
#pragma once

#include <SDL.h>

#include <array>
#include <bitset>

#include "system/event.h"

class TSDLGamepads {
 public:
  // Starts SDL's game controllers (pads already plugged in arrive as
  // device-added events on the next poll); without them there is no pad.
  void Open();
  void Close();

  // Handles a game controller event; false for every other event.
  bool Dispatch(const SDL_Event& e);

  // Sees every keyboard and mouse event before the game does, and says
  // whether it goes on: the release of a key or of the left button that the
  // pad still holds is held back, so either device keeps it down.
  bool Pass(const TEvent& event);

 private:
  // What the pad can hold: four walking keys, Space, Escape and fire.
  enum Output { kW, kA, kS, kD, kSpace, kEscape, kFire, kOutputs };

  bool Take(int device_index);
  void Drop();
  // Emits the presses and releases that bring the game to the pad's state.
  void Update();
  void Emit(int id, int data, int x = 0, int y = 0) const;

  bool open_ = false;
  SDL_GameController* pad_ = nullptr;
  SDL_JoystickID id_ = -1;
  std::array<int, SDL_CONTROLLER_AXIS_MAX> axes_{};
  std::array<bool, SDL_CONTROLLER_BUTTON_MAX> buttons_{};
  bool b_escapes_ = false;  // B went down during a game: it holds Escape
  std::bitset<kOutputs> held_;
  std::bitset<256> keyboard_;  // keys the keyboard holds
  bool mouse_left_ = false;    // the mouse holds its left button
  int mods_ = 0;               // the keyboard's modifier mask, for our events
};
