// The OpenGL ES 2.0 2D driver (WebGL 1 in a browser): the same TCanvasDriver
// contract as the OpenGL 1.1 one, over the same SDL window level
// (gl_graphics.h) with ES 2.0 contexts. Draws are batched: consecutive draws
// with the same texture and primitive append to one vertex buffer, and only
// a change of texture, primitive, blend or line width, a clear, a viewport
// change, a pixmap transfer or Flip sends it as one draw call. Colours travel
// per vertex, so a change of colour never breaks a batch; lines, points and
// shapes draw with a 1 x 1 white texture so every draw shares one shader.
// Context operations and the batch are in gles2_canvas_context.cpp, the
// drawing slots in gles2_canvas_draw.cpp, textures in gles2_image_frame.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/canvas.h"

class TGLES2CanvasDriver : public TCanvasDriver {
 public:
  // TGraphicsDriver
  std::vector<std::shared_ptr<TGraphicsMode>> GraphicsModes() override;
  std::shared_ptr<TGraphics> AttachGraphics(void* widget, int flags) override;
  std::shared_ptr<TGraphics> CreateGraphics(int width, int height, int depth, int hertz,
                                            int flags) override;
  void SetGraphics(const std::shared_ptr<TGraphics>& g) override;
  void Flip(int sync) override;
  bool Available() override;

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

  uint64_t DrawCalls() const override;

  std::string ToString() const { return "OpenGL ES 2.0"; }

  // The one instance, made on first use.
  static const std::shared_ptr<TGLES2CanvasDriver>& Instance();
};

// One vertex of a batch: position in window pixels, texture coordinates,
// colour and alpha bytes.
struct TGLES2Vertex {
  float x, y, u, v;
  uint8_t rgba[4];
};

// What the ES 2.0 driver has sent to GL, and the batch it has not sent yet.
struct TGLES2CanvasState {
  int blend_mode = 0;                        // 0 = unknown
  uint8_t color[4] = {255, 255, 255, 255};   // red, green, blue, alpha bytes
  TCanvasMatrix matrix;
  float line_width = 1.0f;
  int viewport[4] = {0, 0, 0, 0};            // the game's viewport: x, y, width, height
  unsigned frame_serial = 0;                 // the window frame the GL viewport was set for
  bool ready = false;                        // a drawing context is current and set up
  uint32_t bound_texture = 0;
  // The batch: its texture and primitive, and its vertices.
  uint32_t batch_texture = 0;
  uint32_t batch_primitive = 0;
  std::vector<TGLES2Vertex> vertices;
  // Objects shared by every ES context.
  uint32_t program = 0, buffer = 0, white_texture = 0, scratch_texture = 0;
  int u_projection = -1, u_alpha_ref = -1;
  int max_texture_size = 0;
  uint64_t draw_calls = 0;  // draw calls sent, for the benchmarks
};
extern TGLES2CanvasState g_es2;

// Room for count more vertices of the primitive with the texture (a GL
// texture name; 0 means the white one), after flushing the batch if it holds
// another texture or primitive.
TGLES2Vertex* GLES2Reserve(uint32_t texture, uint32_t primitive, int count);
// Sets one vertex: (x, y) through the driver's matrix, moved by (tx, ty)
// and then by offset on both axes, in the current colour.
void GLES2Vertex(TGLES2Vertex& v, float x, float y, float tx, float ty, float u = 0.0f,
                 float v_ = 0.0f, float offset = 0.0f);
// Sends the batch as one draw call.
void GLES2Flush();
