// Sample allocation and format conversion. Every conversion goes through the
// big-endian stereo layout, so each format needs only a rule to it and a rule
// from it; the byte arithmetic is spelled out because the results are exact.
#include "audio/audio_sample.h"

#include <cstring>
#include <vector>

int BytesPerFrame(int format) {
  static const int kBytes[] = {0, 1, 2, 2, 2, 4, 4};
  return format >= 0 && format <= 6 ? kBytes[format] : 0;
}

int ChannelsPerFrame(int format) {
  static const int kChannels[] = {0, 1, 1, 1, 2, 2, 2};
  return format >= 0 && format <= 6 ? kChannels[format] : 0;
}

std::shared_ptr<TAudioSample> TAudioSample::Create(int length, int hertz, int format) {
  auto sample = std::make_shared<TAudioSample>();
  // A length whose bytes would not fit an int gives an empty sample; the
  // loaders refuse such files before they get here.
  int64_t wanted = static_cast<int64_t>(length) * BytesPerFrame(format);
  if (length < 0 || wanted > INT32_MAX) length = 0;
  int bytes = length * BytesPerFrame(format);
  sample->owned_ = std::make_unique<uint8_t[]>(static_cast<size_t>(bytes) + 1);
  sample->samples = sample->owned_.get();
  sample->length = length;
  sample->hertz = hertz;
  sample->format = format;
  sample->capacity = bytes;
  return sample;
}

std::shared_ptr<TAudioSample> TAudioSample::CreateStatic(uint8_t* samples, int length, int hertz, int format) {
  auto sample = std::make_shared<TAudioSample>();
  sample->samples = samples;
  sample->length = length < 0 ? 0 : length;
  sample->hertz = hertz;
  sample->format = format;
  sample->capacity = -1;
  return sample;
}

std::shared_ptr<TAudioSample> TAudioSample::Copy() const {
  auto copy = Create(length, hertz, format);
  if (ByteCount() > 0 && samples) std::memcpy(copy->samples, samples, static_cast<size_t>(ByteCount()));
  return copy;
}

namespace {

[[noreturn]] void Unimplemented() { RuntimeError("Unimplemented sample format conversion"); }

// 8-bit unsigned to 16-bit signed so that 0 and 255 reach the two extremes.
inline int16_t Widen8(uint8_t u) { return static_cast<int16_t>((u - 128) * 256 + u); }
inline uint8_t Narrow8(int16_t s) { return static_cast<uint8_t>((s + 32768) / 257); }

inline void PutBE(uint8_t* p, int16_t v) {
  auto u = static_cast<uint16_t>(v);
  p[0] = static_cast<uint8_t>(u >> 8);
  p[1] = static_cast<uint8_t>(u);
}
inline int16_t GetBE(const uint8_t* p) { return static_cast<int16_t>(static_cast<uint16_t>(p[0] << 8 | p[1])); }

// Source frames of `format` to big-endian stereo.
void ToStereoBE(const uint8_t* in, uint8_t* out, int frames, int format) {
  for (int i = 0; i < frames; ++i, out += 4) {
    switch (format) {
      case SF_MONO8: {
        int16_t v = Widen8(in[i]);
        PutBE(out, v);
        PutBE(out + 2, v);
        break;
      }
      case SF_MONO16LE: {
        const uint8_t* p = in + i * 2;
        out[0] = out[2] = p[1];
        out[1] = out[3] = p[0];
        break;
      }
      case SF_MONO16BE: {
        const uint8_t* p = in + i * 2;
        out[0] = out[2] = p[0];
        out[1] = out[3] = p[1];
        break;
      }
      case SF_STEREO8:
        PutBE(out, Widen8(in[i * 2]));
        PutBE(out + 2, Widen8(in[i * 2 + 1]));
        break;
      case SF_STEREO16LE: {
        const uint8_t* p = in + i * 4;
        out[0] = p[1];
        out[1] = p[0];
        out[2] = p[3];
        out[3] = p[2];
        break;
      }
      default:
        Unimplemented();
    }
  }
}

// Big-endian stereo frames to `format`.
void FromStereoBE(const uint8_t* in, uint8_t* out, int frames, int format) {
  for (int i = 0; i < frames; ++i, in += 4) {
    int16_t left = GetBE(in);
    int16_t right = GetBE(in + 2);
    switch (format) {
      case SF_MONO8:
        out[i] = Narrow8(left);
        break;
      case SF_MONO16LE:
        out[i * 2] = in[1];
        out[i * 2 + 1] = in[0];
        break;
      case SF_MONO16BE:
        out[i * 2] = in[0];
        out[i * 2 + 1] = in[1];
        break;
      case SF_STEREO8:
        out[i * 2] = Narrow8(left);
        out[i * 2 + 1] = Narrow8(right);
        break;
      case SF_STEREO16LE:
        out[i * 4] = in[1];
        out[i * 4 + 1] = in[0];
        out[i * 4 + 2] = in[3];
        out[i * 4 + 3] = in[2];
        break;
      default:
        Unimplemented();
    }
  }
}

bool Convertible(int format) { return format >= SF_MONO8 && format <= SF_STEREO16BE; }

}  // namespace

std::shared_ptr<TAudioSample> TAudioSample::Convert(int to) const {
  if (to == format) return Copy();
  if (!Convertible(format) || !Convertible(to)) Unimplemented();
  auto result = Create(length, hertz, to);
  if (length == 0 || !samples) return result;
  if (to == SF_STEREO16BE) {
    ToStereoBE(samples, result->samples, length, format);
  } else if (format == SF_STEREO16BE) {
    FromStereoBE(samples, result->samples, length, to);
  } else {
    std::vector<uint8_t> middle(static_cast<size_t>(length) * 4);
    ToStereoBE(samples, middle.data(), length, format);
    FromStereoBE(middle.data(), result->samples, length, to);
  }
  return result;
}
