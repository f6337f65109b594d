// Shared helpers for the audio tests: a hand-driven clock, a Korvane driver
// on a capture device, small samples with known contents, and writers for
// OGG and WAV files placed in the build folder.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "audio/capture/capture_audio_device.h"
#include "audio/korvane_driver.h"

// The test clock. Tests move it with SetTestTime().
void SetTestTime(int32_t ms);
int32_t TestTime();

// A fixture whose current driver is "Korvane Capture": the Korvane mixer on a
// capture device, with the millisecond clock under the test's control.
class CaptureTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Mixes frames at the current test time; interleaved left, right.
  std::vector<int16_t> Capture(int frames);
  static captureaudiodevice* device();
};

// A mono 16-bit sample holding the given values.
std::shared_ptr<TAudioSample> Mono16(const std::vector<int16_t>& values, int hertz = 44100);
// A stereo 16-bit sample, values interleaved left, right.
std::shared_ptr<TAudioSample> Stereo16(const std::vector<int16_t>& values, int hertz = 44100);
// A mono 8-bit sample.
std::shared_ptr<TAudioSample> Mono8(const std::vector<uint8_t>& bytes, int hertz = 44100);
// n copies of one value.
std::vector<int16_t> Constant(int n, int16_t value);

// A path under the build folder for files the tests write.
std::string TestFilePath(const std::string& name);
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFile(const std::string& path);

// OGG Vorbis bytes of `frames` frames of a sine tone at the rate and channel
// count, with the given stream serial number.
std::vector<uint8_t> EncodeOgg(int channels, int hertz, int frames, int serial = 1);

// A RIFF WAVE file; `extra` chunks (tag + bytes) go between "fmt " and "data".
struct WavChunk {
  std::string tag;
  std::vector<uint8_t> bytes;
};
std::vector<uint8_t> MakeWav(int tag, int channels, int hertz, int bits, const std::vector<uint8_t>& data,
                             const std::vector<WavChunk>& extra = {}, int declared_data_length = -1);
