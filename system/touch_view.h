// What an overlay needs to draw the touch controls over the game's frame
// (a faint ring at each stick's anchor, a knob under its finger, and the back
// control during a game); the game itself never draws them. Frame pixels are
// the game's own coordinates (800 x 600) and run past the frame over the
// bands beside it; window fractions run from 0 to 1 across the window (the
// canvas in the browser), as the fingers arrive. Generic: filled by the touch
// sticks (touch_sticks.h).
#pragma once

// A stick's radius: leaning it all the way, and how far its finger drags the
// anchor along.
constexpr float TOUCH_STICK_RADIUS = 60;
// The back control at the top centre of the frame, clear of the HUD's corners.
constexpr float TOUCH_BACK_X = 368, TOUCH_BACK_Y = 4, TOUCH_BACK_W = 64, TOUCH_BACK_H = 52;

struct TTouchStickView {
  bool held = false;  // a finger holds the stick; the rest is only meaningful then
  float anchor_x = 0, anchor_y = 0, finger_x = 0, finger_y = 0;  // frame pixels
  float anchor_u = 0, anchor_v = 0, finger_u = 0, finger_v = 0;  // window fractions
};

struct TTouchView {
  TTouchStickView move, aim;
  float radius = TOUCH_STICK_RADIUS;  // frame pixels
  float radius_u = 0;                 // ... and as a fraction of the window's width
  bool used = false;                  // a finger has touched the screen
  bool in_game = false;               // a game runs: the back control works
  float back_x = TOUCH_BACK_X, back_y = TOUCH_BACK_Y, back_w = TOUCH_BACK_W, back_h = TOUCH_BACK_H;
  float back_u = 0, back_v = 0, back_uw = 0, back_vh = 0;  // the same in window fractions
};

// The controls as they are now; window fractions are known once a finger has
// touched the screen.
TTouchView GetTouchView();
