// The OGG Vorbis loader: the whole first logical bitstream decoded at once to
// 16-bit little-endian PCM, read through libvorbisfile's callback interface
// over our own stream. Files with more than two channels are refused (the
// sample formats hold at most two), and a stream that ends early leaves the
// rest of the sample silent.
#include <vorbis/vorbisfile.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "audio/sample_loader.h"

namespace {

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
  int channels = info->channels;
  if (length > INT_MAX / (2 * channels)) return nullptr;
  auto sample = TAudioSample::Create(static_cast<int>(length), static_cast<int>(info->rate),
                                     channels == 1 ? SF_MONO16LE : SF_STEREO16LE);

  char* out = reinterpret_cast<char*>(sample->samples);
  int missing = sample->ByteCount();
  while (missing > 0) {
    int bitstream = 0;
    long got = ov_read(&vf.file, out, missing, 0, 2, 1, &bitstream);
    if (got < 0) return nullptr;
    // The end of the data, or the start of a chained stream that the first
    // one's announced length should never have reached: stop, keep silence.
    if (got == 0) break;
    if (bitstream != 0) {
      std::memset(out, 0, static_cast<size_t>(got));
      break;
    }
    out += got;
    missing -= static_cast<int>(got);
  }
  return sample;
}
