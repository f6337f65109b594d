// The OpenGL 2D driver's context operations: wrapping GL contexts in 2D
// contexts, making them current with a fresh pixel-for-pixel projection,
// clearing, and presenting. Flip(1) also keeps the game at its own speed
// where vertical sync is not honoured or the display is faster (TFlipPacer).
#include <GL/gl.h>

#include "graphics/opengl/gl_canvas_driver.h"
#include "graphics/sdl/sdl_window.h"
#include "system/clock.h"

#include <algorithm>

TGLCanvasState g_gl_canvas;

const std::shared_ptr<TGLCanvasDriver>& TGLCanvasDriver::Instance() {
  // Never destroyed, so images released at exit can still reach it.
  static const auto* driver = new std::shared_ptr<TGLCanvasDriver>(std::make_shared<TGLCanvasDriver>());
  return *driver;
}

// The OpenGL 1.1 driver, "gl" in the platform tables (platforms/).
std::shared_ptr<TGraphicsDriver> MakeGLCanvasDriver() { return TGLCanvasDriver::Instance(); }

std::vector<std::shared_ptr<TGraphicsMode>> TGLCanvasDriver::GraphicsModes() {
  return TGLGraphicsDriver::Instance()->GraphicsModes();
}

std::shared_ptr<TGraphics> TGLCanvasDriver::AttachGraphics(void* widget, int flags) {
  SetGLProfile(TGLProfile::Desktop);
  auto g = TGLGraphicsDriver::Instance()->AttachGraphics(widget, flags);
  if (!g) return nullptr;
  return TCanvasGraphics::Create(g, std::static_pointer_cast<TCanvasDriver>(shared_from_this()));
}

std::shared_ptr<TGraphics> TGLCanvasDriver::CreateGraphics(int width, int height, int depth, int hertz,
                                                           int flags) {
  SetGLProfile(TGLProfile::Desktop);
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
  g_gl_canvas.viewport[0] = g_gl_canvas.viewport[1] = 0;
  g_gl_canvas.viewport[2] = width;
  g_gl_canvas.viewport[3] = height;
  GLApplyViewport(g_gl_canvas.viewport, g_gl_canvas.frame_serial);
}

void TGLCanvasDriver::Flip(int sync) { GLPacedFlip(sync); }

void TGLCanvasDriver::Cls() {
  if (GLCurrentFrame().serial != g_gl_canvas.frame_serial) {
    GLApplyViewport(g_gl_canvas.viewport, g_gl_canvas.frame_serial);
  }
  glClear(GL_COLOR_BUFFER_BIT);
}

void TGLCanvasDriver::SetClsColor(int red, int green, int blue) {
  red = std::clamp(red, 0, 255);
  green = std::clamp(green, 0, 255);
  blue = std::clamp(blue, 0, 255);
  GLClearColor(red / 255.0f, green / 255.0f, blue / 255.0f, 1.0f);
}

uint64_t TGLCanvasDriver::DrawCalls() const { return g_gl_canvas.draw_calls; }
