// A long, random session: many games of scripted play through the real
// assets, the real mixer (on SDL's dummy output) and the recording 2D driver.
// It watches that nothing piles up: the world lists stay bounded and the
// objects of a game go away with their lists. Under the sanitized build
// LeakSanitizer checks the rest at exit. And the clock's wrap changes nothing.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>

#include "audio/audio.h"
#include "game/entity.h"
#include "game/frame.h"
#include "game/game_loop.h"
#include "game/title.h"
#include "graphics/graphics.h"
#include "graphics/recording/recording_canvas_driver.h"
#include "system/input.h"
#include "tests/game/game_test_support.h"

namespace {

using namespace game_test;

class Soak : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    ShutdownAudioDriver();
    SetAudioDriver("Korvane");
    old_dir_ = std::filesystem::current_path();
    std::filesystem::current_path(GLOOMFALL_DATA_DIR);
    driver_ = std::make_shared<TRecordingCanvasDriver>();
    SetGraphicsDriver(driver_);
    ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
    LoadAssets();
  }
  void TearDown() override {
    EndGraphics();
    std::filesystem::current_path(old_dir_);
    GameTest::TearDown();
    ShutdownAudioDriver();
  }

  // One frame of a player mashing keys: each held key, the button and the
  // pointer change now and then.
  void RandomInput() {
    static const int keys[] = {'W', 'A', 'S', 'D'};
    for (int k : keys)
      if (rng_() % 40 == 0) (rng_() % 2 ? PressKey(k) : ReleaseKey(k));
    if (rng_() % 30 == 0) (rng_() % 3 ? PressButton(1) : ReleaseButton(1));
    if (rng_() % 5 == 0) MoveMouseTo(int(rng_() % 900) - 50, int(rng_() % 700) - 50);
  }

  void Tick() {
    Advance(frame_++ % 3 == 0 ? 16 : 17);  // 60 frames a second
    driver_->calls.clear();
  }

  std::filesystem::path old_dir_;
  std::shared_ptr<TRecordingCanvasDriver> driver_;
  std::mt19937 rng_{20261208};
  int frame_ = 0;
};

// The music is still decoding when a game starts straight after start-up:
// the game waits for it, and its beat clock starts with the music.
TEST_F(Soak, AGameStartedAtOnceStartsWithItsMusic) {
  BeginGame();
  EXPECT_EQ(ChannelPlaying(musicChannel), 1);
  EXPECT_EQ(startTime, Now());
}

TEST_F(Soak, HundredThousandFramesOfRandomPlayStayBounded) {
  const int kFrames = 100000;
  int frames = 0, games = 0, deaths = 0;
  size_t most_enemies = 0, most_bullets = 0, most_particles = 0, most_frames = 0;
  std::weak_ptr<TObject> first_game_enemy;

  while (frames < kFrames) {
    // A game of random length, then a short stay on the title screen.
    BeginGame();
    ++games;
    int length = 2000 + int(rng_() % 14000);
    for (int i = 0; i < length && frames < kFrames; ++i, ++frames) {
      RandomInput();
      GameFrame();
      Tick();
      most_enemies = std::max(most_enemies, size_t(enemyList->Count()));
      most_bullets = std::max(most_bullets, size_t(bulletList->Count()));
      most_particles = std::max(most_particles, size_t(particleList->Count()));
      most_frames = std::max(most_frames, size_t(frameList->Count()));
      if (games == 1 && first_game_enemy.expired() && !enemyList->IsEmpty())
        first_game_enemy = enemyList->First();
    }
    deaths += gameOver;
    FlushKeys();
    PauseChannel(musicChannel);
    for (int i = 0; i < 120 && frames < kFrames; ++i, ++frames) {
      TitleIteration();
      Tick();
    }
    if (games == 1) {
      // The next game replaces the lists; the old world must go with them.
      BeginGame();
      EXPECT_TRUE(first_game_enemy.expired()) << "an enemy of the first game outlived it";
      FlushKeys();
    }
  }

  EXPECT_GE(games, 5);
  EXPECT_GE(deaths, 1) << "random play should lose a game now and then";
  EXPECT_LT(most_enemies, 600u);
  EXPECT_LT(most_bullets, 3000u);
  EXPECT_LT(most_particles, 20000u);
  EXPECT_LT(most_frames, 60u);
  std::printf("soak: %d frames, %d games, %d deaths; most enemies %zu, bullets %zu, particles %zu, frames %zu\n",
              frames, games, deaths, most_enemies, most_bullets, most_particles, most_frames);
}

// The millisecond clock reads negative after 2^31 ms of up-time (24.8 days).
// A session that crosses that point on the title, or in a game, shows
// exactly what the same session shows on a young clock: every draw with its
// state, frame by frame, through stage changes.
TEST_F(Soak, TheClocksWrapChangesNothingOnTheTitleOrInAGame) {
  auto session = [&](int32_t start) {
    ResetProgramState();
    FlushKeys();
    MoveMouseTo(400, 300);
    rng_.seed(20261209);
    frame_ = 0;
    SetNow(start);
    titleStart = Now();
    std::vector<size_t> hashes;
    auto frame = [&] {
      std::string bytes;
      auto put = [&bytes](const auto& v) { bytes.append(reinterpret_cast<const char*>(&v), sizeof v); };
      for (const TRecordedCall& c : driver_->calls) {
        bytes += c.op + c.text;
        for (float f : {c.x0, c.y0, c.x1, c.y1, c.tx, c.ty, c.alpha, c.ix, c.iy, c.jx, c.jy}) put(f);
        for (int i : {c.red, c.green, c.blue, c.blend, c.cls_red, c.cls_green, c.cls_blue}) put(i);
        put(c.pixmap.get());
      }
      for (int32_t v : {gameTime, stage, kills, level}) put(v);
      put(pulse);
      hashes.push_back(std::hash<std::string>{}(bytes));
      Tick();
    };
    for (int i = 0; i < 300; ++i, frame()) TitleIteration();  // 5 s
    BeginGame();
    for (int i = 0; i < 1500; ++i, frame()) {  // 25 s: three stage changes
      RandomInput();
      GameFrame();
    }
    EXPECT_EQ(stage, 3);
    FlushKeys();
    PauseChannel(musicChannel);
    for (int i = 0; i < 120; ++i, frame()) TitleIteration();
    return hashes;
  };
  // The first session leaves the draw state as every later one finds it.
  session(1000);
  const std::vector<size_t> young = session(1000);
  for (int32_t start : {INT32_MAX - 3000, INT32_MAX - 5000 - 8000}) {
    const std::vector<size_t> old = session(start);
    ASSERT_EQ(old.size(), young.size());
    auto first = std::mismatch(young.begin(), young.end(), old.begin()).first - young.begin();
    EXPECT_EQ(first, static_cast<long>(young.size())) << "the frames part at frame " << first << " from " << start;
  }
}

}  // namespace
