// The touch sticks: fingers to a twin-stick state, and the view an overlay draws.
#include "system/touch_sticks.h"

#include <algorithm>
#include <cmath>

#include "system/input.h"
#include "system/system_driver.h"

namespace {
TTouchView g_view;
int g_width = 0, g_height = 0;  // the window the fingers were last on

// The window's pointer frame, or the window itself where the frame fills it.
struct FrameMap {
  double x = 0, y = 0, sx = 1, sy = 1;  // window pixels = x + frame pixels * sx
  FrameMap() {
    const TPointerFrame& f = GetPointerFrame();
    if (f.width > 0 && f.height > 0 && f.frame_w > 0 && f.frame_h > 0) {
      x = f.x, y = f.y, sx = double(f.width) / f.frame_w, sy = double(f.height) / f.frame_h;
    }
  }
};

// Frame pixels to window fractions.
float U(const FrameMap& m, double fx) { return g_width > 0 ? float((m.x + fx * m.sx) / g_width) : 0; }
float V(const FrameMap& m, double fy) { return g_height > 0 ? float((m.y + fy * m.sy) / g_height) : 0; }

bool OnBackControl(double x, double y) {
  return x >= TOUCH_BACK_X && x < TOUCH_BACK_X + TOUCH_BACK_W && y >= TOUCH_BACK_Y &&
         y < TOUCH_BACK_Y + TOUCH_BACK_H;
}
}  // namespace

TTouchView GetTouchView() {
  TTouchView view = g_view;
  view.in_game = AimAsked() != 0;
  const FrameMap m;
  view.radius_u = g_width > 0 ? float(TOUCH_STICK_RADIUS * m.sx / g_width) : 0;
  view.back_u = U(m, TOUCH_BACK_X);
  view.back_v = V(m, TOUCH_BACK_Y);
  view.back_uw = U(m, TOUCH_BACK_X + TOUCH_BACK_W) - view.back_u;
  view.back_vh = V(m, TOUCH_BACK_Y + TOUCH_BACK_H) - view.back_v;
  return view;
}

TTouchSticks::~TTouchSticks() { g_view.move.held = g_view.aim.held = false; }

bool TTouchSticks::Place(double u, double v, int width, int height, double& x, double& y) {
  if (!std::isfinite(u) || !std::isfinite(v) || width <= 0 || height <= 0) return false;
  // A finger dragged off the window goes on being followed, within reason.
  u = std::clamp(u, -1.0, 2.0);
  v = std::clamp(v, -1.0, 2.0);
  g_width = width;
  g_height = height;
  const FrameMap m;
  x = (u * width - m.x) / m.sx;
  y = (v * height - m.y) / m.sy;
  return true;
}

void TTouchSticks::Down(int64_t finger, double u, double v, int width, int height) {
  double x, y;
  if (!Place(u, v, width, height, x, y)) return;
  g_view.used = true;
  // The title screen has no sticks: any finger starts a game. In a game the
  // back control takes the finger before the sticks do.
  const bool in_game = AimAsked() != 0;
  if (!in_game || OnBackControl(x, y)) {
    if (tapped_) return;
    tapped_ = true;
    tap_finger_ = finger;
    state_.start = !in_game;
    state_.leave = in_game;
    Apply(false);
    return;
  }
  const int which = u < 0.5 ? kMove : kAim;
  Stick& s = sticks_[which];
  if (s.held) return;
  s = {true, finger, x, y, x, y};
  Lean(which, x, y);
}

void TTouchSticks::Move(int64_t finger, double u, double v, int width, int height) {
  double x, y;
  if (!Place(u, v, width, height, x, y)) return;
  for (int which : {kMove, kAim}) {
    if (sticks_[which].held && sticks_[which].finger == finger) Lean(which, x, y);
  }
}

void TTouchSticks::Up(int64_t finger) {
  if (tapped_ && tap_finger_ == finger) {
    tapped_ = false;
    state_.start = state_.leave = false;
    Apply(false);
  }
  for (int which : {kMove, kAim}) {
    if (sticks_[which].held && sticks_[which].finger == finger) {
      sticks_[which].held = false;
      (which == kMove ? state_.move_x : state_.aim_x) = 0;
      (which == kMove ? state_.move_y : state_.aim_y) = 0;
      Apply(false);
    }
  }
}

void TTouchSticks::Lean(int which, double x, double y) {
  Stick& s = sticks_[which];
  double dx = x - s.anchor_x, dy = y - s.anchor_y;
  const double length = std::hypot(dx, dy);
  if (length > TOUCH_STICK_RADIUS) {
    dx *= TOUCH_STICK_RADIUS / length;
    dy *= TOUCH_STICK_RADIUS / length;
    s.anchor_x = x - dx;
    s.anchor_y = y - dy;
  }
  s.x = x;
  s.y = y;
  (which == kMove ? state_.move_x : state_.aim_x) = dx / TOUCH_STICK_RADIUS;
  (which == kMove ? state_.move_y : state_.aim_y) = dy / TOUCH_STICK_RADIUS;
  Apply(which == kAim);
}

void TTouchSticks::Apply(bool aim_moved) {
  state_.aim_fires = true;
  stick_.Update(state_, aim_moved);
  const FrameMap m;
  for (int which : {kMove, kAim}) {
    const Stick& s = sticks_[which];
    TTouchStickView& view = which == kMove ? g_view.move : g_view.aim;
    view.held = s.held;
    view.anchor_x = float(s.anchor_x), view.anchor_y = float(s.anchor_y);
    view.finger_x = float(s.x), view.finger_y = float(s.y);
    view.anchor_u = U(m, s.anchor_x), view.anchor_v = V(m, s.anchor_y);
    view.finger_u = U(m, s.x), view.finger_v = V(m, s.y);
  }
}
