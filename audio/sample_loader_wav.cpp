// The RIFF WAVE loader: plain PCM only, 8 or 16 bits, mono or stereo. Chunks
// other than "fmt " and "data" are skipped (with the pad byte after an odd
// one), and a "data" chunk that claims more than the file holds gives only
// what is there: memory follows the file's size, never its claims.
#include <algorithm>

#include "audio/sample_loader.h"

namespace {
int FormatFor(int bits, int channels) {
  if (bits == 8 && channels == 1) return SF_MONO8;
  if (bits == 8 && channels == 2) return SF_STEREO8;
  if (bits == 16 && channels == 1) return SF_MONO16LE;
  if (bits == 16 && channels == 2) return SF_STEREO16LE;
  return SF_NONE;
}

// Bytes left in the stream, never negative.
int64_t Remaining(TStream& stream) { return std::max<int64_t>(0, int64_t{stream.Size()} - stream.Pos()); }
}  // namespace

std::shared_ptr<TAudioSample> TAudioSampleLoaderWAV::LoadAudioSample(const std::shared_ptr<TStream>& stream) {
  if (stream->ReadString(4) != "RIFF") return nullptr;
  stream->ReadInt();
  if (stream->ReadString(4) != "WAVE") return nullptr;
  if (stream->ReadString(4) != "fmt ") return nullptr;

  auto fmtlength = static_cast<uint32_t>(stream->ReadInt());
  int tag = stream->ReadShort();
  if (tag != 1) return nullptr;
  int channels = stream->ReadShort();
  int32_t hertz = stream->ReadInt();
  stream->ReadInt();    // byte rate
  stream->ReadShort();  // block alignment
  int bits = stream->ReadShort();
  int format = FormatFor(bits, channels);
  if (format == SF_NONE || hertz <= 0) return nullptr;
  // A chunk of odd length is followed by a pad byte, so the next one starts
  // on an even offset.
  const int64_t fmtrest = int64_t{fmtlength} - 16 + (fmtlength & 1);
  if (fmtrest > 0) stream->SkipBytes(static_cast<int>(std::min<int64_t>(fmtrest, Remaining(*stream))));

  while (!stream->Eof()) {
    std::string tag_name = stream->ReadString(4);
    auto length = static_cast<uint32_t>(stream->ReadInt());
    // A chunk can never hold more than the rest of the file.
    int available = static_cast<int>(std::min<int64_t>(length, Remaining(*stream)));
    if (tag_name == "data") {
      int frames = available / BytesPerFrame(format);
      auto sample = TAudioSample::Create(frames, hertz, format);
      stream->ReadBytes(sample->samples, sample->ByteCount());
      return sample;
    }
    stream->SkipBytes(static_cast<int>(std::min<int64_t>(int64_t{length} + (length & 1), Remaining(*stream))));
  }
  return nullptr;
}
