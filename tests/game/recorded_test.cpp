// What the game draws and plays, checked through the recording 2D driver
// and the sound log: the HUD's blinking health line, enemy colours, enemy
// bullet rotation, explosion notes, and a game started from the title.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

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
#include "graphics/canvas.h"
#include "graphics/graphics.h"
#include "graphics/image.h"
#include "graphics/image_font.h"
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

// Escape (or A) goes down in the n-th Flip from now, so a game run by
// PlayGame ends (or sees A pressed).
int flips_to_escape = 0;
int flips_to_a = 0;
std::shared_ptr<TObject> EscapeLater(int, std::shared_ptr<TObject> data, std::shared_ptr<TObject>) {
  if (flips_to_a > 0 && --flips_to_a == 0) EmitEvent(EVENT_KEYDOWN, nullptr, 65);
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
  flips_to_a = 1;  // A pressed during the game moves the player, pushes nothing
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
  // After a game, A on the title starts the zoom.
  PressKey(65);
  TitleIteration();
  ASSERT_EQ(frameList->Count(), 2);
  EXPECT_FLOAT_EQ(All<TFrame>(frameList).back()->size, 0.05f);
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

TEST_F(Recorded, TheGameOverOverlayBlinksOnInSilenceAndCountsLateKills) {
  fontMedium = TImageFont::CreateDefault();
  imgShadow = Picture(12, 6);
  imgPlayer1 = Picture(14, 14);
  imgPlayer2 = Picture(15, 15);
  imgWeapon = Picture(10, 4);
  imgParticle = Picture(4, 4);
  const double deg = kPi / 180;
  struct Line {
    const char* text;
    float x, y, scale, rotation;
    int red, green, blue;
  };
  auto expectOverlay = [&](const std::vector<TRecordedCall>& texts, const Line (&lines)[3]) {
    ASSERT_GE(texts.size(), 3u);
    for (int i = 0; i < 3; ++i) {
      const auto& got = texts[texts.size() - 3 + i];
      SCOPED_TRACE(lines[i].text);
      EXPECT_EQ(got.text, lines[i].text);
      EXPECT_NEAR(got.tx, lines[i].x, 1e-4);
      EXPECT_NEAR(got.ty, lines[i].y, 1e-4);
      EXPECT_NEAR(got.scale_x, lines[i].scale, 1e-6);
      EXPECT_NEAR(got.scale_y, lines[i].scale, 1e-6);
      EXPECT_NEAR(got.rotation, lines[i].rotation, 1e-6);
      EXPECT_EQ(got.red, lines[i].red);
      EXPECT_EQ(got.green, lines[i].green);
      EXPECT_EQ(got.blue, lines[i].blue);
      EXPECT_EQ(got.alpha, 1);
      EXPECT_EQ(got.font, fontMedium);
    }
  };
  // Straight over whatever was drawn before, at pulse 0.75 and then 0.5.
  gameTime = 1500;
  kills = 12;
  for (float p : {0.75f, 0.5f}) {
    pulse = p;
    SetImageFont(nullptr);
    SetScale(3, 4);
    SetAlpha(0.25f);
    SetRotation(45);
    SetColor(1, 2, 3);
    driver->Clear();
    GameOverScreen();
    const int red = p > 0.5f ? 255 : 0;
    expectOverlay(driver->Calls("Text"),
                  {{"GAME OVER", 220 - 2 * p, 250 - p, 2 + 0.1f * p,
                    static_cast<float>(std::sin(83 * deg)), red, 0, 0},  // 1500 div 18
                   {"KILLS: 12", 230, 370, 1, static_cast<float>(std::sin(53 * deg)), 255, 255,
                    255},  // 1500 div 28
                   {"press esc to return to menu", 180, 460, 1, 0, 255, 255, 255}});
    EXPECT_EQ(GetImageFont(), fontMedium);
    float sx, sy;
    GetScale(sx, sy);
    EXPECT_EQ(sx, 1);
    EXPECT_EQ(sy, 1);
    EXPECT_EQ(GetAlpha(), 1);
    EXPECT_EQ(GetRotation(), 0);
    int r, g, b;
    GetColor(r, g, b);
    EXPECT_EQ(r + g + b, 3 * 255);
  }

  // In a game: one frame with everyone in it, drawn enemies first, then the
  // player, the particles and the bullets.
  SetNow(0);
  BeginGame();
  spawnTimer = 1000;
  auto player = All<TPlayer>(playerList).front();
  auto enemy = Vihu::New();
  enemy->x = 600;
  enemy->y = 300;
  enemy->speed = 0;
  enemy->movecounter = 1000;
  enemy->health = 50;
  TParticle::Create(50, 50, 0, 0, 0, 0, 0);
  FireBullet(100, 500, 0, 1);
  SetNow(1000);
  driver->Clear();
  GameFrame();
  std::vector<std::shared_ptr<TImage>> order;
  for (const auto& call : driver->Calls("Image")) {
    for (const auto& image : {imgVihu1, imgVihu2, imgShadow, imgPlayer1, imgPlayer2, imgWeapon,
                              imgParticle, imgVihuAmmus}) {
      if (call.pixmap == image->pixmaps[0]) order.push_back(image == imgVihu2 ? imgVihu1 : image);
    }
  }
  EXPECT_EQ(order, (std::vector<std::shared_ptr<TImage>>{imgVihu1, imgShadow, imgPlayer2,
                                                          imgWeapon, imgParticle, imgVihuAmmus}));

  // The death frame: the player is not drawn any more, a shot of its own
  // still in flight brings the enemy down, and the overlay comes on, over
  // the HUD and under the flashes, before the music is paused.
  player->health = 0;
  FireBullet(560, 300, 0, 0);
  SetNow(1500);
  driver->Clear();
  GameFrame();
  ASSERT_EQ(gameOver, 1);
  for (const auto& image : {imgShadow, imgPlayer1, imgPlayer2, imgWeapon}) {
    EXPECT_TRUE(ImagesOf(image).empty());
  }
  auto texts = driver->Calls("Text");
  ASSERT_EQ(texts.size(), 6u);  // the HUD's three lines, then the overlay's
  EXPECT_EQ(texts[3].text, "GAME OVER");
  EXPECT_EQ(texts[4].text, "KILLS: 0");
  const auto& calls = driver->calls;
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[calls.size() - 3].op, "Rect");
  EXPECT_EQ(calls[calls.size() - 2].op, "Rect");
  EXPECT_EQ(SoundLog().back(), "pause music");
  // In silence the overlay blinks on with the beat clock: black at three
  // quarters of a beat, red a half beat later, and it shows the late kill.
  for (int32_t ms : {1731, 1962}) {
    SetNow(ms);
    driver->Clear();
    GameFrame();
    const bool peak = ms == 1962;
    ASSERT_NEAR(pulse, peak ? 1 : 0, 1e-3);
    const float p = pulse;
    const int angle = ms / 18, score = ms / 28;
    expectOverlay(driver->Calls("Text"),
                  {{"GAME OVER", 220 - 2 * p, 250 - p, 2 + 0.1f * p,
                    static_cast<float>(std::sin(angle * deg)), peak ? 255 : 0, 0, 0},
                   {"KILLS: 1", 230, 370, 1, static_cast<float>(std::sin(score * deg)), 255, 255,
                    255},
                   {"press esc to return to menu", 180, 460, 1, 0, 255, 255, 255}});
  }
  EXPECT_EQ(kills, 1);
  EXPECT_EQ(std::count(SoundLog().begin(), SoundLog().end(), "resume music"), 1);
  EXPECT_EQ(SoundLog().back(), "pause music");
  fontMedium = nullptr;
  imgShadow = imgPlayer1 = imgPlayer2 = imgWeapon = imgParticle = nullptr;
}

TEST_F(Recorded, ParticlesTakeTheTintWithGreenFollowingBlueAndTheFlashIsWhite) {
  imgParticle = Picture(4, 4);
  imgParticle2 = Picture(5, 5);
  colorR = 10;
  colorG = 99;
  colorB = 20;
  TParticle::Create(1, 1, 0, 0, 7, 0, 0);  // no colour of its own: keeps the one set before
  TParticle::Create(2, 2, 0, 0, 0, 0, 0);
  TParticle::Create(3, 3, 0, 0, 1, 1, 0);
  TParticle::Create(4, 4, 0, 0, 1, 0, 1);  // the big flash
  TParticle::Create(5, 5, 0, 0, 0, 2, 0);  // no picture of style 2
  int n = 0;
  for (const auto& p : All<TParticle>(particleList)) {
    p->life = 4;
    p->lifetime = 10;
    p->angle = 17 * ++n;
    p->size = 0.5f * n;
  }
  SetColor(1, 2, 3);
  driver->Clear();
  RenderParticles();
  const auto drawn = driver->Calls("Image");
  ASSERT_EQ(drawn.size(), 4u);
  const int want[4][3] = {{1, 2, 3}, {245, 235, 235}, {245, 235, 235}, {255, 255, 255}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(drawn[i].pixmap, (i == 2 ? imgParticle2 : imgParticle)->pixmaps[0]);
    EXPECT_EQ(drawn[i].red, want[i][0]);
    EXPECT_EQ(drawn[i].green, want[i][1]);
    EXPECT_EQ(drawn[i].blue, want[i][2]);
    EXPECT_FLOAT_EQ(drawn[i].tx, i + 1);
    EXPECT_FLOAT_EQ(drawn[i].alpha, 0.4f);
    EXPECT_FLOAT_EQ(drawn[i].rotation, 17 * (i + 1));
    EXPECT_FLOAT_EQ(drawn[i].scale_x, 0.5f * (i + 1));
  }
  imgParticle = imgParticle2 = nullptr;
}

TEST_F(Recorded, AStageChangePushesItsFrameUnderTheOldTintThenDrawsTheNewOne) {
  SetNow(0);
  BeginGame();
  spawnTimer = 1000;
  colorR = 101;
  colorG = 51;
  colorB = 203;
  SetNow(7385);  // the first millisecond of stage 1
  GameFrame();
  ASSERT_EQ(frameList->Count(), 2);
  int r, g, b;
  GetClsColor(r, g, b);
  EXPECT_EQ(r, 50);
  EXPECT_EQ(g, 25);
  EXPECT_EQ(b, 101);
  // The frame's seed is the first draw after its SeedRandom(7385), the new
  // tint the three draws after that.
  SeedRandom(7385);
  EXPECT_EQ(All<TFrame>(frameList).back()->seed, RandomInt(0, 32100));
  EXPECT_EQ(colorR, RandomInt(255, 1));
  EXPECT_EQ(colorG, RandomInt(255, 1));
  EXPECT_EQ(colorB, RandomInt(255, 1));
  // With no frames, drawing them leaves the generator alone.
  frameList = std::make_shared<TList>();
  SeedRandom(99);
  RenderFrames();
  EXPECT_EQ(RandomSeed(), 99);
}
