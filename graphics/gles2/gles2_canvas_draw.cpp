// Drawing slots of the OpenGL ES 2.0 2D driver: blending, colour, transform,
// primitives as batched vertices, pixmaps through a scratch texture, and
// reading the back buffer. Vertices land where the OpenGL 1.1 driver puts
// them: quads with no half-pixel offset, points and lines with one, shapes
// as fans of triangles from their first point.
#include <GLES2/gl2.h>

#include <algorithm>
#include <vector>

#include "graphics/sdl/sdl_window.h"
#include "graphics/texture_layout.h"
#include "graphics/gles2/gles2_canvas_driver.h"
#include "graphics/gles2/gles2_image_frame.h"
#include "graphics/graphics.h"
#include "graphics/pixmap.h"

namespace {

// A convex outline (x, y pairs already placed) as a fan of triangles.
void Fan(const std::vector<float>& xy, float tx, float ty) {
  const int points = int(xy.size() / 2);
  if (points < 3) return;
  TGLES2Vertex* v = GLES2Reserve(0, GL_TRIANGLES, (points - 2) * 3);
  for (int i = 1; i + 1 < points; ++i, v += 3) {
    GLES2Vertex(v[0], xy[0], xy[1], tx, ty);
    GLES2Vertex(v[1], xy[size_t(i) * 2], xy[size_t(i) * 2 + 1], tx, ty);
    GLES2Vertex(v[2], xy[size_t(i) * 2 + 2], xy[size_t(i) * 2 + 3], tx, ty);
  }
}

}  // namespace

std::shared_ptr<TImageFrame> TGLES2CanvasDriver::CreateFrameFromPixmap(
    const std::shared_ptr<TPixmap>& pixmap, int flags) {
  // Made in the shared context, so the texture serves every window and the
  // drawing context's binding stays as it was.
  TGLGraphicsDriver& gl = *TGLGraphicsDriver::Instance();
  gl.SwapSharedContext(TGLProfile::ES2);
  std::shared_ptr<TImageFrame> frame;
  try {
    frame = TGLES2ImageFrame::CreateFromPixmap(pixmap, flags);
  } catch (...) {
    gl.SwapSharedContext(TGLProfile::ES2);
    throw;
  }
  gl.SwapSharedContext(TGLProfile::ES2);
  return frame;
}

void TGLES2CanvasDriver::SetBlend(int mode) {
  TGLES2CanvasState& st = g_es2;
  if (mode == st.blend_mode) return;
  GLES2Flush();
  st.blend_mode = mode;
  if (!st.ready) return;
  switch (mode) {
    case BLEND_ALPHA:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      break;
    case BLEND_LIGHT:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE);
      break;
    case BLEND_SHADE:
      glEnable(GL_BLEND);
      glBlendFunc(GL_DST_COLOR, GL_ZERO);
      break;
    default:  // BLEND_MASK, BLEND_SOLID and anything unknown
      glDisable(GL_BLEND);
      break;
  }
  // The mask blend keeps fragments whose alpha is at least a half (set
  // with the programs' other uniforms once they are built).
  if (st.linking) return;
  for (int i = 0; i < 2; ++i) {
    glUseProgram(st.programs[i]);
    glUniform1f(st.u_alpha_ref[i], mode == BLEND_MASK ? 0.5f : -1.0f);
  }
  glUseProgram(st.programs[st.program]);
}

void TGLES2CanvasDriver::SetAlpha(float alpha) { g_es2.color[3] = AlphaByte(alpha); }

void TGLES2CanvasDriver::SetColor(int red, int green, int blue) {
  g_es2.color[0] = ColorByte(red);
  g_es2.color[1] = ColorByte(green);
  g_es2.color[2] = ColorByte(blue);
}

void TGLES2CanvasDriver::SetTransform(float ix, float iy, float jx, float jy) {
  g_es2.matrix = {ix, iy, jx, jy};
}

void TGLES2CanvasDriver::SetLineWidth(float width) {
  if (width == g_es2.line_width) return;
  GLES2Flush();
  g_es2.line_width = width;
  if (g_es2.ready) glLineWidth(width);
}

void TGLES2CanvasDriver::Plot(float x, float y) {
  // Straight to the pixel: the matrix does not apply to points.
  TGLES2Vertex& v = *GLES2Reserve(0, GL_POINTS, 1);
  v = {x + 0.5f, y + 0.5f, 0.0f, 0.0f, {}, g_es2.unit};
  std::copy(g_es2.color, g_es2.color + 4, v.rgba);
}

void TGLES2CanvasDriver::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) {
  TGLES2Vertex* v = GLES2Reserve(0, GL_LINES, 2);
  GLES2Vertex(v[0], x0, y0, tx, ty, 0.0f, 0.0f, 0.5f);
  GLES2Vertex(v[1], x1, y1, tx, ty, 0.0f, 0.0f, 0.5f);
}

void TGLES2CanvasDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
  GLES2Quad(0, x0, y0, x1, y1, tx, ty, 0.0f, 0.0f);
}

void TGLES2CanvasDriver::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) {
  static std::vector<float> xy;
  OvalOutline(x0, y0, x1, y1, xy);
  Fan(xy, tx, ty);
}

void TGLES2CanvasDriver::DrawPoly(const std::vector<float>& xy, float handle_x, float handle_y,
                                  float origin_x, float origin_y) {
  if (xy.size() < 6 || (xy.size() & 1)) return;
  static std::vector<float> moved;
  moved.assign(xy.begin(), xy.end());
  for (size_t i = 0; i < moved.size(); i += 2) {
    moved[i] += handle_x;
    moved[i + 1] += handle_y;
  }
  Fan(moved, origin_x, origin_y);
}

void TGLES2CanvasDriver::DrawPixmap(const std::shared_ptr<TPixmap>& pixmap, int x, int y) {
  if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0 || !g_es2.ready) return;
  std::shared_ptr<TPixmap> rgba = PackedRGBA(pixmap);
  if (!rgba) return;
  TGLES2CanvasState& st = g_es2;
  GLES2Flush();
  // The pixels as they are: solid, untinted, unturned, one texel a pixel
  // with rows running downwards, through a texture of exactly their size.
  const int blend = st.blend_mode;
  const TCanvasMatrix matrix = st.matrix;
  uint8_t color[4];
  std::copy(st.color, st.color + 4, color);
  SetBlend(BLEND_SOLID);
  st.matrix = TCanvasMatrix{};
  std::fill(st.color, st.color + 4, uint8_t(255));
  GLES2Bind(0, st.scratch_texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, rgba->width, rgba->height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               rgba->pixels);
  GLES2Quad(st.scratch_texture, float(x), float(y), float(x + rgba->width), float(y + rgba->height),
            0.0f, 0.0f, 1.0f, 1.0f);
  GLES2Flush();
  st.matrix = matrix;
  std::copy(color, color + 4, st.color);
  SetBlend(blend);
}

std::shared_ptr<TPixmap> TGLES2CanvasDriver::GrabPixmap(int x, int y, int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  auto pixmap = TPixmap::Create(width, height, PF_RGBA8888);
  if (!pixmap) return nullptr;
  GLES2Flush();
  if (!g_es2.ready) return nullptr;
  // Rows of RGBA are packed, as ES reads them.
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(x, GraphicsHeight() - height - y, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
               pixmap->pixels);
  FlipRows(*pixmap);
  return pixmap;
}
