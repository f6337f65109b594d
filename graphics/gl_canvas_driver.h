// The OpenGL 2D driver: the TCanvasDriver the game draws through, over the
// SDL window and context level of gl_graphics.h. The context operations
// (making a context current, Cls, Flip) are in gl_canvas_context.cpp; the
// drawing slots, textures and their GL state caches in gl_canvas_draw.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/canvas.h"

class TCanvasGraphics;

class TGLCanvasDriver : public TCanvasDriver {
 public:
  // TGraphicsDriver
  std::vector<std::shared_ptr<TGraphicsMode>> GraphicsModes() override;
  std::shared_ptr<TGraphics> AttachGraphics(void* widget, int flags) override;
  std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                            int flags) override;
  void SetGraphics(const std::shared_ptr<TGraphics>& g) override;
  void Flip(int sync) override;

  // TCanvasDriver
  std::shared_ptr<TImageFrame> CreateFrameFromPixmap(const std::shared_ptr<TPixmap>& pixmap,
                                                     int flags) override;
  void SetBlend(int mode) override;
  void SetAlpha(float alpha) override;
  void SetColor(int red, int green, int blue) override;
  void SetClsColor(int red, int green, int blue) override;
  void SetViewport(int x, int y, int width, int height) override;
  void SetTransform(float ix, float iy, float jx, float jy) override;
  void SetLineWidth(float width) override;
  void Cls() override;
  void Plot(float x, float y) override;
  void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawPoly(const std::vector<float>& xy, float handle_x, float handle_y, float origin_x,
                float origin_y) override;
  void DrawPixmap(const std::shared_ptr<TPixmap>& pixmap, int x, int y) override;
  std::shared_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height) override;

  // Puts a freshly current GL context into the 2D state this driver assumes
  // and forgets the cached GL state, which another context may have changed.
  void ResetGLContext(const std::shared_ptr<TCanvasGraphics>& g);

  std::string ToString() const { return "OpenGL"; }

  // The one instance, made on first use.
  static const std::shared_ptr<TGLCanvasDriver>& Instance();
};

// What the GL 2D driver has sent to OpenGL, shared by all its contexts.
// The caches let the drawing code skip redundant state changes;
// ResetGLContext zeroes the first three whenever a context is made current.
struct TGLCanvasState {
  int blend_mode = 0;      // cached blend mode, 0 = unknown
  uint32_t bound_texture = 0;  // cached bound texture name
  int texturing = 0;       // whether GL_TEXTURE_2D is enabled
  uint8_t color[4] = {255, 255, 255, 255};  // red, green, blue, alpha bytes
  float ix = 1.0f, iy = 0.0f, jx = 0.0f, jy = 1.0f;  // the current transform
};
extern TGLCanvasState g_gl_canvas;

// Sends the point (x, y) through the driver's current matrix, moved by
// (tx, ty) and then by offset on both axes, as a GL vertex.
void GLTransformedVertex(float x, float y, float tx, float ty, float offset = 0.0f);

// Flip(1) pacing. The game moves once per frame and is tuned for 60 frames a
// second, so Flip(1) paces frames on the millisecond clock, for the rest of
// the process, wherever vsync alone would give another speed:
//  - on a display refreshing faster than 60 Hz, from the first frame, at 60
//    frames a second (still presented with vsync, so nothing tears);
//  - where vertical sync is not honoured (Xvfb, many remote and virtual
//    displays, drivers that ignore the swap interval), where the game would
//    run at thousands of frames per second, at the refresh rate (60 at
//    most). Vsync counts as not honoured when the interval could not be set,
//    or when kProbeFrames Flip(1) calls in a row took less than half the time
//    the refresh rate allows (a real vsync with a few queued buffers still
//    takes most of it).
// Pure logic: the driver feeds it the clock and the display's refresh rate.
class TFlipPacer {
 public:
  static constexpr int kProbeFrames = 10;
  static constexpr int kGameHertz = 60;

  // Before a Flip(1) while not paced: a display faster than the game starts the pace.
  void BeforeFlip(int now, int hertz);
  // After an unpaced Flip(1) has presented its frame.
  void AfterFlip(bool interval_taken, int now, int hertz);
  // Before a paced Flip(1): how long to sleep so frames start 1000 / hertz ms
  // apart (step or step + 1 ms, the remainder spread over each second). A
  // late frame makes the next one due a full step from now: no catching up.
  int WaitBeforeFlip(int now);

  bool paced = false;

 private:
  void Start(int now, int hertz);
  int probe_count_ = 0;
  int probe_start_ = 0;
  int hertz_ = 60;
  int step_ = 16, rem_ = 40, frac_ = 0;
  int due_ = 0;
};

// Whether Flip(1) paces frames on the millisecond clock on this display.
bool GLFlipPaced();

// Where Flip(1) reads the display's refresh rate; none (the default) asks
// the window's display. Tests put in a rate of their choosing.
void SetRefreshRateSource(int (*source)());
