// The OpenGL 2D driver's context operations: wrapping GL contexts in 2D
// contexts, making them current with a fresh pixel-for-pixel projection,
// clearing, and presenting. Flip(1) also keeps the game playable where
// vertical sync is not honoured (see PacedFlip).
#include <GL/gl.h>

#include "graphics/gl_canvas_driver.h"
#include "graphics/gl_graphics.h"
#include "system/clock.h"

#include <algorithm>

TGLCanvasState g_gl_canvas;

namespace {
// Where the swap interval is not honoured (Xvfb, many remote and virtual
// displays, drivers that ignore it) a game that moves once per frame would run
// at thousands of frames per second. Flip(1) then paces presentation to the
// display's refresh rate on the millisecond clock instead. Vertical sync
// counts as not honoured when the interval could not be set, or when a run of
// kProbeFrames Flip(1) calls took less than half the time the refresh rate
// allows (a real vsync with a few queued buffers still takes most of it).
// Once found, pacing stays on for the process.
constexpr int kProbeFrames = 10;

struct Pacing {
  bool paced = false;
  int probe_count = 0;
  int probe_start = 0;
  int hertz = 60;
  int step = 16, rem = 40, frac = 0;
  int due = 0;
};
Pacing g_pacing;

void StartPacing() {
  Pacing& p = g_pacing;
  p.paced = true;
  p.hertz = std::max(1, GLDisplayRefreshRate());
  p.step = 1000 / p.hertz;
  p.rem = 1000 - p.step * p.hertz;
  p.frac = 0;
  p.due = Millisecs();
}

// Sleeps until the next frame is due: frames start step or step + 1 ms apart
// (the remainder spread over each second); a late frame resets the due time
// to now rather than hurrying the next ones.
void WaitForDueFrame() {
  Pacing& p = g_pacing;
  p.due += p.step;
  p.frac += p.rem;
  if (p.frac >= p.hertz) {
    p.frac -= p.hertz;
    p.due += 1;
  }
  int wait = p.due - Millisecs();
  if (wait > 0) {
    Delay(wait);
  } else {
    p.due -= wait;
  }
}

// Watches unpaced Flip(1) calls for frames presented faster than the display
// can show them.
void ProbeVSync() {
  Pacing& p = g_pacing;
  if (!GLSwapIntervalApplied()) {
    StartPacing();
    return;
  }
  int now = Millisecs();
  if (p.probe_count == 0) {
    p.probe_start = now;
    p.probe_count = 1;
    return;
  }
  if (++p.probe_count <= kProbeFrames) return;
  int hertz = std::max(1, GLDisplayRefreshRate());
  int elapsed = now - p.probe_start;
  if (elapsed * 2 * hertz < kProbeFrames * 1000) {
    StartPacing();
  } else {
    p.probe_count = 0;
  }
}
}  // namespace

const std::shared_ptr<TGLCanvasDriver>& TGLCanvasDriver::Instance() {
  // Never destroyed, so images released at exit can still reach it.
  static const auto* driver = new std::shared_ptr<TGLCanvasDriver>(std::make_shared<TGLCanvasDriver>());
  return *driver;
}

std::vector<std::shared_ptr<TGraphicsMode>> TGLCanvasDriver::GraphicsModes() {
  return TGLGraphicsDriver::Instance()->GraphicsModes();
}

std::shared_ptr<TGraphics> TGLCanvasDriver::AttachGraphics(void* widget, int flags) {
  auto g = TGLGraphicsDriver::Instance()->AttachGraphics(widget, flags);
  if (!g) return nullptr;
  return TCanvasGraphics::Create(g, std::static_pointer_cast<TCanvasDriver>(shared_from_this()));
}

std::shared_ptr<TGraphics> TGLCanvasDriver::CreateGraphics(int width, int height, int depth, int hertz,
                                                           int flags) {
  auto g = TGLGraphicsDriver::Instance()->CreateGraphics(width, height, depth, hertz, flags);
  if (!g) return nullptr;
  return TCanvasGraphics::Create(g, std::static_pointer_cast<TCanvasDriver>(shared_from_this()));
}

void TGLCanvasDriver::SetGraphics(const std::shared_ptr<TGraphics>& g) {
  if (!g) {
    TCanvasGraphics::ClearCurrent();
    TGLGraphicsDriver::Instance()->SetGraphics(nullptr);
    return;
  }
  auto canvas = std::dynamic_pointer_cast<TCanvasGraphics>(g);
  if (!canvas) return;
  TGLGraphicsDriver::Instance()->SetGraphics(canvas->_graphics);
  ResetGLContext(canvas);
  canvas->MakeCurrent();
}

void TGLCanvasDriver::ResetGLContext(const std::shared_ptr<TCanvasGraphics>& g) {
  int width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
  g->GetSettings(width, height, depth, hertz, flags);
  g_gl_canvas.blend_mode = 0;
  g_gl_canvas.bound_texture = 0;
  g_gl_canvas.texturing = 0;
  glDisable(GL_TEXTURE_2D);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // One unit per pixel, y growing downwards.
  glOrtho(0, width, height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glViewport(0, 0, width, height);
}

void TGLCanvasDriver::Flip(int sync) {
  if (sync) {
    if (g_pacing.paced) {
      WaitForDueFrame();
    }
    TGLGraphicsDriver::Instance()->Flip(sync);
    if (!g_pacing.paced) ProbeVSync();
    return;
  }
  TGLGraphicsDriver::Instance()->Flip(sync);
}

void TGLCanvasDriver::Cls() { glClear(GL_COLOR_BUFFER_BIT); }

void TGLCanvasDriver::SetClsColor(int red, int green, int blue) {
  red = std::clamp(red, 0, 255);
  green = std::clamp(green, 0, 255);
  blue = std::clamp(blue, 0, 255);
  glClearColor(red / 255.0f, green / 255.0f, blue / 255.0f, 1.0f);
}

bool GLFlipPaced() { return g_pacing.paced; }
