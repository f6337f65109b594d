// CPU-side pixel buffers: every picture, glyph and texture upload starts as a
// TPixmap. Six byte layouts are understood; any two convert through a 32-bit
// 0xAARRGGBB value. Pure code, no GL, so it is tested without a display.
#pragma once
#include <cstdint>
#include <memory>

// Pixel format codes; bytes in memory order.
enum : int {
  PF_I8 = 1,        // intensity
  PF_A8 = 2,        // alpha only, reads as white
  PF_BGR888 = 3,
  PF_RGB888 = 4,
  PF_BGRA8888 = 5,
  PF_RGBA8888 = 6,
  PF_STDFORMAT = PF_RGBA8888,
};

// Bytes one pixel takes in a format; 0 for a code that is no format.
int BytesPerPixel(int format);
// Whether the format carries its own alpha (A8 and the two 4-byte layouts).
bool FormatHasAlpha(int format);

// No pixel buffer may be larger than this; a picture file that declares more
// is refused before anything is allocated.
constexpr int64_t kMaxPixmapBytes = int64_t(256) << 20;

// Converts count pixels from one layout to another (the two may be equal).
// src and dst must not overlap.
void ConvertPixels(const uint8_t* src, int src_format, uint8_t* dst, int dst_format, int count);

class TPixmap : public std::enable_shared_from_this<TPixmap> {
 public:
  uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;     // bytes per row
  int format = 0;
  int capacity = 0;  // bytes owned; -1 for a view of memory owned elsewhere
  std::shared_ptr<TPixmap> _source;  // the pixmap a window was cut from

  // A pixmap whose rows are padded to a multiple of align bytes. The pixels
  // are not cleared. None for a negative size, an unknown format, align < 1,
  // or a buffer larger than kMaxPixmapBytes.
  static std::shared_ptr<TPixmap> Create(int width, int height, int format, int align = 4);
  // A pixmap over memory it does not own (capacity -1); the caller keeps the
  // memory alive for as long as the pixmap is used.
  static std::shared_ptr<TPixmap> CreateStatic(uint8_t* pixels, int width, int height, int pitch,
                                               int format);

  uint8_t* PixelPtr(int x, int y) const {
    return pixels + static_cast<intptr_t>(y) * pitch + static_cast<intptr_t>(x) * BytesPerPixel(format);
  }

  // A pixmap sharing this one's memory for the rectangle, clipped to the
  // pixmap; it keeps this pixmap alive. None when nothing is left after clipping.
  std::shared_ptr<TPixmap> Window(int x, int y, int w, int h);
  // Copies src into this pixmap with its top-left at (x, y), converting the
  // format; whatever falls outside this pixmap is dropped.
  void Paste(const TPixmap& src, int x, int y);
  // A new pixmap in the given format (a plain copy when it is the same).
  std::shared_ptr<TPixmap> Convert(int new_format) const;
  std::shared_ptr<TPixmap> Copy() const;

  // The pixel as 0xAARRGGBB; coordinates outside the pixmap are a caller
  // error and raise the array-bounds run-time error.
  uint32_t ReadPixel(int x, int y) const;
  void WritePixel(int x, int y, uint32_t argb);
  // Every pixel set to the colour.
  void ClearPixels(uint32_t argb);

 private:
  std::unique_ptr<uint8_t[]> _storage;
};

// One pixel of a format read as 0xAARRGGBB, and written from it.
uint32_t ReadFormatPixel(const uint8_t* p, int format);
void WriteFormatPixel(uint8_t* p, int format, uint32_t argb);
