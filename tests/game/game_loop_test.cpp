// Whole game frames stepped with a hand clock and scripted input: waves,
// stage changes, sounds, death and what survives from one game to the next.
#include <gtest/gtest.h>

#include "game/bullet.h"
#include "game/entity.h"
#include "game/frame.h"
#include "game/game_loop.h"
#include "game/player.h"
#include "game/title.h"
#include "game/vihu.h"
#include "game_test_support.h"

using namespace game_test;

namespace {
// One 16-beat stage of the beat clock is 7384.6 ms.
constexpr int32_t kStageMs = 7385;
}  // namespace

class GameLoop : public GameTest {
 protected:
  // n frames, 16 ms apart.
  void Frames(int n) {
    for (int i = 0; i < n; ++i) {
      GameFrame();
      Advance(16);
    }
  }
  std::shared_ptr<TPlayer> Player() { return All<TPlayer>(playerList).front(); }
};

TEST_F(GameLoop, BeginningAGameResetsTheWorldAndStartsTheMusic) {
  SetNow(5000);
  kills = 7;
  level = 3;
  gameOver = 1;
  FireBullet(10, 10, 0, 0);
  BeginGame();
  EXPECT_EQ(gameOver, 0);
  EXPECT_EQ(kills, 0);
  EXPECT_EQ(level, 0);
  EXPECT_EQ(graceTimer, 400);
  EXPECT_EQ(spawnDelay, 1000);
  EXPECT_EQ(spawnCount, 5);
  EXPECT_EQ(startTime, 5000);
  EXPECT_EQ(frameList->Count(), 1);
  EXPECT_EQ(playerList->Count(), 1);
  EXPECT_EQ(enemyList->Count(), 0);
  EXPECT_EQ(bulletList->Count(), 0);
  EXPECT_EQ(particleList->Count(), 0);
  EXPECT_GE(colorR, 1);
  EXPECT_LE(colorR, 255);
  EXPECT_EQ(SoundLog(), (std::vector<std::string>{"cue music", "resume music"}));
}

TEST_F(GameLoop, TheFirstGameBringsAWaveOfSixInItsFirstFrame) {
  BeginGame();
  GameFrame();
  EXPECT_EQ(enemyList->Count(), 6);
  EXPECT_EQ(spawnTimer, 1000);
  EXPECT_EQ(level, 0);
  EXPECT_EQ(frameList->Count(), 1);
  EXPECT_FLOAT_EQ(frameZoomSpeed, 0.05f);
  EXPECT_EQ(graceTimer, 399);
}

TEST_F(GameLoop, TheNextWaveComesAThousandFramesLater) {
  BeginGame();
  Frames(1);
  SetNow(0);  // hold the clock in stage 0
  for (int i = 0; i < 1000; ++i) GameFrame();
  EXPECT_EQ(spawnTimer, 0);
  const int before = enemyList->Count();
  GameFrame();
  EXPECT_EQ(enemyList->Count(), before + 6);
}

TEST_F(GameLoop, AGameAfterOneThatEndedInALaterStageStartsWithAStageChange) {
  lastStage = 3;
  spawnTimer = 250;
  gameTime = 5000;  // the title clock when Space was pressed
  BeginGame();
  const int32_t tint[] = {colorR, colorG, colorB};
  GameFrame();
  EXPECT_EQ(level, 1);
  EXPECT_EQ(frameList->Count(), 2);
  EXPECT_NEAR(flashWhite, 0.9f, 1e-6);
  EXPECT_FALSE(colorR == tint[0] && colorG == tint[1] && colorB == tint[2]);
  EXPECT_EQ(spawnCount, 5);
  EXPECT_EQ(enemyList->Count(), 0);
  for (int frame = 2; frame <= 5; ++frame) {
    GameFrame();
    EXPECT_EQ(enemyList->Count(), 0) << frame;
  }
  GameFrame();
  EXPECT_EQ(enemyList->Count(), 6);
  EXPECT_EQ(level, 1);
}

TEST_F(GameLoop, AGameAfterOneThatEndedInStageZeroCarriesTheWaveTimerOver) {
  lastStage = 0;
  spawnTimer = 300;
  BeginGame();
  for (int i = 0; i < 300; ++i) GameFrame();
  EXPECT_EQ(enemyList->Count(), 0);
  EXPECT_EQ(level, 0);
  GameFrame();
  EXPECT_EQ(enemyList->Count(), 6);
}

TEST_F(GameLoop, AStageChangeClearsEveryBulletSendsEnemiesAwayAndGrowsTheWave) {
  BeginGame();
  GameFrame();
  ASSERT_EQ(enemyList->Count(), 6);
  FireBullet(100, 100, 0, 1);
  FireBullet(200, 100, 90, 0);
  SetNow(kStageMs);
  GameFrame();
  EXPECT_EQ(stage, 1);
  EXPECT_EQ(bulletList->Count(), 0);
  for (const auto& enemy : All<Vihu>(enemyList)) EXPECT_EQ(enemy->TimeHasCome, 1);
  EXPECT_EQ(level, 1);
  EXPECT_EQ(spawnCount, 6);
  EXPECT_EQ(spawnDelay, 990);
  EXPECT_EQ(spawnTimer, 5);  // the new wave of 7 comes in the 7th frame
  EXPECT_EQ(frameList->Count(), 2);
  // The fleeing enemies are gone after their eleven updates.
  for (int i = 0; i < 11; ++i) GameFrame();
  EXPECT_EQ(enemyList->Count(), 7);
  EXPECT_EQ(kills, 0);
}

TEST_F(GameLoop, ThePlayersShotMovesInTheFrameItIsFired) {
  BeginGame();
  MoveMouseTo(600, 300);
  PressButton(1);
  GameFrame();
  auto bullets = All<TBullet>(bulletList);
  ASSERT_EQ(bullets.size(), 1u);
  EXPECT_FLOAT_EQ(bullets[0]->x, 434.5f);
  EXPECT_EQ(Plays("playershoot"), 1);
  EXPECT_EQ(SoundLog().back(), "play playershoot 1");
}

TEST_F(GameLoop, ManyEnemiesFiringInOneFramePlayOneShotSound) {
  BeginGame();
  graceTimer = 0;
  for (int i = 0; i < 5; ++i) {
    auto enemy = Vihu::New();
    enemy->startup = enemy->reload = 1;
    enemy->warmup = 0;
  }
  spawnTimer = 100;
  GameFrame();
  EXPECT_EQ(bulletList->Count(), 5);
  EXPECT_EQ(Plays("enemybullet"), 1);
  EXPECT_EQ(enemyShotSound, 0);
  GameFrame();
  EXPECT_EQ(Plays("enemybullet"), 1);
}

TEST_F(GameLoop, NoEnemyFiresDuringTheFirstFourHundredFrames) {
  BeginGame();
  SetNow(0);
  for (int i = 0; i < 400; ++i) GameFrame();
  EXPECT_EQ(Plays("enemybullet"), 0);
  EXPECT_EQ(graceTimer, 0);
  for (int i = 0; i < 60; ++i) GameFrame();
  EXPECT_GT(Plays("enemybullet"), 0);
}

TEST_F(GameLoop, AfterDeathStagesNeitherRaiseTheLevelNorGrowTheWaves) {
  BeginGame();
  GameFrame();
  Player()->health = 0;
  GameFrame();
  ASSERT_EQ(gameOver, 1);
  EXPECT_EQ(Plays("boom1"), 1);
  EXPECT_EQ(SoundLog().back(), "pause music");
  SetNow(kStageMs);
  GameFrame();
  EXPECT_EQ(stage, 1);
  EXPECT_EQ(level, 0);
  EXPECT_EQ(spawnCount, 5);
  EXPECT_EQ(spawnTimer, 4);
  EXPECT_NEAR(flashWhite, 0.9f, 1e-6);
  for (int i = 0; i < 5; ++i) GameFrame();
  int wave = 0;  // the first wave still leaving, the new one of six beside it
  for (const auto& enemy : All<Vihu>(enemyList)) wave += enemy->TimeHasCome == 0;
  EXPECT_EQ(wave, 6);
  EXPECT_EQ(kills, 0);
  // The music is paused again in every frame of the overlay.
  EXPECT_EQ(SoundLog().back(), "pause music");
}

TEST_F(GameLoop, TheFlashesFadeByATenthPerFrameAndSurviveIntoTheNextGame) {
  BeginGame();
  flashRed = 1.0f;
  flashWhite = 0.35f;
  GameFrame();
  EXPECT_NEAR(flashRed, 0.9f, 1e-6);
  EXPECT_NEAR(flashWhite, 0.25f, 1e-6);
  BeginGame();
  GameFrame();
  EXPECT_NEAR(flashRed, 0.8f, 1e-6);
  for (int i = 0; i < 10; ++i) GameFrame();
  EXPECT_EQ(flashRed, 0);
  EXPECT_EQ(flashWhite, 0);
}

TEST_F(GameLoop, TheMouseSumWrapsInThirtyTwoBits) {
  BeginGame();
  mouseXSum = 2147483647;
  MoveMouseTo(10, 0);
  GameFrame();
  EXPECT_EQ(mouseXSum, -2147483639);
}

TEST_F(GameLoop, TheBeatClockFollowsTheMillisecondsSinceTheMusicStarted) {
  SetNow(1000);
  BeginGame();
  SetNow(1000 + 115);  // a quarter beat
  GameFrame();
  EXPECT_EQ(gameTime, 115);
  EXPECT_NEAR(pulse, 1.0f, 1e-4);
  SetNow(1000 + 346);  // three quarters
  GameFrame();
  EXPECT_NEAR(pulse, 0.0f, 1e-4);
  SetNow(1000 + 7384);
  GameFrame();
  EXPECT_EQ(stage, 0);
  SetNow(1000 + 7385);
  GameFrame();
  EXPECT_EQ(stage, 1);
}
