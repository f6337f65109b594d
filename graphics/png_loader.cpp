// The PNG picture loader over libpng. libpng reports errors by longjmp, so
// the two functions that call setjmp hold nothing with a destructor, and the
// read callback turns stream exceptions into a libpng error after its own
// objects are gone; the exception is rethrown once libpng is released.
// Pixel buffers are sized and checked against kMaxPixmapBytes before any
// pixel memory is allocated, so a header declaring a huge picture is refused.
#include <png.h>

#include <csetjmp>
#include <exception>
#include <vector>

#include "graphics/pixmap.h"
#include "graphics/pixmap_loader.h"
#include "system/stream.h"

namespace {

struct PngSource {
  TStream* stream = nullptr;
  std::exception_ptr error;  // what the stream raised, rethrown after clean-up
};

// Fills the whole buffer or reports failure; never throws.
bool ReadFully(PngSource* source, png_bytep data, size_t length) noexcept {
  try {
    while (length > 0) {
      const int want = length > (1u << 30) ? (1 << 30) : int(length);
      const int got = source->stream->Read(data, want);
      if (got <= 0) return false;
      data += got;
      length -= size_t(got);
    }
    return true;
  } catch (...) {
    source->error = std::current_exception();
    return false;
  }
}

void ReadCallback(png_structp png, png_bytep data, size_t length) {
  if (!ReadFully(static_cast<PngSource*>(png_get_io_ptr(png)), data, length)) {
    png_error(png, "read failed");
  }
}

[[noreturn]] void ErrorCallback(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void WarningCallback(png_structp, png_const_charp) {}

struct PngHeader {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int color_type = 0;
  int bit_depth = 0;
  size_t rowbytes = 0;
};

// setjmp frame: plain data only.
[[gnu::noinline]] bool ReadHeader(png_structp png, png_infop info, PngHeader* header) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_sig_bytes(png, 8);
  png_read_info(png, info);
  png_set_strip_16(png);
  png_set_expand(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  header->width = png_get_image_width(png, info);
  header->height = png_get_image_height(png, info);
  header->color_type = png_get_color_type(png, info);
  header->bit_depth = png_get_bit_depth(png, info);
  header->rowbytes = png_get_rowbytes(png, info);
  return true;
}

// setjmp frame: plain data only.
[[gnu::noinline]] bool ReadRows(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

// Releases libpng's structures however the decode ends.
struct PngStructs {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngStructs() {
    if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  }
};

std::shared_ptr<TPixmap> Decode(PngSource& source) {
  PngStructs s;
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorCallback, WarningCallback);
  if (!s.png) return nullptr;
  s.info = png_create_info_struct(s.png);
  if (!s.info) return nullptr;
  png_set_read_fn(s.png, &source, ReadCallback);

  PngHeader header;
  if (!ReadHeader(s.png, s.info, &header)) return nullptr;
  if (header.bit_depth != 8 || header.width == 0 || header.height == 0) return nullptr;

  int format = 0, channels = 0;
  switch (header.color_type) {
    case PNG_COLOR_TYPE_GRAY:
      format = PF_I8, channels = 1;
      break;
    case PNG_COLOR_TYPE_RGB:
      format = PF_RGB888, channels = 3;
      break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      format = PF_RGBA8888, channels = 4;
      break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      format = PF_RGBA8888, channels = 2;  // widened to RGBA below
      break;
    default:
      return nullptr;
  }
  if (header.width > 0x7fffffffu / 4 || header.height > 0x7fffffffu) return nullptr;
  const int w = int(header.width), h = int(header.height);
  if (header.rowbytes != size_t(w) * size_t(channels)) return nullptr;
  // Create refuses anything over kMaxPixmapBytes before allocating.
  std::shared_ptr<TPixmap> pixmap = TPixmap::Create(w, h, format);
  if (!pixmap) return nullptr;

  std::vector<png_bytep> rows(static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) rows[size_t(y)] = pixmap->PixelPtr(0, y);
  if (!ReadRows(s.png, rows.data())) return nullptr;

  if (header.color_type == PNG_COLOR_TYPE_GRAY_ALPHA) {
    // Each row holds grey, alpha pairs at its start; spread them right to left.
    for (int y = 0; y < h; ++y) {
      uint8_t* row = pixmap->PixelPtr(0, y);
      for (int x = w - 1; x >= 0; --x) {
        const uint8_t grey = row[2 * x], alpha = row[2 * x + 1];
        row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = grey;
        row[4 * x + 3] = alpha;
      }
    }
  }
  return pixmap;
}

}  // namespace

std::shared_ptr<TPixmap> TPixmapLoaderPNG::LoadPixmap(const std::shared_ptr<TStream>& stream) {
  if (!stream) return nullptr;
  uint8_t signature[8];
  int got = 0;
  while (got < 8) {
    const int n = stream->Read(signature + got, 8 - got);
    if (n <= 0) return nullptr;
    got += n;
  }
  if (png_sig_cmp(signature, 0, 8) != 0) return nullptr;

  PngSource source;
  source.stream = stream.get();
  std::shared_ptr<TPixmap> pixmap = Decode(source);
  if (source.error) std::rethrow_exception(source.error);
  return pixmap;
}
