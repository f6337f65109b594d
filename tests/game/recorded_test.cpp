// What the game draws and plays, checked through the recording 2D driver
// and the sound log: the HUD's blinking health line, enemy colours, enemy
// bullet rotation, explosion notes, and a game started from the title.
#include <gtest/gtest.h>

#include "game/bullet.h"
#include "game/entity.h"
#include "game/frame.h"
#include "game/game_loop.h"
#include "game/particle.h"
#include "game/player.h"
#include "game/title.h"
#include "game/vihu.h"
#include "game_test_support.h"
#include "graphics/draw.h"
#include "graphics/graphics.h"
#include "graphics/image.h"
#include "graphics/pixmap.h"
#include "graphics/recording_canvas_driver.h"
#include "system/event.h"
#include "system/hook.h"
#include "system/input.h"
#include "system/random.h"

using namespace game_test;

namespace {

class Recorded : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    driver = std::make_shared<TRecordingCanvasDriver>();
    SetGraphicsDriver(driver);
    ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
    SetBlend(BLEND_ALPHA);
    AutoMidHandle(1);
    imgVihu1 = Picture(30, 30);
    imgVihu2 = Picture(31, 31);
    imgVihuAmmus = Picture(6, 6);
    imgBullet = Picture(5, 5);
  }
  void TearDown() override {
    EndGraphics();
    imgVihu1 = imgVihu2 = imgVihuAmmus = imgBullet = nullptr;
    GameTest::TearDown();
  }
  std::vector<TRecordedCall> ImagesOf(const std::shared_ptr<TImage>& image) {
    std::vector<TRecordedCall> out;
    for (const auto& call : driver->Calls("Image")) {
      if (call.pixmap == image->pixmaps[0]) out.push_back(call);
    }
    return out;
  }
  TRecordedCall TextCall(const std::string& prefix) {
    for (const auto& call : driver->Calls("Text")) {
      if (call.text.rfind(prefix, 0) == 0) return call;
    }
    ADD_FAILURE() << "no text starting with " << prefix;
    return {};
  }

  std::shared_ptr<TRecordingCanvasDriver> driver;
};

// Escape goes down in the n-th Flip from now, so a game run by PlayGame ends.
int flips_to_escape = 0;
std::shared_ptr<TObject> EscapeLater(int, std::shared_ptr<TObject> data, std::shared_ptr<TObject>) {
  if (flips_to_escape > 0 && --flips_to_escape == 0) EmitEvent(EVENT_KEYDOWN, nullptr, 27);
  return data;
}

}  // namespace

TEST_F(Recorded, TheHealthLineBlinksWithTheBeatAt101AndBelow) {
  struct Case {
    int health;
    int32_t ms;  // 115: a quarter beat (pulse 1); 346: three quarters (pulse 0)
    int red, green, blue;
  } cases[] = {{102, 115, 255, 255, 255}, {102, 346, 255, 255, 255}, {101, 115, 255, 0, 0},
               {101, 346, 0, 0, 0},       {100, 115, 255, 0, 0},     {-100, 346, 0, 0, 0}};
  for (const auto& c : cases) {
    SetNow(0);
    BeginGame();
    spawnTimer = 100;
    All<TPlayer>(playerList).front()->health = c.health;
    driver->Clear();
    SetNow(c.ms);
    GameFrame();
    const auto line = TextCall("HEALTH: ");
    SCOPED_TRACE(line.text);
    EXPECT_EQ(line.text, "HEALTH: " + std::to_string(c.health));
    EXPECT_EQ(line.red, c.red);
    EXPECT_EQ(line.green, c.green);
    EXPECT_EQ(line.blue, c.blue);
    EXPECT_FLOAT_EQ(line.rotation, -10);
    EXPECT_EQ(TextCall("KILLS: ").red, 255);  // the other lines stay white
  }
}

TEST_F(Recorded, AnEnemyIsDrawnRedOnlyInTheFrameItWasHit) {
  colorR = 10;
  colorB = 20;
  auto enemy = Vihu::New();
  enemy->x = 500;
  enemy->y = 300;
  enemy->movecounter = 100;
  enemy->speed = 0;
  FireBullet(480, 300, 0, 0);
  UpdateEnemies();
  UpdateBullets();
  driver->Clear();
  RenderEnemies();
  auto drawn = ImagesOf(gameTime / 256 % 2 == 0 ? imgVihu1 : imgVihu2);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].red, 255);
  EXPECT_EQ(drawn[0].green, 0);
  EXPECT_EQ(drawn[0].blue, 0);
  UpdateEnemies();
  driver->Clear();
  RenderEnemies();
  drawn = ImagesOf(imgVihu1);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].red, 245);
  EXPECT_EQ(drawn[0].green, 235);  // green follows the blue of the tint
  EXPECT_EQ(drawn[0].blue, 235);
  EXPECT_FLOAT_EQ(GetRotation(), 0);
}

TEST_F(Recorded, AWarmingEnemyIsDrawnPartWayFromTheCentre) {
  auto enemy = Vihu::New();
  enemy->x = 600;
  enemy->y = 100;
  enemy->speed = 0;
  enemy->movecounter = 100;
  enemy->warmup = 0.75f;  // a quarter of the way out, at a quarter of its size
  pulse = 0;
  RenderEnemies();
  const auto drawn = ImagesOf(imgVihu1);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_NEAR(drawn[0].tx, 450, 1e-3);
  EXPECT_NEAR(drawn[0].ty, 250, 1e-3);
  EXPECT_NEAR(drawn[0].scale_x, 0.9 * 0.25, 1e-6);
}

TEST_F(Recorded, ALeavingEnemysFadeCarriesOverToTheEnemiesDrawnAfterIt) {
  auto leaving = Vihu::New();
  auto staying = Vihu::New();
  leaving->MoveAway();
  leaving->movingaway = 0.5f;
  staying->warmup = -1;
  SetAlpha(1);
  RenderEnemies();
  const auto drawn = ImagesOf(imgVihu1);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_NEAR(drawn[0].alpha, 0.8f, 1e-6);
  EXPECT_NEAR(drawn[0].scale_x, 1.5f, 1e-6);
  EXPECT_NEAR(drawn[1].alpha, 0.8f, 1e-6);
}

TEST_F(Recorded, AnEnemyBulletIsTurnedToItsVelocityInWholePixels) {
  TBullet::Create(100, 100, 0, 1);
  auto bullet = All<TBullet>(bulletList).front();
  bullet->xs = 3.9f;
  bullet->ys = 0.8f;
  driver->Clear();
  RenderBullets();
  auto drawn = ImagesOf(imgVihuAmmus);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_FLOAT_EQ(drawn[0].rotation, 360);
  bullet->xs = -0.5f;
  bullet->ys = 3.9f;
  driver->Clear();
  RenderBullets();
  drawn = ImagesOf(imgVihuAmmus);
  EXPECT_FLOAT_EQ(drawn[0].rotation, 90);
}

TEST_F(Recorded, APlayersBulletIsWhiteUnscaledAndTurnedToItsAngle) {
  pulse = 1;
  TBullet::Create(100, 100, 33, 0);
  RenderBullets();
  auto drawn = ImagesOf(imgBullet);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].red, 255);
  EXPECT_FLOAT_EQ(drawn[0].scale_x, 1);
  EXPECT_FLOAT_EQ(drawn[0].rotation, 33);
  EXPECT_FLOAT_EQ(drawn[0].alpha, 1);
}

TEST_F(Recorded, TheFirstThreeKillsPlayDAAndGAtHalfVolume) {
  for (int kill = 0; kill < 4; ++kill) {
    auto enemy = Vihu::New();
    enemy->health = 0;
    UpdateEnemies();
  }
  std::vector<std::string> plays;
  for (const auto& entry : SoundLog()) plays.push_back(entry);
  EXPECT_EQ(plays, (std::vector<std::string>{"play D 0.5", "play A 0.5", "play G 0.5",
                                             "play D 0.5"}));
}

TEST_F(Recorded, ThePlayersDeathPlaysTheBoomOnAChannelOfItsOwn) {
  auto player = TPlayer::New();
  player->health = 0;
  player->Update();
  EXPECT_EQ(SoundLog(), (std::vector<std::string>{"play boom1 -"}));
}

TEST_F(Recorded, SpaceOnTheTitleRunsAGameInsideTheIterationAndEscapeEndsIt) {
  SetNow(100);
  titleStart = 0;
  frameList = std::make_shared<TList>();
  PushFrame();
  AddHook(FlipHook, &EscapeLater);
  flips_to_escape = 2;
  PressKey(32);
  ReleaseKey(32);
  PressKey(65);  // A pressed on the title, before the game: flushed by the game
  driver->Clear();
  TitleIteration();
  RemoveHook(FlipHook, &EscapeLater);
  // Two game frames, then the title's own frame presented.
  EXPECT_EQ(driver->Count("Flip"), 3);
  EXPECT_EQ(driver->Count("Cls"), 3);
  EXPECT_EQ(frameList->Count(), 1);  // the game's frame; no push for A
  EXPECT_FLOAT_EQ(frameZoomSpeed, 0.05f);
  for (const auto& text : driver->Calls("Text")) EXPECT_NE(text.text, "GAME OVER");
  // The keys were flushed and the music paused after the game.
  EXPECT_EQ(KeyDown(27), 0);
  EXPECT_EQ(SoundLog().front(), "cue music");
  EXPECT_EQ(SoundLog().back(), "pause music");
  // The rest of the iteration drew with the game's clock.
  EXPECT_EQ(gameTime, 0);
  SetNow(5000);
  TitleIteration();
  EXPECT_EQ(gameTime, 5000);
}

TEST_F(Recorded, TheAKeyOnTheTitlePushesAFrame) {
  SetNow(100);
  PushFrame();
  PressKey(65);
  TitleIteration();
  EXPECT_EQ(frameList->Count(), 2);
  EXPECT_EQ(All<TFrame>(frameList).front()->state, 2);
  TitleIteration();  // one press, one push
  EXPECT_EQ(frameList->Count(), 2);
}

TEST_F(Recorded, LeftoverParticlesFlyOnTheTitleScreen) {
  imgParticle = Picture(4, 4);
  TParticle::Create(100, 100, 4, 0, 0, 0, 0);
  auto p = All<TParticle>(particleList).front();
  p->lifetime = p->life = 10;
  driver->Clear();
  TitleIteration();
  const auto drawn = ImagesOf(imgParticle);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_NEAR(drawn[0].tx, 103.96, 1e-4);
  EXPECT_NEAR(drawn[0].alpha, 0.9, 1e-6);
  imgParticle = nullptr;
}

TEST_F(Recorded, AFrameFadesOverItsLastFiftyDrawsAndGoesAfterTwelveHundred) {
  colorR = colorG = colorB = 200;
  frameZoomSpeed = 0.05f;
  PushFrame();
  auto frame = All<TFrame>(frameList).front();
  auto alphas = [&] {
    driver->Clear();
    RenderFrames();
    std::vector<float> out;
    for (const auto& rect : driver->Calls("Rect")) out.push_back(rect.alpha);
    return out;
  };
  for (int i = 0; i < 1150; ++i) UpdateFrames();
  EXPECT_EQ(frame->life, 50);
  for (float a : alphas()) EXPECT_FLOAT_EQ(a, 1);
  UpdateFrames();
  const auto faded = alphas();
  ASSERT_FALSE(faded.empty());
  for (float a : faded) EXPECT_FLOAT_EQ(a, 0.98f);
  for (int i = 0; i < 49; ++i) UpdateFrames();
  EXPECT_EQ(frame->life, 0);
  for (float a : alphas()) EXPECT_FLOAT_EQ(a, 0);  // its last draw
  UpdateFrames();
  EXPECT_EQ(frameList->Count(), 0);
}

TEST_F(Recorded, AFrameLaysOutTheSameRectanglesInEveryDraw) {
  colorR = 90;
  colorG = 60;
  colorB = 30;
  gameTime = 321;
  PushFrame();
  All<TFrame>(frameList).front()->size = 1;
  auto rects = [&] {
    driver->Clear();
    RenderFrames();
    std::vector<std::vector<float>> out;
    for (const auto& r : driver->Calls("Rect")) {
      out.push_back({r.tx, r.ty, r.x1, r.y1, float(r.red), float(r.green), float(r.blue)});
    }
    return out;
  };
  const auto first = rects();
  ASSERT_GE(first.size(), 1u);
  ASSERT_LE(first.size(), 16u);
  RandomInt(0, 1000);  // whatever else draws from the generator in between
  EXPECT_EQ(rects(), first);
}

TEST_F(Recorded, TheTitleLoopEndsWhenEscapeIsHeldAtTheTopOfAnIteration) {
  driver->Clear();
  AddHook(FlipHook, &EscapeLater);
  flips_to_escape = 2;
  TitleLoop();
  RemoveHook(FlipHook, &EscapeLater);
  EXPECT_EQ(driver->Count("Flip"), 2);
  // Escape held before the first iteration: none runs.
  driver->Clear();
  TitleLoop();
  EXPECT_EQ(driver->Count("Flip"), 0);
}
