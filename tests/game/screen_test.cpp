// The real game on a real OpenGL window (under Xvfb in the test run), with
// the game's own data: pixels read back from the frames the game presents,
// and a screenshot of each kind of screen written to the build folder
// (<build>/screens/*.png) for a person to look at.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "game/entity.h"
#include "game/game_loop.h"
#include "game/player.h"
#include "game/title.h"
#include "game/vihu.h"
#include "game_test_support.h"
#include "graphics/draw.h"
#include "graphics/gl_canvas_driver.h"
#include "graphics/graphics.h"
#include "graphics/pixmap.h"
#include "system/hook.h"

using namespace game_test;

namespace {

// The back buffer as it is about to be presented; taken from the flip hook
// when asked for, since the game presents at the end of every frame.
bool grab_next = false;
std::shared_ptr<TPixmap> grabbed;

std::shared_ptr<TObject> GrabBeforeFlip(int, std::shared_ptr<TObject> data, std::shared_ptr<TObject>) {
  if (grab_next) {
    grabbed = GrabPixmap(0, 0, 800, 600);
    grab_next = false;
  }
  return data;
}

void SavePng(const std::shared_ptr<TPixmap>& pixmap, const std::string& name) {
  const auto folder = std::filesystem::path(GLOOMFALL_BUILD_DIR) / "screens";
  std::filesystem::create_directories(folder);
  auto rgba = pixmap->Convert(PF_RGBA8888);
  FILE* file = std::fopen((folder / name).c_str(), "wb");
  ASSERT_NE(file, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    FAIL() << "could not write " << name;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, rgba->width, rgba->height, 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < rgba->height; ++y) {
    // Opaque, as the window shows it.
    std::vector<png_byte> row(rgba->PixelPtr(0, y), rgba->PixelPtr(0, y) + rgba->width * 4);
    for (size_t i = 3; i < row.size(); i += 4) row[i] = 255;
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

struct Rgb {
  int r, g, b;
};
// Grabbed pixmaps are RGBA.
Rgb At(const std::shared_ptr<TPixmap>& pixmap, int x, int y) {
  const uint8_t* p = pixmap->PixelPtr(x, y);
  return {p[0], p[1], p[2]};
}

class Screens : public GameTest {
 protected:
  void SetUp() override {
    const std::filesystem::path data(GLOOMFALL_DATA_DIR);
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    if (!std::filesystem::exists(data / "gfx" / "help.png")) GTEST_SKIP() << "no game data";
    GameTest::SetUp();
    before_ = std::filesystem::current_path();
    std::filesystem::current_path(data);
    SetGraphicsDriver(TGLCanvasDriver::Instance());
    AddHook(FlipHook, &GrabBeforeFlip);
    SetNow(0);
    ASSERT_TRUE(StartUp());
    started_ = true;
  }
  void TearDown() override {
    if (!started_) return;
    RemoveHook(FlipHook, &GrabBeforeFlip);
    EndGraphics();
    std::filesystem::current_path(before_);
    GameTest::TearDown();
  }
  std::shared_ptr<TPixmap> Shoot(void (*frame)()) {
    grab_next = true;
    frame();
    return grabbed;
  }
  // n game frames, 16 ms apart.
  void Play(int n) {
    for (int i = 0; i < n; ++i) {
      Advance(16);
      GameFrame();
    }
  }

  std::filesystem::path before_;
  bool started_ = false;
};

}  // namespace

TEST_F(Screens, TitleGameStageChangeAndGameOver) {
  // Title: the name in white on the tint's half-bright clear colour.
  SetNow(600);
  auto title = Shoot(&TitleIteration);
  ASSERT_TRUE(title);
  ASSERT_EQ(title->format, PF_RGBA8888);
  SavePng(title, "title.png");
  int r, g, b;
  GetClsColor(r, g, b);
  const Rgb corner = At(title, 2, 2);
  EXPECT_LE(corner.r, r);  // the shade only darkens it
  EXPECT_LE(corner.g, g);
  EXPECT_LE(corner.b, b);
  EXPECT_GE(corner.r + corner.g + corner.b, (r + g + b) / 2);
  int white = 0;
  for (int x = 150; x < 450; ++x) {
    const Rgb p = At(title, x, 150);
    if (p.r > 230 && p.g > 230 && p.b > 230) ++white;
  }
  EXPECT_GT(white, 10) << "the name is drawn in white";

  // A game: walking up, firing at a moving pointer.
  BeginGame();
  PressKey(87);
  PressButton(1);
  for (int i = 0; i < 120; ++i) {
    MoveMouseTo(200 + i * 4, 450 - i);
    Play(1);
  }
  auto game = Shoot(&GameFrame);
  SavePng(game, "game.png");
  EXPECT_GT(bulletList->Count(), 0);
  EXPECT_GT(enemyList->Count(), 0);
  ReleaseKey(87);

  // The stage change: the white flash at 0.9 over everything.
  SetNow(startTime + 7385);
  auto flash = Shoot(&GameFrame);
  EXPECT_EQ(level, 1);
  const Rgb centre = At(flash, 400, 300);
  EXPECT_GE(centre.r, 229);
  EXPECT_GE(centre.g, 229);
  EXPECT_GE(centre.b, 229);
  Play(5);
  auto stage = Shoot(&GameFrame);
  SavePng(stage, "stage.png");

  // Game over: the player's health gone; the overlay over the running world.
  All<TPlayer>(playerList).front()->health = 0;
  Play(1);
  ASSERT_EQ(gameOver, 1);
  Play(30);
  SetNow(startTime + 8423);  // a quarter into beat 18: "GAME OVER" in red
  auto over = Shoot(&GameFrame);
  SavePng(over, "gameover.png");
  int red = 0;
  for (int y = 230; y < 330; ++y) {
    for (int x = 200; x < 600; ++x) {
      const Rgb p = At(over, x, y);
      if (p.r > 150 && p.g < 60 && p.b < 60) ++red;
    }
  }
  EXPECT_GT(red, 200) << "GAME OVER is drawn in red on the beat";
  ReleaseButton(1);
}
