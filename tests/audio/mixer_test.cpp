// The mixer heard sample by sample through the capture device: start timing,
// ramps, the pan law, depth, resampling, looping, the life of channels and
// voices. Every expected value is worked out from the fixed-point rules.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <thread>

#include "system/clock.h"

#include "audio_test_support.h"

namespace {
using namespace std::chrono_literals;

int16_t L(const std::vector<int16_t>& out, int frame) { return out[static_cast<size_t>(frame) * 2]; }
int16_t R(const std::vector<int16_t>& out, int frame) { return out[static_cast<size_t>(frame) * 2 + 1]; }

std::vector<int16_t> Ramp(int n, int first, int step) {
  std::vector<int16_t> v;
  for (int i = 0; i < n; ++i) v.push_back(static_cast<int16_t>(first + i * step));
  return v;
}

int64_t PositionOf(const std::shared_ptr<TChannel>& channel) {
  auto* korvane = dynamic_cast<TKorvaneChannel*>(channel.get());
  return korvane ? korvane->Position() : -1;
}

using MixerStart = CaptureTest;
using MixerLevels = CaptureTest;
using MixerPlayback = CaptureTest;
using Channels = CaptureTest;

// ---- when a sound starts ----

TEST_F(MixerStart, PlayedTwentyMsOrMoreBeforeTheMixStartsOnItsFirstFrame) {
  auto sound = LoadSound(Mono16(Ramp(2000, 100, 10)));
  auto early = PlaySound(sound);
  SetTestTime(TestTime() + 30);
  auto out = Capture(512);
  EXPECT_EQ(L(out, 0), 100);
  EXPECT_EQ(R(out, 0), 100);
  EXPECT_EQ(L(out, 1), 110);
  EXPECT_EQ(L(out, 511), 100 + 511 * 10);
}

TEST_F(MixerStart, PickedUpFiveMsAfterThePlayStarts661FramesIn) {
  auto sound = LoadSound(Mono16(Ramp(2000, 100, 10)));
  auto channel = PlaySound(sound);
  SetTestTime(TestTime() + 5);
  // 15 ms at 44100 Hz is 661.5 frames, truncated; the delay spans two buffers.
  auto out = Capture(1024);
  for (int i = 0; i < 661; ++i) ASSERT_EQ(L(out, i), 0) << "frame " << i;
  EXPECT_EQ(L(out, 661), 100);
  EXPECT_EQ(R(out, 661), 100);
  EXPECT_EQ(L(out, 662), 110);
}

TEST_F(MixerStart, PickedUpAtOnceWaitsTheFull20Ms) {
  auto sound = LoadSound(Mono16(Ramp(2000, 100, 10)));
  auto channel = PlaySound(sound);
  auto out = Capture(1024);
  EXPECT_EQ(L(out, 881), 0);
  EXPECT_EQ(L(out, 882), 100);
}

TEST_F(MixerStart, DelayIsMeasuredAcrossTheClockWrap) {
  auto sound = LoadSound(Mono16(Ramp(2000, 100, 10)));
  SetTestTime(INT32_MAX - 2);
  auto channel = PlaySound(sound);
  SetTestTime(INT32_MIN + 2);  // five milliseconds later
  auto out = Capture(1024);
  EXPECT_EQ(L(out, 660), 0);
  EXPECT_EQ(L(out, 661), 100);
}

// ---- levels ----

TEST_F(MixerLevels, VolumeChangeRampsAcrossOneBuffer) {
  auto sound = LoadSound(Mono16(Constant(100, 16000)), SOUND_LOOP);
  auto channel = PlaySound(sound);
  SetTestTime(TestTime() + 20);
  auto full = Capture(512);
  EXPECT_EQ(L(full, 0), 16000);
  EXPECT_EQ(L(full, 511), 16000);

  SetChannelVolume(channel, 0.5f);
  auto ramp = Capture(512);
  // The volume falls by 4/4096 per frame: 4096, 4092, ... 2052.
  EXPECT_EQ(L(ramp, 0), 16000);
  EXPECT_EQ(L(ramp, 1), 15984);
  EXPECT_EQ(L(ramp, 256), 12000);
  EXPECT_EQ(L(ramp, 511), 8015);
  EXPECT_EQ(R(ramp, 511), 8015);
  for (int i = 1; i < 512; ++i) ASSERT_LE(L(ramp, i), L(ramp, i - 1));

  auto half = Capture(512);
  EXPECT_EQ(L(half, 0), 8000);
  EXPECT_EQ(L(half, 511), 8000);
}

TEST_F(MixerLevels, PanLaw) {
  auto sound = LoadSound(Mono16(Constant(100, 16000)), SOUND_LOOP);
  auto right = AllocChannel();
  SetChannelPan(right, 1.0f);
  PlaySound(sound, right);
  SetTestTime(TestTime() + 20);
  auto out = Capture(512);
  EXPECT_EQ(L(out, 0), 0);
  EXPECT_EQ(R(out, 0), 16000);
  EXPECT_EQ(L(out, 300), 0);
  EXPECT_EQ(R(out, 300), 16000);
  StopChannel(right);

  auto centre = AllocChannel();
  SetChannelPan(centre, 0.0f);
  PlaySound(sound, centre);
  SetTestTime(TestTime() + 20);
  out = Capture(512);
  EXPECT_EQ(L(out, 0), 16000);
  EXPECT_EQ(R(out, 0), 16000);
  StopChannel(centre);

  auto half_left = AllocChannel();
  SetChannelPan(half_left, -0.5f);
  PlaySound(sound, half_left);
  SetTestTime(TestTime() + 20);
  out = Capture(512);
  EXPECT_EQ(L(out, 0), 16000);
  EXPECT_EQ(R(out, 0), 8000);
}

TEST_F(MixerLevels, NegativeDepthInvertsTheRightChannel) {
  auto sound = LoadSound(Mono16(Constant(100, 12000)), SOUND_LOOP);
  auto channel = AllocChannel();
  SetChannelDepth(channel, -0.5f);
  PlaySound(sound, channel);
  SetTestTime(TestTime() + 20);
  auto out = Capture(512);
  EXPECT_EQ(L(out, 10), 12000);
  EXPECT_EQ(R(out, 10), -12000);

  SetChannelDepth(channel, 0.25f);
  out = Capture(512);
  EXPECT_EQ(R(out, 10), 12000);
}

TEST_F(MixerLevels, VolumeSetBeforeTheFirstPlayHoldsFromTheFirstSample) {
  auto sound = LoadSound(Mono16(Constant(1000, 16000)));
  auto channel = AllocChannel();
  SetChannelVolume(channel, 0.5f);
  EXPECT_EQ(PlaySound(sound, channel), channel);
  SetTestTime(TestTime() + 20);
  auto out = Capture(512);
  EXPECT_EQ(L(out, 0), 8000);
  EXPECT_EQ(R(out, 0), 8000);
  EXPECT_EQ(L(out, 511), 8000);
}

TEST_F(MixerLevels, OutputIsClampedTo16Bits) {
  auto loud = LoadSound(Mono16(Constant(100, 30000)), SOUND_LOOP);
  auto low = LoadSound(Stereo16({-30000, 30000}), SOUND_LOOP);
  auto a = PlaySound(loud);
  auto b = PlaySound(loud);
  auto c = PlaySound(low);
  auto d = PlaySound(low);
  auto e = PlaySound(low);
  SetTestTime(TestTime() + 20);
  auto out = Capture(512);
  // Left: 60000 - 90000; right: 60000 + 90000.
  EXPECT_EQ(L(out, 0), -30000);
  EXPECT_EQ(R(out, 0), 32767);
  StopChannel(c);
  StopChannel(d);
  StopChannel(e);
  SetChannelVolume(a, -1.0f);
  SetChannelVolume(b, -1.0f);
  Capture(512);
  out = Capture(512);
  EXPECT_EQ(L(out, 0), -32768);
}

TEST_F(MixerLevels, SilentVoiceKeepsTimeAndFinishes) {
  auto sound = LoadSound(Mono16(Constant(600, 9000)));
  auto channel = AllocChannel();
  SetChannelVolume(channel, 0.0f);
  PlaySound(sound, channel);
  SetTestTime(TestTime() + 20);
  auto out = Capture(512);
  EXPECT_EQ(L(out, 0), 0);
  EXPECT_EQ(ChannelPlaying(channel), 1);
  EXPECT_EQ(PositionOf(channel), 512);
  Capture(512);
  EXPECT_EQ(ChannelPlaying(channel), 0);
}

// ---- resampling, formats and looping ----

TEST_F(MixerPlayback, HalfRateSampleAdvancesHalfAFramePerOutputFrame) {
  auto sound = LoadSound(Mono16(Ramp(1000, 0, 100), 22050));
  auto channel = PlaySound(sound);
  SetTestTime(TestTime() + 20);
  auto out = Capture(512);
  for (int k = 0; k < 512; ++k) {
    int expected = (k / 2) * 100 + (k % 2 ? 50 : 0);
    ASSERT_EQ(L(out, k), expected) << "frame " << k;
  }
  EXPECT_EQ(PositionOf(channel), 256);
}

TEST_F(MixerPlayback, EightBitDataIsCentredAndInterpolated) {
  auto sound = LoadSound(Mono8({0, 255}, 22050));
  auto channel = PlaySound(sound);
  SetTestTime(TestTime() + 20);
  auto out = Capture(512);
  EXPECT_EQ(L(out, 0), -32768);
  EXPECT_EQ(L(out, 1), -128);   // halfway: 0 + 255 * 0x8000 / 256 - 0x8000
  EXPECT_EQ(L(out, 2), 32512);  // 255 * 256 - 0x8000
  EXPECT_EQ(L(out, 3), 32512);  // the guard frame repeats the last one
  EXPECT_EQ(L(out, 4), 0);      // ended after two frames
}

TEST_F(MixerPlayback, StereoDataFeedsEachSideFromItsOwnChannel) {
  auto sound = LoadSound(Stereo16({1000, -2000, 3000, -4000}, 22050), SOUND_LOOP);
  auto channel = PlaySound(sound);
  SetTestTime(TestTime() + 20);
  auto out = Capture(512);
  EXPECT_EQ(L(out, 0), 1000);
  EXPECT_EQ(R(out, 0), -2000);
  EXPECT_EQ(L(out, 1), 2000);   // halfway between the two frames
  EXPECT_EQ(R(out, 1), -3000);
  EXPECT_EQ(L(out, 2), 3000);
  EXPECT_EQ(R(out, 2), -4000);
  EXPECT_EQ(L(out, 3), 2000);   // the guard frame is the first frame again
  EXPECT_EQ(L(out, 4), 1000);
}

TEST_F(MixerPlayback, BigEndianSamplesAreConvertedBeforeMixing) {
  auto sample = TAudioSample::Create(2, 44100, SF_MONO16BE);
  // 1000 = 0x03E8 and -1000 = 0xFC18, high byte first.
  const uint8_t bytes[] = {0x03, 0xE8, 0xFC, 0x18};
  std::copy(bytes, bytes + 4, sample->samples);
  auto sound = LoadSound(sample, SOUND_LOOP);
  auto channel = PlaySound(sound);
  SetTestTime(TestTime() + 20);
  auto out = Capture(512);
  EXPECT_EQ(L(out, 0), 1000);
  EXPECT_EQ(L(out, 1), -1000);
}

TEST_F(MixerPlayback, LoopingOneFrameSoundPlaysItsFrameContinuously) {
  auto sound = LoadSound(Mono16({12345}), SOUND_LOOP);
  auto channel = PlaySound(sound);
  SetTestTime(TestTime() + 20);
  auto out = Capture(2048);
  for (int k = 0; k < 2048; ++k) ASSERT_EQ(L(out, k), 12345) << "frame " << k;
  EXPECT_EQ(PositionOf(channel), 2048);
  // Between positions the guard frame is the frame itself.
  SetChannelRate(channel, 0.37f);
  Capture(512);
  out = Capture(512);
  for (int k = 0; k < 512; ++k) ASSERT_EQ(L(out, k), 12345) << "frame " << k;
  EXPECT_EQ(ChannelPlaying(channel), 1);
}

TEST_F(MixerPlayback, PositionCountsEveryPassOfALoop) {
  auto sound = LoadSound(Mono16(Ramp(100, 0, 1)), SOUND_LOOP);
  auto channel = PlaySound(sound);
  SetTestTime(TestTime() + 20);
  auto out = Capture(1024);
  EXPECT_EQ(L(out, 99), 99);
  EXPECT_EQ(L(out, 100), 0);
  EXPECT_EQ(L(out, 1023), 23);
  EXPECT_EQ(PositionOf(channel), 1024);
}

TEST_F(MixerPlayback, RateChangeRampsTheStepAcrossOneBuffer) {
  auto sound = LoadSound(Mono16(Constant(100000, 1000)), SOUND_LOOP);
  auto channel = PlaySound(sound);
  SetTestTime(TestTime() + 20);
  Capture(512);
  EXPECT_EQ(PositionOf(channel), 512);
  SetChannelRate(channel, 2.0f);
  Capture(512);
  // Steps 1, 1 + 1/512, ... 1 + 511/512: 767.5 frames.
  EXPECT_EQ(PositionOf(channel), 512 + 767);
  Capture(512);
  EXPECT_EQ(PositionOf(channel), 512 + 767 + 1024);
}

TEST_F(MixerPlayback, PausedVoiceHoldsItsPlace) {
  auto sound = LoadSound(Mono16(Ramp(5000, 0, 1)), SOUND_LOOP);
  auto channel = PlaySound(sound);
  SetTestTime(TestTime() + 20);
  Capture(512);
  PauseChannel(channel);
  auto out = Capture(1024);
  EXPECT_EQ(L(out, 0), 0);
  EXPECT_EQ(L(out, 1000), 0);
  EXPECT_EQ(PositionOf(channel), 512);
  ResumeChannel(channel);
  out = Capture(512);
  EXPECT_EQ(L(out, 0), 512);
}

// ---- channels and voices ----

TEST_F(Channels, CueThenResume) {
  auto music = LoadSound(Mono16(Constant(100, 5000)), SOUND_LOOP);
  auto channel = AllocChannel();
  EXPECT_EQ(CueSound(music, channel), channel);
  EXPECT_EQ(ChannelPlaying(channel), 0);
  SetTestTime(TestTime() + 20);
  auto out = Capture(512);
  EXPECT_EQ(L(out, 0), 0);
  ResumeChannel(channel);
  EXPECT_EQ(ChannelPlaying(channel), 1);
  out = Capture(512);
  EXPECT_EQ(L(out, 0), 5000);
  PauseChannel(channel);
  EXPECT_EQ(ChannelPlaying(channel), 0);
}

TEST_F(Channels, PlayingOnAChannelCutsTheOldSoundOff) {
  auto a = LoadSound(Mono16(Constant(100, 1000)), SOUND_LOOP);
  auto b = LoadSound(Mono16(Constant(100, 2000)), SOUND_LOOP);
  auto channel = AllocChannel();
  PlaySound(a, channel);
  SetTestTime(TestTime() + 20);
  EXPECT_EQ(L(Capture(512), 0), 1000);
  EXPECT_EQ(PlaySound(b, channel), channel);
  // The old sound stops at once; the new one waits its 20 ms.
  auto out = Capture(512);
  EXPECT_EQ(L(out, 0), 0);
  EXPECT_EQ(L(out, 511), 0);
  // The delay was fixed when the mixer picked the sound up: 882 - 512 left.
  out = Capture(512);
  EXPECT_EQ(L(out, 369), 0);
  EXPECT_EQ(L(out, 370), 2000);
  EXPECT_EQ(ChannelPlaying(channel), 1);
}

TEST_F(Channels, LoopKeepsPlayingOneShotEnds) {
  auto loop = LoadSound(Mono16(Constant(50, 100)), SOUND_LOOP);
  auto shot = LoadSound(Mono16(Constant(50, 100)));
  auto looping = PlaySound(loop);
  auto once = PlaySound(shot);
  EXPECT_EQ(ChannelPlaying(once), 1);
  SetTestTime(TestTime() + 20);
  for (int i = 0; i < 8; ++i) Capture(512);
  EXPECT_EQ(ChannelPlaying(looping), 1);
  EXPECT_EQ(ChannelPlaying(once), 0);
  StopChannel(looping);
  EXPECT_EQ(ChannelPlaying(looping), 0);
}

TEST_F(Channels, StopThenPlayGivesANewChannelObject) {
  auto sound = LoadSound(Mono16(Constant(100, 3000)), SOUND_LOOP);
  auto channel = AllocChannel();
  EXPECT_EQ(PlaySound(sound, channel), channel);
  StopChannel(channel);
  EXPECT_EQ(ChannelPlaying(channel), 0);
  auto fresh = PlaySound(sound, channel);
  ASSERT_NE(fresh, nullptr);
  EXPECT_NE(fresh, channel);
  EXPECT_EQ(ChannelPlaying(fresh), 1);
  EXPECT_EQ(ChannelPlaying(channel), 0);
  EXPECT_EQ(dynamic_cast<TKorvaneChannel&>(*channel).kv_channel, 0);
  SetChannelVolume(channel, 0.0f);  // the dead object changes nothing
  SetTestTime(TestTime() + 20);
  EXPECT_EQ(L(Capture(512), 0), 3000);
}

TEST_F(Channels, DroppedChannelPlaysOnToItsEndAndIsRecycled) {
  auto sound = LoadSound(Mono16(Constant(1000, 8000)));
  auto channel = AllocChannel();
  SetChannelVolume(channel, 0.5f);
  PlaySound(sound, channel);
  channel.reset();
  SetTestTime(TestTime() + 20);
  auto out = Capture(1024);
  EXPECT_EQ(L(out, 0), 4000);
  EXPECT_EQ(L(out, 999), 4000);
  EXPECT_EQ(L(out, 1000), 0);
  size_t voices = KorvaneMixer().voice_count();
  // Each later sound takes the recycled voice instead of a new one.
  for (int i = 0; i < 5; ++i) {
    PlaySound(sound);
    SetTestTime(TestTime() + 20);
    Capture(1024);
  }
  EXPECT_EQ(KorvaneMixer().voice_count(), voices);
  // A paused sound whose channel is dropped can never be resumed: it goes too.
  auto loop = LoadSound(Mono16(Constant(100, 2000)), SOUND_LOOP);
  for (int i = 0; i < 5; ++i) {
    auto paused = AllocChannel();
    CueSound(loop, paused);
    SetTestTime(TestTime() + 20);
    Capture(512);
    paused.reset();
    EXPECT_EQ(L(Capture(512), 0), 0);
  }
  EXPECT_EQ(KorvaneMixer().voice_count(), voices);
}

TEST_F(Channels, ASoundDecodedInTheBackgroundPlaysAsOneLoadedAtOnce) {
  std::vector<int16_t> values(600);
  for (int i = 0; i < 600; ++i) values[static_cast<size_t>(i)] = static_cast<int16_t>(i * 37 - 9000);
  const auto* bytes = reinterpret_cast<const uint8_t*>(values.data());
  const std::vector<uint8_t> wav = MakeWav(1, 1, 44100, 16, std::vector<uint8_t>(bytes, bytes + 1200));
  const std::string path = TestFilePath("background.wav"), garbage = TestFilePath("background.bin");
  WriteFile(path, wav);
  WriteFile(garbage, std::vector<uint8_t>(5000, 0x5A));
  // A file that cannot be opened is none at once; one that does not decode is a sound that plays nothing.
  EXPECT_EQ(LoadSoundInBackground(TestFilePath("no-such.wav")), nullptr);
  auto broken = LoadSoundInBackground(garbage);
  ASSERT_NE(broken, nullptr);
  EXPECT_EQ(PlaySound(broken), nullptr);
  EXPECT_EQ(CueSound(broken, AllocChannel()), nullptr);
  // The background one still decoding when cued: the cue waits for it.
  struct SlowStream : TMemoryStream {
    using TMemoryStream::TMemoryStream;
    int Read(void* to, int n) override { return std::this_thread::sleep_for(2ms), TMemoryStream::Read(to, n); }
  };
  auto slow = std::make_shared<SlowStream>(wav);
  std::vector<std::vector<int16_t>> heard;
  for (const auto& sound : {LoadSound(path), LoadSoundInBackground(slow)}) {
    auto channel = AllocChannel();
    EXPECT_EQ(CueSound(sound, channel), channel);
    ResumeChannel(channel);
    SetTestTime(TestTime() + 20);
    heard.push_back(Capture(1024));
  }
  EXPECT_EQ(L(heard[1], 599), 599 * 37 - 9000);
  EXPECT_EQ(L(heard[1], 600), 0);
  EXPECT_EQ(heard[0], heard[1]);
}

TEST_F(Channels, ChannelFromAnotherDriverIsRefused) {
  auto sound = LoadSound(Mono16(Constant(10, 1)));
  auto foreign = std::make_shared<TChannel>();
  EXPECT_EQ(PlaySound(sound, foreign), nullptr);
  EXPECT_EQ(CueSound(sound, foreign), nullptr);
}

TEST_F(Channels, HandlesCarryGenerationsSoStaleOnesAreIgnored) {
  mixer& m = KorvaneMixer();
  int32_t first = m.allocate_channel();
  // Entry 1 first; generations are multiples of 4096 and never 0.
  EXPECT_EQ(first & 4095, 1);
  EXPECT_GE(first, 8192);
  EXPECT_EQ(first % 4096, 1);
  m.free_channel(first);
  int32_t again = m.allocate_channel();
  EXPECT_EQ(again, first + 4096);  // last in, first out, one generation on
  auto sound = LoadSound(Mono16(Constant(100, 4000)), SOUND_LOOP);
  EXPECT_EQ(m.play(dynamic_cast<TKorvaneSound&>(*sound).kv_sound, false, again), again);
  m.set_volume(first, 0.0f);
  m.stop(first);
  EXPECT_EQ(m.status(first), 0);
  EXPECT_EQ(m.status(again), VOICE_LOOPED);
  SetTestTime(TestTime() + 20);
  EXPECT_EQ(L(Capture(512), 0), 4000);
}

TEST_F(Channels, AllHandlesInUse) {
  std::vector<std::shared_ptr<TChannel>> taken;
  for (int i = 0; i < 4095; ++i) {
    taken.push_back(AllocChannel());
    ASSERT_NE(taken.back(), nullptr) << i;
  }
  EXPECT_EQ(AllocChannel(), nullptr);
  // Without a handle the sound still plays, unattached.
  auto sound = LoadSound(Mono16(Constant(100, 700)));
  EXPECT_EQ(PlaySound(sound), nullptr);
  SetTestTime(TestTime() + 20);
  EXPECT_EQ(L(Capture(512), 0), 700);
  taken.pop_back();
  EXPECT_NE(AllocChannel(), nullptr);
}

}  // namespace

namespace {

TEST(MixerCore, LargerRequestsAreMixedABufferAtATime) {
  mixer m;
  ASSERT_TRUE(m.start(std::make_unique<captureaudiodevice>(256)));
  std::vector<int16_t> values;
  for (int i = 0; i < 1000; ++i) values.push_back(static_cast<int16_t>(i));
  auto buffer = mixer::create_sound(1000, 16, 1, 44100, values.data(), false);
  // Queued long enough ago to start at once.
  SetTimeSource(nullptr);
  m.play(buffer, false, 0);
  Delay(25);
  std::vector<int16_t> out(700 * 2, -1);
  m.mix(out.data(), 700);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[2 * 256], 256);
  EXPECT_EQ(out[2 * 699 + 1], 699);
  m.close();
}

TEST(MixerCore, StoppedMixerIgnoresEverything) {
  mixer m;
  EXPECT_EQ(m.allocate_channel(), 0);
  auto buffer = mixer::create_sound(10, 16, 1, 44100, nullptr, false);
  EXPECT_EQ(m.play(buffer, false, 0), 0);
  EXPECT_EQ(m.status(8193), 0);
  m.set_volume(8193, 1.0f);
  m.free_channel(8193);
}

TEST(MixerCore, SampleBuffersCarryAGuardFrame) {
  const int16_t frames[] = {1, 2, 3, 4, 5, 6};
  auto once = mixer::create_sound(3, 16, 2, 44100, frames, false);
  ASSERT_NE(once, nullptr);
  EXPECT_EQ(once->framebytes, 4);
  EXPECT_EQ(once->bytesize, 12);
  const auto* data = reinterpret_cast<const int16_t*>(once->data);
  EXPECT_EQ(data[6], 5);  // the last frame again
  EXPECT_EQ(data[7], 6);
  auto looped = mixer::create_sound(3, 16, 2, 44100, frames, true);
  data = reinterpret_cast<const int16_t*>(looped->data);
  EXPECT_EQ(data[6], 1);  // the first frame again
  EXPECT_EQ(data[7], 2);
  EXPECT_EQ(looped->loop, -1);
  EXPECT_EQ(mixer::create_sound(3, 16, 3, 44100, frames, false), nullptr);
  EXPECT_EQ(mixer::create_sound(3, 12, 1, 44100, frames, false), nullptr);
  EXPECT_EQ(mixer::create_sound(3, 16, 1, 0, frames, false), nullptr);
}

}  // namespace
