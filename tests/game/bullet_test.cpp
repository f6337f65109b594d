// Bullets: flight, the limits of the play area, and who they hurt.
#include <gtest/gtest.h>

#include "game/bullet.h"
#include "game/game_loop.h"
#include "game/particle.h"
#include "game/player.h"
#include "game/vihu.h"
#include "game_test_support.h"

using namespace game_test;

class Bullet : public GameTest {
 protected:
  std::shared_ptr<TBullet> Make(int32_t x, int32_t y, int32_t angle, int32_t owner) {
    TBullet::Create(x, y, angle, owner);
    return All<TBullet>(bulletList).back();
  }
  std::shared_ptr<Vihu> EnemyAt(float x, float y) {
    auto enemy = Vihu::New();
    enemy->x = x;
    enemy->y = y;
    return enemy;
  }
};

TEST_F(Bullet, APlayersShotFliesFourteenAndAHalfPixels) {
  auto b = Make(420, 300, 0, 0);
  EXPECT_FLOAT_EQ(b->speed, 14.5f);
  EXPECT_EQ(b->damage, 50);
  EXPECT_EQ(b->border, 32);
  b->Update();
  EXPECT_FLOAT_EQ(b->x, 434.5f);
  EXPECT_FLOAT_EQ(b->y, 300);
}

TEST_F(Bullet, AnEnemyShotScattersByUpToOneDegree) {
  for (int i = 0; i < 50; ++i) {
    auto b = Make(100, 100, 45, 1);
    EXPECT_FLOAT_EQ(b->speed, 4.0f);
    EXPECT_EQ(b->damage, 100);
    EXPECT_GE(b->angle, 44.0f);
    EXPECT_LT(b->angle, 46.0f);
    EXPECT_GE(b->phase, 0);
    EXPECT_LT(b->phase, 1);
  }
}

TEST_F(Bullet, AnUnknownOwnerNeitherMovesNorHits) {
  EnemyAt(100, 100);
  auto b = Make(100, 100, 90, 7);
  EXPECT_FLOAT_EQ(b->xs, 0);
  EXPECT_FLOAT_EQ(b->ys, 0);
  EXPECT_EQ(b->damage, 0);
  b->Update();
  EXPECT_EQ(bulletList->Count(), 1);
}

TEST_F(Bullet, IsDroppedOnlyWhenMoreThanThirtyTwoPixelsOutside) {
  struct Case {
    float x, y;
    bool stays;
  } cases[] = {{832, 300, true},   {832.5f, 300, false}, {-32, 300, true}, {-32.5f, 300, false},
               {400, 632, true},   {400, 632.5f, false}, {400, -32, true}, {400, -32.5f, false}};
  for (const auto& c : cases) {
    bulletList = std::make_shared<TList>();
    auto b = Make(0, 0, 0, 3);  // stands still
    b->x = c.x;
    b->y = c.y;
    b->Update();
    EXPECT_EQ(bulletList->Count(), c.stays ? 1 : 0) << c.x << ", " << c.y;
  }
}

TEST_F(Bullet, OverlappingEnemiesOnlyTheFirstCreatedIsHurt) {
  auto first = EnemyAt(450, 300);
  auto second = EnemyAt(450, 300);
  Make(420, 300, 0, 0)->Update();
  EXPECT_EQ(first->health, 50);
  EXPECT_EQ(second->health, 100);
  EXPECT_EQ(second->hit, 0);
  EXPECT_EQ(bulletList->Count(), 0);
  EXPECT_EQ(particleList->Count(), 6);
}

TEST_F(Bullet, TheHitRadiusIsThirtySevenWholePixels) {
  auto enemy = EnemyAt(500.9f, 300);
  // 36 pixels apart after the move (464.5 truncates to 464, 500.9 to 500).
  Make(450, 300, 0, 0)->Update();
  EXPECT_EQ(enemy->health, 50);
  // 37 apart: a miss.
  Make(449, 300, 0, 0)->Update();
  EXPECT_EQ(enemy->health, 50);
  EXPECT_EQ(bulletList->Count(), 1);
}

TEST_F(Bullet, ADeadButNotYetUpdatedEnemyStillSoaksUpShots) {
  auto enemy = EnemyAt(450, 300);
  enemy->health = 0;
  Make(420, 300, 0, 0)->Update();
  EXPECT_EQ(enemy->health, -50);
  EXPECT_EQ(bulletList->Count(), 0);
}

TEST_F(Bullet, PassesThroughAnEnemyThatIsLeaving) {
  auto enemy = EnemyAt(450, 300);
  enemy->MoveAway();
  Make(420, 300, 0, 0)->Update();
  EXPECT_EQ(enemy->health, 100);
  EXPECT_EQ(bulletList->Count(), 1);
}

TEST_F(Bullet, AnEnemyShotHitsThePlayerOnceWithOneSpark) {
  auto player = TPlayer::New();
  flashRed = 0;
  Make(390, 300, 0, 1)->Update();
  EXPECT_EQ(player->health, 200);
  EXPECT_EQ(SoundLog(), (std::vector<std::string>{"play playerhit 1"}));
  EXPECT_FLOAT_EQ(flashRed, 1.0f);
  EXPECT_EQ(particleList->Count(), 1);
  EXPECT_EQ(bulletList->Count(), 0);
  // Enemy bullets never touch enemies.
  auto enemy = EnemyAt(400, 300);
  Make(390, 300, 0, 1)->Update();
  EXPECT_EQ(enemy->health, 100);
}

TEST_F(Bullet, ThreeEnemyHitsKillThePlayerInItsNextUpdate) {
  auto player = TPlayer::New();
  for (int i = 0; i < 3; ++i) Make(390, 300, 0, 1)->Update();
  EXPECT_EQ(player->health, 0);
  EXPECT_EQ(gameOver, 0);
  player->Update();
  EXPECT_EQ(gameOver, 1);
}

TEST_F(Bullet, EnemyShotsPassThroughThePlayerOnceTheGameIsOver) {
  auto player = TPlayer::New();
  gameOver = 1;
  Make(390, 300, 0, 1)->Update();
  EXPECT_EQ(player->health, 300);
  EXPECT_EQ(bulletList->Count(), 1);
}
