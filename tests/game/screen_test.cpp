// The real game on a real OpenGL window (under Xvfb in the test run), with
// the game's own data: pixels read back from the frames the game presents,
// and a screenshot of each kind of screen written to the build folder
// (<build>/screens/*.png) for a person to look at.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "game/entity.h"
#include "game/game_loop.h"
#include "game/player.h"
#include "game/title.h"
#include "game/vihu.h"
#include "game_test_support.h"
#include "graphics/draw.h"
#include "graphics/opengl/gl_canvas_driver.h"
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
 public:
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

namespace {

// Every scene both renderers must draw alike, shot from the current window.
std::vector<std::shared_ptr<TPixmap>> DrawScenes(Screens& s) {
  std::vector<std::shared_ptr<TPixmap>> shots;
  SetNow(titleStart + 1234);  // the title's pulse strictly between 0 and 1
  shots.push_back(s.Shoot(&TitleIteration));
  BeginGame();
  PressKey(87);
  PressKey(68);
  PressButton(1);
  for (int i = 0; i < 90; ++i) {
    MoveMouseTo(620 - i * 3, 130 + i * 2);
    s.Play(1);
  }
  SetNow(startTime + 4 * 462 + 131);  // a beat and a bit into the game
  shots.push_back(s.Shoot(&GameFrame));
  SetNow(startTime + 7385);  // the stage change's flash
  shots.push_back(s.Shoot(&GameFrame));
  All<TPlayer>(playerList).front()->health = 0;
  s.Play(31);
  SetNow(startTime + 8423);
  shots.push_back(s.Shoot(&GameFrame));
  ReleaseKey(87);
  ReleaseKey(68);
  ReleaseButton(1);

  // Every blend mode with a tinted, turned, stretched picture, over a grey
  // that shading and light both change; then shapes, text and a pixmap.
  SetViewport(0, 0, 800, 600);
  SetOrigin(0, 0);
  SetClsColor(96, 112, 128);
  Cls();
  const int blends[] = {BLEND_MASK, BLEND_SOLID, BLEND_ALPHA, BLEND_LIGHT, BLEND_SHADE};
  for (int i = 0; i < 5; ++i) {
    SetBlend(blends[i]);
    SetColor(255, 160 + i * 20, 90);
    SetAlpha(0.7f);
    SetRotation(33.0f + i * 11);
    SetScale(2.3f, 1.4f);
    DrawImage(imgVihu1, 80.0f + i * 150, 90.0f);
    DrawImage(imgParticle2, 80.0f + i * 150, 200.0f);
    DrawText("gloom", 40.0f + i * 150, 250.0f);
  }
  SetBlend(BLEND_ALPHA);
  SetRotation(17.0f);
  SetScale(1.0f, 1.0f);
  SetColor(40, 220, 255);
  SetAlpha(0.6f);
  for (int i = 0; i < 6; ++i) DrawLine(30.0f + i * 40, 300.0f, 200.0f + i * 25, 420.0f + i * 7);
  DrawRect(300, 300, 90, 40);
  DrawOval(420, 290, 130, 70);
  DrawOval(600, 300, 9, 31);
  DrawPoly({0, 0, 60, 10, 80, 50, 20, 70, -10, 30});
  for (int i = 0; i < 40; ++i) Plot(560.0f + i * 5, 420.0f + (i * 7) % 30);
  SetRotation(0);
  auto pixmap = TPixmap::Create(37, 23, PF_RGBA8888);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) pixmap->WritePixel(x, y, 0xff000000u | uint32_t(x * 7 << 16 | y * 11 << 8 | (x ^ y) * 5));
  DrawPixmap(pixmap, 700, 520);
  auto back = GrabPixmap(700, 520, 37, 23);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) EXPECT_EQ(back->ReadPixel(x, y) | 0xff000000u, pixmap->ReadPixel(x, y));
  shots.push_back(GrabPixmap(0, 0, 800, 600));
  Flip(0);
  return shots;
}

}  // namespace

// The OpenGL ES 2.0 renderer against the OpenGL 1.1 one on the same display:
// the same scenes must come out the same, or within 2 per channel.
TEST_F(Screens, BothRenderersDrawTheSameScenes) {
  const auto es2 = GraphicsDriverNamed("gles2");
  if (!es2 || !es2->Available()) GTEST_SKIP() << "no OpenGL ES 2.0 here";
  const auto gl = DrawScenes(*this);
  EndGraphics();
  ResetProgramState();
  SetGraphicsDriver(es2);
  Advance(100000);  // onwards: Flip(1)'s pace runs on this clock too
  ASSERT_TRUE(StartUp());
  const auto es = DrawScenes(*this);
  const char* names[] = {"title", "game", "flash", "gameover", "drawing"};
  ASSERT_EQ(gl.size(), es.size());
  for (size_t i = 0; i < gl.size(); ++i) {
    ASSERT_TRUE(gl[i] && es[i]);
    SavePng(es[i], std::string("gles2-") + names[i] + ".png");
    int largest = 0, differing = 0;
    for (int y = 0; y < 600; ++y) {
      for (int x = 0; x < 800; ++x) {
        const Rgb a = At(gl[i], x, y), b = At(es[i], x, y);
        const int d = std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
        largest = std::max(largest, d);
        differing += d > 0;
      }
    }
    std::printf("%s: %d pixels differ, by %d at most\n", names[i], differing, largest);
    EXPECT_LE(largest, 2) << names[i] << ": " << differing << " pixels differ";
  }
}
