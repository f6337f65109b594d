// Twin-stick play by touch. Anywhere on the window, the bands beside the
// game's frame included, a finger put down in the left half anchors the
// walking stick and one in the right half the aiming stick, which fires while
// it leans; each stick follows its own finger, dragging its anchor along
// past its radius, and further fingers are ignored. On the title screen a tap
// is Space; during a game the back control is Escape. Generic: the platform
// code hands over fingers in window fractions (sdl_touch.cpp).
#pragma once

#include <cstdint>

#include "system/touch_view.h"
#include "system/twin_stick.h"

class TTouchSticks {
 public:
  explicit TTouchSticks(TInputHolders& holders) : stick_(holders) {}
  ~TTouchSticks();
  TTouchSticks(const TTouchSticks&) = delete;
  TTouchSticks& operator=(const TTouchSticks&) = delete;

  // A finger by id at (u, v), fractions of a window `width` x `height`
  // pixels big.
  void Down(int64_t finger, double u, double v, int width, int height);
  void Move(int64_t finger, double u, double v, int width, int height);
  void Up(int64_t finger);

 private:
  struct Stick {
    bool held = false;
    int64_t finger = 0;
    double anchor_x = 0, anchor_y = 0, x = 0, y = 0;  // frame pixels
  };
  enum { kMove, kAim };

  // False for a position that cannot be one (a broken driver's).
  bool Place(double u, double v, int width, int height, double& x, double& y);
  // Leans the stick to its finger, its anchor dragged along, and brings the game to it.
  void Lean(int which, double x, double y);
  void Apply(bool aim_moved);

  TTwinStick stick_;
  Stick sticks_[2];
  bool tapped_ = false;  // a finger holds Space (title) or the back control (game)
  int64_t tap_finger_ = 0;
  TTwinStickState state_;
};
