// Texture layout shared by both OpenGL 2D drivers. Only power-of-two
// textures are made; a picture that does not fill its texture gets its last
// column and row repeated once so linear filtering sees a clean edge, and
// everything beyond is transparent black so mipmap levels do not pick up
// stray memory.
#include "graphics/texture_layout.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/image.h"
#include "graphics/pixmap.h"
#include "system/runtime_error.h"

namespace {
// GL's filter enums, which OpenGL and OpenGL ES number alike.
constexpr int kNearest = 0x2600, kLinear = 0x2601;
constexpr int kNearestMipmapNearest = 0x2700, kLinearMipmapLinear = 0x2703;
}  // namespace

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


std::shared_ptr<TPixmap> PackedRGBA(const std::shared_ptr<TPixmap>& pixmap) {
  if (!pixmap) return nullptr;
  if (pixmap->format == PF_RGBA8888 && pixmap->pitch == pixmap->width * 4) return pixmap;
  return pixmap->Convert(PF_RGBA8888);  // a new pixmap's RGBA rows are packed
}

void FlipRows(TPixmap& pixmap) {
  std::vector<uint8_t> swap(size_t(pixmap.pitch));
  for (int top = 0, bottom = pixmap.height - 1; top < bottom; ++top, --bottom) {
    uint8_t* a = pixmap.PixelPtr(0, top);
    uint8_t* b = pixmap.PixelPtr(0, bottom);
    std::copy(a, a + pixmap.pitch, swap.data());
    std::copy(b, b + pixmap.pitch, a);
    std::copy(swap.data(), swap.data() + pixmap.pitch, b);
  }
}

bool LayoutTexture(const std::shared_ptr<TPixmap>& src, int flags,
                   const std::function<bool(int, int)>& fits, TTextureLayout& out) {
  if (!src || src->width <= 0 || src->height <= 0) return false;
  int tex_w = src->width, tex_h = src->height;
  AdjustTexSize(tex_w, tex_h, fits);
  int w = 0, h = 0;
  std::shared_ptr<TPixmap> level = PackedRGBA(PrepareTexturePixmap(src, tex_w, tex_h, w, h));
  if (!level) return false;
  out.width = tex_w;
  out.height = tex_h;
  out.u1 = float(w) / float(tex_w);
  out.v1 = float(h) / float(tex_h);
  out.levels.clear();
  for (;;) {
    out.levels.push_back(level);
    const int lw = level->width, lh = level->height;
    if (!(flags & IMAGE_MIPMAPPED) || (lw == 1 && lh == 1)) return true;
    level = ResizePixmap(level, lw > 1 ? lw / 2 : 1, lh > 1 ? lh / 2 : 1);
    if (!level) return false;
  }
}

int TextureMagFilter(int flags) { return (flags & IMAGE_FILTERED) ? kLinear : kNearest; }

int TextureMinFilter(int flags) {
  const bool filtered = flags & IMAGE_FILTERED, mipmapped = flags & IMAGE_MIPMAPPED;
  if (filtered && mipmapped) return kLinearMipmapLinear;
  if (filtered) return kLinear;
  if (mipmapped) return kNearestMipmapNearest;
  return kNearest;
}
