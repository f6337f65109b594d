// Readers the data tests share: PNG through libpng and OGG through
// libvorbisfile, independent of the game's own loaders so the data is checked
// against the file formats themselves.
#pragma once

#include <png.h>
#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::string DataPath(const std::string& relative) { return std::string(GLOOMFALL_DATA_DIR) + "/" + relative; }

inline std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Picture {
  bool ok = false;
  int width = 0, height = 0;
  int color_type = -1, bit_depth = 0;
  std::vector<uint8_t> rgba;  // always expanded to RGBA for the checks

  int Alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
  int Red(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4]; }
  int Green(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 1]; }
  int Blue(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 2]; }
};

inline Picture ReadPicture(const std::string& path) {
  Picture p;
  std::vector<unsigned char> bytes = ReadBytes(path);
  // The header chunk comes first: size at 16, bit depth at 24, colour type at 25.
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (bytes.size() < 33 || !std::equal(kSignature, kSignature + 8, bytes.begin())) return p;
  p.bit_depth = bytes[24];
  p.color_type = bytes[25];
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&img, bytes.data(), bytes.size())) return p;
  img.format = PNG_FORMAT_RGBA;
  p.width = static_cast<int>(img.width);
  p.height = static_cast<int>(img.height);
  p.rgba.resize(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, p.rgba.data(), 0, nullptr)) return Picture{};
  p.ok = p.bit_depth == 8 && (p.color_type == PNG_COLOR_TYPE_RGBA || p.color_type == PNG_COLOR_TYPE_RGB);
  return p;
}

struct Sound {
  bool ok = false;
  int channels = 0;
  long rate = 0;
  int64_t frames = 0;          // as the file announces it
  std::vector<int16_t> pcm;    // interleaved, as decoded
  int Peak() const {
    int peak = 0;
    for (int16_t v : pcm) peak = std::max(peak, v < 0 ? -static_cast<int>(v) : static_cast<int>(v));
    return peak;
  }
  int64_t Decoded() const { return channels ? static_cast<int64_t>(pcm.size()) / channels : 0; }
};

inline Sound ReadSound(const std::string& path) {
  Sound s;
  OggVorbis_File vf;
  if (ov_fopen(path.c_str(), &vf) != 0) return s;
  vorbis_info* vi = ov_info(&vf, -1);
  s.channels = vi->channels;
  s.rate = vi->rate;
  s.frames = ov_pcm_total(&vf, -1);
  char buf[16384];
  int section = 0;
  long got;
  while ((got = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section)) > 0) {
    const auto* samples = reinterpret_cast<const int16_t*>(buf);
    s.pcm.insert(s.pcm.end(), samples, samples + got / 2);
  }
  ov_clear(&vf);
  s.ok = got == 0;
  return s;
}

// -1 dBFS as a 16-bit magnitude.
constexpr int kPeakLimit = 29204;
