// A long, random session: many games of scripted play through the real
// assets, the real mixer (on SDL's dummy output) and the recording 2D driver.
// It watches that nothing piles up: the world lists stay bounded and the
// objects of a game go away with their lists. Under the sanitized build
// LeakSanitizer checks the rest at exit. And the clock's wrap changes nothing.
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "audio/audio.h"
#include "game/entity.h"
#include "game/frame.h"
#include "game/game_loop.h"
#include "game/replay.h"
#include "game/replay_commands.h"
#include "game/replay_file.h"
#include "game/title.h"
#include "graphics/graphics.h"
#include "graphics/recording/recording_canvas_driver.h"
#include "system/hook.h"
#include "system/twin_stick.h"
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

  // Plays one game through PlayGame (live or watched), the player's input
  // given at every Flip until Escape after `frames` frames; each frame's
  // world hash is kept.
  std::vector<uint32_t> Play(int frames, const std::function<void(int)>& input,
                             const TReplay* watch = nullptr, TReplayOutcome* outcome = nullptr) {
    static Soak* self;
    static int left, done;
    static const std::function<void(int)>* give;
    static std::vector<uint32_t> hashes;
    self = this, left = frames, done = 0, give = &input, hashes.clear();
    auto at_flip = [](int, std::shared_ptr<TObject> data, std::shared_ptr<TObject>) {
      hashes.push_back(WorldHash());
      if (--left == 0) EmitEvent(EVENT_KEYDOWN, nullptr, 27);
      (*give)(done++);
      self->Tick();
      return data;
    };
    AddHook(FlipHook, at_flip);
    if (watch) {
      *outcome = WatchReplay(*watch, false);
    } else {
      PlayGame();
    }
    RemoveHook(FlipHook, at_flip);
    FlushKeys();
    return hashes;
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

// Games recorded as they are played come back from their file frame for
// frame, whatever the watcher presses, and watching leaves the player's own
// values as they were. A damaged file gets its one line.
TEST_F(Soak, RecordedGamesPlayBackFrameForFrame) {
  size_t bytes = 0, frames = 0;
  int deaths = 0;
  std::vector<uint8_t> file;
  for (int game = 0; game < 4; ++game) {
    const std::vector<uint32_t> live = Play(1500 + int(rng_() % 4000), [&](int) { RandomInput(); });
    deaths += gameOver;
    file = WriteReplay(*LastGame());
    bytes += file.size(), frames += live.size();
    std::string problem;
    const auto replay = ReadReplay(file, problem);
    ASSERT_TRUE(replay) << problem;
    const TCarriedState own = TCarriedState::Capture();
    const auto own_frames = frameList;
    TReplayOutcome outcome;
    const std::vector<uint32_t> watched =
        Play(100, [&](int) { RandomInput(); }, replay.get(), &outcome);
    EXPECT_EQ(watched, live) << "game " << game;
    EXPECT_EQ(outcome.astrayAt, 0u);
    EXPECT_EQ(outcome.frames, live.size());
    EXPECT_EQ(outcome.kills, replay->kills);
    const TCarriedState after = TCarriedState::Capture();
    EXPECT_EQ(std::memcmp(&own, &after, sizeof own), 0);
    EXPECT_EQ(frameList, own_frames);
  }
  EXPECT_GE(deaths, 1);
  std::printf("replays: %zu bytes per minute of play\n", bytes * 3600 / frames);

  // The last one, dropped on the window, is watched on the title at its
  // recorded pace; the title's own frame follows.
  const std::string dropped = std::string(GLOOMFALL_BUILD_DIR) + "/dropped.gfreplay";
  std::ofstream(dropped, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  static int flips;
  flips = 0;
  auto ticking = [](int, std::shared_ptr<TObject> data, std::shared_ptr<TObject>) {
    ++flips;
    Advance(17);  // a little ahead of the recorded pace: the replay never waits
    return data;
  };
  WatchDroppedReplays();
  TEvent::Create(EVENT_APPOPENFILE, nullptr, 0, 0, 0, 0, std::make_shared<TStringObject>(dropped))->Emit();
  AddHook(FlipHook, ticking);
  TitleIteration();
  RemoveHook(FlipHook, ticking);
  std::string problem;
  EXPECT_EQ(flips, static_cast<int>(ReadReplay(file, problem)->frames) + 1);
  EXPECT_LT(bytes * 3600 / frames, 16u * 1024);

  // A changed hash is where the replay goes astray; damage never gets that far.
  auto sealed = [](std::vector<uint8_t> b) {
    const uint32_t crc = static_cast<uint32_t>(crc32(0, b.data(), static_cast<uInt>(b.size() - 4)));
    for (int i = 0; i < 4; ++i) b[b.size() - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
    return b;
  };
  auto astray = ReadReplay(file, problem);
  astray->hashes[5] ^= 1;
  EXPECT_EQ(WatchReplay(*ReadReplay(WriteReplay(*astray), problem), false).astrayAt, 60u);
  // The end of the file: hash count, hashes, answer count, packed size,
  // the answers and the CRC.
  const auto whole = ReadReplay(file, problem);
  const size_t hashes_end = file.size() - 4 - whole->answers.size() - 8;
  const size_t count_at = hashes_end - 4 * whole->hashes.size() - 4;
  std::vector<uint8_t> cut(file.begin(), file.end() - 1), flipped = file, newer = file,
      absurd = file, empty, bomb(file.begin(), file.begin() + static_cast<long>(hashes_end));
  flipped[file.size() / 2] ^= 0x10;
  newer[8] = 2;
  absurd[count_at + 3] = 0x7F;  // more hashes than the file could hold
  {  // 64 MB of answers in 64 kB: far more than the frames could have asked
    std::vector<uint8_t> zeros(64u << 20), packed(compressBound(static_cast<uLong>(zeros.size())));
    uLongf size = static_cast<uLongf>(packed.size());
    compress2(packed.data(), &size, zeros.data(), static_cast<uLong>(zeros.size()), 9);
    for (uint32_t v : {whole->answerCount, static_cast<uint32_t>(size)})
      for (int i = 0; i < 4; ++i) bomb.push_back(static_cast<uint8_t>(v >> (8 * i)));
    bomb.insert(bomb.end(), packed.begin(), packed.begin() + static_cast<long>(size));
    bomb.resize(bomb.size() + 4);
  }
  const std::pair<std::vector<uint8_t>, const char*> damaged[] = {
      {cut, "damaged (cut short or changed)"}, {flipped, "damaged (cut short or changed)"},
      {newer, "made by a newer gloomfall"},    {sealed(absurd), "damaged (its counts)"},
      {sealed(bomb), "damaged (its answers)"},  {empty, "not a gloomfall replay"}};
  for (const auto& [bytes_in, line] : damaged) {
    EXPECT_EQ(ReadReplay(bytes_in, problem), nullptr);
    EXPECT_EQ(problem, line);
  }
}

// The project's scripted player: it walks a square with the keys, aims at
// the newest enemy and fires in bursts, first with the mouse, then with a
// pad's sticks and trigger, until it dies; the game goes on under the
// game-over overlay for a while. Its game is the replay every platform verifies
// (tests/replays/); a changed game makes a new one in the build folder.
TEST_F(Soak, TheScriptedPlayersGameIsTheCommittedReplay) {
  TInputHolders holders;
  TTwinStick pad(holders);
  const int keys[] = {'W', 'D', 'S', 'A'};
  auto script = [&](int f) {
    const auto enemy = enemyList->IsEmpty() ? nullptr : std::static_pointer_cast<Entity>(enemyList->Last());
    const float ex = enemy ? enemy->x : 400, ey = enemy ? enemy->y : 100;
    const bool still = stage >= 4, on_pad = f >= 900;
    for (int i = 0; i < 4; ++i)
      if (!on_pad) (!still && (f / 60) % 4 == i ? PressKey(keys[i]) : ReleaseKey(keys[i]));
    if (!on_pad) {
      if (f % 3 == 0) MoveMouseTo(int(ex), int(ey));
      (f % 40 < 25 ? PressButton(1) : ReleaseButton(1));
      return;
    }
    if (f == 900) {
      for (int k : keys) ReleaseKey(k);
      ReleaseButton(1);
    }
    TTwinStickState state;
    const int leg = (f / 60) % 4;
    if (!still) (leg % 2 ? state.move_x : state.move_y) = leg < 2 ? -0.9 : 0.9;
    const double dx = ex - playerX, dy = ey - playerY, d = std::max(1.0, std::hypot(dx, dy));
    state.aim_x = dx / d, state.aim_y = dy / d;
    state.trigger = f % 40 < 25 ? 1 : 0;
    pad.Update(state, true);
  };
  ResetProgramState();
  MoveMouseTo(400, 300);
  int died_at = 0;
  const std::vector<uint32_t> live = Play(2400, [&](int f) {
    if (gameOver && !died_at) died_at = f;
    script(f);
  });
  pad.Release();
  const auto made = LastGame();
  EXPECT_GE(made->level, 3);
  EXPECT_GE(made->kills, 10);
  EXPECT_GT(died_at, 900) << "the pad should play a while";
  const std::vector<uint8_t> bytes = WriteReplay(*made);
  std::ofstream(std::filesystem::path(GLOOMFALL_BUILD_DIR) / "scripted.gfreplay", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

  std::string problem;
  const auto committed =
      ReadReplayFile(std::string(GLOOMFALL_SOURCE_DIR) + "/tests/replays/scripted.gfreplay", problem);
  ASSERT_TRUE(committed) << problem;
  TReplayOutcome outcome;
  EXPECT_EQ(Play(1, [](int) {}, committed.get(), &outcome), live);
  EXPECT_EQ(outcome.astrayAt, 0u);
  EXPECT_EQ(std::tie(committed->frames, committed->kills, committed->level, committed->finalHash),
            std::tie(made->frames, made->kills, made->level, made->finalHash));
}

}  // namespace
