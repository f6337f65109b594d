// Image frames as OpenGL textures: power-of-two texture sizes, the padding
// that gives linear filtering a clean picture edge, mipmap chains, and the
// bilinear ResizePixmap used for oversized pictures and mipmaps. Textures are
// made and deleted in the hidden shared context (gl_graphics.h) so they
// outlive any one window.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "graphics/image.h"

class TPixmap;

class TGLImageFrame : public TImageFrame {
 public:
  ~TGLImageFrame() override;
  void Draw(float x0, float y0, float x1, float y1, float tx, float ty) override;

  // Uploads the pixmap as a texture; raises "Unable to calculate tex size"
  // when not even a 1 x 1 texture fits.
  static std::shared_ptr<TGLImageFrame> CreateFromPixmap(const std::shared_ptr<TPixmap>& src,
                                                         int flags);

  float u0 = 0.0f, v0 = 0.0f, u1 = 0.0f, v1 = 0.0f;  // corners of the picture in the texture
  uint32_t name = 0;  // GL texture name
  int seq = 0;        // GraphicsSeq when the frame was made
};

// The smallest power of two (from 1) that is >= n.
int Pow2Size(int n);
// Power-of-two texture size for a picture: rounded up, then halved in each
// dimension above 1 until fits(w, h) says yes. Raises "Unable to calculate
// tex size" when even 1 x 1 does not fit.
void AdjustTexSize(int& width, int& height, const std::function<bool(int, int)>& fits);
// The same, asking GL through a proxy texture.
void AdjustTexSize(int& width, int& height);

// The RGBA pixmap to upload for a picture in a tex_w x tex_h texture: the
// picture at (0, 0) (scaled down first if it is larger than the texture), its
// last column and row repeated once beside it, the corner too, and every
// texel beyond them transparent black. picture_w and picture_h get the size
// the picture occupies.
std::shared_ptr<TPixmap> PrepareTexturePixmap(const std::shared_ptr<TPixmap>& src, int tex_w,
                                              int tex_h, int& picture_w, int& picture_h);

// Bilinear resize with pixel centres aligned; the result keeps the source's format.
std::shared_ptr<TPixmap> ResizePixmap(const std::shared_ptr<TPixmap>& src, int width, int height);

// A new texture name, bound, with sampling chosen by the image flags and
// storage for level 0 (and every mipmap level with IMAGE_MIPMAPPED).
uint32_t CreateTex(int width, int height, int flags);
// Uploads an RGBA pixmap to level 0 of the bound texture, and its halvings to
// the further levels with IMAGE_MIPMAPPED.
void UploadTex(const std::shared_ptr<TPixmap>& pixmap, int flags);
