// What the game draws and plays, checked through the recording 2D driver
// and the sound log: the HUD's blinking health line, enemy colours, enemy
// bullet rotation, explosion notes, a game started from the title, the
// game-over overlay with the draw order around it, and a stage change.
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
#include "graphics/recording/recording_canvas_driver.h"
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
    int32_t ms;  // 462: just into the second beat (pulse 0.503); 461: just before (0.496)
    int red, green, blue;
  } cases[] = {{102, 462, 255, 255, 255}, {102, 461, 255, 255, 255}, {101, 462, 255, 0, 0},
               {101, 461, 0, 0, 0},       {100, 462, 255, 0, 0},     {-100, 461, 0, 0, 0}};
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

namespace {

// Where and how a call drew: position, scale, rotation, colour and alpha.
std::vector<float> Drawn(const TRecordedCall& c) {
  return {c.tx, c.ty, c.scale_x, c.scale_y, c.rotation, float(c.red), float(c.green),
          float(c.blue), c.alpha};
}
void ExpectNear(const std::vector<float>& got, const std::vector<float>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-4) << "value " << i;
}

}  // namespace

TEST_F(Recorded, TheGameOverOverlayBlinksOnInSilenceAndCountsLateKills) {
  fontMedium = TImageFont::CreateDefault();
  imgShadow = Picture(12, 6);
  imgPlayer1 = Picture(14, 14);
  imgPlayer2 = Picture(15, 15);
  imgWeapon = Picture(10, 4);
  imgParticle = Picture(4, 4);
  const double deg = kPi / 180;
  // The overlay's three lines, last of the texts, as the rules draw them.
  auto expectOverlay = [&](float p, int32_t ms, const std::string& score) {
    auto texts = driver->Calls("Text");
    ASSERT_GE(texts.size(), 3u);
    texts.erase(texts.begin(), texts.end() - 3);
    EXPECT_EQ(texts[0].text + "|" + texts[1].text + "|" + texts[2].text,
              "GAME OVER|" + score + "|press esc to return to menu");
    const float big = 2 + 0.1f * p;
    ExpectNear(Drawn(texts[0]), {220 - 2 * p, 250 - p, big, big,
                                 float(std::sin(ms / 18 * deg)), p > 0.5f ? 255.f : 0, 0, 0, 1});
    ExpectNear(Drawn(texts[1]), {230, 370, 1, 1, float(std::sin(ms / 28 * deg)), 255, 255, 255, 1});
    ExpectNear(Drawn(texts[2]), {180, 460, 1, 1, 0, 255, 255, 255, 1});
    for (const auto& text : texts) EXPECT_EQ(text.font, fontMedium);
  };
  // Straight over any draw state, red just above half a pulse, black at half;
  // it leaves fontMedium, scale 1, alpha 1, rotation 0 and white.
  gameTime = 1500;
  kills = 12;
  for (float p : {0.503f, 0.5f}) {
    pulse = p;
    SetImageFont(nullptr);
    SetScale(3, 4);
    SetAlpha(0.25f);
    SetRotation(45);
    SetColor(1, 2, 3);
    driver->Clear();
    GameOverScreen();
    expectOverlay(p, 1500, "KILLS: 12");
    float sx, sy;
    GetScale(sx, sy);
    int r, g, b;
    GetColor(r, g, b);
    EXPECT_EQ(GetImageFont(), fontMedium);
    EXPECT_EQ((std::vector<float>{sx, sy, GetAlpha(), GetRotation(), float(r), float(g), float(b)}),
              (std::vector<float>{1, 1, 1, 0, 255, 255, 255}));
  }

  // In a game: enemies are drawn first, then the player (shadow, body,
  // weapon), the particles and the bullets; at 769 ms, enemy and player
  // show their second picture (769 div 256 is odd, div 257 even). Particles of
  // colour 0 and 1 take the tint with green following blue, the big flash is
  // white, and one of no colour keeps the player's.
  SetNow(0);
  BeginGame();
  spawnTimer = 1000;
  colorR = 10;
  colorG = 99;
  colorB = 20;
  imgParticle2 = Picture(5, 5);
  auto enemy = Vihu::New();
  enemy->x = 600;
  enemy->y = 300;
  enemy->speed = 0;
  enemy->movecounter = 1000;
  enemy->health = 50;
  TParticle::Create(50, 50, 0, 0, 7, 0, 0);
  TParticle::Create(50, 50, 0, 0, 1, 1, 0);
  TParticle::Create(50, 50, 0, 0, 0, 0, 1);
  TParticle::Create(50, 50, 0, 0, 0, 0, 0);
  FireBullet(100, 500, 0, 1);
  auto order = [&] {
    const std::pair<char, std::shared_ptr<TImage>> cast[] = {
        {'E', imgVihu1},  {'E', imgVihu2},    {'s', imgShadow},  {'1', imgPlayer1},
        {'2', imgPlayer2}, {'w', imgWeapon}, {'p', imgParticle}, {'q', imgParticle2},
        {'b', imgVihuAmmus}};
    std::string out;
    for (const auto& call : driver->Calls("Image")) {
      for (const auto& [letter, image] : cast) {
        if (call.pixmap == image->pixmaps[0]) out += letter;
      }
    }
    return out;
  };
  SetNow(769);
  driver->Clear();
  GameFrame();
  EXPECT_EQ(order(), "Es2wpqppb");
  const double p2 = pulse * pulse;  // what swells with the beat follows its square
  EXPECT_NEAR(driver->Calls("Rect")[0].rotation, 10 * std::sin(48 * deg) + p2, 1e-5);
  EXPECT_NEAR(ImagesOf(imgVihu2).at(0).scale_x, (0.9 + 0.2 * p2) * (1 - enemy->warmup), 1e-6);
  EXPECT_NEAR(ImagesOf(imgShadow).at(0).scale_x, 1 + 0.1 * p2, 1e-6);
  EXPECT_NEAR(ImagesOf(imgVihuAmmus).at(0).scale_x, 1 + 0.3 * p2, 1e-6);
  EXPECT_NEAR(TextCall("HEALTH: ").tx, 10 + 2 * p2, 1e-5);
  std::vector<int> tints;
  for (const auto& call : driver->Calls("Image")) {
    if (call.pixmap == imgParticle->pixmaps[0] || call.pixmap == imgParticle2->pixmaps[0]) {
      tints.insert(tints.end(), {call.red, call.green, call.blue});
    }
  }
  EXPECT_EQ(tints, (std::vector<int>{245, 245, 20, 245, 235, 235, 255, 255, 255, 245, 235, 235}));

  // The death frame: the player is not drawn any more (101 particles burst
  // from it), a shot of its own still in flight strikes the enemy (6
  // sparks), and the overlay comes on after the HUD, before the flashes
  // and before the music is paused.
  All<TPlayer>(playerList).front()->health = 0;
  FireBullet(560, 300, 0, 0);
  SetNow(1500);
  driver->Clear();
  GameFrame();
  ASSERT_EQ(gameOver, 1);
  EXPECT_EQ(order(), "Epqpp" + std::string(107, 'p') + "b");
  EXPECT_EQ(driver->Count("Text"), 6);
  expectOverlay(pulse, 1500, "KILLS: 0");
  const auto& calls = driver->calls;
  EXPECT_EQ(calls[calls.size() - 3].op + calls[calls.size() - 2].op, "RectRect");
  EXPECT_EQ(SoundLog().back(), "pause music");
  // In silence the overlay blinks on with the beat clock, black at three
  // quarters of a beat and red a half beat later, counting the late kill.
  for (int32_t ms : {1731, 1962}) {
    SetNow(ms);
    driver->Clear();
    GameFrame();
    ASSERT_NEAR(pulse, ms == 1962 ? 1 : 0, 1e-3);
    expectOverlay(pulse, ms, "KILLS: 1");
  }
  EXPECT_EQ(std::count(SoundLog().begin(), SoundLog().end(), "resume music"), 1);
  EXPECT_EQ(SoundLog().back(), "pause music");
  fontMedium = nullptr;
  imgShadow = imgPlayer1 = imgPlayer2 = imgWeapon = imgParticle = imgParticle2 = nullptr;
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
  EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{50, 25, 101}));
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
