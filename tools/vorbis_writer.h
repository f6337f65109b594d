// Encodes PCM as an OGG Vorbis file, deterministically: a fixed stream serial
// number and no time or random data, so the same samples give the same bytes.
// The encoder can overshoot the input's peak a little, so the file is decoded
// again and, if its peak is above the limit, encoded once more a little quieter.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct VorbisSettings {
  int channels = 1;
  float quality = 0.4f;         // libvorbis VBR quality, -0.1 .. 1
  double peak_db = -3.0;        // the samples are scaled to peak here first
  double limit_db = -1.0;       // the decoded file never peaks above this
  std::string title;
};

struct VorbisReport {
  bool ok = false;
  int64_t frames = 0;           // frames in the decoded file
  int peak = 0;                 // largest decoded 16-bit magnitude
  size_t bytes = 0;
};

// interleaved holds frames * channels samples in -1..1 (any scale: they are
// normalised to settings.peak_db). Writes path; on failure says why on stderr.
VorbisReport WriteOggVorbis(const std::string& path, std::vector<float> interleaved,
                            const VorbisSettings& settings);
