// Enemies: where they appear, how they warm up, when they fire, how they
// leave, wrap and die.
#include <gtest/gtest.h>

#include "game/bullet.h"
#include "game/game_loop.h"
#include "game/particle.h"
#include "game/vihu.h"
#include "game_test_support.h"
#include "system/random.h"

using namespace game_test;

class Enemy : public GameTest {
 protected:
  // An enemy at a chosen place, heading held for a while.
  std::shared_ptr<Vihu> Place(float x, float y, float angle, float speed) {
    auto enemy = Vihu::New();
    enemy->x = x;
    enemy->y = y;
    enemy->angle = angle;
    enemy->speed = speed;
    enemy->movecounter = 1000;
    return enemy;
  }
};

TEST_F(Enemy, SpawnsOnTheEllipseThenReseedsWithTheMouseSum) {
  // From the generator's initial state the spawn angle is 150.8359 degrees.
  auto enemy = Vihu::New();
  EXPECT_NEAR(enemy->x, 33.244267, 1e-4);
  EXPECT_NEAR(enemy->y, 446.19360, 1e-4);
  // mouseXSum 0 reseeds to the initial state, so the heading repeats the angle.
  EXPECT_FLOAT_EQ(enemy->angle, 150.8359375f);
  EXPECT_FLOAT_EQ(enemy->swingspeed, 2.2125630f);
  EXPECT_EQ(enemy->health, 100);
  EXPECT_EQ(enemy->reload, 15);
  EXPECT_EQ(enemy->reloadtime, 50);
  EXPECT_EQ(enemy->startup, 30);
  EXPECT_FLOAT_EQ(enemy->warmup, 1.0f);
  EXPECT_EQ(enemy->size, 37);
  EXPECT_EQ(enemy->border, 32);
  EXPECT_EQ(enemy->movecounter, 0);
}

TEST_F(Enemy, AWaveSharesSwingAndPhaseAndAllButTheFirstShareASpawnPoint) {
  gameTime = 1234;
  mouseXSum = 98765;
  for (int i = 0; i < 4; ++i) SpawnEnemy();
  auto wave = All<Vihu>(enemyList);
  ASSERT_EQ(wave.size(), 4u);
  for (const auto& enemy : wave) {
    EXPECT_EQ(enemy->creation, (1234 % 500) * 9);
    EXPECT_EQ(enemy->swingspeed, wave[0]->swingspeed);
  }
  EXPECT_NE(wave[0]->x, wave[1]->x);
  for (int i = 2; i < 4; ++i) {
    EXPECT_EQ(wave[i]->x, wave[1]->x);
    EXPECT_EQ(wave[i]->y, wave[1]->y);
  }
  // Each draws its own heading in its first update.
  UpdateEnemies();
  EXPECT_NE(wave[1]->angle, wave[2]->angle);
}

TEST_F(Enemy, CreationPhaseKeepsTheSignOfANegativeClock) {
  gameTime = -1234;
  auto enemy = Vihu::New();
  EXPECT_EQ(enemy->creation, -234 * 9);
}

TEST_F(Enemy, HoldsFireForTwentyNineUpdatesThenEveryFifty) {
  graceTimer = 0;
  auto enemy = Place(400, 300, 0, 0);
  std::vector<int> firedAt;
  for (int update = 1; update <= 130; ++update) {
    enemyShotSound = 0;
    enemy->Update();
    if (enemyShotSound == 1) firedAt.push_back(update);
  }
  EXPECT_EQ(firedAt, (std::vector<int>{30, 80, 130}));
  EXPECT_EQ(bulletList->Count(), 3);
  for (const auto& bullet : All<TBullet>(bulletList)) EXPECT_EQ(bullet->owner, 1);
}

TEST_F(Enemy, HoldsFireDuringGraceAndAfterTheGameIsOver) {
  graceTimer = 1;
  auto enemy = Place(400, 300, 0, 0);
  for (int i = 0; i < 60; ++i) enemy->Update();
  EXPECT_EQ(bulletList->Count(), 0);
  gameOver = 1;
  graceTimer = 0;
  for (int i = 0; i < 60; ++i) enemy->Update();
  EXPECT_EQ(bulletList->Count(), 0);
  // Both gates open: it fires at once, its other counters long run out.
  gameOver = 0;
  enemy->Update();
  EXPECT_EQ(bulletList->Count(), 1);
}

TEST_F(Enemy, WarmsUpOverElevenUpdates) {
  auto enemy = Place(400, 300, 0, 0);
  for (int i = 0; i < 11; ++i) enemy->Update();
  EXPECT_GT(enemy->warmup, 0);  // 1 - 11 x 0.09 in single precision
  EXPECT_NEAR(enemy->warmup, 0.01f, 1e-5);
  enemy->Update();
  EXPECT_LT(enemy->warmup, 0);
}

TEST_F(Enemy, LeavesOutwardAcceleratingAndIsDroppedAfterElevenUpdates) {
  auto enemy = Place(700, 300, 123, 2);
  enemy->MoveAway();
  EXPECT_FLOAT_EQ(enemy->angle, 0);
  EXPECT_FLOAT_EQ(enemy->speed, 10);
  std::vector<float> xs{enemy->x};
  int updates = 0;
  while (enemyList->Count() == 1 && updates < 20) {
    UpdateEnemies();
    if (enemyList->Count() == 1) {
      ++updates;
      xs.push_back(enemy->x);
    }
  }
  EXPECT_EQ(updates, 11);
  EXPECT_NEAR(xs[1] - xs[0], 10, 1e-3);
  EXPECT_NEAR(xs[2] - xs[1], 11, 1e-3);
  EXPECT_NEAR(xs[3] - xs[2], 12.1, 1e-3);
  EXPECT_NEAR(xs[4] - xs[3], 13.31, 1e-3);
  EXPECT_EQ(kills, 0);
  EXPECT_EQ(particleList->Count(), 0);
}

TEST_F(Enemy, TenStepsOfMovingAwayStopJustShortOfOneAndAHalf) {
  auto enemy = Place(700, 300, 0, 0);
  enemy->MoveAway();
  for (int i = 0; i < 10; ++i) enemy->Update();
  EXPECT_EQ(enemy->movingaway, 1.4999999f);
  EXPECT_LT(enemy->movingaway, 1.5f);
}

TEST_F(Enemy, ALeavingEnemyDoesNotWrapAndMayStillFire) {
  graceTimer = 0;
  auto enemy = Place(790, 300, 0, 0);
  enemy->startup = 0;
  enemy->reload = 0;
  enemy->warmup = -1;
  enemy->MoveAway();
  enemy->Update();
  EXPECT_EQ(enemyShotSound, 1);
  EXPECT_EQ(bulletList->Count(), 1);
  for (int i = 0; i < 3; ++i) enemy->Update();
  EXPECT_GT(enemy->x, 832);
}

TEST_F(Enemy, WrapsThirtyTwoPixelsBeyondTheEdges) {
  auto left = Place(-31, 300, 180, 2);
  left->Update();
  EXPECT_FLOAT_EQ(left->x, 832);
  auto down = Place(300, 631, 90, 2);
  down->Update();
  EXPECT_FLOAT_EQ(down->y, -32);
  auto right = Place(831, 300, 0, 2);
  right->Update();
  EXPECT_FLOAT_EQ(right->x, -32);
  auto up = Place(300, -31, 270, 2);
  up->Update();
  EXPECT_FLOAT_EQ(up->y, 632);
}

TEST_F(Enemy, TwoHitsKillAndTheKillComesInTheEnemysNextUpdate) {
  auto enemy = Place(500, 300, 0, 0);
  TBullet::Create(480, 300, 0, 0);
  UpdateBullets();
  EXPECT_EQ(enemy->health, 50);
  EXPECT_EQ(enemy->hit, 1);
  EXPECT_EQ(bulletList->Count(), 0);
  EXPECT_EQ(particleList->Count(), 6);
  TBullet::Create(480, 300, 0, 0);
  UpdateBullets();
  EXPECT_EQ(enemy->health, 0);
  EXPECT_EQ(enemyList->Count(), 1);
  EXPECT_EQ(kills, 0);
  UpdateEnemies();
  EXPECT_EQ(enemy->hit, 0);
  EXPECT_EQ(enemyList->Count(), 0);
  EXPECT_EQ(kills, 1);
  EXPECT_EQ(explodeNote, 1);
  // One still flash and 31 pieces of debris.
  auto particles = All<TParticle>(particleList);
  ASSERT_EQ(particles.size(), 12u + 32u);
  auto flash = particles[12];
  EXPECT_EQ(flash->big, 1);
  EXPECT_FLOAT_EQ(flash->xs, 0);
  EXPECT_FLOAT_EQ(flash->size, 9);
  for (size_t i = 13; i < particles.size(); ++i) {
    EXPECT_EQ(particles[i]->color, 1);
    EXPECT_EQ(particles[i]->big, 0);
    EXPECT_GE(particles[i]->xs, -5);
    EXPECT_LE(particles[i]->xs, 4);
  }
}

TEST_F(Enemy, ExplosionNotesCycleAndCarryOverIntoTheNextGame) {
  auto killTwo = [&] {
    for (int kill = 0; kill < 2; ++kill) {
      auto enemy = Place(300, 300, 0, 0);
      enemy->health = 0;
      enemy->Update();
    }
  };
  BeginGame();
  killTwo();
  BeginGame();
  EXPECT_EQ(kills, 0);
  killTwo();
  EXPECT_EQ(kills, 2);
  EXPECT_EQ(explodeNote, 1);
  EXPECT_EQ(SoundLog(),
            (std::vector<std::string>{"cue music", "resume music", "play D 0.5", "play A 0.5",
                                      "cue music", "resume music", "play G 0.5", "play D 0.5"}));
}

TEST_F(Enemy, AnEnemyKilledBeforeBeingSentAwayStillExplodes) {
  auto enemy = Place(500, 300, 0, 0);
  enemy->health = 0;
  enemy->MoveAway();
  UpdateEnemies();
  EXPECT_EQ(kills, 1);
  EXPECT_EQ(enemyList->Count(), 0);
}
