// Images and the image settings. An image never touches OpenGL itself: it
// asks the current 2D driver for a texture frame when one is drawn, keyed by
// the graphics generation (GraphicsSeq) so reopened graphics rebuild them.
#include "graphics/image.h"

#include <vector>

#include "graphics/canvas.h"
#include "graphics/graphics.h"
#include "graphics/pixmap.h"
#include "graphics/pixmap_loader.h"
#include "system/runtime_error.h"

namespace {

int g_mask_r = 0, g_mask_g = 0, g_mask_b = 0;
int g_auto_flags = IMAGE_MASKED | IMAGE_FILTERED;
int g_auto_midhandle = 0;

int ResolveFlags(int flags) { return flags == -1 ? g_auto_flags : flags; }

std::shared_ptr<TImage> FinishLoaded(std::shared_ptr<TImage> image) {
  if (image && g_auto_midhandle) MidHandleImage(image);
  return image;
}

}  // namespace

std::shared_ptr<TPixmap> MaskPixmap(const std::shared_ptr<TPixmap>& pixmap, int r, int g, int b) {
  if (!pixmap) return nullptr;
  std::shared_ptr<TPixmap> src = pixmap;
  if (src->format != PF_RGBA8888) src = src->Convert(PF_RGBA8888);
  if (!src) return nullptr;
  const int w = src->width, h = src->height;
  auto out = TPixmap::Create(w, h, PF_RGBA8888);
  if (!out) return nullptr;
  // One pass marks the mask-coloured pixels, so the neighbour scans below
  // read a byte each.
  std::vector<uint8_t> masked(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y) {
    const uint8_t* in = src->PixelPtr(0, y);
    uint8_t* m = &masked[size_t(y) * size_t(w)];
    for (int x = 0; x < w; ++x, in += 4) m[x] = in[0] == r && in[1] == g && in[2] == b;
  }
  // Exact division of a neighbour sum (at most 8 x 255) by a count 1..8.
  static constexpr uint32_t kReciprocal[9] = {0,          65536 + 1,  32768 + 1, 21845 + 1,
                                              16384 + 1,  13107 + 1,  10922 + 1, 9362 + 1,
                                              8192 + 1};
  const intptr_t pitch = src->pitch;
  for (int y = 0; y < h; ++y) {
    const uint8_t* in = src->PixelPtr(0, y);
    const uint8_t* m = &masked[size_t(y) * size_t(w)];
    uint8_t* o = out->PixelPtr(0, y);
    const int y0 = y > 0 ? -1 : 0, y1 = y < h - 1 ? 1 : 0;
    for (int x = 0; x < w; ++x, in += 4, o += 4) {
      if (!m[x]) {
        o[0] = in[0], o[1] = in[1], o[2] = in[2], o[3] = 255;
        continue;
      }
      const int x0 = x > 0 ? -1 : 0, x1 = x < w - 1 ? 1 : 0;
      uint32_t sum_r = 0, sum_g = 0, sum_b = 0, n = 0;
      for (int dy = y0; dy <= y1; ++dy) {
        const uint8_t* mrow = m + intptr_t(dy) * w;
        for (int dx = x0; dx <= x1; ++dx) {
          if (mrow[x + dx]) continue;
          const uint8_t* q = in + dy * pitch + dx * 4;
          sum_r += q[0], sum_g += q[1], sum_b += q[2], ++n;
        }
      }
      const uint32_t k = kReciprocal[n];
      o[0] = uint8_t((sum_r * k) >> 16);
      o[1] = uint8_t((sum_g * k) >> 16);
      o[2] = uint8_t((sum_b * k) >> 16);
      o[3] = 0;
    }
  }
  return out;
}

void TImage::CheckIndex(int index) const {
  if (index < 0 || index >= int(pixmaps.size())) throw TArrayBoundsException();
}

std::shared_ptr<TImageFrame> TImage::Frame(int index) {
  CheckIndex(index);
  if (seqs[index] == GraphicsSeq) return frames[index];
  std::shared_ptr<TImageFrame> frame;
  const std::shared_ptr<TCanvasDriver>& driver = TCanvasDriver::Current();
  if (driver) {
    std::shared_ptr<TPixmap> pixmap = Lock(index, 1, 0);
    if (pixmap) frame = driver->CreateFrameFromPixmap(pixmap, flags);
  }
  frames[index] = frame;
  seqs[index] = frame ? GraphicsSeq : 0;
  return frame;
}

std::shared_ptr<TPixmap> TImage::Lock(int index, int /*read*/, int write) {
  CheckIndex(index);
  if (write) {
    seqs[index] = 0;
    frames[index].reset();
  }
  if (!pixmaps[index]) {
    // Fresh pixels start transparent black rather than whatever memory held.
    pixmaps[index] = TPixmap::Create(width, height, PF_RGBA8888);
    if (pixmaps[index]) pixmaps[index]->ClearPixels(0);
  }
  return pixmaps[index];
}

void TImage::SetPixmap(int index, const std::shared_ptr<TPixmap>& pixmap) {
  CheckIndex(index);
  std::shared_ptr<TPixmap> stored = pixmap;
  if ((flags & IMAGE_MASKED) && stored && !FormatHasAlpha(stored->format)) {
    stored = MaskPixmap(stored, mask_r, mask_g, mask_b);
  }
  pixmaps[index] = stored;
  seqs[index] = 0;
  frames[index].reset();
}

std::shared_ptr<TImage> TImage::Create(int width, int height, int frame_count, int flags,
                                       int mask_r, int mask_g, int mask_b) {
  auto image = std::make_shared<TImage>();
  image->width = width;
  image->height = height;
  image->flags = flags;
  image->mask_r = mask_r, image->mask_g = mask_g, image->mask_b = mask_b;
  const size_t n = frame_count > 0 ? size_t(frame_count) : 0;
  image->pixmaps.resize(n);
  image->frames.resize(n);
  image->seqs.assign(n, 0);
  return image;
}

std::shared_ptr<TImage> TImage::Load(const std::shared_ptr<TPixmap>& pixmap, int flags, int mask_r,
                                     int mask_g, int mask_b) {
  if (!pixmap) return nullptr;
  auto image = Create(pixmap->width, pixmap->height, 1, flags, mask_r, mask_g, mask_b);
  image->SetPixmap(0, pixmap);
  return image;
}

std::shared_ptr<TImage> TImage::Load(const std::string& url, int flags, int mask_r, int mask_g,
                                     int mask_b) {
  return Load(LoadPixmap(url), flags, mask_r, mask_g, mask_b);
}

std::shared_ptr<TImage> TImage::LoadAnim(const std::shared_ptr<TPixmap>& pixmap, int cell_width,
                                         int cell_height, int first, int count, int flags,
                                         int mask_r, int mask_g, int mask_b) {
  if (!pixmap || cell_width <= 0 || cell_height <= 0 || first < 0 || count <= 0) return nullptr;
  const int across = pixmap->width / cell_width;
  const int down = pixmap->height / cell_height;
  if (int64_t(first) + count > int64_t(across) * down) return nullptr;
  auto image = Create(cell_width, cell_height, count, flags, mask_r, mask_g, mask_b);
  for (int i = 0; i < count; ++i) {
    const int cell = first + i;
    auto window = pixmap->Window(cell % across * cell_width, cell / across * cell_height,
                                 cell_width, cell_height);
    // A copy, so the frame does not keep the whole sheet alive.
    image->SetPixmap(i, window ? window->Copy() : nullptr);
  }
  return image;
}

std::shared_ptr<TImage> TImage::LoadAnim(const std::string& url, int cell_width, int cell_height,
                                         int first, int count, int flags, int mask_r, int mask_g,
                                         int mask_b) {
  return LoadAnim(LoadPixmap(url), cell_width, cell_height, first, count, flags, mask_r, mask_g,
                  mask_b);
}

std::shared_ptr<TImage> LoadImage(const std::string& url, int flags) {
  return FinishLoaded(TImage::Load(url, ResolveFlags(flags), g_mask_r, g_mask_g, g_mask_b));
}

std::shared_ptr<TImage> LoadImage(const char* url, int flags) {
  return LoadImage(std::string(url ? url : ""), flags);
}

std::shared_ptr<TImage> LoadImage(const std::shared_ptr<TPixmap>& pixmap, int flags) {
  return FinishLoaded(TImage::Load(pixmap, ResolveFlags(flags), g_mask_r, g_mask_g, g_mask_b));
}

std::shared_ptr<TImage> LoadImage(const std::shared_ptr<TStream>& stream, int flags) {
  return LoadImage(LoadPixmap(stream), flags);
}

std::shared_ptr<TImage> LoadAnimImage(const std::shared_ptr<TPixmap>& pixmap, int cell_width,
                                      int cell_height, int first, int count, int flags) {
  return FinishLoaded(TImage::LoadAnim(pixmap, cell_width, cell_height, first, count,
                                       ResolveFlags(flags), g_mask_r, g_mask_g, g_mask_b));
}

std::shared_ptr<TImage> LoadAnimImage(const std::string& url, int cell_width, int cell_height,
                                      int first, int count, int flags) {
  return LoadAnimImage(LoadPixmap(url), cell_width, cell_height, first, count, flags);
}

std::shared_ptr<TImage> CreateImage(int width, int height, int frames, int flags) {
  auto image = TImage::Create(width, height, frames, ResolveFlags(flags) | IMAGE_DYNAMIC, g_mask_r,
                              g_mask_g, g_mask_b);
  return FinishLoaded(image);
}

void AutoMidHandle(int on) { g_auto_midhandle = on; }

void MidHandleImage(const std::shared_ptr<TImage>& image) {
  if (!image) return;
  image->handle_x = float(image->width) * 0.5f;
  image->handle_y = float(image->height) * 0.5f;
}

void SetImageHandle(const std::shared_ptr<TImage>& image, float x, float y) {
  if (!image) return;
  image->handle_x = x;
  image->handle_y = y;
}

void GetImageHandle(const std::shared_ptr<TImage>& image, float& x, float& y) {
  x = image ? image->handle_x : 0.0f;
  y = image ? image->handle_y : 0.0f;
}

int ImageWidth(const std::shared_ptr<TImage>& image) { return image ? image->width : 0; }
int ImageHeight(const std::shared_ptr<TImage>& image) { return image ? image->height : 0; }

void SetMaskColor(int r, int g, int b) { g_mask_r = r, g_mask_g = g, g_mask_b = b; }
void GetMaskColor(int& r, int& g, int& b) { r = g_mask_r, g = g_mask_g, b = g_mask_b; }

void AutoImageFlags(int flags) {
  if (flags != -1) g_auto_flags = flags;
}

int GetAutoImageFlags() { return g_auto_flags; }

void GrabImage(const std::shared_ptr<TImage>& image, int x, int y, int frame) {
  const std::shared_ptr<TCanvasDriver>& driver = TCanvasDriver::Current();
  if (!image || !driver) return;
  std::shared_ptr<TPixmap> pixmap = driver->GrabPixmap(x, y, image->width, image->height);
  if (pixmap && (image->flags & IMAGE_MASKED)) {
    pixmap = MaskPixmap(pixmap, image->mask_r, image->mask_g, image->mask_b);
  }
  image->SetPixmap(frame, pixmap);
}

std::shared_ptr<TPixmap> LockImage(const std::shared_ptr<TImage>& image, int frame, int read,
                                   int write) {
  if (!image) return nullptr;
  return image->Lock(frame, read, write);
}

void UnlockImage(const std::shared_ptr<TImage>&, int) {}
