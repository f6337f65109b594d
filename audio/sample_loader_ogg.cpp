// The OGG Vorbis loader: the whole first logical bitstream decoded to 16-bit
// little-endian PCM, at once or a slice at a time, read through
// libvorbisfile's callback interface over our own stream. Files with more
// than two channels are refused (the
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

// The whole decoding: the file opened and the sample made in Start(), then a
// few packets of PCM per Step(), each read asking for all the bytes still
// missing, as a decoding in one go asks for them: the same calls in the same
// order, so the same samples however the slices fall.
class TOggDecoding : public TAudioSampleDecoding {
 public:
  bool Start(const std::shared_ptr<TStream>& stream);
  bool Step() override;
  std::shared_ptr<TAudioSample> Result() override { return sample_; }
  ~TOggDecoding() override {
    if (open_) ov_clear(&file_);
  }

 private:
  // Reads per slice: vorbisfile hands out at most one packet (a few
  // thousand frames) per read.
  static constexpr int kReadsPerSlice = 2;

  std::shared_ptr<TStream> stream_;
  OggVorbis_File file_{};
  bool open_ = false;
  std::shared_ptr<TAudioSample> sample_;
  int64_t announced_ = 0;
  int64_t frames_ = 0;
  int frame_bytes_ = 0;
};

bool TOggDecoding::Start(const std::shared_ptr<TStream>& stream) {
  stream_ = stream;
  ov_callbacks callbacks{ReadCallback, SeekCallback, CloseCallback, TellCallback};
  if (ov_open_callbacks(stream.get(), &file_, nullptr, 0, callbacks) != 0) return false;
  open_ = true;

  ogg_int64_t length = ov_pcm_total(&file_, 0);
  vorbis_info* info = ov_info(&file_, -1);
  if (length < 0 || !info || info->channels < 1 || info->channels > 2 || info->rate <= 0 || info->rate > INT_MAX) {
    return false;
  }
  frame_bytes_ = 2 * info->channels;
  const int format = info->channels == 1 ? SF_MONO16LE : SF_STEREO16LE;
  const int rate = static_cast<int>(info->rate);
  // The announced length is only a hint: a damaged last page can claim
  // billions of frames the file does not hold. Room is made for the
  // announced length only as far as a file of this size could plausibly
  // hold it, and grows with what really decodes.
  announced_ = std::min<int64_t>(length, INT_MAX / frame_bytes_);
  const int64_t plausible = int64_t{std::max(stream->Size(), 0)} * kMostPcmPerFileByte / frame_bytes_;
  sample_ = TAudioSample::Create(static_cast<int>(std::min(announced_, std::max<int64_t>(plausible, 4096))),
                                 rate, format);

  // Opening a chained file can leave the decoder in a later stream; the
  // sound is the first one's.
  return ov_streams(&file_) <= 1 || ov_pcm_seek(&file_, 0) == 0;
}

bool TOggDecoding::Step() {
  for (int reads = 0; reads < kReadsPerSlice && frames_ < announced_; ++reads) {
    if (frames_ == sample_->length) {
      auto grown = TAudioSample::Create(static_cast<int>(std::min(announced_, frames_ * 2)), sample_->hertz,
                                        sample_->format);
      std::memcpy(grown->samples, sample_->samples, static_cast<size_t>(frames_ * frame_bytes_));
      sample_ = grown;
    }
    int bitstream = 0;
    long got = ov_read(&file_, reinterpret_cast<char*>(sample_->samples) + frames_ * frame_bytes_,
                       static_cast<int>((sample_->length - frames_) * frame_bytes_), 0, 2, 1, &bitstream);
    if (got < 0) {
      sample_ = nullptr;
      return true;
    }
    // The end of the data, or the start of a chained stream that the first
    // one's announced length should never have reached.
    if (got == 0 || bitstream != 0) {
      announced_ = frames_;
      break;
    }
    frames_ += got / frame_bytes_;
  }
  if (frames_ < announced_) return false;
  // What the file really held; a stream that ends early is shorter, not
  // padded with the silence it claimed.
  sample_->length = static_cast<int>(frames_);
  return true;
}

}  // namespace

std::unique_ptr<TAudioSampleDecoding> TAudioSampleLoaderOGG::StartAudioSample(const std::shared_ptr<TStream>& stream) {
  auto decoding = std::make_unique<TOggDecoding>();
  if (!decoding->Start(stream)) return nullptr;
  return decoding;
}

std::shared_ptr<TAudioSample> TAudioSampleLoaderOGG::LoadAudioSample(const std::shared_ptr<TStream>& stream) {
  auto decoding = StartAudioSample(stream);
  if (!decoding) return nullptr;
  while (!decoding->Step()) {
  }
  return decoding->Result();
}
