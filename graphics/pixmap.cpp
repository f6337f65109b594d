// Pixel buffers and format conversion. Every conversion goes through the
// 0xAARRGGBB reading of a pixel, with direct loops for the conversions that
// picture loading and texture upload do on every picture.
#include "graphics/pixmap.h"

#include <algorithm>
#include <cstring>

#include "system/runtime_error.h"

int BytesPerPixel(int format) {
  switch (format) {
    case PF_I8:
    case PF_A8:
      return 1;
    case PF_BGR888:
    case PF_RGB888:
      return 3;
    case PF_BGRA8888:
    case PF_RGBA8888:
      return 4;
    default:
      return 0;
  }
}

bool FormatHasAlpha(int format) {
  return format == PF_A8 || format == PF_BGRA8888 || format == PF_RGBA8888;
}

uint32_t ReadFormatPixel(const uint8_t* p, int format) {
  switch (format) {
    case PF_I8:
      return 0xff000000u | (uint32_t(p[0]) << 16) | (uint32_t(p[0]) << 8) | p[0];
    case PF_A8:
      return (uint32_t(p[0]) << 24) | 0x00ffffffu;
    case PF_BGR888:
      return 0xff000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
    case PF_RGB888:
      return 0xff000000u | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    case PF_BGRA8888:
      return (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
    case PF_RGBA8888:
      return (uint32_t(p[3]) << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    default:
      return 0;
  }
}

void WriteFormatPixel(uint8_t* p, int format, uint32_t argb) {
  const uint8_t a = uint8_t(argb >> 24), r = uint8_t(argb >> 16), g = uint8_t(argb >> 8),
                b = uint8_t(argb);
  switch (format) {
    case PF_I8:
      p[0] = uint8_t((int(r) + int(g) + int(b)) / 3);
      break;
    case PF_A8:
      p[0] = a;
      break;
    case PF_BGR888:
      p[0] = b, p[1] = g, p[2] = r;
      break;
    case PF_RGB888:
      p[0] = r, p[1] = g, p[2] = b;
      break;
    case PF_BGRA8888:
      p[0] = b, p[1] = g, p[2] = r, p[3] = a;
      break;
    case PF_RGBA8888:
      p[0] = r, p[1] = g, p[2] = b, p[3] = a;
      break;
    default:
      break;
  }
}

void ConvertPixels(const uint8_t* src, int src_format, uint8_t* dst, int dst_format, int count) {
  if (count <= 0) return;
  if (src_format == dst_format) {
    std::memcpy(dst, src, size_t(count) * size_t(BytesPerPixel(src_format)));
    return;
  }
  if (dst_format == PF_RGBA8888) {
    switch (src_format) {
      case PF_RGB888:
        for (int i = 0; i < count; ++i, src += 3, dst += 4)
          dst[0] = src[0], dst[1] = src[1], dst[2] = src[2], dst[3] = 255;
        return;
      case PF_BGR888:
        for (int i = 0; i < count; ++i, src += 3, dst += 4)
          dst[0] = src[2], dst[1] = src[1], dst[2] = src[0], dst[3] = 255;
        return;
      case PF_BGRA8888:
        for (int i = 0; i < count; ++i, src += 4, dst += 4)
          dst[0] = src[2], dst[1] = src[1], dst[2] = src[0], dst[3] = src[3];
        return;
      case PF_I8:
        for (int i = 0; i < count; ++i, src += 1, dst += 4)
          dst[0] = dst[1] = dst[2] = src[0], dst[3] = 255;
        return;
      case PF_A8:
        for (int i = 0; i < count; ++i, src += 1, dst += 4)
          dst[0] = dst[1] = dst[2] = 255, dst[3] = src[0];
        return;
      default:
        break;
    }
  }
  const int sb = BytesPerPixel(src_format), db = BytesPerPixel(dst_format);
  if (sb == 0 || db == 0) return;
  for (int i = 0; i < count; ++i, src += sb, dst += db) {
    WriteFormatPixel(dst, dst_format, ReadFormatPixel(src, src_format));
  }
}

std::shared_ptr<TPixmap> TPixmap::Create(int width, int height, int format, int align) {
  const int bpp = BytesPerPixel(format);
  if (width < 0 || height < 0 || bpp == 0 || align < 1) return nullptr;
  const int64_t row = (int64_t(width) * bpp + align - 1) / align * align;
  const int64_t bytes = row * height;
  if (bytes > kMaxPixmapBytes) return nullptr;
  auto pixmap = std::make_shared<TPixmap>();
  // new[] of a byte array leaves the memory uncleared, as callers expect:
  // they fill every pixel themselves.
  pixmap->_storage.reset(new uint8_t[size_t(std::max<int64_t>(bytes, 1))]);
  pixmap->pixels = pixmap->_storage.get();
  pixmap->width = width;
  pixmap->height = height;
  pixmap->pitch = int(row);
  pixmap->format = format;
  pixmap->capacity = int(bytes);
  return pixmap;
}

std::shared_ptr<TPixmap> TPixmap::CreateStatic(uint8_t* pixels, int width, int height, int pitch,
                                               int format) {
  auto pixmap = std::make_shared<TPixmap>();
  pixmap->pixels = pixels;
  pixmap->width = width;
  pixmap->height = height;
  pixmap->pitch = pitch;
  pixmap->format = format;
  pixmap->capacity = -1;
  return pixmap;
}

std::shared_ptr<TPixmap> TPixmap::Window(int x, int y, int w, int h) {
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = int(std::min<int64_t>(int64_t(x) + w, width));
  const int y1 = int(std::min<int64_t>(int64_t(y) + h, height));
  if (x1 <= x0 || y1 <= y0) return nullptr;
  auto window = CreateStatic(PixelPtr(x0, y0), x1 - x0, y1 - y0, pitch, format);
  window->_source = shared_from_this();
  return window;
}

void TPixmap::Paste(const TPixmap& src, int x, int y) {
  // Clip the source rectangle to this pixmap.
  const int sx0 = std::max(0, -x), sy0 = std::max(0, -y);
  const int sx1 = int(std::min<int64_t>(src.width, int64_t(width) - x));
  const int sy1 = int(std::min<int64_t>(src.height, int64_t(height) - y));
  if (sx1 <= sx0 || sy1 <= sy0) return;
  for (int row = sy0; row < sy1; ++row) {
    ConvertPixels(src.PixelPtr(sx0, row), src.format, PixelPtr(x + sx0, y + row), format, sx1 - sx0);
  }
}

std::shared_ptr<TPixmap> TPixmap::Convert(int new_format) const {
  auto out = Create(width, height, new_format);
  if (!out) return nullptr;
  out->Paste(*this, 0, 0);
  return out;
}

std::shared_ptr<TPixmap> TPixmap::Copy() const { return Convert(format); }

uint32_t TPixmap::ReadPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) throw TArrayBoundsException();
  return ReadFormatPixel(PixelPtr(x, y), format);
}

void TPixmap::WritePixel(int x, int y, uint32_t argb) {
  if (x < 0 || y < 0 || x >= width || y >= height) throw TArrayBoundsException();
  WriteFormatPixel(PixelPtr(x, y), format, argb);
}

void TPixmap::ClearPixels(uint32_t argb) {
  const int bpp = BytesPerPixel(format);
  if (width <= 0 || height <= 0 || bpp == 0) return;
  uint8_t one[4];
  WriteFormatPixel(one, format, argb);
  for (int y = 0; y < height; ++y) {
    uint8_t* p = PixelPtr(0, y);
    if (bpp == 1) {
      std::memset(p, one[0], size_t(width));
    } else {
      for (int x = 0; x < width; ++x, p += bpp) std::memcpy(p, one, size_t(bpp));
    }
  }
}
