// A 2D driver that draws nothing and records every call instead, with the
// draw state it was made under. Game tests, benchmarks and the soak test
// install it with SetGraphicsDriver and then run the game as usual:
//
//   auto rec = std::make_shared<TRecordingCanvasDriver>();
//   SetGraphicsDriver(rec);
//   OpenGraphics(800, 600, 0, 60, 0);
//   ... one frame ...
//   for (const TRecordedCall& c : rec->calls) ...
//
// Images drawn through it get frames of its own, whose Draw is recorded as an
// "Image" call carrying the pixmap the frame was made from (compare it with
// image->pixmaps[frame] to tell which picture was drawn). No GL, no window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/canvas.h"

class TImageFont;

struct TRecordedCall {
  // "Cls", "Flip", "Plot", "Line", "Rect", "Oval", "Poly", "Pixmap", "Grab",
  // "Image" (a texture frame drawn: a picture or a glyph of text) or "Text"
  // (DrawText's note, before its glyphs).
  std::string op;

  // Geometry as the driver got it: the shape's corners before the matrix,
  // and the translation (the drawing position plus the origin).
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  float tx = 0, ty = 0;
  std::vector<float> xy;  // Poly
  int sync = 0;           // Flip
  std::string text;       // Text
  std::shared_ptr<TPixmap> pixmap;  // Image: the frame's pixmap; Pixmap: the one drawn
  int frame_flags = 0;              // Image: the flags the frame was made with

  // The driver's state: colour and alpha unclamped, as sent.
  int red = 255, green = 255, blue = 255;
  float alpha = 1.0f;
  int blend = 0;
  float ix = 1, iy = 0, jx = 0, jy = 1;
  float line_width = 1.0f;
  int viewport_x = 0, viewport_y = 0, viewport_w = 0, viewport_h = 0;
  int cls_red = 0, cls_green = 0, cls_blue = 0;

  // The current context's state (zero when there is none).
  float rotation = 0, scale_x = 1, scale_y = 1;
  float handle_x = 0, handle_y = 0;  // as SetHandle was given them (not negated)
  float origin_x = 0, origin_y = 0;
  std::shared_ptr<TImageFont> font;
};

// The lower context of the recording driver: just the settings it was opened with.
class TRecordingGraphics : public TGraphics {
 public:
  std::shared_ptr<TGraphicsDriver> Driver() override { return driver.lock(); }
  void GetSettings(int& w, int& h, int& d, int& hz, int& f) override;
  void Close() override { closed = true; }

  std::weak_ptr<TGraphicsDriver> driver;
  int width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
  bool closed = false;
};

class TRecordingCanvasDriver : public TCanvasDriver {
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
  void NoteText(const std::string& text, float x, float y) override;

  // Records a texture frame being drawn (called by the frames this driver makes).
  void RecordImage(const std::shared_ptr<TPixmap>& pixmap, int frame_flags, float x0, float y0,
                   float x1, float y1, float tx, float ty);

  // Everything recorded since the last Clear, oldest first (only while
  // `keep_calls` is true; counting goes on regardless, so benchmarks and the
  // soak test can switch keeping off and still see how much was drawn).
  std::vector<TRecordedCall> calls;
  bool keep_calls = true;
  // Totals for the driver's life.
  int64_t flips = 0;
  int64_t frames_made = 0;

  // Forgets the recorded calls and the per-op counts.
  void Clear();
  // The calls of one op, in order.
  std::vector<TRecordedCall> Calls(const std::string& op) const;
  // How many calls of one op were recorded since the last Clear.
  int64_t Count(const std::string& op) const;

  // The state the driver was last sent.
  TRecordedCall state;

 private:
  TRecordedCall& Record(int op);
  // Calls per op since the last Clear, indexed like the op names.
  int64_t counts_[11] = {};
};
