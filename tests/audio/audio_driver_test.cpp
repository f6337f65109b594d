// Choosing the audio driver: the registry's order and names, the silent fall
// back to "Null" when no output opens, the Null driver's do-nothing sounds,
// and the real SDL device (SDL's dummy driver under test) feeding the mixer.
#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "audio_test_support.h"
#include "system/background.h"

namespace {

int IndexOf(const std::vector<std::string>& names, const std::string& name) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return static_cast<int>(i);
  }
  return -1;
}

class AudioDrivers : public ::testing::Test {
 protected:
  void TearDown() override { ShutdownAudioDriver(); }
};

TEST_F(AudioDrivers, NewestRegisteredDriverIsFoundFirst) {
  std::vector<std::string> names = ::AudioDrivers();
  int korvane = IndexOf(names, "Korvane");
  int multimedia = IndexOf(names, "Korvane Multimedia");
  int null = IndexOf(names, "Null");
  ASSERT_GE(korvane, 0);
  EXPECT_LT(korvane, multimedia);
  EXPECT_LT(multimedia, null);
  EXPECT_EQ(null, static_cast<int>(names.size()) - 1);

  TAudioDriver extra;  // a second "Null", newest of all
  names = ::AudioDrivers();
  EXPECT_EQ(names.front(), "Null");
  EXPECT_EQ(IndexOf(names, "Korvane"), korvane + 1);
}

TEST_F(AudioDrivers, NamesMatchIgnoringTheCaseOfLetters) {
  EXPECT_EQ(AudioDriverExists("KORVANE"), 1);
  EXPECT_EQ(AudioDriverExists("korvane multimedia"), 1);
  EXPECT_EQ(AudioDriverExists("Korvane "), 0);
  EXPECT_EQ(AudioDriverExists("OpenAL"), 0);
  EXPECT_EQ(SetAudioDriver("null"), 1);
  EXPECT_EQ(AudioDriver().Name(), "Null");
}

TEST_F(AudioDrivers, UnknownNameLeavesNullCurrent) {
  EXPECT_EQ(SetAudioDriver("DirectSound"), 0);
  EXPECT_EQ(CurrentAudioDriver()->Name(), "Null");
}

// A driver that counts its start-ups and starts or not as told.
class CountingDriver : public TAudioDriver {
 public:
  CountingDriver(std::string name, int starts) : name_(std::move(name)), starts_(starts) {}
  std::string Name() override { return name_; }
  int Startup() override {
    ++startups;
    return starts_;
  }
  int startups = 0;

 private:
  std::string name_;
  int starts_;
};

TEST_F(AudioDrivers, OnlyTheFirstMatchIsTried) {
  CountingDriver working("Twin Driver", 1);
  CountingDriver broken("Twin Driver", 0);  // newer, so found first
  EXPECT_EQ(SetAudioDriver("twin driver"), 0);
  EXPECT_EQ(broken.startups, 1);
  EXPECT_EQ(working.startups, 0);
  EXPECT_EQ(CurrentAudioDriver()->Name(), "Null");
}

TEST_F(AudioDrivers, NoOutputDeviceFallsBackToNullSilently) {
  const char* saved = std::getenv("SDL_AUDIODRIVER");
  std::string previous = saved ? saved : "";
  setenv("SDL_AUDIODRIVER", "no-such-audio-driver", 1);
  ShutdownAudioDriver();
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  TAudioDriver& driver = AudioDriver();
  std::string err = testing::internal::GetCapturedStderr();
  std::string out = testing::internal::GetCapturedStdout();
  if (saved) {
    setenv("SDL_AUDIODRIVER", previous.c_str(), 1);
  } else {
    unsetenv("SDL_AUDIODRIVER");
  }
  EXPECT_EQ(driver.Name(), "Null");
  EXPECT_EQ(err, "");
  EXPECT_EQ(out, "");

  // Every sound operation works and nothing is heard.
  auto sound = LoadSound(Mono16(Constant(10, 1000)), SOUND_LOOP);
  ASSERT_NE(sound, nullptr);
  auto channel = AllocChannel();
  ASSERT_NE(channel, nullptr);
  SetChannelVolume(channel, 0.5f);
  EXPECT_NE(PlaySound(sound, channel), nullptr);
  EXPECT_EQ(ChannelPlaying(channel), 0);
  StopChannel(channel);
}

TEST_F(AudioDrivers, MissingFileGivesNoSoundAndPlayingItDoesNothing) {
  ASSERT_EQ(SetAudioDriver("Null"), 1);
  auto missing = LoadSound(TestFilePath("absent.ogg"));
  EXPECT_EQ(missing, nullptr);
  EXPECT_EQ(PlaySound(missing), nullptr);
  EXPECT_EQ(CueSound(missing, AllocChannel()), nullptr);
  StopChannel(nullptr);
  EXPECT_EQ(ChannelPlaying(nullptr), 0);
}

TEST(AudioDriversFresh, ADriverMadeBeforeAnySoundIsStillFoundBeforeTheBuiltInOnes) {
  // In a fresh copy of this program, where the audio module has not started.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        CountingDriver mine("Korvane", 1);
        const std::vector<std::string> names = ::AudioDrivers();
        const bool chosen = SetAudioDriver("Korvane") == 1 && CurrentAudioDriver() == &mine;
        ShutdownAudioDriver();
        std::exit(chosen && mine.startups == 1 &&
                          names == std::vector<std::string>{"Korvane", "Korvane", "Korvane Multimedia", "Null"}
                      ? 0
                      : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// Sets an environment variable for one scope and puts back what was there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

// Waits until the channel's sound has played at least `frames` frames.
int64_t PlayedAfterWaiting(TKorvaneChannel& channel, int64_t frames) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (channel.Position() < frames && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return channel.Position();
}

// Holds the background worker until it is let go.
struct BusyJob : TBackgroundJob {
  Slice Step() override { return free ? Slice::kDone : Slice::kWaiting; }
  std::atomic<bool> free{false};
};

TEST_F(AudioDrivers, KorvaneOnTheSdlDeviceMixesInTheBackgroundAndRestartsWhenChosenAgain) {
  // First an output that does not open while the background is busy: SDL's
  // audio is given up later, and the next open sees to that first.
  auto busy = std::make_shared<BusyJob>();
  auto held = RunInBackground(busy);
  {
    ScopedEnv alsa("SDL_AUDIODRIVER", "alsa");
    ScopedEnv nowhere("AUDIODEV", "no-such-output");
    EXPECT_EQ(SetAudioDriver("Korvane"), 0);
    EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "not given up on the caller's time";
  }
  // SDL's dummy output consumes sound in real time.
  ScopedEnv dummy("SDL_AUDIODRIVER", "dummy");
  ASSERT_EQ(SetAudioDriver("Korvane"), 1);
  busy->free = true;
  held->Finish();
  TAudioDriver* korvane = CurrentAudioDriver();
  EXPECT_EQ(korvane->Name(), "Korvane");
  auto sound = LoadSound(Mono16(Constant(100, 1000)), SOUND_LOOP);
  auto channel = PlaySound(sound);
  ASSERT_NE(channel, nullptr);
  auto* first = dynamic_cast<TKorvaneChannel*>(channel.get());
  ASSERT_NE(first, nullptr);
  EXPECT_GE(PlayedAfterWaiting(*first, 4410), 4410);
  EXPECT_EQ(ChannelPlaying(channel), 1);

  // The same driver again, by its name in lower case: shut down (its sounds
  // stop), started afresh, and current again.
  ASSERT_EQ(SetAudioDriver("korvane"), 1);
  EXPECT_EQ(CurrentAudioDriver(), korvane);
  EXPECT_EQ(ChannelPlaying(channel), 0);
  auto again = PlaySound(LoadSound(Mono16(Constant(100, 1000)), SOUND_LOOP));
  auto* second = dynamic_cast<TKorvaneChannel*>(again.get());
  ASSERT_NE(second, nullptr);
  EXPECT_GE(PlayedAfterWaiting(*second, 4410), 4410);
  EXPECT_EQ(ChannelPlaying(again), 1);
  StopChannel(again);
  ShutdownAudioDriver();
  EXPECT_EQ(CurrentAudioDriver(), nullptr);
}

}  // namespace
