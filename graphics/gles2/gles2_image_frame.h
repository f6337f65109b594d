// Image frames as OpenGL ES 2.0 textures, laid out as texture_layout.h says (so
// they hold the same texels as the OpenGL 1.1 driver's), with the largest
// size from GL_MAX_TEXTURE_SIZE. Made and deleted in the hidden shared ES
// context, so they outlive any one window.
#pragma once

#include <cstdint>
#include <memory>

#include "graphics/image.h"

class TPixmap;

class TGLES2ImageFrame : public TImageFrame {
 public:
  ~TGLES2ImageFrame() override;
  // Adds the picture's two triangles to the batch.
  void Draw(float x0, float y0, float x1, float y1, float tx, float ty) override;

  // Uploads the pixmap as a texture; raises "Unable to calculate tex size"
  // when not even a 1 x 1 texture fits.
  static std::shared_ptr<TGLES2ImageFrame> CreateFromPixmap(const std::shared_ptr<TPixmap>& src,
                                                            int flags);

  float u1 = 0.0f, v1 = 0.0f;  // the picture's far corner in the texture
  uint32_t name = 0;           // GL texture name
  int seq = 0;                 // GraphicsSeq when the frame was made
  int generation = 0;          // the driver's objects' generation then (a lost context ends one)
};

// Adds a quad's two triangles, (x0, y0)-(x1, y1) with texture corners
// (0, 0)-(u1, v1), to the batch.
void GLES2Quad(uint32_t texture, float x0, float y0, float x1, float y1, float tx, float ty,
               float u1, float v1);
