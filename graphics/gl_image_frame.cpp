// Texture frames for the OpenGL 2D driver. Only power-of-two textures are
// made; a picture that does not fill its texture gets its last column and row
// repeated once so linear filtering sees a clean edge, and everything beyond
// is transparent black so mipmap levels do not pick up stray memory.
#include "graphics/gl_image_frame.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/gl_canvas_driver.h"
#include "graphics/gl_graphics.h"
#include "graphics/graphics.h"
#include "graphics/pixmap.h"
#include "system/runtime_error.h"

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

int Pow2Size(int n) {
  int size = 1;
  while (size < n && size < (1 << 30)) size <<= 1;
  return size;
}

void AdjustTexSize(int& width, int& height, const std::function<bool(int, int)>& fits) {
  int w = Pow2Size(width), h = Pow2Size(height);
  for (;;) {
    if (fits(w, h)) break;
    if (w == 1 && h == 1) RuntimeError("Unable to calculate tex size");
    if (w > 1) w /= 2;
    if (h > 1) h /= 2;
  }
  width = w;
  height = h;
}

void AdjustTexSize(int& width, int& height) {
  AdjustTexSize(width, height, [](int w, int h) {
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GLint got = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &got);
    return got != 0;
  });
}

std::shared_ptr<TPixmap> ResizePixmap(const std::shared_ptr<TPixmap>& source, int width,
                                      int height) {
  if (!source || width <= 0 || height <= 0 || source->width <= 0 || source->height <= 0) {
    return nullptr;
  }
  std::shared_ptr<TPixmap> src = source;
  if (src->format != PF_RGBA8888) src = src->Convert(PF_RGBA8888);
  auto out = src ? TPixmap::Create(width, height, PF_RGBA8888) : nullptr;
  if (!out) return nullptr;

  // For each output column: the two source columns and the weight of the second.
  const int sw = src->width, sh = src->height;
  struct Tap {
    int a, b;
    float t;
  };
  auto taps = [](int out_size, int src_size, int i) {
    const float s = (float(i) + 0.5f) * (float(src_size) / float(out_size)) - 0.5f;
    const int s0 = int(std::floor(s));
    if (s0 < 0) return Tap{0, 0, 0.0f};
    if (s0 >= src_size - 1) return Tap{src_size - 1, src_size - 1, 0.0f};
    return Tap{s0, s0 + 1, s - float(s0)};
  };
  std::vector<Tap> cols(static_cast<size_t>(width));
  for (int j = 0; j < width; ++j) cols[size_t(j)] = taps(width, sw, j);

  for (int i = 0; i < height; ++i) {
    const Tap ty = taps(height, sh, i);
    const uint8_t* r0 = src->PixelPtr(0, ty.a);
    const uint8_t* r1 = src->PixelPtr(0, ty.b);
    uint8_t* o = out->PixelPtr(0, i);
    for (int j = 0; j < width; ++j, o += 4) {
      const Tap& tx = cols[size_t(j)];
      const uint8_t* p00 = r0 + tx.a * 4;
      const uint8_t* p01 = r0 + tx.b * 4;
      const uint8_t* p10 = r1 + tx.a * 4;
      const uint8_t* p11 = r1 + tx.b * 4;
      for (int c = 0; c < 4; ++c) {
        const float top = float(p00[c]) + (float(p01[c]) - float(p00[c])) * tx.t;
        const float bottom = float(p10[c]) + (float(p11[c]) - float(p10[c])) * tx.t;
        o[c] = uint8_t(top + (bottom - top) * ty.t);
      }
    }
  }
  if (source->format != PF_RGBA8888) return out->Convert(source->format);
  return out;
}

std::shared_ptr<TPixmap> PrepareTexturePixmap(const std::shared_ptr<TPixmap>& source, int tex_w,
                                              int tex_h, int& picture_w, int& picture_h) {
  if (!source || source->width <= 0 || source->height <= 0) return nullptr;
  const int w = std::min(source->width, tex_w), h = std::min(source->height, tex_h);
  std::shared_ptr<TPixmap> src = source;
  if (w != src->width || h != src->height) src = ResizePixmap(src, w, h);
  if (!src) return nullptr;
  picture_w = w;
  picture_h = h;
  if (w == tex_w && h == tex_h) {
    return src->format == PF_RGBA8888 ? src : src->Convert(PF_RGBA8888);
  }
  auto tex = TPixmap::Create(tex_w, tex_h, PF_RGBA8888);
  if (!tex) return nullptr;
  tex->ClearPixels(0);
  tex->Paste(*src, 0, 0);
  if (w < tex_w) tex->Paste(*src->Window(w - 1, 0, 1, h), w, 0);
  if (h < tex_h) tex->Paste(*src->Window(0, h - 1, w, 1), 0, h);
  if (w < tex_w && h < tex_h) tex->Paste(*src->Window(w - 1, h - 1, 1, 1), w, h);
  return tex;
}

uint32_t CreateTex(int width, int height, int flags) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  const bool filtered = flags & IMAGE_FILTERED, mipmapped = flags & IMAGE_MIPMAPPED;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filtered ? GL_LINEAR : GL_NEAREST);
  GLint min_filter = GL_NEAREST;
  if (filtered && mipmapped) {
    min_filter = GL_LINEAR_MIPMAP_LINEAR;
  } else if (filtered) {
    min_filter = GL_LINEAR;
  } else if (mipmapped) {
    min_filter = GL_NEAREST_MIPMAP_NEAREST;
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min_filter);
  int level = 0, w = width, h = height;
  for (;;) {
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    if (!mipmapped || (w == 1 && h == 1)) break;
    if (w > 1) w /= 2;
    if (h > 1) h /= 2;
    ++level;
  }
  return name;
}

void UploadTex(const std::shared_ptr<TPixmap>& pixmap, int flags) {
  std::shared_ptr<TPixmap> level_pixmap = pixmap;
  int level = 0;
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  while (level_pixmap) {
    glPixelStorei(GL_UNPACK_ROW_LENGTH, level_pixmap->pitch / BytesPerPixel(level_pixmap->format));
    glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, level_pixmap->width, level_pixmap->height, GL_RGBA,
                    GL_UNSIGNED_BYTE, level_pixmap->pixels);
    if (!(flags & IMAGE_MIPMAPPED)) break;
    const int w = level_pixmap->width, h = level_pixmap->height;
    if (w == 1 && h == 1) break;
    level_pixmap = ResizePixmap(level_pixmap, w > 1 ? w / 2 : 1, h > 1 ? h / 2 : 1);
    ++level;
  }
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

std::shared_ptr<TGLImageFrame> TGLImageFrame::CreateFromPixmap(const std::shared_ptr<TPixmap>& src,
                                                               int flags) {
  if (!src || src->width <= 0 || src->height <= 0) return nullptr;
  int tex_w = src->width, tex_h = src->height;
  AdjustTexSize(tex_w, tex_h);
  int w = 0, h = 0;
  std::shared_ptr<TPixmap> tex = PrepareTexturePixmap(src, tex_w, tex_h, w, h);
  if (!tex) return nullptr;
  auto frame = std::make_shared<TGLImageFrame>();
  frame->name = CreateTex(tex_w, tex_h, flags);
  UploadTex(tex, flags);
  frame->u0 = 0.0f;
  frame->v0 = 0.0f;
  frame->u1 = float(w) / float(tex_w);
  frame->v1 = float(h) / float(tex_h);
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
}
