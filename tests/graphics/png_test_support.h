// Builds PNG files in memory for the loader tests: real encodings through
// libpng's writer, and hand-made chunk streams for files libpng would never
// write (absurd sizes, broken checksums).
#pragma once
#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace png_test {

struct PngRecipe {
  int width = 1;
  int height = 1;
  int color_type = PNG_COLOR_TYPE_RGB;
  int bit_depth = 8;
  bool interlaced = false;
  std::vector<uint8_t> rows;  // packed rows as the format stores them
  std::vector<png_color> palette;
  std::vector<uint8_t> trns_alpha;  // palette transparency
  bool trns_colour = false;         // grey or RGB transparency of trns_value
  png_color_16 trns_value{};
};

inline std::vector<uint8_t> Encode(const PngRecipe& recipe) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, size_t n) {
        auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        v->insert(v->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, png_uint_32(recipe.width), png_uint_32(recipe.height), recipe.bit_depth,
               recipe.color_type, recipe.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!recipe.palette.empty()) png_set_PLTE(png, info, recipe.palette.data(), int(recipe.palette.size()));
  if (!recipe.trns_alpha.empty()) {
    png_set_tRNS(png, info, recipe.trns_alpha.data(), int(recipe.trns_alpha.size()), nullptr);
  } else if (recipe.trns_colour) {
    png_set_tRNS(png, info, nullptr, 0, &recipe.trns_value);
  }
  png_write_info(png, info);
  const size_t row_bytes = recipe.rows.size() / size_t(recipe.height);
  std::vector<png_bytep> rows;
  for (int y = 0; y < recipe.height; ++y)
    rows.push_back(const_cast<png_bytep>(recipe.rows.data() + size_t(y) * row_bytes));
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

inline uint32_t Crc32(const uint8_t* data, size_t n, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

inline void PutBE32(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(uint8_t(x >> 24)), v.push_back(uint8_t(x >> 16));
  v.push_back(uint8_t(x >> 8)), v.push_back(uint8_t(x));
}

inline void PutChunk(std::vector<uint8_t>& v, const char* type, const std::vector<uint8_t>& data) {
  PutBE32(v, uint32_t(data.size()));
  std::vector<uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  v.insert(v.end(), body.begin(), body.end());
  PutBE32(v, Crc32(body.data(), body.size()));
}

// A PNG whose header declares width x height RGB pixels but whose data is a
// few bytes of a stored zlib block.
inline std::vector<uint8_t> HugeHeaderPng(uint32_t width, uint32_t height) {
  std::vector<uint8_t> v = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  std::vector<uint8_t> ihdr;
  PutBE32(ihdr, width);
  PutBE32(ihdr, height);
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  PutChunk(v, "IHDR", ihdr);
  PutChunk(v, "IDAT", {0x78, 0x01, 0x01, 0x04, 0x00, 0xfb, 0xff, 0, 0, 0, 0});
  PutChunk(v, "IEND", {});
  return v;
}

// Offset of the first chunk of the given type (its length field), or npos.
inline size_t FindChunk(const std::vector<uint8_t>& png, const char* type) {
  size_t pos = 8;
  while (pos + 12 <= png.size()) {
    const uint32_t len = (uint32_t(png[pos]) << 24) | (uint32_t(png[pos + 1]) << 16) |
                         (uint32_t(png[pos + 2]) << 8) | png[pos + 3];
    if (std::string(png.begin() + long(pos) + 4, png.begin() + long(pos) + 8) == type) return pos;
    pos += 12 + len;
  }
  return std::string::npos;
}

}  // namespace png_test
