// Benchmarks for the sound path: how many output frames the mixer makes per
// second with 1, 16 and 64 voices of 16-bit stereo, at constant settings and
// while every voice ramps; the game's usual load (music and eight effects) as
// a share of one core; and decoding the music file the game loads at start.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "audio/capture/capture_audio_device.h"
#include "audio/mixer.h"
#include "audio/sample_loader.h"

namespace {

constexpr int kFragment = 512;

// A second of stereo noise-like data, so interpolation reads real values.
std::shared_ptr<samplebuffer> StereoLoop() {
  std::vector<int16_t> data(44100 * 2);
  uint32_t x = 12345;
  for (auto& v : data) {
    x = x * 1103515245u + 12345u;
    v = static_cast<int16_t>(x >> 16);
  }
  return mixer::create_sound(44100, 16, 2, 44100, data.data(), true);
}

std::shared_ptr<samplebuffer> MonoEffect() {
  std::vector<int16_t> data(22050);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<int16_t>((i * 37) % 20000 - 10000);
  return mixer::create_sound(22050, 16, 1, 22050, data.data(), true);
}

// Plays `voices` voices and mixes past their 20 ms start delay.
void Prime(mixer& m, const std::shared_ptr<samplebuffer>& buffer, int voices, std::vector<int32_t>& handles,
           float rate = 1.0f) {
  for (int i = 0; i < voices; ++i) {
    int32_t handle = m.allocate_channel();
    m.set_rate(handle, rate + 0.01f * static_cast<float>(i % 7));
    m.set_pan(handle, static_cast<float>(i % 5) * 0.4f - 0.8f);
    m.play(buffer, false, handle);
    handles.push_back(handle);
  }
  int16_t out[kFragment * 2];
  for (int i = 0; i < 4; ++i) m.mix(out, kFragment);
}

void BM_MixConstant(benchmark::State& state) {
  mixer m;
  m.start(std::make_unique<captureaudiodevice>(kFragment));
  std::vector<int32_t> handles;
  Prime(m, StereoLoop(), static_cast<int>(state.range(0)), handles);
  int16_t out[kFragment * 2];
  for (auto _ : state) {
    m.mix(out, kFragment);
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations() * kFragment);
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kFragment), benchmark::Counter::kIsRate);
  m.close();
}
BENCHMARK(BM_MixConstant)->Arg(1)->Arg(16)->Arg(64);

void BM_MixRamping(benchmark::State& state) {
  mixer m;
  m.start(std::make_unique<captureaudiodevice>(kFragment));
  std::vector<int32_t> handles;
  Prime(m, StereoLoop(), static_cast<int>(state.range(0)), handles);
  int16_t out[kFragment * 2];
  bool up = false;
  for (auto _ : state) {
    // Every buffer glides volume and rate on every voice.
    up = !up;
    for (int32_t handle : handles) {
      m.set_volume(handle, up ? 1.0f : 0.5f);
      m.set_rate(handle, up ? 1.0f : 1.05f);
    }
    m.mix(out, kFragment);
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations() * kFragment);
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kFragment), benchmark::Counter::kIsRate);
  m.close();
}
BENCHMARK(BM_MixRamping)->Arg(1)->Arg(16)->Arg(64);

// Music plus eight effects: the share of one core spent mixing in real time
// is the time per buffer times 44100 / 512 buffers a second.
void BM_MixGameLoad(benchmark::State& state) {
  mixer m;
  m.start(std::make_unique<captureaudiodevice>(kFragment));
  std::vector<int32_t> music, effects;
  Prime(m, StereoLoop(), 1, music);
  Prime(m, MonoEffect(), 8, effects, 1.0f);
  int16_t out[kFragment * 2];
  for (auto _ : state) {
    m.mix(out, kFragment);
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations() * kFragment);
  // Inverted per-iteration rate: seconds per buffer, scaled to percent of a
  // core at 44100 / 512 buffers a second.
  state.counters["core %"] = benchmark::Counter(kFragment / (44100.0 * 100.0),
                                                benchmark::Counter::kIsIterationInvariantRate |
                                                    benchmark::Counter::kInvert);
  m.close();
}
BENCHMARK(BM_MixGameLoad);

// song3.ogg: $GLOOMFALL_SONG, else the data folder next to this build's bench/.
std::string SongPath() {
  if (const char* env = std::getenv("GLOOMFALL_SONG")) return env;
  std::error_code error;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  for (auto candidate : {exe.parent_path().parent_path() / "data" / "song3.ogg",
                         std::filesystem::path("data") / "song3.ogg", std::filesystem::path("song3.ogg")}) {
    if (std::filesystem::exists(candidate, error)) return candidate.string();
  }
  return {};
}

void BM_DecodeSong3(benchmark::State& state) {
  std::string path = SongPath();
  if (path.empty()) {
    state.SkipWithError("song3.ogg not found (build the data target or set GLOOMFALL_SONG)");
    return;
  }
  int frames = 0;
  for (auto _ : state) {
    auto sample = LoadAudioSample(path);
    if (!sample) {
      state.SkipWithError("song3.ogg did not decode");
      return;
    }
    frames = sample->length;
    benchmark::DoNotOptimize(sample->samples);
  }
  state.counters["frames"] = frames;
  state.counters["seconds of music"] = frames / 44100.0;
}
BENCHMARK(BM_DecodeSong3)->Unit(benchmark::kMillisecond);

}  // namespace
