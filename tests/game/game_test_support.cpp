// The shared test set-up of the game's tests (see game_test_support.h).
#include "game_test_support.h"

#include <cstdio>

#include "audio/audio.h"
#include "game/entity.h"
#include "game/frame.h"
#include "game/game_loop.h"
#include "game/title.h"
#include "graphics/image.h"
#include "graphics/pixmap.h"
#include "system/clock.h"
#include "system/event.h"
#include "system/input.h"
#include "system/random.h"
#include "system/system_driver.h"

namespace game_test {
namespace {

int32_t now_ms = 0;
int32_t ReadNow() { return now_ms; }

std::vector<std::string> notices;

// Takes no messages from anywhere: everything the game sees, the test emits.
class QuietSystemDriver : public TQuietSystemDriver {
 public:
  void Notify(const std::string& text, bool) override { notices.push_back(text); }
};

std::vector<std::string> sound_log;

std::string VolumeText(float volume) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", volume);
  return text;
}

class LoggingChannel : public TChannel {
 public:
  explicit LoggingChannel(std::string name) : name_(std::move(name)) {}
  int SetPaused(int paused) override {
    sound_log.push_back((paused ? "pause " : "resume ") + name_);
    return 0;
  }
  int SetVolume(float volume) override {
    volume_ = volume;
    return 0;
  }
  std::string VolumeName() const { return VolumeText(volume_); }

 private:
  std::string name_;
  float volume_ = 1.0f;
};

class LoggingSound : public TSound {
 public:
  explicit LoggingSound(std::string name) : name_(std::move(name)) {}
  std::shared_ptr<TChannel> Play(const std::shared_ptr<TChannel>& channel) override {
    auto logging = std::dynamic_pointer_cast<LoggingChannel>(channel);
    sound_log.push_back("play " + name_ + " " + (logging ? logging->VolumeName() : "-"));
    return channel ? channel : std::make_shared<TChannel>();
  }
  std::shared_ptr<TChannel> Cue(const std::shared_ptr<TChannel>& channel) override {
    sound_log.push_back("cue " + name_);
    return channel;
  }

 private:
  std::string name_;
};

class LoggingAudioDriver : public TAudioDriver {
 public:
  std::string Name() override { return "GameTestLog"; }
  std::shared_ptr<TChannel> AllocChannel() override {
    return std::make_shared<LoggingChannel>("channel");
  }
};

}  // namespace

std::vector<std::string>& Notices() { return notices; }

std::vector<std::string>& SoundLog() { return sound_log; }

int Plays(const std::string& name) {
  int count = 0;
  for (const auto& entry : sound_log) {
    if (entry.rfind("play " + name + " ", 0) == 0) ++count;
  }
  return count;
}

void InstallLoggingSounds() {
  static LoggingAudioDriver driver;
  SetAudioDriver("GameTestLog");
  sndA = std::make_shared<LoggingSound>("A");
  sndG = std::make_shared<LoggingSound>("G");
  sndD = std::make_shared<LoggingSound>("D");
  sndBoom1 = std::make_shared<LoggingSound>("boom1");
  sndEnemyBullet = std::make_shared<LoggingSound>("enemybullet");
  sndPlayerHit = std::make_shared<LoggingSound>("playerhit");
  sndPlayerShoot = std::make_shared<LoggingSound>("playershoot");
  music = std::make_shared<LoggingSound>("music");
  musicChannel = std::make_shared<LoggingChannel>("music");
  sound_log.clear();
}

void SetNow(int32_t ms) { now_ms = ms; }
int32_t Now() { return now_ms; }
void Advance(int32_t ms) { now_ms = MillisecsAfter(now_ms, ms); }  // wrapping as the real clock does

void ResetProgramState() {
  gameTime = startTime = stage = lastStage = 0;
  pulse = 0;
  level = kills = health = gameOver = graceTimer = 0;
  spawnDelay = spawnCount = spawnTimer = 0;
  flashWhite = flashRed = 0;
  colorR = colorG = colorB = 0;
  enemyShotSound = 0;
  playerX = playerY = 0;
  mouseXSum = 0;
  explodeNote = 0;
  frameGrowing = 0;
  frameZoomSpeed = 0;
  titleStart = 0;
  bpm = 130;
  beatLength = msPerMinute / static_cast<float>(bpm);
  frameList = std::make_shared<TList>();
  enemyList = std::make_shared<TList>();
  playerList = std::make_shared<TList>();
  bulletList = std::make_shared<TList>();
  particleList = std::make_shared<TList>();
  SeedRandom(0);
}

std::shared_ptr<TImage> Picture(int width, int height) {
  auto pixmap = TPixmap::Create(width, height, PF_RGBA8888);
  pixmap->ClearPixels(0xFFFFFFFF);
  return LoadImage(pixmap, -1);
}

void PressKey(int key) { EmitEvent(EVENT_KEYDOWN, nullptr, key); }
void ReleaseKey(int key) { EmitEvent(EVENT_KEYUP, nullptr, key); }
void MoveMouseTo(int x, int y) { EmitEvent(EVENT_MOUSEMOVE, nullptr, 0, 0, x, y); }
void PressButton(int button) { EmitEvent(EVENT_MOUSEDOWN, nullptr, button); }
void ReleaseButton(int button) { EmitEvent(EVENT_MOUSEUP, nullptr, button); }

void GameTest::SetUp() {
  notices.clear();
  SetNow(0);
  SetTimeSource(&ReadNow);
  SetSystemDriver(std::make_shared<QuietSystemDriver>());
  EnablePolledInput();
  FlushKeys();
  FlushMouse();
  MoveMouseTo(0, 0);
  ResetProgramState();
  InstallLoggingSounds();
}

void GameTest::TearDown() {
  FlushKeys();
  FlushMouse();
  ResetProgramState();
  sndA = sndG = sndD = sndBoom1 = sndEnemyBullet = sndPlayerHit = sndPlayerShoot = music = nullptr;
  musicChannel = nullptr;
  sound_log.clear();
  SetTimeSource(nullptr);
}

}  // namespace game_test
