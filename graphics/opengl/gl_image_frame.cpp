// Texture frames for the OpenGL 1.1 2D driver: the layout of texture_layout.h,
// uploaded level by level, with the largest size found by proxy textures.
#include "graphics/opengl/gl_image_frame.h"

#include <GL/gl.h>


#include "graphics/opengl/gl_canvas_driver.h"
#include "graphics/sdl/sdl_window.h"
#include "graphics/texture_layout.h"
#include "graphics/graphics.h"
#include "graphics/pixmap.h"

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

bool GLProxyTextureFits(int width, int height) {
  glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  GLint got = 0;
  glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &got);
  return got != 0;
}

std::shared_ptr<TGLImageFrame> TGLImageFrame::CreateFromPixmap(const std::shared_ptr<TPixmap>& src,
                                                               int flags) {
  TTextureLayout layout;
  if (!LayoutTexture(src, flags, GLProxyTextureFits, layout)) return nullptr;
  auto frame = std::make_shared<TGLImageFrame>();
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
    glTexImage2D(GL_TEXTURE_2D, level++, GL_RGBA8, pixmap->width, pixmap->height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, pixmap->pixels);
  }
  frame->name = name;
  frame->u0 = 0.0f;
  frame->v0 = 0.0f;
  frame->u1 = layout.u1;
  frame->v1 = layout.v1;
  frame->seq = GraphicsSeq;
  return frame;
}

TGLImageFrame::~TGLImageFrame() {
  if (seq == 0) return;
  const GLuint tex = name;
  const auto& driver = TGLGraphicsDriver::Instance();
  driver->SwapSharedContext();
  glDeleteTextures(1, &tex);
  driver->SwapSharedContext();
  if (seq == GraphicsSeq) glDeleteTextures(1, &tex);
  // The name may be handed out again; the drawing context must not believe a
  // new texture with it is already bound.
  if (g_gl_canvas.bound_texture == tex) g_gl_canvas.bound_texture = 0;
  seq = 0;
}

void TGLImageFrame::Draw(float x0, float y0, float x1, float y1, float tx, float ty) {
  TGLCanvasState& st = g_gl_canvas;
  if (st.bound_texture != name) {
    glBindTexture(GL_TEXTURE_2D, name);
    st.bound_texture = name;
  }
  if (!st.texturing) {
    glEnable(GL_TEXTURE_2D);
    st.texturing = 1;
  }
  glBegin(GL_QUADS);
  glTexCoord2f(u0, v0);
  GLTransformedVertex(x0, y0, tx, ty);
  glTexCoord2f(u1, v0);
  GLTransformedVertex(x1, y0, tx, ty);
  glTexCoord2f(u1, v1);
  GLTransformedVertex(x1, y1, tx, ty);
  glTexCoord2f(u0, v1);
  GLTransformedVertex(x0, y1, tx, ty);
  glEnd();
  ++st.draw_calls;
}
