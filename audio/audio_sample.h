// Decoded PCM held in memory: the sample record, its seven formats and the
// conversions between them. Every loader produces one of these and the sound
// drivers copy from it. Leans on system/runtime_error.h for the one error a
// bad conversion request raises.
#pragma once
#include <cstdint>
#include <memory>

#include "system/runtime_error.h"

// Sample format ids.
enum : int {
  SF_NONE = 0,
  SF_MONO8 = 1,      // unsigned 8-bit
  SF_MONO16LE = 2,   // signed 16-bit little-endian
  SF_MONO16BE = 3,   // signed 16-bit big-endian
  SF_STEREO8 = 4,    // unsigned 8-bit, left then right
  SF_STEREO16LE = 5, // signed 16-bit little-endian, left then right
  SF_STEREO16BE = 6, // signed 16-bit big-endian, left then right
};

// Bytes in one frame of the format, 0 for none or an unknown id.
int BytesPerFrame(int format);
// Channels in the format, 0 for none or an unknown id.
int ChannelsPerFrame(int format);

class TAudioSample : public TObject {
 public:
  uint8_t* samples = nullptr;  // frames interleaved left, right
  int length = 0;              // frames
  int hertz = 0;
  int format = SF_NONE;
  int capacity = 0;            // bytes owned; -1 when the memory is someone else's

  // A sample with room for length frames, zero-filled so that a decoder that
  // stops early leaves silence rather than stale memory behind.
  static std::shared_ptr<TAudioSample> Create(int length, int hertz, int format);
  // Wraps memory the sample does not own; the caller keeps it alive.
  static std::shared_ptr<TAudioSample> CreateStatic(uint8_t* samples, int length, int hertz, int format);

  std::shared_ptr<TAudioSample> Copy() const;
  // A new sample in `format`. Raises "Unimplemented sample format conversion"
  // when either format is not one of 1 to 6 (a same-format request is a copy).
  std::shared_ptr<TAudioSample> Convert(int format) const;

  // The number of bytes the sample's frames occupy.
  int ByteCount() const { return length * BytesPerFrame(format); }

 private:
  std::unique_ptr<uint8_t[]> owned_;
};
