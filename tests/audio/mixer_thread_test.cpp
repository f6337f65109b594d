// The game thread and the mixing thread at full tilt: thousands of plays,
// pauses, volume changes and stops while another thread mixes. Run under
// ThreadSanitizer by `make test-tsan`; plainly it still checks that nothing
// is lost or left behind.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "audio_test_support.h"
#include "system/clock.h"

namespace {

TEST(MixerThreads, GameThreadAndMixerShareVoicesWithoutLocks) {
  SetTimeSource(nullptr);
  static TKorvaneAudioDriver driver("Korvane Thread Capture", [] { return std::make_unique<captureaudiodevice>(); });
  // The mixing thread pulls from the mixer directly, as a device would.
  ASSERT_EQ(SetAudioDriver("Korvane Thread Capture"), 1);
  mixer& m = KorvaneMixer();

  auto shot = LoadSound(Mono16(Constant(300, 2000)));
  auto loop = LoadSound(Stereo16({1000, -1000, 2000, -2000}), SOUND_LOOP);
  auto slow = LoadSound(Mono8(std::vector<uint8_t>(700, 200), 22050));

  std::atomic<bool> done{false};
  std::atomic<long> buffers{0};
  std::thread mixing([&] {
    int16_t out[512 * 2];
    while (!done.load(std::memory_order_acquire)) {
      m.mix(out, 512);
      buffers.fetch_add(1, std::memory_order_relaxed);
    }
  });

  auto music = AllocChannel();
  CueSound(loop, music);
  for (int i = 0; i < 4000; ++i) {
    auto channel = AllocChannel();
    SetChannelVolume(channel, 0.25f * static_cast<float>(i % 5));
    PlaySound(i % 3 == 0 ? slow : shot, channel);
    SetChannelPan(channel, i % 2 ? -0.5f : 0.75f);
    SetChannelRate(channel, 0.5f + 0.001f * static_cast<float>(i % 700));
    if (i % 4 == 0) PauseChannel(channel);
    if (i % 8 == 0) ResumeChannel(channel);
    if (i % 5 == 0) StopChannel(channel);
    ChannelPlaying(channel);
    PlaySound(shot);  // fire and forget
    if (i % 50 == 0) {
      ResumeChannel(music);
      SetChannelVolume(music, static_cast<float>(i % 100) / 100.0f);
      SetChannelDepth(music, i % 100 ? -1.0f : 1.0f);
    }
    if (i % 97 == 0) PauseChannel(music);
    if (i % 200 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  StopChannel(music);
  // Let the mixer drain every voice that can still end, then stop it.
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
  while (std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  done.store(true, std::memory_order_release);
  mixing.join();
  EXPECT_GT(buffers.load(), 0);
  // Voices are recycled, not made afresh for every play.
  EXPECT_LT(m.voice_count(), 8000u);
  ShutdownAudioDriver();
  EXPECT_EQ(m.voice_count(), 0u);
}

}  // namespace
