// Image frames as OpenGL 1.1 textures, laid out as texture_layout.h says. Textures
// are made and deleted in the hidden shared context (graphics/sdl/sdl_window.h) so they
// outlive any one window.
#pragma once
#include <cstdint>
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

// Whether GL can make a width x height RGBA texture, asked through a proxy texture.
bool GLProxyTextureFits(int width, int height);
