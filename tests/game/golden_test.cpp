// Draw calls of a whole title iteration and a whole game frame, recorded by
// the recording 2D driver and compared with values worked out by hand from
// the game's rules (the screen-frame layouts come from an independent
// re-computation of the generator's sequence for the seeds involved); and
// the random draws of particles, shots, deaths and a frame's eye, replayed
// from the generator in the order the rules give them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "game/bullet.h"
#include "game/entity.h"
#include "game/frame.h"
#include "game/game_loop.h"
#include "game/particle.h"
#include "game/player.h"
#include "game/title.h"
#include "game/vihu.h"
#include "game_test_support.h"
#include "graphics/canvas.h"
#include "graphics/draw.h"
#include "graphics/graphics.h"
#include "graphics/image.h"
#include "graphics/pixmap.h"
#include "graphics/recording/recording_canvas_driver.h"
#include "system/random.h"

using namespace game_test;

namespace {

bool Is(const TRecordedCall& call, const std::shared_ptr<TImage>& image) {
  return call.op == "Image" && image && call.pixmap == image->pixmaps[0];
}

// A readable expectation for one recorded call.
struct Want {
  std::string op;  // "Rect", "Text" or the name of a picture
  float tx, ty;
  int red, green, blue;
  float alpha, rotation, scale_x, scale_y;
  float w = 0, h = 0;    // Rect: its size
  std::string text = "";
};

class Golden : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    driver = std::make_shared<TRecordingCanvasDriver>();
    SetGraphicsDriver(driver);
    ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
    SetBlend(BLEND_ALPHA);
    AutoMidHandle(1);
    named = {{"help", imgHelp = Picture(40, 30)},      {"shade", imgShade2 = Picture(20, 10)},
             {"mushroom", imgMushroom = Picture(16, 16)}, {"eye", imgEye = Picture(8, 8)},
             {"shadow", imgShadow = Picture(12, 6)},   {"player1", imgPlayer1 = Picture(14, 14)},
             {"player2", imgPlayer2 = Picture(15, 15)}, {"weapon", imgWeapon = Picture(10, 4)},
             {"aim", imgAim = Picture(9, 9)},           {"vihu1", imgVihu1 = Picture(30, 30)},
             {"vihu2", imgVihu2 = Picture(31, 31)},     {"bullet", imgBullet = Picture(5, 5)},
             {"particle2", imgParticle2 = Picture(5, 5)},
             {"vihuammus", imgVihuAmmus = Picture(6, 6)}};
  }
  void TearDown() override {
    EndGraphics();
    for (auto* image : {&imgHelp, &imgShade2, &imgMushroom, &imgEye, &imgShadow, &imgPlayer1,
                        &imgPlayer2, &imgWeapon, &imgAim, &imgVihu1, &imgVihu2, &imgParticle2,
                        &imgBullet, &imgVihuAmmus}) {
      image->reset();
    }
    fontSmall = fontMedium = fontLarge = nullptr;
    GameTest::TearDown();
  }

  // The calls that show something of the game's own: rectangles, texts and
  // the named pictures (the glyphs of texts are left out).
  std::vector<TRecordedCall> Visible() {
    std::vector<TRecordedCall> out;
    for (const auto& call : driver->calls) {
      if (call.op == "Rect" || call.op == "Text" || call.op == "Cls" || call.op == "Flip") {
        out.push_back(call);
      } else if (call.op == "Image") {
        for (const auto& [name, image] : named) {
          if (Is(call, image)) out.push_back(call);
        }
      }
    }
    return out;
  }
  std::string NameOf(const TRecordedCall& call) {
    for (const auto& [name, image] : named) {
      if (Is(call, image)) return name;
    }
    return call.op;
  }
  void Expect(const TRecordedCall& got, const Want& want, int index) {
    SCOPED_TRACE("call " + std::to_string(index) + " " + want.op + " " + want.text);
    EXPECT_EQ(NameOf(got), want.op);
    EXPECT_NEAR(got.tx, want.tx, 5e-4);
    EXPECT_NEAR(got.ty, want.ty, 5e-4);
    EXPECT_EQ(got.red, want.red);
    EXPECT_EQ(got.green, want.green);
    EXPECT_EQ(got.blue, want.blue);
    EXPECT_NEAR(got.alpha, want.alpha, 1e-5);
    EXPECT_NEAR(got.rotation, want.rotation, 1e-3);
    EXPECT_NEAR(got.scale_x, want.scale_x, 1e-5);
    EXPECT_NEAR(got.scale_y, want.scale_y, 1e-5);
    if (want.op == "Rect") {
      EXPECT_NEAR(got.x1 - got.x0, want.w, 2e-3);
      EXPECT_NEAR(got.y1 - got.y0, want.h, 2e-3);
    }
    if (want.op == "Text") {
      EXPECT_EQ(got.text, want.text);
    }
  }
  void ExpectAll(const std::vector<Want>& wants) {
    auto got = Visible();
    ASSERT_EQ(got.size(), wants.size() + 2);  // and the Cls first, the Flip last
    EXPECT_EQ(got.front().op, "Cls");
    EXPECT_EQ(got.back().op, "Flip");
    EXPECT_EQ(got.back().sync, 1);
    for (size_t i = 0; i < wants.size(); ++i) Expect(got[i + 1], wants[i], static_cast<int>(i));
  }

  std::shared_ptr<TRecordingCanvasDriver> driver;
  std::vector<std::pair<std::string, std::shared_ptr<TImage>>> named;
};

}  // namespace

TEST_F(Golden, TheFirstTitleIteration) {
  // Start-up without any data files: no pictures, no sounds, three boxes.
  const auto empty = std::filesystem::temp_directory_path() / "gloomfall-golden-empty";
  std::filesystem::create_directories(empty);
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(empty);
  SetNow(1000);
  EndGraphics();
  ASSERT_TRUE(StartUp());
  std::filesystem::current_path(before);
  EXPECT_EQ(Notices(), (std::vector<std::string>{"Font Not Loaded", "Font Not Loaded",
                                                 "Font Not Loaded"}));
  EXPECT_EQ(titleStart, 1000);
  EXPECT_EQ(frameList->Count(), 2);
  // Both start-up frames were made at game time 0 and share seed 13449; the
  // tint was drawn between them.
  for (const auto& f : All<TFrame>(frameList)) EXPECT_EQ(f->seed, 13449);
  EXPECT_EQ(colorR, 55);
  EXPECT_EQ(colorG, 178);
  EXPECT_EQ(colorB, 39);
  int r, g, b;
  GetClsColor(r, g, b);
  EXPECT_EQ(r, 27);
  EXPECT_EQ(g, 89);
  EXPECT_EQ(b, 19);

  // The pictures the test can tell apart, in place of the missing files.
  imgHelp = named[0].second;
  imgShade2 = named[1].second;
  imgMushroom = named[2].second;
  imgEye = named[3].second;
  driver->Clear();
  SetNow(6300);
  TitleIteration();
  EXPECT_EQ(gameTime, 5300);

  // Each frame: 4 rectangles at scale 0 collapsed onto the centre, rotated by
  // 10 x sin(5300 div 16) degrees, then one faint mushroom; no eye.
  const float swing = -4.8480962f;
  const std::vector<Want> frame = {
      {"Rect", 400, 300, 44, 117, 33, 1, swing, 0, 0, 540, 532},
      {"Rect", 400, 300, 45, 127, 37, 1, swing, 0, 0, 728, 405},
      {"Rect", 400, 300, 41, 159, 31, 1, swing, 0, 0, 685, 277},
      {"Rect", 400, 300, 41, 115, 26, 1, swing, 0, 0, 107, 111},
      {"mushroom", 373.20956f, 98.878274f, 255, 255, 255, 0.19226341f, 338.62162f, 1.2347358f,
       1.2347358f}};
  std::vector<Want> wants = frame;
  wants.insert(wants.end(), frame.begin(), frame.end());
  const float rock = 0.51519038f;  // 1 + sin(5300 div 16)
  const std::vector<Want> rest = {
      {"help", 400, 400, 255, 255, 255, 1, 0, 1, 1},
      {"shade", 400, 300, 0, 0, 0, 0.2f, 0, 2, 2},
      {"Text", 152, 122, 0, 0, 0, 1, 0, 1, 1, 0, 0, "gloomfall"},
      {"Text", 150, 120, 255, 255, 255, 1, 0, 1, 1, 0, 0, "gloomfall"},
      {"Text", 100, 500, 255, 255, 255, 1, rock, 1, 1, 0, 0, "press space to start the game!"},
      {"Text", 220, 250, 255, 255, 255, 1, 7, 1, 1, 0, 0, "controls: "},
      {"Text", 502, 552, 0, 0, 0, 1, rock, 1, 1, 0, 0, "(and esc to quit)"},
      {"Text", 500, 550, 128, 128, 128, 1, rock, 1, 1, 0, 0, "(and esc to quit)"}};
  wants.insert(wants.end(), rest.begin(), rest.end());
  ExpectAll(wants);
  // Before the first game the frames never grow.
  for (const auto& f : All<TFrame>(frameList)) EXPECT_FLOAT_EQ(f->size, 0);
}

TEST_F(Golden, AGameFrameWithEveryKindOfObjectBetweenBeats) {
  gameTime = 2000;  // the title clock when Space was pressed: the frame's seed
  SetNow(10000);
  BeginGame();
  EXPECT_EQ(All<TFrame>(frameList).front()->seed, 5772);
  EXPECT_EQ(colorR, 210);
  EXPECT_EQ(colorG, 165);
  EXPECT_EQ(colorB, 206);
  spawnTimer = 100;  // no wave in this frame
  graceTimer = 0;
  flashRed = 0.5f;
  flashWhite = 0.35f;
  // One enemy leaving, one still appearing that takes a new heading, one
  // that fires at the player; a spark; the player fires at the pointer.
  auto leaving = Vihu::New(), appearing = Vihu::New(), gunner = Vihu::New();
  leaving->x = 250, leaving->y = 130, leaving->warmup = -1;
  leaving->MoveAway();
  appearing->x = 660, appearing->y = 200, appearing->warmup = 0.5f, appearing->movecounter = 1;
  gunner->x = 150, gunner->y = 480, gunner->warmup = -1, gunner->movecounter = 100;
  gunner->startup = gunner->reload = 1, gunner->creation = 27;
  TParticle::Create(300, 200, 3, -2, 1, 1, 0);
  playerX = 400, playerY = 300;
  MoveMouseTo(530, 372);
  PressButton(1);
  driver->Clear();
  SetNow(16900);  // 6900 ms into the music, a pulse of 0.345
  GameFrame();
  const float p = 0.34549227f;
  EXPECT_NEAR(pulse, p, 1e-6);
  EXPECT_EQ(mouseXSum, 530);

  // The new frame after one update: size 0.05, its layout from seed 5772,
  // shaken by the red flash.
  const float swing = 9.5745506f;  // 10 x sin(6900 div 16) + pulse squared
  std::vector<Want> wants = {
      {"Rect", 418.8636f, 291.2136f, 145, 105, 182, 1, swing, 0.05f, 0.05f, 464.7274f, 211.7274f},
      {"Rect", 396.3136f, 297.7136f, 188, 146, 160, 1, swing, 0.05f, 0.05f, 726.7274f, 214.7274f},
      {"Rect", 413.9636f, 292.1636f, 205, 138, 175, 1, swing, 0.05f, 0.05f, 648.7274f, 298.7274f},
      {"Rect", 398.2636f, 283.1136f, 150, 130, 174, 1, swing, 0.05f, 0.05f, 260.7274f, 109.7274f},
      {"Rect", 366.5136f, 299.9136f, 170, 102, 158, 1, swing, 0.05f, 0.05f, 631.7274f, 162.7274f},
      {"Rect", 399.3636f, 311.0136f, 163, 140, 155, 1, swing, 0.05f, 0.05f, 785.7274f, 365.7274f},
      {"Rect", 413.7636f, 282.3636f, 148, 98, 194, 1, swing, 0.05f, 0.05f, 347.7274f, 576.7274f},
      {"Rect", 406.4636f, 277.3636f, 146, 121, 136, 1, swing, 0.05f, 0.05f, 459.7274f, 256.7274f},
      {"Rect", 406.3136f, 299.0136f, 163, 103, 136, 1, swing, 0.05f, 0.05f, 344.7274f, 417.7274f},
      {"mushroom", 654.84255f, 81.814405f, 255, 255, 255, 0.19980456f, 343.24324f, 1.0816722f,
       1.0816722f},
      {"mushroom", 779.39216f, 85.328814f, 255, 255, 255, 0.19153371f, 649.24324f, 1.0816722f,
       1.0816722f},
      {"mushroom", 559.83407f, 350.8487f, 255, 255, 255, 0.13092531f, 529.24324f, 1.0816722f,
       1.0816722f},
      // The enemies, tinted (255 - R, 255 - B, 255 - B); the leaving one's
      // fade carries over to the two after it.
      {"vihu1", 243.38379f, 122.50162f, 45, 49, 49, 0.94f, -8.5314293f, 1.15f, 1.15f},
      {"vihu1", 554.11363f, 242.30636f, 45, 49, 49, 0.94f, -8.5314293f, 0.84008509f, 0.84008509f},
      {"vihu2", 149.12677f, 480.4873f, 45, 49, 49, 0.94f, -9.969924f, 1.4238729f, 1.4238729f},
      // The player, tinted (255 - R, 255 - B / 2, B) and swollen by the beat;
      // shadow and body 10 pixels up, the weapon 15 pixels out towards the pointer.
      {"shadow", 400, 290, 45, 152, 206, 0.5f, 0, 1.0119365f, 1.0119365f},
      {"player1", 400, 290, 45, 152, 206, 1, 0, 1.0119365f, 1.0119365f},
      {"weapon", 413.24421f, 307.04207f, 45, 152, 206, 1, 28, 1.0119365f, 1.0119365f},
      {"particle2", 302.97f, 198.02f, 45, 49, 49, 0.97435898f, 1, 0.99298728f, 0.99298728f},
      // The enemy's shot aimed at 324 degrees, the player's at 28.
      {"vihuammus", 152.24316f, 477.65866f, 117, 183, 183, 1, 326, 1.5358095f, 1.5358095f},
      {"bullet", 429.80273f, 315.80734f, 255, 255, 255, 1, 28, 1, 1},
      {"shade", 400, 300, 0, 0, 0, 0.23580947f, 0, 2, 2}};
  const float hud = 1.0069098f;
  wants.push_back({"Text", 619.6545f, 4.6545f, 255, 255, 255, 1, 10, hud, hud, 0, 0, "KILLS: 0"});
  wants.push_back({"Text", 619.6545f, 49.6545f, 255, 255, 255, 1, 10, hud, hud, 0, 0, "LEVEL: 0"});
  wants.push_back({"Text", 10.23873f, 55, 255, 255, 255, 1, -10, hud, hud, 0, 0, "HEALTH: 300"});
  // The cross-hair, rocked by 2 x sin(6900 div 24) degrees; the flashes fade.
  wants.push_back({"aim", 530, 372, 255, 255, 255, 1, -1.9126095f, 0.93454923f, 0.93454923f});
  wants.push_back({"Rect", 0, 0, 255, 255, 255, 0.25f, 0, 1, 1, 800, 600});
  wants.push_back({"Rect", 0, 0, 255, 0, 0, 0.4f, 0, 1, 1, 800, 600});
  ExpectAll(wants);
}

namespace {

// What a particle got from its thrower and from its own draws.
std::vector<double> Thrown(const TParticle& p) {
  return {p.x, p.y, p.xs, p.ys, double(p.color), double(p.style), double(p.turnspeed), p.scale,
          p.lifetime, p.life};
}
// The same replayed from the generator: the particle draws its spin in the
// constructor, then its growth, then its life; a big one overrides the last two.
std::vector<double> Replayed(double x, double y, int xs, int ys, int color, int style,
                             bool big = false) {
  const double turn = static_cast<int32_t>(RandomFloat(-5, 5));
  const double scale = static_cast<float>(RandomFloat(0.99, 1.01));
  const double life = RandomInt(10, 60);
  return {x, y, double(xs), double(ys), double(color), double(style), turn,
          big ? double(0.9f) : scale, big ? 20 : life, big ? 20 : life};
}
int32_t Trunc(double v) { return static_cast<int32_t>(v); }

}  // namespace

// Each object's draws replayed from the same seed in the order the rules
// give them; a swapped, extra or missing draw shifts every value after it.
TEST_F(Golden, EveryRandomDrawOfTheWorldComesInItsOrder) {
  auto still = [](float x, float y) {
    auto enemy = Vihu::New();
    enemy->x = x;
    enemy->y = y;
    enemy->speed = 0;
    enemy->movecounter = 1000;
    return enemy;
  };
  // Enemy fire: heads of the coin aim at the player, 33 degrees from
  // (100, 100) towards (400, 300), tails draw a direction; then the shot
  // draws its scatter and its phase.
  playerX = 400;
  playerY = 300;
  graceTimer = 0;
  auto gunner = still(100, 100);
  gunner->warmup = -1;
  gunner->startup = 0;
  bool sides[2] = {false, false};
  for (int32_t seed = 100003; !(sides[0] && sides[1]); seed += 100003) {
    bulletList = std::make_shared<TList>();
    gunner->reload = 1;
    SeedRandom(seed);
    gunner->Update();
    SeedRandom(seed);
    const int32_t coin = RandomInt(0, 1);
    const int32_t aim = coin == 0 ? 33 : RandomInt(1, 360);
    const auto angle = static_cast<float>(aim + RandomFloat(-1, 1));
    const auto phase = static_cast<float>(RandomFloat(0, 1));
    const auto shot = All<TBullet>(bulletList);
    ASSERT_EQ(shot.size(), 1u);
    EXPECT_EQ(shot[0]->angle, angle) << "seed " << seed;
    EXPECT_EQ(shot[0]->phase, phase) << "seed " << seed;
    sides[coin] = true;
  }

  // Runs act from a seed, then replays the thrower's draws and each
  // particle's own for every particle thrown.
  auto expectThrown = [](int32_t seed, size_t count, auto act, auto replay) {
    particleList = std::make_shared<TList>();
    SeedRandom(seed);
    act();
    const auto thrown = All<TParticle>(particleList);
    ASSERT_EQ(thrown.size(), count);
    SeedRandom(seed);
    for (size_t i = 0; i < count; ++i) EXPECT_EQ(Thrown(*thrown[i]), replay(i)) << i;
  };
  // Two enemies hit in the same pass, silently: six sparks each, x speed first.
  auto left = still(300, 100), right = still(500, 100);
  bulletList = std::make_shared<TList>();
  TBullet::Create(280, 100, 0, 0);
  TBullet::Create(480, 100, 0, 0);
  SoundLog().clear();
  expectThrown(303, 12, [] { UpdateBullets(); }, [](size_t i) {
    const int32_t xs = Trunc(RandomFloat(-2, 2)), ys = Trunc(RandomFloat(-2, 2));
    return Replayed(i < 6 ? 294 : 494, 100, xs, ys, 0, 0);
  });
  EXPECT_EQ(left->health + right->health, 100);
  EXPECT_TRUE(SoundLog().empty());
  // The player's death: x speed, y speed, colour, 101 times.
  auto player = TPlayer::New();
  player->x = 123.7f;
  player->y = 456.2f;
  player->health = 0;
  expectThrown(404, 101, [&] { player->Update(); }, [](size_t) {
    const int32_t xs = Trunc(RandomFloat(-6, 6)), ys = Trunc(RandomFloat(-6, 6));
    const int32_t color = RandomInt(0, 1);
    return Replayed(123, 456, xs, ys, color, 0);
  });
  // An enemy's explosion: the big flash, then x speed, y speed and style of
  // each of 31 pieces of debris.
  auto doomed = still(250.7f, 130.2f);
  doomed->health = 0;
  graceTimer = 400;
  expectThrown(505, 32, [&] { doomed->Update(); }, [](size_t i) {
    if (i == 0) return Replayed(250, 130, 0, 0, 0, 0, true);
    const int32_t xs = Trunc(RandomFloat(-5, 5)), ys = Trunc(RandomFloat(-5, 5));
    const int32_t style = RandomInt(0, 1);
    return Replayed(250, 130, xs, ys, 1, style);
  });
}

TEST_F(Golden, TheEyeOfAFrameDriftsAndThrobsWithTheBeat) {
  // A layout's draws replayed up to the eye: the first seed that has one.
  double phase = 0, turn = 0, drift = 0;
  int32_t seed = 0;
  for (bool eye = false; !eye;) {
    SeedRandom(++seed);
    for (int32_t i = RandomInt(0, 15); i >= 0; --i) {
      RandomFloat(0.7, 1), RandomFloat(0.6, 1), RandomFloat(0.6, 1);
      RandomInt(-400, 800), RandomInt(-300, 600), RandomInt(100, 800), RandomInt(100, 600);
    }
    eye = RandomInt(0, 2) == 0;
    if (eye) phase = RandomFloat(0, 90), turn = RandomFloat(-500, 800), drift = RandomFloat(0, 100);
  }
  PushFrame();
  All<TFrame>(frameList).front()->seed = seed;
  gameTime = 6100;
  const double deg = kPi / 180;
  for (float p : {0.0f, 0.8f}) {  // a pulse of 0, as before any game, hides it
    pulse = p;
    driver->Clear();
    RenderFrames();
    std::vector<TRecordedCall> eyes;
    for (const auto& call : driver->Calls("Image")) {
      if (Is(call, imgEye)) eyes.push_back(call);
    }
    ASSERT_EQ(eyes.size(), 1u) << "seed " << seed;
    Expect(eyes[0],
           {"eye", static_cast<float>(400 + 300 * std::cos((drift + 6100 / 180.0) * deg)),
            static_cast<float>(300 + 200 * std::sin(6100 / 169.0 * deg)), 255, 255, 255,
            static_cast<float>(std::fabs(std::sin((phase + 6100 / 22.0) * deg)) * p * 0.2),
            static_cast<float>(6100 / 180.0 + turn),
            static_cast<float>(1 + 0.5 * std::cos(71 * deg)),   // 6100 div 85
            static_cast<float>(1 + 0.5 * std::sin(63 * deg))},  // 6100 div 96
           0);
  }
}
