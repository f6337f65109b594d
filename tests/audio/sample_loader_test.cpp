// Decoding files into samples: OGG Vorbis made here with libvorbisenc, RIFF
// WAVE files built byte by byte, and the ways such files go wrong. Files are
// written under the build folder.
#include <gtest/gtest.h>
#include <ogg/ogg.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "audio/sample_loader.h"
#include "audio_test_support.h"

namespace {

std::shared_ptr<TAudioSample> LoadBytes(const std::vector<uint8_t>& bytes) {
  return LoadAudioSample(std::static_pointer_cast<TObject>(CreateMemoryStream(bytes)));
}

std::vector<uint8_t> Pcm16(const std::vector<int16_t>& values) {
  std::vector<uint8_t> bytes(values.size() * 2);
  std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

int PeakOf(const TAudioSample& sample) {
  const auto* values = reinterpret_cast<const int16_t*>(sample.samples);
  int peak = 0;
  int count = sample.length * ChannelsPerFrame(sample.format);
  for (int i = 0; i < count; ++i) peak = std::max(peak, std::abs(static_cast<int>(values[i])));
  return peak;
}

// ---- OGG ----

TEST(OggLoader, MonoFileGivesFormat2WithItsLengthAndRate) {
  std::string path = TestFilePath("mono.ogg");
  WriteFile(path, EncodeOgg(1, 22050, 1000));
  auto sample = LoadAudioSample(path);
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(sample->format, SF_MONO16LE);
  EXPECT_EQ(sample->length, 1000);
  EXPECT_EQ(sample->hertz, 22050);
  // A half-scale sine: lossy, but the level survives.
  EXPECT_GT(PeakOf(*sample), 12000);
  EXPECT_LT(PeakOf(*sample), 22000);
}

TEST(OggLoader, StereoFileGivesFormat5) {
  std::string path = TestFilePath("stereo.ogg");
  WriteFile(path, EncodeOgg(2, 44100, 4410));
  auto sample = LoadAudioSample(path);
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(sample->format, SF_STEREO16LE);
  EXPECT_EQ(sample->length, 4410);
  EXPECT_EQ(sample->hertz, 44100);
  EXPECT_GT(PeakOf(*sample), 12000);
}

TEST(OggLoader, ChainedFileDecodesOnlyItsFirstStream) {
  std::vector<uint8_t> chained = EncodeOgg(1, 22050, 1000, 1);
  std::vector<uint8_t> second = EncodeOgg(2, 44100, 3000, 2);
  chained.insert(chained.end(), second.begin(), second.end());
  auto sample = LoadBytes(chained);
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(sample->format, SF_MONO16LE);
  EXPECT_EQ(sample->length, 1000);
  EXPECT_EQ(sample->hertz, 22050);
  EXPECT_GT(PeakOf(*sample), 12000) << "the first stream's sound, not silence";
}

TEST(OggLoader, MoreThanTwoChannelsIsRefused) {
  auto bytes = EncodeOgg(3, 44100, 2000);
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(LoadBytes(bytes), nullptr);
}

// A memory stream that runs dry partway: once the decoder has looked at the
// file's end (where it learns the length) and come back to the start, reads
// past `cut` find nothing.
class DryingStream : public TMemoryStream {
 public:
  DryingStream(std::vector<uint8_t> bytes, int cut) : TMemoryStream(std::move(bytes)), cut_(cut) {}
  int Read(void* buffer, int count) override {
    if (dry_ && _pos >= cut_) return 0;
    if (_pos + count >= Size()) seen_end_ = true;
    return TMemoryStream::Read(buffer, count);
  }
  int Seek(int pos) override {
    if (seen_end_ && pos < cut_) dry_ = true;
    return TMemoryStream::Seek(pos);
  }

 private:
  int cut_;
  bool seen_end_ = false;
  bool dry_ = false;
};

// The file with its last page claiming `frames` frames, the page's checksum mended, as a damaged copy can.
std::vector<uint8_t> ClaimingFrames(std::vector<uint8_t> bytes, int64_t frames) {
  const std::string magic = "OggS";
  const auto last = static_cast<size_t>(std::find_end(bytes.begin(), bytes.end(), magic.begin(), magic.end()) -
                                        bytes.begin());
  for (int i = 0; i < 8; ++i) bytes[last + 6 + static_cast<size_t>(i)] = static_cast<uint8_t>(frames >> (8 * i));
  ogg_page page{&bytes[last], 27 + bytes[last + 26], nullptr, 0};
  page.body = page.header + page.header_len;
  page.body_len = static_cast<long>(bytes.size() - last) - page.header_len;
  ogg_page_checksum_set(&page);
  return bytes;
}

// What a file announces is a hint, never an allocation: a sound takes memory in proportion to what it really
// holds. A last page claiming 500,000,000 frames gives the real ones (the last block no longer trimmed); a stream
// that runs dry halfway ends where its sound does.
TEST(OggLoader, ADamagedFileGivesTheFramesItHoldsAndNoMore) {
  const int frames = 44100 * 10;
  std::vector<uint8_t> bytes = EncodeOgg(2, 44100, frames);
  auto whole = LoadBytes(bytes);
  ASSERT_NE(whole, nullptr);
  auto claiming = LoadBytes(ClaimingFrames(bytes, 500000000));
  auto dry = LoadAudioSample(std::static_pointer_cast<TObject>(
      std::make_shared<DryingStream>(bytes, static_cast<int>(bytes.size() / 2))));
  for (auto [sample, low, high] :
       {std::tuple{claiming, frames, frames + 2048}, {dry, frames / 4 + 1, frames * 3 / 4 - 1}}) {
    ASSERT_NE(sample, nullptr);
    EXPECT_GE(sample->length, low);
    EXPECT_LE(sample->length, high);
    EXPECT_LE(sample->capacity, 4 * sample->ByteCount());
    const auto common = static_cast<size_t>(std::min(sample->ByteCount(), whole->ByteCount()));
    EXPECT_EQ(std::memcmp(sample->samples, whole->samples, common), 0);
  }
}

TEST(OggLoader, DamagedFilesGiveNoneOrASampleButNeverCrash) {
  std::vector<uint8_t> good = EncodeOgg(2, 44100, 20000);
  ASSERT_GT(good.size(), 1000u);

  std::vector<uint8_t> header_only(good.begin(), good.begin() + 60);
  EXPECT_EQ(LoadBytes(header_only), nullptr);

  std::vector<uint8_t> half(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
  auto truncated = LoadBytes(half);
  if (truncated) {
    EXPECT_LE(truncated->length, 20000);
  }

  std::vector<uint8_t> scrambled = good;
  for (size_t i = scrambled.size() / 3; i < scrambled.size() / 3 + 400; ++i) scrambled[i] ^= 0x5A;
  LoadBytes(scrambled);

  std::vector<uint8_t> bad_header = good;
  for (size_t i = 30; i < 80; ++i) bad_header[i] = static_cast<uint8_t>(i * 37);
  EXPECT_EQ(LoadBytes(bad_header), nullptr);
}

// The first stream's PCM as vorbisfile gives it, read straight through, and whether every read went well.
std::pair<std::vector<uint8_t>, bool> VorbisfilePcm(const std::string& path) {
  OggVorbis_File vf;
  if (ov_fopen(path.c_str(), &vf) != 0) return {{}, false};
  std::vector<uint8_t> pcm(static_cast<size_t>(ov_pcm_total(&vf, 0) * 2 * ov_info(&vf, 0)->channels));
  size_t at = 0;
  int stream = 0;
  long got = ov_streams(&vf) == 1 || ov_pcm_seek(&vf, 0) == 0 ? 1 : -1;
  while (got > 0 && stream == 0 && at < pcm.size()) {
    got = ov_read(&vf, reinterpret_cast<char*>(&pcm[at]), static_cast<int>(pcm.size() - at), 0, 2, 1, &stream);
    if (got > 0 && stream == 0) at += static_cast<size_t>(got);
  }
  ov_clear(&vf);
  pcm.resize(at);
  return {pcm, got >= 0};
}

// The music is decoded in the background a slice at a time: the same
// samples as in one go, to the bit, and each slice a few thousand frames.
TEST(OggLoader, DecodedASliceAtATimeItGivesVorbisfilesOwnSamples) {
  std::vector<uint8_t> chained = EncodeOgg(2, 44100, 30000, 1), second = EncodeOgg(1, 22050, 9000, 2);
  chained.insert(chained.end(), second.begin(), second.end());
  std::vector<uint8_t> scrambled = EncodeOgg(2, 44100, 88200);
  for (size_t i = scrambled.size() / 2; i < scrambled.size() / 2 + 300; ++i) scrambled[i] ^= 0x5A;
  int n = 0;
  for (const auto& bytes : {EncodeOgg(1, 22050, 30000), EncodeOgg(2, 44100, 44100 * 6), chained, scrambled}) {
    SCOPED_TRACE("file " + std::to_string(++n));
    const std::string path = TestFilePath("sliced" + std::to_string(n) + ".ogg");
    WriteFile(path, bytes);
    const auto [pcm, ok] = VorbisfilePcm(path);
    auto decoding = StartLoadingAudioSample(path);
    ASSERT_NE(decoding, nullptr);
    int slices = 1;
    while (!decoding->Step()) ++slices;
    const auto sliced = decoding->Result();
    for (const auto& sample : {sliced, LoadAudioSample(path)}) {
      ASSERT_EQ(sample != nullptr, ok);
      if (ok) { EXPECT_EQ(std::vector<uint8_t>(sample->samples, sample->samples + sample->ByteCount()), pcm); }
    }
    if (ok) { EXPECT_GE(slices, sliced->length / 8192); }
  }
}

// ---- WAV ----

TEST(WavLoader, ExtraChunksBeforeDataAreSkippedWithTheirPadBytes) {
  std::vector<int16_t> values = {1, -1, 1000, -1000, 32767, -32768};
  // Odd-sized chunks are followed by a pad byte the reader must step over.
  auto bytes = MakeWav(1, 2, 32000, 16, Pcm16(values), {{"LIST", std::vector<uint8_t>(26, 'x')},
                                                       {"odd ", std::vector<uint8_t>(25, 'x')}, {"id3 ", {7, 7, 7}}});
  std::string path = TestFilePath("list.wav");
  WriteFile(path, bytes);
  auto sample = LoadAudioSample(path);
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(sample->format, SF_STEREO16LE);
  EXPECT_EQ(sample->length, 3);
  EXPECT_EQ(sample->hertz, 32000);
  EXPECT_EQ(std::memcmp(sample->samples, values.data(), 12), 0);
}

TEST(WavLoader, FormatsByBitsAndChannels) {
  EXPECT_EQ(LoadBytes(MakeWav(1, 1, 8000, 8, {1, 2, 3}))->format, SF_MONO8);
  EXPECT_EQ(LoadBytes(MakeWav(1, 2, 8000, 8, {1, 2}))->format, SF_STEREO8);
  EXPECT_EQ(LoadBytes(MakeWav(1, 1, 8000, 16, {1, 2}))->format, SF_MONO16LE);
  EXPECT_EQ(LoadBytes(MakeWav(1, 1, 8000, 8, {1, 2, 3}))->length, 3);
}

TEST(WavLoader, RefusesWhatItCannotPlay) {
  EXPECT_EQ(LoadBytes(MakeWav(3, 1, 8000, 32, std::vector<uint8_t>(16, 0))), nullptr);  // float
  EXPECT_EQ(LoadBytes(MakeWav(2, 1, 8000, 4, std::vector<uint8_t>(16, 0))), nullptr);   // ADPCM
  EXPECT_EQ(LoadBytes(MakeWav(1, 0, 8000, 16, std::vector<uint8_t>(16, 0))), nullptr);  // no channels
  EXPECT_EQ(LoadBytes(MakeWav(1, 1, 8000, 0, std::vector<uint8_t>(16, 0))), nullptr);   // no bits
  EXPECT_EQ(LoadBytes(MakeWav(1, 1, 8000, 24, std::vector<uint8_t>(18, 0))), nullptr);
  EXPECT_EQ(LoadBytes(MakeWav(1, 3, 8000, 16, std::vector<uint8_t>(18, 0))), nullptr);
  EXPECT_EQ(LoadBytes(MakeWav(1, 1, 0, 16, std::vector<uint8_t>(4, 0))), nullptr);      // no rate
}

TEST(WavLoader, DataLongerThanTheFileReadsWhatIsThere) {
  std::vector<int16_t> values = {10, 20, 30, 40, 50, 60, 70, 80};
  auto sample = LoadBytes(MakeWav(1, 2, 22050, 16, Pcm16(values), {}, 0x7FFFFFF0));
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(sample->length, 4);
  EXPECT_EQ(sample->capacity, 16);
  EXPECT_EQ(std::memcmp(sample->samples, values.data(), 16), 0);
  // A trailing half frame is dropped.
  auto odd = LoadBytes(MakeWav(1, 2, 22050, 16, {1, 0, 2, 0, 3, 0}));
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(odd->length, 1);
}

TEST(WavLoader, MissingDataAndTruncatedFilesGiveNone) {
  auto whole = MakeWav(1, 1, 8000, 16, {1, 2, 3, 4});
  for (size_t cut : {0u, 3u, 11u, 20u, 36u}) {
    std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<long>(cut));
    EXPECT_EQ(LoadBytes(part), nullptr) << cut;
  }
  // A chunk claiming more than the file holds hides the data chunk.
  auto hidden = MakeWav(1, 1, 8000, 16, {1, 2}, {{"junk", {}}});
  uint32_t huge = 0x7FFFFFFF;
  std::memcpy(&hidden[40], &huge, 4);
  EXPECT_EQ(LoadBytes(hidden), nullptr);
}

// ---- the loader chain ----

TEST(LoadAudioSample, MissingOrEmptyOrForeignFilesGiveNone) {
  EXPECT_EQ(LoadAudioSample(TestFilePath("no-such-file.ogg")), nullptr);
  std::string empty = TestFilePath("empty.ogg");
  WriteFile(empty, {});
  EXPECT_EQ(LoadAudioSample(empty), nullptr);
  std::vector<uint8_t> text(5000, 'a');
  EXPECT_EQ(LoadBytes(text), nullptr);
}

TEST(LoadAudioSample, OpensBackslashPathsWithSlashes) {
  std::string path = TestFilePath("slashes.wav");
  WriteFile(path, MakeWav(1, 1, 8000, 8, {7, 8}));
  std::replace(path.begin(), path.end(), '/', '\\');
  auto sample = LoadAudioSample(path);
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(sample->length, 2);
}

TEST(LoadAudioSample, StartsFromTheStreamsOwnPosition) {
  std::vector<uint8_t> bytes(10, 0xEE);
  auto wav = MakeWav(1, 1, 8000, 8, {9, 9, 9});
  bytes.insert(bytes.end(), wav.begin(), wav.end());
  auto stream = CreateMemoryStream(bytes);
  stream->Seek(10);
  auto sample = LoadAudioSample(std::static_pointer_cast<TObject>(stream));
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(sample->length, 3);
}

class UnseekableStream : public TStream {
 public:
  int Read(void*, int) override { return 0; }
};

TEST(LoadAudioSample, StreamWithoutAPositionIsNotSeekable) {
  try {
    LoadAudioSample(std::static_pointer_cast<TObject>(std::make_shared<UnseekableStream>()));
    FAIL() << "no error raised";
  } catch (const TRuntimeException& e) {
    EXPECT_EQ(e.ToString(), "Stream is not seekable");
  }
}

// A loader that reads a little and then fails in a chosen way.
class FailingLoader : public TAudioSampleLoader {
 public:
  explicit FailingLoader(bool stream_error) : stream_error_(stream_error) {}
  std::shared_ptr<TAudioSample> LoadAudioSample(const std::shared_ptr<TStream>& stream) override {
    ++calls;
    stream->SkipBytes(7);
    if (stream_error_) throw TStreamReadException();
    RuntimeError("loader fault");
  }
  int calls = 0;

 private:
  bool stream_error_;
};

TEST(LoadAudioSample, StreamErrorInALoaderIsARefusalOtherErrorsPassOn) {
  LoadAudioSample(TestFilePath("no-such-file.wav"));  // the built-in loaders exist now
  auto wav = MakeWav(1, 1, 8000, 8, {1, 2, 3, 4});
  {
    FailingLoader refusing(true);
    auto sample = LoadBytes(wav);
    EXPECT_EQ(refusing.calls, 1);
    ASSERT_NE(sample, nullptr);  // the stream was rewound for the WAV loader
    EXPECT_EQ(sample->length, 4);
  }
  {
    FailingLoader faulty(false);
    EXPECT_THROW(LoadBytes(wav), TRuntimeException);
  }
  EXPECT_NE(LoadBytes(wav), nullptr);  // both unlinked themselves
}

}  // namespace
