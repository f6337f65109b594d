// Twin-stick play as the game reads it: a gamepad and the touch sticks each
// fill a TTwinStickState, and TTwinStick turns it into the keys, the left
// button and the aim the game already knows (W A S D, Space, Escape, fire,
// EVENT_PADAIM). The keyboard, the mouse and every stick share those keys, so
// TInputHolders keeps a key down until the last of them lets go. Generic:
// what fills the state is platform code (sdl_gamepad.cpp, the touch sticks).
#pragma once

#include <array>
#include <bitset>

#include "system/event.h"

// Stick vectors run from -1 to 1 on each axis (1 the stick's full travel or
// radius), y downwards as on the screen.
struct TTwinStickState {
  double move_x = 0, move_y = 0;  // the walking stick
  double aim_x = 0, aim_y = 0;    // the aiming stick
  double trigger = 0;             // 0 at rest, 1 pulled all the way
  bool up = false, left = false, down = false, right = false;  // a D-pad
  bool fire = false;       // a fire button
  bool aim_fires = false;  // leaning the aiming stick fires as well
  bool start = false;      // Space
  bool back = false;       // Escape
  bool leave = false;      // Escape if it went down during a game, never on the title screen
};

// What a stick can hold: four walking keys, Space, Escape and fire.
enum TTwinStickOutput {
  kStickW, kStickA, kStickS, kStickD, kStickSpace, kStickEscape, kStickFire, kStickOutputs
};

class TInputHolders {
 public:
  // Sees every keyboard and mouse event on its way to the game and says
  // whether it goes on: the release of a key or of the left button that a
  // stick still holds is held back, so each device keeps it down.
  bool Pass(const TEvent& event);

 private:
  friend class TTwinStick;
  std::bitset<256> keyboard_;  // keys the keyboard holds
  bool mouse_left_ = false;    // the mouse holds its left button
  std::array<int, kStickOutputs> sticks_{};  // how many sticks hold each output
  int mods_ = 0;  // the keyboard's modifier mask, for the sticks' events
};

class TTwinStick {
 public:
  // A stick counts once it leans past a quarter of its travel; so does a trigger.
  static constexpr double kDeadZone = 0.25;

  explicit TTwinStick(TInputHolders& holders) : holders_(holders) {}
  ~TTwinStick();
  TTwinStick(const TTwinStick&) = delete;
  TTwinStick& operator=(const TTwinStick&) = delete;

  // Emits the presses and releases that bring the game to `state`. The aim
  // moves only when the aiming stick moved (`aim_moved`) and leans past the
  // dead zone, so inside it the last direction stays and a mouse that moved
  // since keeps the aim.
  void Update(const TTwinStickState& state, bool aim_moved);
  // Lets go of everything and hands the aim back to the mouse.
  void Release();

  static bool Leans(double x, double y);

 private:
  void Emit(int id, int data, int x = 0, int y = 0) const;

  TInputHolders& holders_;
  std::bitset<kStickOutputs> held_;
  bool leaving_ = false;        // `leave` is down
  bool leave_escapes_ = false;  // ... and went down during a game: it holds Escape
};
