// Drawing slots of the OpenGL 2D driver: blending, colour, transform,
// primitives, pixmaps and texture frames, in fixed-function immediate mode.
// The driver keeps what it last sent (g_gl_canvas) so redundant blend,
// texture-binding and texturing changes never reach GL; colour and alpha are
// re-sent on every call. Quads have no half-pixel offset, points and lines do.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "graphics/opengl/gl_canvas_driver.h"
#include "graphics/sdl/sdl_window.h"
#include "graphics/opengl/gl_image_frame.h"
#include "graphics/texture_layout.h"
#include "graphics/graphics.h"
#include "graphics/pixmap.h"
#include "system/random.h"

namespace {

void TexturingOff() {
  if (g_gl_canvas.texturing) {
    glDisable(GL_TEXTURE_2D);
    g_gl_canvas.texturing = 0;
  }
}

void SendColor() { glColor4ubv(g_gl_canvas.color); }

// Blending forced to BLEND_SOLID for a raw pixel transfer, then put back.
class SolidBlendScope {
 public:
  explicit SolidBlendScope(TGLCanvasDriver& driver)
      : driver_(driver), previous_(g_gl_canvas.blend_mode) {
    driver_.SetBlend(BLEND_SOLID);
  }
  ~SolidBlendScope() { driver_.SetBlend(previous_); }

 private:
  TGLCanvasDriver& driver_;
  int previous_;
};

}  // namespace

void GLTransformedVertex(float x, float y, float tx, float ty, float offset) {
  const TCanvasMatrix& m = g_gl_canvas.matrix;
  glVertex2f(m.X(x, y, tx) + offset, m.Y(x, y, ty) + offset);
}

std::shared_ptr<TImageFrame> TGLCanvasDriver::CreateFrameFromPixmap(
    const std::shared_ptr<TPixmap>& pixmap, int flags) {
  // Made in the shared context, so the texture serves every window and the
  // drawing context's binding (and our cache of it) stays as it was.
  TGLGraphicsDriver& gl = *TGLGraphicsDriver::Instance();
  gl.SwapSharedContext();
  std::shared_ptr<TImageFrame> frame;
  try {
    frame = TGLImageFrame::CreateFromPixmap(pixmap, flags);
  } catch (...) {
    gl.SwapSharedContext();
    throw;
  }
  gl.SwapSharedContext();
  return frame;
}

void TGLCanvasDriver::SetBlend(int mode) {
  if (mode == g_gl_canvas.blend_mode) return;
  g_gl_canvas.blend_mode = mode;
  switch (mode) {
    case BLEND_MASK:
      glDisable(GL_BLEND);
      glEnable(GL_ALPHA_TEST);
      glAlphaFunc(GL_GEQUAL, 0.5f);
      break;
    case BLEND_ALPHA:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      glDisable(GL_ALPHA_TEST);
      break;
    case BLEND_LIGHT:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE);
      glDisable(GL_ALPHA_TEST);
      break;
    case BLEND_SHADE:
      glEnable(GL_BLEND);
      glBlendFunc(GL_DST_COLOR, GL_ZERO);
      glDisable(GL_ALPHA_TEST);
      break;
    default:  // BLEND_SOLID and anything unknown
      glDisable(GL_BLEND);
      glDisable(GL_ALPHA_TEST);
      break;
  }
}

void TGLCanvasDriver::SetAlpha(float alpha) {
  g_gl_canvas.color[3] = AlphaByte(alpha);
  SendColor();
}

void TGLCanvasDriver::SetColor(int red, int green, int blue) {
  g_gl_canvas.color[0] = ColorByte(red);
  g_gl_canvas.color[1] = ColorByte(green);
  g_gl_canvas.color[2] = ColorByte(blue);
  SendColor();
}

void TGLCanvasDriver::SetViewport(int x, int y, int width, int height) {
  int* v = g_gl_canvas.viewport;
  v[0] = x, v[1] = y, v[2] = width, v[3] = height;
  GLApplyViewport(v, g_gl_canvas.frame_serial);
}

void TGLCanvasDriver::SetTransform(float ix, float iy, float jx, float jy) {
  g_gl_canvas.matrix = {ix, iy, jx, jy};
}

void TGLCanvasDriver::SetLineWidth(float width) { glLineWidth(width); }

void TGLCanvasDriver::Plot(float x, float y) {
  TexturingOff();
  glBegin(GL_POINTS);
  glVertex2f(x + 0.5f, y + 0.5f);
  glEnd();
  ++g_gl_canvas.draw_calls;
}

void TGLCanvasDriver::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) {
  TexturingOff();
  glBegin(GL_LINES);
  GLTransformedVertex(x0, y0, tx, ty, 0.5f);
  GLTransformedVertex(x1, y1, tx, ty, 0.5f);
  glEnd();
  ++g_gl_canvas.draw_calls;
}

void TGLCanvasDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
  TexturingOff();
  glBegin(GL_QUADS);
  GLTransformedVertex(x0, y0, tx, ty);
  GLTransformedVertex(x1, y0, tx, ty);
  GLTransformedVertex(x1, y1, tx, ty);
  GLTransformedVertex(x0, y1, tx, ty);
  glEnd();
  ++g_gl_canvas.draw_calls;
}

void TGLCanvasDriver::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) {
  static std::vector<float> xy;
  OvalOutline(x0, y0, x1, y1, xy);
  TexturingOff();
  glBegin(GL_POLYGON);
  for (size_t i = 0; i < xy.size(); i += 2) GLTransformedVertex(xy[i], xy[i + 1], tx, ty);
  glEnd();
  ++g_gl_canvas.draw_calls;
}

void TGLCanvasDriver::DrawPoly(const std::vector<float>& xy, float handle_x, float handle_y,
                               float origin_x, float origin_y) {
  if (xy.size() < 6 || (xy.size() & 1)) return;
  TexturingOff();
  glBegin(GL_POLYGON);
  for (size_t i = 0; i < xy.size(); i += 2) {
    GLTransformedVertex(xy[i] + handle_x, xy[i + 1] + handle_y, origin_x, origin_y);
  }
  glEnd();
  ++g_gl_canvas.draw_calls;
}

void TGLCanvasDriver::DrawPixmap(const std::shared_ptr<TPixmap>& pixmap, int x, int y) {
  if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return;
  std::shared_ptr<TPixmap> rgba =
      pixmap->format == PF_RGBA8888 ? pixmap : pixmap->Convert(PF_RGBA8888);
  if (!rgba) return;
  SolidBlendScope solid(*this);
  TexturingOff();
  // Place the raster at the window's top-left (always a valid position), move
  // it by (x, -y) in window coordinates, and let rows run downwards.
  glRasterPos2f(0.0f, 0.0f);
  glBitmap(0, 0, 0.0f, 0.0f, float(x), float(-y), nullptr);
  glPixelZoom(1.0f, -1.0f);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, rgba->pitch / 4);
  glDrawPixels(rgba->width, rgba->height, GL_RGBA, GL_UNSIGNED_BYTE, rgba->pixels);
  ++g_gl_canvas.draw_calls;
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelZoom(1.0f, 1.0f);
}

std::shared_ptr<TPixmap> TGLCanvasDriver::GrabPixmap(int x, int y, int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  auto pixmap = TPixmap::Create(width, height, PF_RGBA8888);
  if (!pixmap) return nullptr;
  SolidBlendScope solid(*this);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, pixmap->pitch / 4);
  glReadPixels(x, GraphicsHeight() - height - y, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
               pixmap->pixels);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  FlipRows(*pixmap);  // GL hands rows bottom-up; the pixmap wants row 0 at the top
  return pixmap;
}
