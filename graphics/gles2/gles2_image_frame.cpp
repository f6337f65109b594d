// Texture frames of the OpenGL ES 2.0 driver: the shared layout uploaded
// level by level, and drawn as two triangles of the batch.
#include "graphics/gles2/gles2_image_frame.h"

#include <GLES2/gl2.h>

#include <cmath>

#include "graphics/sdl/sdl_window.h"
#include "graphics/texture_layout.h"
#include "graphics/gles2/gles2_canvas_driver.h"
#include "graphics/graphics.h"
#include "graphics/pixmap.h"

void GLES2Quad(uint32_t texture, float x0, float y0, float x1, float y1, float tx, float ty,
               float u1, float v1) {
  // A quad of more than 64 x 64 pixels counts as large.
  const TCanvasMatrix& m = g_es2.matrix;
  const float area = std::fabs((x1 - x0) * (y1 - y0) * (m.ix * m.jy - m.iy * m.jx));
  TGLES2Vertex* v = GLES2Reserve(texture, GL_TRIANGLES, 6, area > 4096.0f);
  GLES2Vertex(v[0], x0, y0, tx, ty, 0.0f, 0.0f);
  GLES2Vertex(v[1], x1, y0, tx, ty, u1, 0.0f);
  GLES2Vertex(v[2], x1, y1, tx, ty, u1, v1);
  v[3] = v[0];
  v[4] = v[2];
  GLES2Vertex(v[5], x0, y1, tx, ty, 0.0f, v1);
}

std::shared_ptr<TGLES2ImageFrame> TGLES2ImageFrame::CreateFromPixmap(
    const std::shared_ptr<TPixmap>& src, int flags) {
  if (!g_es2.max_texture_size) {
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    g_es2.max_texture_size = size;
  }
  const int max_size = g_es2.max_texture_size;
  TTextureLayout layout;
  auto fits = [max_size](int w, int h) { return w <= max_size && h <= max_size; };
  if (!LayoutTexture(src, flags, fits, layout)) return nullptr;
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, TextureMagFilter(flags));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, TextureMinFilter(flags));
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  GLint level = 0;
  for (const auto& pixmap : layout.levels) {
    glTexImage2D(GL_TEXTURE_2D, level++, GL_RGBA, pixmap->width, pixmap->height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, pixmap->pixels);
  }
  auto frame = std::make_shared<TGLES2ImageFrame>();
  frame->name = name;
  frame->u1 = layout.u1;
  frame->v1 = layout.v1;
  frame->seq = GraphicsSeq;
  frame->generation = g_es2.generation;
  return frame;
}

TGLES2ImageFrame::~TGLES2ImageFrame() {
  // A texture of a lost context went with it.
  if (seq == 0 || generation != g_es2.generation) return;
  // Draws still waiting for this texture go out first.
  GLES2Forget(name);
  const GLuint tex = name;
  const auto& driver = TGLGraphicsDriver::Instance();
  driver->SwapSharedContext(TGLProfile::ES2);
  glDeleteTextures(1, &tex);
  driver->SwapSharedContext(TGLProfile::ES2);
  seq = 0;
}

void TGLES2ImageFrame::Draw(float x0, float y0, float x1, float y1, float tx, float ty) {
  GLES2Quad(name, x0, y0, x1, y1, tx, ty, u1, v1);
}
