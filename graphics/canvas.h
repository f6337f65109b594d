// The 2D level of the graphics layer: TCanvasGraphics, the current drawing
// context that holds all draw state, and TCanvasDriver, the abstract driver
// that turns that state into pixels. The OpenGL driver (gl_canvas_driver.h)
// and the recording driver used by tests (recording_canvas_driver.h) are its
// two implementations. The draw-state free functions (SetColor, DrawImage...)
// live in draw.h and act on TCanvasGraphics::Current().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/graphics.h"

class TPixmap;
class TImageFrame;
class TImageFont;

// Blend modes.
constexpr int BLEND_MASK = 1;
constexpr int BLEND_SOLID = 2;
constexpr int BLEND_ALPHA = 3;
constexpr int BLEND_LIGHT = 4;
constexpr int BLEND_SHADE = 5;

// The matrix SetTransform gives a driver, as drivers place vertices with it:
// the point through the matrix, then moved by (tx, ty).
struct TCanvasMatrix {
  float ix = 1.0f, iy = 0.0f, jx = 0.0f, jy = 1.0f;
  float X(float x, float y, float tx) const { return x * ix + y * iy + tx; }
  float Y(float x, float y, float ty) const { return x * jx + y * jy + ty; }
};

// A colour component as the GL drivers send it: clamped to 0..255.
uint8_t ColorByte(int component);
// An alpha as a byte: clamped to 0..1 (not a number counts as 0), then
// truncated, so 0.5 gives 127.
uint8_t AlphaByte(float alpha);

// The outline of the oval in the box (x0, y0)-(x1, y1) as x, y pairs,
// anticlockwise on screen from the right: one point per pixel of the two
// radii together, at least 12 and a multiple of 4.
void OvalOutline(float x0, float y0, float x1, float y1, std::vector<float>& xy);

// A graphics driver that also draws.
class TCanvasDriver : public TGraphicsDriver {
 public:
  // Makes a texture frame from a pixmap; empty when that fails.
  virtual std::shared_ptr<TImageFrame> CreateFrameFromPixmap(const std::shared_ptr<TPixmap>& pixmap,
                                                             int flags) = 0;
  virtual void SetBlend(int mode) = 0;
  virtual void SetAlpha(float alpha) = 0;
  virtual void SetColor(int red, int green, int blue) = 0;
  virtual void SetClsColor(int red, int green, int blue) = 0;
  virtual void SetViewport(int x, int y, int width, int height) = 0;
  virtual void SetTransform(float ix, float iy, float jx, float jy) = 0;
  virtual void SetLineWidth(float width) = 0;
  virtual void Cls() = 0;
  virtual void Plot(float x, float y) = 0;
  virtual void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
  virtual void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
  virtual void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
  virtual void DrawPoly(const std::vector<float>& xy, float handle_x, float handle_y, float origin_x,
                        float origin_y) = 0;
  virtual void DrawPixmap(const std::shared_ptr<TPixmap>& pixmap, int x, int y) = 0;
  // Reads back a w x h rectangle of the back buffer, row 0 at the top.
  virtual std::shared_ptr<TPixmap> GrabPixmap(int x, int y, int width, int height) = 0;

  // Told by DrawText before its glyphs are drawn, so a recording driver can
  // keep the text itself; drivers that draw pixels ignore it.
  virtual void NoteText(const std::string& text, float x, float y);

  // How many draw calls the driver has sent to the GPU so far (0 for a
  // driver that sends none), for the benchmarks.
  virtual uint64_t DrawCalls() const { return 0; }

  // The current 2D driver (empty until a 2D context is made current).
  static const std::shared_ptr<TCanvasDriver>& Current();
};

// The current 2D context: a lower context plus the whole draw state.
class TCanvasGraphics : public TGraphics {
 public:
  int color_red = 255;
  int color_green = 255;
  int color_blue = 255;
  float color_alpha = 1.0f;
  int clscolor_red = 0;
  int clscolor_green = 0;
  int clscolor_blue = 0;
  float line_width = 1.0f;
  float tform_rot = 0.0f;  // degrees
  float tform_scale_x = 1.0f;
  float tform_scale_y = 1.0f;
  float tform_ix = 1.0f;
  float tform_iy = 0.0f;
  float tform_jx = 0.0f;
  float tform_jy = 1.0f;
  int viewport_x = 0;
  int viewport_y = 0;
  int viewport_w = 0;
  int viewport_h = 0;
  float origin_x = 0.0f;
  float origin_y = 0.0f;
  float handle_x = 0.0f;  // stored negated: SetHandle(x, y) keeps -x, -y
  float handle_y = 0.0f;
  std::shared_ptr<TImageFont> image_font;
  int blend_mode = BLEND_MASK;
  std::shared_ptr<TGraphics> _graphics;
  std::shared_ptr<TCanvasDriver> _driver;
  int _setup = 0;

  std::shared_ptr<TGraphicsDriver> Driver() override;
  void GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) override;
  void Close() override;
  // Re-sends the whole stored state to the driver.
  void Validate();
  // Makes this the current context and driver; the first time, clears both buffers.
  void MakeCurrent();

  static void ClearCurrent();
  static const std::shared_ptr<TCanvasGraphics>& Current();
  static std::shared_ptr<TCanvasGraphics> Create(const std::shared_ptr<TGraphics>& g,
                                                 const std::shared_ptr<TCanvasDriver>& driver);
};

// Clears the back buffer to the clear colour.
void Cls();
void SetClsColor(int red, int green, int blue);
void GetClsColor(int& red, int& green, int& blue);
