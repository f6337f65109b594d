// The helpers behind audio_test_support.h. The OGG writer drives libvorbisenc
// directly so that the decoder is tested on genuine encoder output.
#include "audio_test_support.h"

#include <vorbis/vorbisenc.h>

#include <atomic>
#include <cmath>
#include <numbers>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "system/clock.h"

namespace {
std::atomic<int32_t> g_test_time{100000};
int32_t TestClock() { return g_test_time.load(); }
captureaudiodevice* g_capture = nullptr;

std::shared_ptr<TAudioSample> FromBytes(const void* data, int length, int hertz, int format) {
  auto sample = TAudioSample::Create(length, hertz, format);
  std::memcpy(sample->samples, data, static_cast<size_t>(sample->ByteCount()));
  return sample;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutTag(std::vector<uint8_t>& out, const std::string& tag) { out.insert(out.end(), tag.begin(), tag.end()); }
}  // namespace

void SetTestTime(int32_t ms) { g_test_time.store(ms); }
int32_t TestTime() { return g_test_time.load(); }

void CaptureTest::SetUp() {
  SetTestTime(100000);
  SetTimeSource(&TestClock);
  static TKorvaneAudioDriver driver("Korvane Capture", [] {
    auto device = std::make_unique<captureaudiodevice>();
    g_capture = device.get();
    return device;
  });
  ASSERT_EQ(SetAudioDriver("Korvane Capture"), 1);
}

void CaptureTest::TearDown() {
  ShutdownAudioDriver();
  g_capture = nullptr;
  SetTimeSource(nullptr);
}

std::vector<int16_t> CaptureTest::Capture(int frames) { return g_capture ? g_capture->Capture(frames) : std::vector<int16_t>{}; }
captureaudiodevice* CaptureTest::device() { return g_capture; }

std::shared_ptr<TAudioSample> Mono16(const std::vector<int16_t>& values, int hertz) {
  return FromBytes(values.data(), static_cast<int>(values.size()), hertz, SF_MONO16LE);
}
std::shared_ptr<TAudioSample> Stereo16(const std::vector<int16_t>& values, int hertz) {
  return FromBytes(values.data(), static_cast<int>(values.size() / 2), hertz, SF_STEREO16LE);
}
std::shared_ptr<TAudioSample> Mono8(const std::vector<uint8_t>& bytes, int hertz) {
  return FromBytes(bytes.data(), static_cast<int>(bytes.size()), hertz, SF_MONO8);
}
std::vector<int16_t> Constant(int n, int16_t value) { return std::vector<int16_t>(static_cast<size_t>(n), value); }

std::string TestFilePath(const std::string& name) {
  std::filesystem::path dir = std::filesystem::path(GLOOMFALL_BUILD_DIR) / "test-output" / "audio";
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> EncodeOgg(int channels, int hertz, int frames, int serial) {
  std::vector<uint8_t> out;
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, channels, hertz, 0.4f) != 0) {
    vorbis_info_clear(&vi);
    return out;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block vb;
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, serial);
  ogg_page og;
  ogg_packet op;

  auto flush_pages = [&](bool force) {
    while (force ? ogg_stream_flush(&os, &og) : ogg_stream_pageout(&os, &og)) {
      out.insert(out.end(), og.header, og.header + og.header_len);
      out.insert(out.end(), og.body, og.body + og.body_len);
    }
  };

  ogg_packet header, header_comm, header_code;
  vorbis_analysis_headerout(&vd, &vc, &header, &header_comm, &header_code);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &header_comm);
  ogg_stream_packetin(&os, &header_code);
  flush_pages(true);

  int written = 0;
  while (true) {
    int chunk = std::min(1024, frames - written);
    if (chunk > 0) {
      float** buffer = vorbis_analysis_buffer(&vd, chunk);
      for (int i = 0; i < chunk; ++i) {
        double t = static_cast<double>(written + i) / hertz;
        for (int c = 0; c < channels; ++c) {
          buffer[c][i] = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * (440.0 + 220.0 * c) * t));
        }
      }
      vorbis_analysis_wrote(&vd, chunk);
      written += chunk;
    } else {
      vorbis_analysis_wrote(&vd, 0);
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        flush_pages(false);
      }
    }
    if (chunk <= 0) break;
  }
  flush_pages(true);

  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

std::vector<uint8_t> MakeWav(int tag, int channels, int hertz, int bits, const std::vector<uint8_t>& data,
                             const std::vector<WavChunk>& extra, int declared_data_length) {
  std::vector<uint8_t> body;
  PutTag(body, "WAVE");
  PutTag(body, "fmt ");
  PutU32(body, 16);
  PutU16(body, static_cast<uint16_t>(tag));
  PutU16(body, static_cast<uint16_t>(channels));
  PutU32(body, static_cast<uint32_t>(hertz));
  PutU32(body, static_cast<uint32_t>(hertz * channels * bits / 8));
  PutU16(body, static_cast<uint16_t>(channels * bits / 8));
  PutU16(body, static_cast<uint16_t>(bits));
  for (const WavChunk& chunk : extra) {
    PutTag(body, chunk.tag);
    PutU32(body, static_cast<uint32_t>(chunk.bytes.size()));
    body.insert(body.end(), chunk.bytes.begin(), chunk.bytes.end());
    if (chunk.bytes.size() % 2) body.push_back(0);  // RIFF's pad byte
  }
  PutTag(body, "data");
  PutU32(body, static_cast<uint32_t>(declared_data_length >= 0 ? declared_data_length : static_cast<int>(data.size())));
  body.insert(body.end(), data.begin(), data.end());
  std::vector<uint8_t> file;
  PutTag(file, "RIFF");
  PutU32(file, static_cast<uint32_t>(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}
