// What both OpenGL 2D drivers (OpenGL 1.1 and OpenGL ES 2.0) do alike with a
// picture before it becomes a texture: the power-of-two size rules, the
// padding that gives linear filtering a clean picture edge, the bilinear
// ResizePixmap behind oversized pictures and mipmaps, the mip chain, and the
// filters the image flags ask for. No GL calls: each driver uploads the
// levels through its own API, so both hold the same texels.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TPixmap;

// The smallest power of two (from 1) that is >= n.
int Pow2Size(int n);
// Power-of-two texture size for a picture: rounded up, then halved in each
// dimension above 1 until fits(w, h) says yes. Raises "Unable to calculate
// tex size" when even 1 x 1 does not fit.
void AdjustTexSize(int& width, int& height, const std::function<bool(int, int)>& fits);

// The RGBA pixmap to upload for a picture in a tex_w x tex_h texture: the
// picture at (0, 0) (scaled down first if it is larger than the texture), its
// last column and row repeated once beside it, the corner too, and every
// texel beyond them transparent black. picture_w and picture_h get the size
// the picture occupies.
std::shared_ptr<TPixmap> PrepareTexturePixmap(const std::shared_ptr<TPixmap>& src, int tex_w,
                                              int tex_h, int& picture_w, int& picture_h);

// Bilinear resize with pixel centres aligned; the result keeps the source's format.
std::shared_ptr<TPixmap> ResizePixmap(const std::shared_ptr<TPixmap>& src, int width, int height);

// The pixmap as RGBA with its rows packed edge to edge (itself when it already is).
std::shared_ptr<TPixmap> PackedRGBA(const std::shared_ptr<TPixmap>& pixmap);

// Turns the rows upside down: GL reads the back buffer bottom row first.
void FlipRows(TPixmap& pixmap);

// A frame's texture, laid out: its size, the corner of the picture in it,
// and the packed RGBA level pixmaps to upload (one, or the whole chain down
// to 1 x 1 for IMAGE_MIPMAPPED, each level halving the one before).
struct TTextureLayout {
  int width = 0, height = 0;
  float u1 = 0.0f, v1 = 0.0f;
  std::vector<std::shared_ptr<TPixmap>> levels;
};
// False for an empty picture or when a level cannot be made; raises "Unable
// to calculate tex size" as AdjustTexSize does.
bool LayoutTexture(const std::shared_ptr<TPixmap>& src, int flags,
                   const std::function<bool(int, int)>& fits, TTextureLayout& out);

// The GL minification and magnification filters for the image flags (the
// enum values are the same in OpenGL and OpenGL ES).
int TextureMinFilter(int flags);
int TextureMagFilter(int flags);
