// The OpenGL 2D driver: the TCanvasDriver the game draws through, over the
// SDL window and context level of graphics/sdl/sdl_window.h. The context operations
// (making a context current, Cls, Flip) are in gl_canvas_context.cpp; the
// drawing slots, textures and their GL state caches in gl_canvas_draw.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/canvas.h"
#include "graphics/flip_pacer.h"

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

  uint64_t DrawCalls() const override;

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
  TCanvasMatrix matrix;    // the current transform
  int viewport[4] = {0, 0, 0, 0};  // the game's viewport: x, y, width, height
  unsigned frame_serial = 0;       // the window frame the GL viewport was set for
  uint64_t draw_calls = 0;         // primitives sent, for the benchmarks
};
extern TGLCanvasState g_gl_canvas;

// Sends the point (x, y) through the driver's current matrix, moved by
// (tx, ty) and then by offset on both axes, as a GL vertex.
void GLTransformedVertex(float x, float y, float tx, float ty, float offset = 0.0f);

