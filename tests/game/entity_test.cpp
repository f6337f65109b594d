// The shared helpers and the list walks of the world.
#include <gtest/gtest.h>

#include "game/bullet.h"
#include "game/entity.h"
#include "game/game_loop.h"
#include "game/particle.h"
#include "game/title.h"
#include "game/vihu.h"
#include "game_test_support.h"
#include "graphics/graphics.h"
#include "graphics/image.h"
#include "graphics/recording/recording_canvas_driver.h"

using namespace game_test;

TEST(Distance, TruncatesTheRootOfWholePixels) {
  EXPECT_EQ(Distance(0, 0, 3, 4), 5);
  EXPECT_EQ(Distance(0, 0, 1, 1), 1);  // 1.414... truncates
  EXPECT_EQ(Distance(5, 5, 5, 5), 0);
  EXPECT_EQ(Distance(10, 0, 0, 0), 10);
  EXPECT_EQ(Distance(0, 0, 36, 10), 37);  // sqrt(1396) = 37.36
  EXPECT_EQ(Distance(0, 0, 36, 9), 37);   // sqrt(1377) = 37.1: not within 37
  EXPECT_EQ(Distance(0, 0, 36, 8), 36);   // sqrt(1360) = 36.9
}

TEST(Distance, HugeCoordinatesDoNotCrash) {
  // The squares wrap in 32 bits; whatever comes out, it is a number.
  const int32_t d = Distance(-2000000000, 0, 2000000000, 0);
  EXPECT_GE(d, 0);
}

TEST(WithinDistance, AgreesWithTheTruncatedDistanceEverywhereNearTheRadius) {
  for (int32_t radius : {0, 1, 20, 37}) {
    for (int32_t dx = -45; dx <= 45; ++dx) {
      for (int32_t dy = -45; dy <= 45; ++dy) {
        ASSERT_EQ(WithinDistance(100, 200, 100 + dx, 200 + dy, radius),
                  Distance(100, 200, 100 + dx, 200 + dy) < radius)
            << dx << ", " << dy << " within " << radius;
      }
    }
  }
}

TEST(AngleTo, PointsFromTheFirstPointToTheSecond) {
  EXPECT_EQ(AngleTo(0, 0, 10, 0), 360);  // not 0
  EXPECT_EQ(AngleTo(0, 0, 0, 10), 90);   // down the screen
  EXPECT_EQ(AngleTo(5, 5, 5, 5), 180);   // coinciding points
  EXPECT_EQ(AngleTo(0, 0, -10, 0), 180);
  EXPECT_EQ(AngleTo(0, 0, 0, -10), 270);
  EXPECT_EQ(AngleTo(0, 0, 10, 10), 45);
}

TEST(Lerp, IsAPlusTTimesTheSpan) {
  EXPECT_DOUBLE_EQ(Lerp(0, 400, 700), 400);
  EXPECT_DOUBLE_EQ(Lerp(1, 400, 700), 700);
  EXPECT_DOUBLE_EQ(Lerp(0.25, 400, 700), 475);
}

class WorldLists : public GameTest {};

TEST_F(WorldLists, ClearBulletsEmptiesTheListAndToleratesAnEmptyOne) {
  ClearBullets();
  EXPECT_EQ(bulletList->Count(), 0);
  for (int i = 0; i < 5; ++i) FireBullet(100, 100, 0, 0);
  FireBullet(100, 100, 0, 1);
  EXPECT_EQ(bulletList->Count(), 6);
  ClearBullets();
  EXPECT_EQ(bulletList->Count(), 0);
}

TEST_F(WorldLists, AnEnemyThatHasMovedAwayIsDroppedWithoutExplodingOrCounting) {
  SpawnEnemy();
  auto enemy = All<Vihu>(enemyList).front();
  enemy->movingaway = 1.5f;
  enemy->health = 0;  // would explode if it were updated
  UpdateEnemies();
  EXPECT_EQ(enemyList->Count(), 0);
  EXPECT_EQ(kills, 0);
  EXPECT_EQ(particleList->Count(), 0);
  EXPECT_EQ(explodeNote, 0);
}

TEST_F(WorldLists, ObjectsRemovedInTheirUpdateAreNotDrawnAndTheWalkGoesOn) {
  auto driver = std::make_shared<TRecordingCanvasDriver>();
  SetGraphicsDriver(driver);
  ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
  imgParticle = Picture(4, 4);
  // Three particles on their last update, between two that live on.
  for (int i = 1; i <= 5; ++i) TParticle::Create(10 * i, 0, 0, 0, 0, 0, 0);
  auto all = All<TParticle>(particleList);
  for (int i = 1; i <= 3; ++i) all[i]->life = 1;
  all[0]->life = all[4]->life = 30;
  UpdateParticles();
  auto left = All<TParticle>(particleList);
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0], all[0]);
  EXPECT_EQ(left[1], all[4]);
  EXPECT_FLOAT_EQ(all[4]->life, 29);  // the walk reached the last one
  RenderParticles();
  const auto drawn = driver->Calls("Image");
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_FLOAT_EQ(drawn[0].tx, 10);
  EXPECT_FLOAT_EQ(drawn[1].tx, 50);
  EndGraphics();
  imgParticle = nullptr;
}
