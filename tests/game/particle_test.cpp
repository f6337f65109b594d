// Particles: flight with friction, spin, growth, fading and removal.
#include <gtest/gtest.h>

#include <cmath>

#include "game/game_loop.h"
#include "game/particle.h"
#include "game_test_support.h"

using namespace game_test;

class Particle : public GameTest {
 protected:
  std::shared_ptr<TParticle> Make(int x, int y, int xs, int ys, int color, int style, int big) {
    TParticle::Create(x, y, xs, ys, color, style, big);
    return All<TParticle>(particleList).back();
  }
};

TEST_F(Particle, ANormalParticleDrawsItsRangesFromTheGenerator) {
  for (int i = 0; i < 200; ++i) {
    auto p = Make(1, 2, 3, 4, 1, 1, 0);
    EXPECT_GE(p->turnspeed, -5);
    EXPECT_LE(p->turnspeed, 4);
    EXPECT_GE(p->scale, 0.99f);
    EXPECT_LT(p->scale, 1.01f);
    EXPECT_GE(p->lifetime, 10);
    EXPECT_LE(p->lifetime, 60);
    EXPECT_EQ(p->lifetime, std::trunc(p->lifetime));
    EXPECT_EQ(p->life, p->lifetime);
    EXPECT_FLOAT_EQ(p->friction, 0.99f);
    EXPECT_FLOAT_EQ(p->size, 1.0f);
    EXPECT_EQ(p->angle, 0);
    EXPECT_EQ(p->big, 0);
  }
}

TEST_F(Particle, AParticleOfLifetimeTenMovesSlowsFadesAndGoesInItsTenthUpdate) {
  auto p = Make(100, 100, 4, 0, 0, 0, 0);
  p->lifetime = 10;
  p->life = 10;
  p->Update();
  EXPECT_NEAR(p->x, 103.96, 1e-4);
  EXPECT_FLOAT_EQ(p->y, 100);
  EXPECT_FLOAT_EQ(p->life / p->lifetime, 0.9f);
  EXPECT_EQ(p->angle, p->turnspeed);
  for (int update = 2; update <= 9; ++update) p->Update();
  EXPECT_EQ(particleList->Count(), 1);
  EXPECT_FLOAT_EQ(p->life / p->lifetime, 0.1f);
  p->Update();
  EXPECT_EQ(particleList->Count(), 0);
}

TEST_F(Particle, TheBigFlashLivesTwentyUpdatesShrinkingFromNine) {
  auto p = Make(50, 60, 0, 0, 0, 0, 1);
  EXPECT_FLOAT_EQ(p->size, 9.0f);
  EXPECT_FLOAT_EQ(p->scale, 0.9f);
  EXPECT_FLOAT_EQ(p->lifetime, 20);
  p->Update();
  EXPECT_NEAR(p->size, 8.1, 1e-5);
  EXPECT_FLOAT_EQ(p->life / p->lifetime, 0.95f);
  int updates = 1;
  while (particleList->Count() == 1) {
    if (p->life == 1) {
      EXPECT_NEAR(p->size, 9 * std::pow(0.9, 19), 1e-4);  // its last drawn size, about 1.22
      EXPECT_FLOAT_EQ(p->life / p->lifetime, 0.05f);
    }
    p->Update();
    ++updates;
  }
  EXPECT_EQ(updates, 20);
  EXPECT_FLOAT_EQ(p->x, 50);  // a still particle stays where it was thrown
  EXPECT_FLOAT_EQ(p->y, 60);
}

TEST_F(Particle, OnlyABigOneIsBigAndOtherStylesAreKept) {
  auto p = Make(0, 0, 0, 0, 5, 9, 2);
  EXPECT_EQ(p->big, 0);
  EXPECT_EQ(p->style, 9);
  EXPECT_EQ(p->color, 5);
}
