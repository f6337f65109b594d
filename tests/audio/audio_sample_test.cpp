// Sample records and every rule of the format conversions, pinned to the
// exact byte values.
#include <gtest/gtest.h>

#include <vector>

#include "audio/audio_sample.h"

namespace {

std::shared_ptr<TAudioSample> SampleOf(int format, const std::vector<uint8_t>& bytes) {
  int frames = static_cast<int>(bytes.size()) / BytesPerFrame(format);
  auto sample = TAudioSample::Create(frames, 22050, format);
  std::copy(bytes.begin(), bytes.end(), sample->samples);
  return sample;
}

std::vector<uint8_t> BytesOf(const TAudioSample& sample) {
  return std::vector<uint8_t>(sample.samples, sample.samples + sample.ByteCount());
}

TEST(AudioSample, CreateSizesByFormat) {
  auto sample = TAudioSample::Create(10, 44100, SF_STEREO16LE);
  EXPECT_EQ(sample->length, 10);
  EXPECT_EQ(sample->hertz, 44100);
  EXPECT_EQ(sample->format, SF_STEREO16LE);
  EXPECT_EQ(sample->capacity, 40);
  EXPECT_EQ(TAudioSample::Create(10, 8000, SF_MONO8)->capacity, 10);
  EXPECT_EQ(TAudioSample::Create(-3, 8000, SF_MONO8)->length, 0);
}

TEST(AudioSample, CreateStaticWrapsForeignMemory) {
  uint8_t data[4] = {1, 2, 3, 4};
  auto sample = TAudioSample::CreateStatic(data, 2, 11025, SF_MONO16LE);
  EXPECT_EQ(sample->samples, data);
  EXPECT_EQ(sample->capacity, -1);
  auto copy = sample->Copy();
  EXPECT_NE(copy->samples, data);
  EXPECT_EQ(copy->capacity, 4);
  EXPECT_EQ(BytesOf(*copy), (std::vector<uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(copy->hertz, 11025);
}

TEST(AudioSample, FormatTable) {
  const int bytes[] = {0, 1, 2, 2, 2, 4, 4};
  const int channels[] = {0, 1, 1, 1, 2, 2, 2};
  for (int f = 0; f <= 6; ++f) {
    EXPECT_EQ(BytesPerFrame(f), bytes[f]) << f;
    EXPECT_EQ(ChannelsPerFrame(f), channels[f]) << f;
  }
  EXPECT_EQ(BytesPerFrame(7), 0);
  EXPECT_EQ(ChannelsPerFrame(-1), 0);
}

// ---- to format 6 (big-endian stereo) ----

TEST(SampleConversion, Unsigned8MonoWidensAcrossTheWholeRange) {
  auto result = SampleOf(SF_MONO8, {0, 128, 255})->Convert(SF_STEREO16BE);
  EXPECT_EQ(BytesOf(*result), (std::vector<uint8_t>{0x80, 0x00, 0x80, 0x00,    // -32768
                                                    0x00, 0x80, 0x00, 0x80,    // 128
                                                    0x7F, 0xFF, 0x7F, 0xFF})); // 32767
  EXPECT_EQ(result->length, 3);
  EXPECT_EQ(result->hertz, 22050);
}

TEST(SampleConversion, Mono16LittleEndianIsSwappedForBothSides) {
  auto result = SampleOf(SF_MONO16LE, {0x34, 0x12})->Convert(SF_STEREO16BE);
  EXPECT_EQ(BytesOf(*result), (std::vector<uint8_t>{0x12, 0x34, 0x12, 0x34}));
}

TEST(SampleConversion, Mono16BigEndianIsCopiedToBothSides) {
  auto result = SampleOf(SF_MONO16BE, {0x12, 0x34})->Convert(SF_STEREO16BE);
  EXPECT_EQ(BytesOf(*result), (std::vector<uint8_t>{0x12, 0x34, 0x12, 0x34}));
}

TEST(SampleConversion, Stereo8WidensEachSide) {
  auto result = SampleOf(SF_STEREO8, {255, 0})->Convert(SF_STEREO16BE);
  EXPECT_EQ(BytesOf(*result), (std::vector<uint8_t>{0x7F, 0xFF, 0x80, 0x00}));
}

TEST(SampleConversion, Stereo16LittleEndianSwapsEachSide) {
  auto result = SampleOf(SF_STEREO16LE, {0x01, 0x02, 0x03, 0x04})->Convert(SF_STEREO16BE);
  EXPECT_EQ(BytesOf(*result), (std::vector<uint8_t>{0x02, 0x01, 0x04, 0x03}));
}

// ---- from format 6 ----

TEST(SampleConversion, ToUnsigned8DividesBy257AndDropsTheRight) {
  // 128, -32768, 32767 and 0 on the left; the right side is noise.
  auto source = SampleOf(SF_STEREO16BE, {0x00, 0x80, 0x11, 0x11, 0x80, 0x00, 0x22, 0x22, 0x7F, 0xFF, 0x33, 0x33,
                                         0x00, 0x00, 0x44, 0x44});
  EXPECT_EQ(BytesOf(*source->Convert(SF_MONO8)), (std::vector<uint8_t>{128, 0, 255, 127}));
}

TEST(SampleConversion, ToMono16KeepsOnlyTheLeft) {
  auto source = SampleOf(SF_STEREO16BE, {0x12, 0x34, 0x56, 0x78});
  EXPECT_EQ(BytesOf(*source->Convert(SF_MONO16LE)), (std::vector<uint8_t>{0x34, 0x12}));
  EXPECT_EQ(BytesOf(*source->Convert(SF_MONO16BE)), (std::vector<uint8_t>{0x12, 0x34}));
}

TEST(SampleConversion, ToStereo8AndStereo16) {
  auto source = SampleOf(SF_STEREO16BE, {0x7F, 0xFF, 0x80, 0x00});
  EXPECT_EQ(BytesOf(*source->Convert(SF_STEREO8)), (std::vector<uint8_t>{255, 0}));
  EXPECT_EQ(BytesOf(*source->Convert(SF_STEREO16LE)), (std::vector<uint8_t>{0xFF, 0x7F, 0x00, 0x80}));
}

TEST(SampleConversion, Unsigned8Value128SurvivesTheRoundTrip) {
  auto wide = SampleOf(SF_MONO8, {128})->Convert(SF_STEREO16BE);
  EXPECT_EQ(BytesOf(*wide), (std::vector<uint8_t>{0x00, 0x80, 0x00, 0x80}));
  EXPECT_EQ(BytesOf(*wide->Convert(SF_MONO8)), (std::vector<uint8_t>{128}));
}

TEST(SampleConversion, StereoToMonoKeepsTheLeftChannel) {
  auto source = SampleOf(SF_STEREO16LE, {0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00});
  auto mono = source->Convert(SF_MONO16LE);
  EXPECT_EQ(mono->format, SF_MONO16LE);
  EXPECT_EQ(mono->length, 2);
  EXPECT_EQ(BytesOf(*mono), (std::vector<uint8_t>{0x01, 0x00, 0x03, 0x00}));
}

TEST(SampleConversion, ConversionsBetweenOtherFormatsGoThroughFormat6) {
  // Unsigned 8-bit to 16-bit little-endian: 0 becomes -32768, 255 becomes 32767.
  auto source = SampleOf(SF_MONO8, {0, 255});
  EXPECT_EQ(BytesOf(*source->Convert(SF_MONO16LE)), (std::vector<uint8_t>{0x00, 0x80, 0xFF, 0x7F}));
  EXPECT_EQ(BytesOf(*source->Convert(SF_STEREO8)), (std::vector<uint8_t>{0, 0, 255, 255}));
  // Big-endian mono to little-endian stereo.
  auto be = SampleOf(SF_MONO16BE, {0xAB, 0xCD});
  EXPECT_EQ(BytesOf(*be->Convert(SF_STEREO16LE)), (std::vector<uint8_t>{0xCD, 0xAB, 0xCD, 0xAB}));
}

TEST(SampleConversion, SameFormatIsACopy) {
  auto source = SampleOf(SF_MONO16LE, {1, 2, 3, 4});
  auto copy = source->Convert(SF_MONO16LE);
  EXPECT_NE(copy->samples, source->samples);
  EXPECT_EQ(BytesOf(*copy), BytesOf(*source));
}

TEST(SampleConversion, UnknownFormatsRaise) {
  auto source = SampleOf(SF_MONO16LE, {1, 2});
  try {
    source->Convert(7);
    FAIL() << "no error raised";
  } catch (const TRuntimeException& e) {
    EXPECT_EQ(e.ToString(), "Unimplemented sample format conversion");
  }
  EXPECT_THROW(source->Convert(SF_NONE), TRuntimeException);
  auto none = TAudioSample::Create(4, 44100, SF_NONE);
  EXPECT_THROW(none->Convert(SF_MONO16LE), TRuntimeException);
}

}  // namespace
