// The OGG Vorbis loader: the whole first logical bitstream decoded at once to
// 16-bit little-endian PCM, read through libvorbisfile's callback interface
// over our own stream. Files with more than two channels are refused (the
// sample formats hold at most two), and a stream that ends before its
// announced length gives the frames it held: the memory a sound takes follows
// what it decodes to, never what it claims.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "audio/sample_loader.h"

namespace {

// Vorbis at its lowest bit rates packs about 1.4 Mbit/s of CD audio into
// 45 kbit/s; more than this many PCM bytes per file byte is not believed up
// front (it still decodes, the room growing as it does).
constexpr int64_t kMostPcmPerFileByte = 32;

// The callbacks run inside the C library, so no exception may leave them:
// a stream error becomes a short read or a failed seek.
size_t ReadCallback(void* ptr, size_t size, size_t count, void* source) {
  auto* stream = static_cast<TStream*>(source);
  if (size == 0 || count == 0) return 0;
  size_t wanted = size * count;
  if (wanted > INT_MAX) wanted = INT_MAX - INT_MAX % size;
  auto* at = static_cast<uint8_t*>(ptr);
  size_t done = 0;
  try {
    while (done < wanted && !stream->Eof()) {
      int n = stream->Read(at + done, static_cast<int>(wanted - done));
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
  } catch (...) {
  }
  return done / size;
}

int SeekCallback(void* source, ogg_int64_t offset, int whence) {
  auto* stream = static_cast<TStream*>(source);
  try {
    ogg_int64_t target = offset;
    if (whence == SEEK_CUR) target += stream->Pos();
    if (whence == SEEK_END) target += stream->Size();
    if (target < 0 || target > INT_MAX) return -1;
    return stream->Seek(static_cast<int>(target)) < 0 ? -1 : 0;
  } catch (...) {
    return -1;
  }
}

// The stream belongs to LoadAudioSample(), which closes it.
int CloseCallback(void*) { return 0; }

long TellCallback(void* source) {
  try {
    return static_cast<TStream*>(source)->Pos();
  } catch (...) {
    return -1;
  }
}

// ov_clear() on every way out.
struct VorbisFile {
  OggVorbis_File file{};
  bool open = false;
  ~VorbisFile() {
    if (open) ov_clear(&file);
  }
};

}  // namespace

std::shared_ptr<TAudioSample> TAudioSampleLoaderOGG::LoadAudioSample(const std::shared_ptr<TStream>& stream) {
  ov_callbacks callbacks{ReadCallback, SeekCallback, CloseCallback, TellCallback};
  VorbisFile vf;
  if (ov_open_callbacks(stream.get(), &vf.file, nullptr, 0, callbacks) != 0) return nullptr;
  vf.open = true;

  ogg_int64_t length = ov_pcm_total(&vf.file, 0);
  vorbis_info* info = ov_info(&vf.file, -1);
  if (length < 0 || !info || info->channels < 1 || info->channels > 2 || info->rate <= 0 || info->rate > INT_MAX) {
    return nullptr;
  }
  const int frame_bytes = 2 * info->channels;
  const int format = info->channels == 1 ? SF_MONO16LE : SF_STEREO16LE;
  const int rate = static_cast<int>(info->rate);
  // The announced length is only a hint: a damaged last page can claim
  // billions of frames the file does not hold. Room is made for the
  // announced length only as far as a file of this size could plausibly
  // hold it, and grows with what really decodes.
  const int64_t announced = std::min<int64_t>(length, INT_MAX / frame_bytes);
  const int64_t plausible = int64_t{std::max(stream->Size(), 0)} * kMostPcmPerFileByte / frame_bytes;
  auto sample = TAudioSample::Create(static_cast<int>(std::min(announced, std::max<int64_t>(plausible, 4096))),
                                     rate, format);

  // Opening a chained file can leave the decoder in a later stream; the
  // sound is the first one's.
  if (ov_streams(&vf.file) > 1 && ov_pcm_seek(&vf.file, 0) != 0) return nullptr;
  int64_t frames = 0;
  while (frames < announced) {
    if (frames == sample->length) {
      auto grown = TAudioSample::Create(static_cast<int>(std::min(announced, frames * 2)), rate, format);
      std::memcpy(grown->samples, sample->samples, static_cast<size_t>(frames * frame_bytes));
      sample = grown;
    }
    int bitstream = 0;
    long got = ov_read(&vf.file, reinterpret_cast<char*>(sample->samples) + frames * frame_bytes,
                       static_cast<int>((sample->length - frames) * frame_bytes), 0, 2, 1, &bitstream);
    if (got < 0) return nullptr;
    // The end of the data, or the start of a chained stream that the first
    // one's announced length should never have reached.
    if (got == 0 || bitstream != 0) break;
    frames += got / frame_bytes;
  }
  // What the file really held; a stream that ends early is shorter, not
  // padded with the silence it claimed.
  sample->length = static_cast<int>(frames);
  return sample;
}
