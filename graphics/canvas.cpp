// The current 2D context and driver, and the context's life: creation with
// the starting draw state, re-sending that state when it becomes current,
// and the clear colour.
#include "graphics/canvas.h"

#include "graphics/draw.h"
#include "graphics/image_font.h"
#include "system/random.h"

#include <algorithm>
#include <cmath>

namespace {
std::shared_ptr<TCanvasGraphics> g_current_canvas;
std::shared_ptr<TCanvasDriver> g_current_canvas_driver;
}  // namespace

uint8_t ColorByte(int component) { return uint8_t(std::clamp(component, 0, 255)); }

uint8_t AlphaByte(float alpha) {
  if (alpha > 1.0f) alpha = 1.0f;
  if (!(alpha >= 0.0f)) alpha = 0.0f;  // negative or not a number
  return uint8_t(alpha * 255.0f);
}

void OvalOutline(float x0, float y0, float x1, float y1, std::vector<float>& xy) {
  const float xr = (x1 - x0) * 0.5f, yr = (y1 - y0) * 0.5f;
  int segments = int(std::fabs(xr) + std::fabs(yr));
  segments = std::max(segments, 12) & ~3;
  const float cx = x0 + xr, cy = y0 + yr;
  xy.clear();
  for (int i = 0; i < segments; ++i) {
    const double angle = double(i) * 360.0 / double(segments);
    xy.push_back(cx + float(CosDeg(angle)) * xr);
    xy.push_back(cy - float(SinDeg(angle)) * yr);
  }
}

void TCanvasDriver::NoteText(const std::string&, float, float) {}

const std::shared_ptr<TCanvasDriver>& TCanvasDriver::Current() { return g_current_canvas_driver; }

std::shared_ptr<TGraphicsDriver> TCanvasGraphics::Driver() { return _driver; }

void TCanvasGraphics::GetSettings(int& width, int& height, int& depth, int& hertz, int& flags) {
  if (_graphics) {
    _graphics->GetSettings(width, height, depth, hertz, flags);
  } else {
    width = height = depth = hertz = flags = 0;
  }
}

void TCanvasGraphics::Close() {
  if (!_graphics) return;
  _graphics->Close();
  _graphics = nullptr;
  _driver = nullptr;
}

void TCanvasGraphics::Validate() {
  // Through the public calls, so the matrix is recomputed from rotation and
  // scale and an empty font becomes the default one.
  ::SetBlend(blend_mode);
  ::SetColor(color_red, color_green, color_blue);
  ::SetAlpha(color_alpha);
  ::SetClsColor(clscolor_red, clscolor_green, clscolor_blue);
  ::SetLineWidth(line_width);
  ::SetRotation(tform_rot);
  ::SetScale(tform_scale_x, tform_scale_y);
  ::SetViewport(viewport_x, viewport_y, viewport_w, viewport_h);
  ::SetOrigin(origin_x, origin_y);
  ::SetHandle(-handle_x, -handle_y);
  ::SetImageFont(image_font);
}

void TCanvasGraphics::MakeCurrent() {
  g_current_canvas = std::static_pointer_cast<TCanvasGraphics>(shared_from_this());
  g_current_canvas_driver = _driver;
  Validate();
  if (_setup == 0) {
    // Both buffers start cleared, whatever the window held before.
    ::Cls();
    ::Flip(0);
    ::Cls();
    ::Flip(0);
    _setup = 1;
  }
}

void TCanvasGraphics::ClearCurrent() {
  g_current_canvas = nullptr;
  g_current_canvas_driver = nullptr;
}

const std::shared_ptr<TCanvasGraphics>& TCanvasGraphics::Current() { return g_current_canvas; }

std::shared_ptr<TCanvasGraphics> TCanvasGraphics::Create(const std::shared_ptr<TGraphics>& g,
                                                         const std::shared_ptr<TCanvasDriver>& driver) {
  int width = 0, height = 0, depth = 0, hertz = 0, flags = 0;
  g->GetSettings(width, height, depth, hertz, flags);
  auto canvas = std::make_shared<TCanvasGraphics>();
  canvas->viewport_w = width;
  canvas->viewport_h = height;
  canvas->image_font = TImageFont::Default();
  canvas->_graphics = g;
  canvas->_driver = driver;
  canvas->_setup = 0;
  return canvas;
}

void Cls() {
  if (DrawingSkipped()) return;
  if (const auto& driver = TCanvasDriver::Current()) driver->Cls();
}

void SetClsColor(int red, int green, int blue) {
  TCanvasGraphics* c = TCanvasGraphics::Current().get();
  if (!c) return;
  c->clscolor_red = red;
  c->clscolor_green = green;
  c->clscolor_blue = blue;
  if (c->_driver) c->_driver->SetClsColor(red, green, blue);
}

void GetClsColor(int& red, int& green, int& blue) {
  TCanvasGraphics* c = TCanvasGraphics::Current().get();
  red = c ? c->clscolor_red : 0;
  green = c ? c->clscolor_green : 0;
  blue = c ? c->clscolor_blue : 0;
}
