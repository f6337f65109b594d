// The player: walking and wrapping, aiming, firing, and dying once.
#include <gtest/gtest.h>

#include "game/bullet.h"
#include "game/game_loop.h"
#include "game/particle.h"
#include "game/player.h"
#include "game_test_support.h"

using namespace game_test;

class Player : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    player = TPlayer::New();
  }
  std::shared_ptr<TPlayer> player;
};

TEST_F(Player, StartsInTheCentreWithFullHealthAimingRight) {
  EXPECT_FLOAT_EQ(player->x, 400);
  EXPECT_FLOAT_EQ(player->y, 300);
  EXPECT_EQ(player->health, 300);
  EXPECT_EQ(player->shootangle, 0);
  EXPECT_EQ(player->alive, 1);
  EXPECT_EQ(playerList->Count(), 1);
}

TEST_F(Player, WrapsFromTheLeftEdgeToTheRightWithAHeld) {
  player->x = 2;
  PressKey(65);
  player->Update();
  EXPECT_FLOAT_EQ(player->x, 800);
  EXPECT_EQ(playerX, 800);
  player->Update();
  EXPECT_FLOAT_EQ(player->x, 794);
}

TEST_F(Player, WrapsFromTheRightEdgeToTheLeftWithDHeld) {
  player->x = 798;
  PressKey(68);
  player->Update();
  EXPECT_FLOAT_EQ(player->x, 0);
  player->Update();
  EXPECT_FLOAT_EQ(player->x, 6);  // exactly 0 does not wrap
}

TEST_F(Player, WrapsVerticallyAndOpposingKeysCancel) {
  player->y = 4;
  PressKey(87);
  player->Update();
  EXPECT_FLOAT_EQ(player->y, 600);
  PressKey(83);
  player->Update();
  EXPECT_FLOAT_EQ(player->y, 600);  // W and S together: no move, 600 stays
  ReleaseKey(87);
  player->Update();
  EXPECT_FLOAT_EQ(player->y, 0);  // 606 wraps to 0
}

TEST_F(Player, DiagonalsAreNotNormalised) {
  PressKey(68);
  PressKey(83);
  player->Update();
  EXPECT_FLOAT_EQ(player->x, 406);
  EXPECT_FLOAT_EQ(player->y, 306);
}

TEST_F(Player, APointerOnThePlayerAimsLeft) {
  MoveMouseTo(400, 300);
  player->Update();
  EXPECT_EQ(player->shootangle, 180);
}

TEST_F(Player, AimsAtThePointerInWholeDegrees) {
  MoveMouseTo(400, 500);
  player->Update();
  EXPECT_EQ(player->shootangle, 90);
  MoveMouseTo(500, 300);
  player->Update();
  EXPECT_EQ(player->shootangle, 360);
  MoveMouseTo(300, 300);
  player->Update();
  EXPECT_EQ(player->shootangle, 180);
  MoveMouseTo(400, 100);
  player->Update();
  EXPECT_EQ(player->shootangle, 270);
}

TEST_F(Player, AShotAimedDownLeavesTwentyPixelsBelowTheCentre) {
  MoveMouseTo(400, 500);
  PressButton(1);
  player->Update();
  auto bullets = All<TBullet>(bulletList);
  ASSERT_EQ(bullets.size(), 1u);
  EXPECT_FLOAT_EQ(bullets[0]->x, 400);
  EXPECT_FLOAT_EQ(bullets[0]->y, 320);
  EXPECT_FLOAT_EQ(bullets[0]->angle, 90);
  EXPECT_EQ(bullets[0]->owner, 0);
}

TEST_F(Player, AHeldButtonFiresAtOnceAndThenEverySixthUpdate) {
  MoveMouseTo(600, 300);
  PressButton(1);
  std::vector<int> firedAt;
  for (int update = 1; update <= 19; ++update) {
    const int before = bulletList->Count();
    player->Update();
    if (bulletList->Count() > before) firedAt.push_back(update);
  }
  EXPECT_EQ(firedAt, (std::vector<int>{1, 7, 13, 19}));
}

TEST_F(Player, ReleasingTheButtonStopsFiring) {
  MoveMouseTo(600, 300);
  PressButton(1);
  player->Update();
  ReleaseButton(1);
  for (int i = 0; i < 10; ++i) player->Update();
  EXPECT_EQ(bulletList->Count(), 1);
}

TEST_F(Player, PublishesItsHealthAndWholePixelPosition) {
  player->x = 123.9f;
  player->y = 45.5f;
  player->health = 200;
  player->Update();
  EXPECT_EQ(health, 200);
  EXPECT_EQ(playerX, 123);
  EXPECT_EQ(playerY, 45);
}

TEST_F(Player, DiesOnceInTheUpdateAfterTheFatalHit) {
  flashWhite = 0;
  player->health = -100;  // two hits landed before this update
  player->Update();
  EXPECT_EQ(gameOver, 1);
  EXPECT_EQ(player->alive, 0);
  EXPECT_FLOAT_EQ(flashWhite, 1.0f);
  EXPECT_EQ(health, -100);
  EXPECT_EQ(particleList->Count(), 101);
  for (const auto& p : All<TParticle>(particleList)) {
    EXPECT_FLOAT_EQ(p->x, 400);
    EXPECT_FLOAT_EQ(p->y, 300);
    EXPECT_GE(p->xs, -6);
    EXPECT_LE(p->xs, 5);
    EXPECT_GE(p->ys, -6);
    EXPECT_LE(p->ys, 5);
    EXPECT_TRUE(p->color == 0 || p->color == 1);
    EXPECT_EQ(p->style, 0);
    EXPECT_EQ(p->big, 0);
  }
  flashWhite = 0;
  player->Update();
  EXPECT_EQ(particleList->Count(), 101);  // processed once
  EXPECT_FLOAT_EQ(flashWhite, 0);
}

TEST_F(Player, ADeadPlayerStillMovesAndAimsButNeverFires) {
  player->health = 0;
  player->Update();
  ASSERT_EQ(player->alive, 0);
  MoveMouseTo(400, 500);
  PressButton(1);
  PressKey(68);
  for (int i = 0; i < 10; ++i) player->Update();
  EXPECT_EQ(bulletList->Count(), 0);
  EXPECT_FLOAT_EQ(player->x, 460);
  EXPECT_EQ(playerX, 460);
}
