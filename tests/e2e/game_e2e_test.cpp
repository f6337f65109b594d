// The built game, played from outside: start-up, the title screen, a game,
// leaving it, quitting, sound on and off, and damaged data.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <chrono>
#include <functional>

#include <zlib.h>

#include "tests/e2e/harness.h"

namespace fs = std::filesystem;

namespace {

const std::string kOut = std::string(GLOOMFALL_BUILD_DIR) + "/e2e";

std::string OutPath(const std::string& name) {
  fs::create_directories(kOut);
  return kOut + "/" + name;
}

class Game : public ::testing::Test {
 protected:
  void Start(const std::string& data_dir = GLOOMFALL_DATA_DIR) {
    ASSERT_TRUE(x_.ok()) << "no Xvfb";
    audio_ = OutPath(std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".raw");
    fs::remove(audio_);
    game_ = std::make_unique<GameProcess>(x_, data_dir, audio_);
    window_ = game_->FindWindow("gloomfall");
    ASSERT_FALSE(window_.empty()) << "no window named gloomfall";
    game_->xdo("mousemove --window " + window_ + " 400 300");
    game_->xdo("windowfocus --sync " + window_);
    // Damaged data may leave the title without its name; the test decides.
    if (!WaitForTitle(x_.display(), window_)) std::fprintf(stderr, "no title:\n%s", game_->Describe(window_).c_str());
    SleepMs(200);
  }
  Shot Snap(const std::string& name) {
    Shot s = Screenshot(x_.display(), window_);
    if (!s.empty()) WritePng(s, OutPath(name + ".png"));
    return s;
  }
  // The title screen: the white name, the white prompt and the grey one.
  void ExpectTitle(const Shot& s) {
    ASSERT_EQ(s.width, 800);
    ASSERT_EQ(s.height, 600);
    EXPECT_GT(Count(s, 150, 120, 520, 190, White), 400) << "the name";
    EXPECT_GT(Count(s, 100, 495, 720, 545, White), 300) << "press space to start the game!";
    // Small grey anti-aliased text: few pixels reach the full grey.
    auto grey = [](int r, int g, int b) {
      return r >= 60 && r <= 200 && std::abs(r - g) < 25 && std::abs(g - b) < 25;
    };
    EXPECT_GT(Count(s, 500, 548, 680, 575, grey), 15) << "(and esc to quit)";
  }
  void SurviveBrokenData(bool garbage);  // a picture, an effect, the music and the icon damaged, or missing

  XServer x_;
  std::unique_ptr<GameProcess> game_;
  std::string window_, audio_;
};

TEST_F(Game, StartsWithTheTitleScreenInAn800By600Window) {
  Start();
  std::string geometry = game_->xdo("getwindowgeometry " + window_);
  EXPECT_NE(geometry.find("Geometry: 800x600"), std::string::npos) << geometry;
  Shot s = Snap("title");
  ExpectTitle(s);
  // The help picture sits centred at (400, 400) between the name and the prompt.
  int clear = int(s.at(5, 595));
  int inked = Count(s, 220, 330, 580, 470, [&](int r, int g, int b) { return ((r << 16) | (g << 8) | b) != clear; });
  EXPECT_GT(inked, 2000) << "the help picture";
  // The window carries the game's icon, pixel for pixel.
  std::vector<uint32_t> icon = WindowIcon(x_.display(), std::stoul(window_));
  ASSERT_GE(icon.size(), 2u) << "no window icon";
  EXPECT_EQ(icon[0], 256u);
  EXPECT_EQ(icon[1], 256u);
  EXPECT_TRUE(icon == IconFromPng(std::string(GLOOMFALL_DATA_DIR) + "/gloomfall.png"));
}

TEST_F(Game, EscapeHeldOnTheTitleQuitsWithStatusZeroWithinTwoSeconds) {
  Start();
  game_->xdo("keydown Escape");
  EXPECT_EQ(game_->WaitExit(2000), 0);
}

TEST_F(Game, MusicPlaysOnlyDuringAGame) {
  Start();
  SleepMs(500);
  EXPECT_EQ(PeakOfTail(audio_, 300), 0) << "the title screen is silent";
  game_->xdo("key space");
  EXPECT_TRUE(Eventually([&] { return PeakOfTail(audio_, 300) > 500; })) << "music after Space";
  game_->Hold("Escape", 200);
  EXPECT_TRUE(Eventually([&] { return PeakOfTail(audio_, 200) == 0; })) << "silent again on the title screen";
  ASSERT_TRUE(WaitForTitle(x_.display(), window_));
  ExpectTitle(Snap("title_after_game"));
}

TEST_F(Game, AGameMovesTheWorldAndTheCrossHairFollowsThePointer) {
  Start();
  game_->xdo("key space");
  game_->xdo("keydown w");
  game_->xdo("mousemove --window " + window_ + " 150 150");
  game_->xdo("mousedown 1");
  // The cross-hair reaches the pointer once the game has seen it move.
  auto cross_at = [&](Shot& shot, const char* name, int x, int y) {
    return Eventually([&] { return Count(shot = Snap(name), x - 20, y - 20, x + 20, y + 20, White) > 10; });
  };
  Shot a, b;
  EXPECT_TRUE(cross_at(a, "game_a", 150, 150));
  game_->xdo("mousemove --window " + window_ + " 650 450");
  EXPECT_TRUE(cross_at(b, "game_b", 650, 450));
  game_->xdo("mouseup 1");
  game_->xdo("keyup w");
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  EXPECT_GT(Difference(a, b), 0.05) << "the world moves";
  // The white cross-hair is drawn at the pointer.
  EXPECT_GT(Count(a, 130, 130, 170, 170, White), 10);
  EXPECT_GT(Count(b, 630, 430, 670, 470, White), 10);
  EXPECT_GT(Count(b, 630, 430, 670, 470, White), Count(a, 630, 430, 670, 470, White));
  game_->Hold("Escape", 200);
  ASSERT_TRUE(WaitForTitle(x_.display(), window_));
  ExpectTitle(Snap("title_after_escape"));
  EXPECT_TRUE(game_->running()) << "Escape in a game only returns to the title";
}

TEST_F(Game, TheCloseBoxLeavesTheGameRunning) {
  Start();
  ASSERT_TRUE(RequestClose(x_.display(), std::stoul(window_)));
  SleepMs(800);  // time for a wrong quit to happen
  EXPECT_TRUE(game_->running());
  ExpectTitle(Snap("title_after_close"));
  game_->xdo("keydown Escape");
  EXPECT_EQ(game_->WaitExit(2000), 0);
}

TEST_F(Game, AMissingFontShowsTheBoxAndTheGameGoesOnWithTheDefaultFont) {
  std::string data = OutPath("data_without_font");
  ASSERT_TRUE(CopyTree(GLOOMFALL_DATA_DIR, data));
  fs::remove(data + "/VeraMono.ttf");
  ASSERT_TRUE(x_.ok());
  audio_ = OutPath("no_font.raw");
  game_ = std::make_unique<GameProcess>(x_, data, audio_);
  // One box per font, each a second window of the process; Return dismisses it.
  for (int box = 0; box < 3; ++box) {
    std::string found = FindMessageBox(x_.display());
    ASSERT_FALSE(found.empty()) << "no message box " << box;
    if (box == 0) WritePng(Screenshot(x_.display()), OutPath("font_not_loaded.png"));
    game_->xdo("mousemove --window " + found + " 10 10");
    game_->xdo("windowfocus --sync " + found);
    // One Return only: a second would land on the next box, which opens at once.
    game_->xdo("key Return");
    SleepMs(300);
  }
  window_ = game_->FindWindow("gloomfall");
  ASSERT_FALSE(window_.empty());
  game_->xdo("mousemove --window " + window_ + " 400 300");
  game_->xdo("windowfocus --sync " + window_);
  Shot s;
  EXPECT_TRUE(Eventually([&] { return Count(s = Snap("title_default_font"), 100, 100, 700, 580, White) > 100; }))
      << "text in the default font";
  ASSERT_TRUE(game_->running());
  game_->xdo("keydown Escape");
  EXPECT_EQ(game_->WaitExit(3000), 0);
}

void Game::SurviveBrokenData(bool garbage) {
  std::string data = OutPath(garbage ? "data_with_garbage" : "data_with_files_missing");
  ASSERT_TRUE(CopyTree(GLOOMFALL_DATA_DIR, data));
  for (const char* f : {"gfx/vihu1.png", "sfx/playershoot.ogg", "song3.ogg", "gloomfall.png"}) {
    if (!garbage && fs::remove(data + "/" + f)) continue;
    std::ofstream out(data + "/" + f, std::ios::binary | std::ios::trunc);
    for (int i = 0; i < 5000; ++i) out.put(char((i * 7919 + 13) & 255));
  }
  Start(data);
  EXPECT_TRUE(WindowIcon(x_.display(), std::stoul(window_)).empty()) << "a broken icon sets none";
  ExpectTitle(Snap("title_" + fs::path(data).filename().string()));
  game_->xdo("key space");
  EXPECT_FALSE(Eventually([&] { return PeakOfTail(audio_, 600) > 0; }, 800))
      << "the music damaged or missing: a silent game";
  game_->xdo("keydown w");
  game_->xdo("mousedown 1");
  SleepMs(1500);
  game_->xdo("mouseup 1");
  game_->xdo("keyup w");
  EXPECT_TRUE(game_->running());
  game_->Hold("Escape", 200);
  SleepMs(300);
  game_->xdo("keydown Escape");
  EXPECT_EQ(game_->WaitExit(3000), 0);
}
TEST_F(Game, GarbageInAPictureAnEffectTheMusicAndTheIconIsSurvived) { SurviveBrokenData(true); }
TEST_F(Game, APictureAnEffectTheMusicAndTheIconMissingAreSurvived) { SurviveBrokenData(false); }

// A game played with either renderer and kept with F2 on the title lands in
// the player's data folder and verifies; watched, it plays under a caption
// that says so and gives the title back. A damaged one leaves the title be.
// The verifying lines and their statuses for the scripted player's replay
// and its damaged copies.
TEST_F(Game, AGameKeptWithF2VerifiesAndPlaysBackWithEitherRenderer) {
  const std::string home = OutPath("xdg"), kept = home + "/gloomfall/replays";
  setenv("XDG_DATA_HOME", home.c_str(), 1);
  auto verify = [](const std::string& files, int& status) {
    return RunCommand("", "cd " + Quote(GLOOMFALL_DATA_DIR) + " && " + GLOOMFALL_BINARY " --verify " + files + " 2>&1", &status);
  };
  for (const char* renderer : {"gl", "gles2"}) {
    fs::remove_all(home);
    setenv("GLOOMFALL_RENDERER", renderer, 1);
    Start();
    game_->xdo("key space");
    game_->xdo("keydown w");
    game_->xdo("mousemove --window " + window_ + " 150 150");
    game_->xdo("mousedown 1");
    SleepMs(1500);
    game_->xdo("mouseup 1");
    game_->xdo("keyup w");
    game_->Hold("Escape", 200);
    ASSERT_TRUE(WaitForTitle(x_.display(), window_));
    game_->Hold("F2", 100);
    ASSERT_TRUE(Eventually([&] { return fs::exists(kept) && !fs::is_empty(kept); })) << renderer;
    EXPECT_TRUE(Eventually([&] { return Count(Snap(std::string("kept_") + renderer), 0, 576, 700, 600, White) > 100; }))
        << "the notice says where";
    game_->xdo("keydown Escape");
    EXPECT_EQ(game_->WaitExit(3000), 0);
    game_->xdo("keyup Escape");
    const std::string file = fs::directory_iterator(kept)->path().string();
    EXPECT_NE(file.find(".gfreplay"), std::string::npos) << file;
    int status = -1;
    EXPECT_NE(verify(Quote(file), status).find(", ok"), std::string::npos) << renderer;
    EXPECT_EQ(status, 0);
  }
  unsetenv("GLOOMFALL_RENDERER");

  // The short game kept last plays to its end; the scripted 40 s one plays
  // with its music until Escape stops it, and with Tab held it ends in about
  // a quarter of its time.
  const std::string scripted_file = std::string(GLOOMFALL_SOURCE_DIR) + "/tests/replays/scripted.gfreplay";
  const std::string watched[] = {fs::directory_iterator(kept)->path().string(), scripted_file, scripted_file};
  for (int run = 0; run < 3; ++run) {
    game_ = std::make_unique<GameProcess>(x_, GLOOMFALL_DATA_DIR, audio_, GLOOMFALL_BINARY,
                                          std::vector<std::string>{"--replay", watched[run]});
    const std::string replaying = game_->FindWindow("gloomfall: watching a replay.*");
    ASSERT_FALSE(replaying.empty()) << "the caption says so";
    const auto started = std::chrono::steady_clock::now();
    if (run == 1) {
      EXPECT_TRUE(Eventually([&] { return PeakOfTail(audio_, 300) > 500; })) << "the replay's music";
      game_->xdo("windowfocus --sync " + replaying);
      game_->Hold("Escape", 200);
    } else if (run == 2) {
      game_->xdo("windowfocus --sync " + replaying);
      game_->xdo("keydown Tab");
    }
    window_ = game_->FindWindow("gloomfall", 30000);
    ASSERT_FALSE(window_.empty()) << "the title comes back after replay " << run;
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_LT(took, std::chrono::seconds(run == 1 ? 5 : 20)) << "Escape stops it, Tab speeds it up";
    game_->xdo("keyup Tab");
    ExpectTitle(Snap("title_after_replay"));
    game_->xdo("keydown Escape");
    EXPECT_EQ(game_->WaitExit(3000), 0);
    game_->xdo("keyup Escape");
  }

  const std::string damaged = OutPath("damaged.gfreplay");
  std::string bytes = ReadFile(std::string(GLOOMFALL_SOURCE_DIR) + "/tests/replays/scripted.gfreplay");
  bytes[bytes.size() / 2] ^= 1;
  std::ofstream(damaged, std::ios::binary) << bytes;
  game_ = std::make_unique<GameProcess>(x_, GLOOMFALL_DATA_DIR, audio_, GLOOMFALL_BINARY,
                                        std::vector<std::string>{damaged});
  window_ = game_->FindWindow("gloomfall");
  ASSERT_TRUE(WaitForTitle(x_.display(), window_));
  SleepMs(500);
  EXPECT_TRUE(game_->running());
  ExpectTitle(Snap("title_after_damaged_replay"));
  game_->xdo("keydown Escape");
  EXPECT_EQ(game_->WaitExit(3000), 0);

  // The scripted replay with its final world hash changed and sealed again.
  const std::string astray = OutPath("astray.gfreplay");
  bytes[bytes.size() / 2] ^= 1;
  const size_t final_hash = 8 + 4 + 4 + uint8_t(bytes[12]) + 4 + 28 * 4 + 12;
  bytes[final_hash] ^= 1;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size() - 4));
  for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = char(crc >> (8 * i));
  std::ofstream(astray, std::ios::binary) << bytes;
  const std::string scripted = Quote(std::string(GLOOMFALL_SOURCE_DIR) + "/tests/replays/scripted.gfreplay");
  int status = -1;
  EXPECT_EQ(verify(Quote(astray), status), astray + ": gone astray at frame 2400\n");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(verify(scripted, status), GLOOMFALL_SOURCE_DIR "/tests/replays/scripted.gfreplay: 2400 frames, 23 kills, level 3, ok\n");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(verify(scripted + " " + Quote(damaged) + " " + scripted, status),
            std::string(GLOOMFALL_SOURCE_DIR) + "/tests/replays/scripted.gfreplay: 2400 frames, 23 kills, level 3, ok\n" +
                damaged + ": damaged (cut short or changed)\n" + GLOOMFALL_SOURCE_DIR +
                "/tests/replays/scripted.gfreplay: 2400 frames, 23 kills, level 3, ok\n");
  EXPECT_EQ(status, 2);
}

}  // namespace
