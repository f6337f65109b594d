// Screen frames: the tunnel zoom, ageing, and a layout fixed by the seed.
#include <gtest/gtest.h>

#include "game/frame.h"
#include "game/game_loop.h"
#include "game_test_support.h"
#include "graphics/canvas.h"
#include "graphics/graphics.h"
#include "graphics/recording/recording_canvas_driver.h"
#include "system/random.h"

using namespace game_test;

class Frame : public GameTest {};

TEST_F(Frame, CreateStartsSmallAndFreshAndSetsTheClearColourToHalfTheTint) {
  colorR = 201;
  colorG = 100;
  colorB = 3;
  gameTime = 0;
  SetGraphicsDriver(std::make_shared<TRecordingCanvasDriver>());
  ASSERT_TRUE(OpenGraphics(800, 600, 0, 60, 0));
  auto f = TFrame::Create();
  int r, g, b;
  GetClsColor(r, g, b);
  EndGraphics();
  EXPECT_EQ(r, 100);
  EXPECT_EQ(g, 50);
  EXPECT_EQ(b, 1);
  EXPECT_FLOAT_EQ(f->size, 0);
  EXPECT_FLOAT_EQ(f->zoomspeed, 0.01f);
  EXPECT_EQ(f->life, 1200);
  EXPECT_FLOAT_EQ(f->countdown, 1200);
  EXPECT_FLOAT_EQ(f->fadespeed, 2);
  EXPECT_EQ(f->state, 0);
  EXPECT_EQ(f->getbig, 0);
  EXPECT_EQ(f->seed, 13449);  // the first draw after SeedRandom(0)
  EXPECT_EQ(frameList->Count(), 0);  // Create does not append
}

TEST_F(Frame, TwoFramesMadeInTheSameMillisecondShareALayout) {
  gameTime = 777;
  auto a = TFrame::Create();
  RandomInt(0, 100);  // whatever happens in between
  auto b = TFrame::Create();
  EXPECT_EQ(a->seed, b->seed);
  gameTime = 778;
  EXPECT_NE(TFrame::Create()->seed, a->seed);
}

TEST_F(Frame, RenderLeavesTheGeneratorSeededFromTheClock) {
  gameTime = 4321;
  PushFrame();
  RandomInt(0, 5);
  RenderFrames();
  const int32_t after = RandomSeed();
  SeedRandom(4321);
  EXPECT_EQ(after, RandomSeed());
}

TEST_F(Frame, ANewFrameGrowsTwentyTimesAndTheOlderOnesGrowWithIt) {
  frameZoomSpeed = 0.05f;
  PushFrame();
  auto older = All<TFrame>(frameList).back();
  for (int i = 0; i < 21; ++i) UpdateFrames();
  ASSERT_EQ(older->state, 1);
  const float settled = older->size;
  EXPECT_GT(settled, 1.0f);
  EXPECT_FLOAT_EQ(settled, 1.0000001f);  // 20 steps of 0.05 in single precision

  PushFrame();
  auto newer = All<TFrame>(frameList).back();
  EXPECT_EQ(older->state, 2);
  std::vector<float> olderSizes;
  int passes = 0;
  while (newer->state == 0) {
    UpdateFrames();
    olderSizes.push_back(older->size);
    ++passes;
  }
  EXPECT_EQ(passes, 21);
  EXPECT_EQ(frameGrowing, 1);
  EXPECT_EQ(older->state, 1);
  // The older frame grew in each of those passes, 20 times by the speed.
  EXPECT_NEAR(older->size, settled + 20 * 0.05f, 1e-4);
  // From then on nothing grows.
  for (int i = 0; i < 10; ++i) UpdateFrames();
  EXPECT_FLOAT_EQ(older->size, olderSizes.back());
  EXPECT_GT(newer->size, 1.0f);
  EXPECT_NEAR(newer->size, 1.0f, 1e-5);
}

TEST_F(Frame, AFramePushedBackWhileStillSmallGrowsSixTimesFaster) {
  frameZoomSpeed = 0.05f;
  PushFrame();
  auto first = All<TFrame>(frameList).back();
  for (int i = 0; i < 5; ++i) UpdateFrames();
  EXPECT_NEAR(first->size, 0.25f, 1e-6);
  PushFrame();
  UpdateFrames();
  EXPECT_NEAR(first->size, 0.25f + 6 * 0.05f, 1e-6);
}

TEST_F(Frame, WithoutASpeedNothingGrows) {
  PushFrame();
  PushFrame();
  for (int i = 0; i < 100; ++i) UpdateFrames();
  for (const auto& f : All<TFrame>(frameList)) EXPECT_FLOAT_EQ(f->size, 0);
}

TEST_F(Frame, LivesTwelveHundredUpdatesAndIsRemovedInThe1201stPass) {
  PushFrame();
  auto f = All<TFrame>(frameList).back();
  for (int i = 0; i < 1200; ++i) UpdateFrames();
  EXPECT_EQ(f->life, 0);
  EXPECT_EQ(frameList->Count(), 1);
  UpdateFrames();
  EXPECT_EQ(frameList->Count(), 0);
}

TEST_F(Frame, PushingOntoAnEmptyListOnlyAppends) {
  PushFrame();
  ASSERT_EQ(frameList->Count(), 1);
  EXPECT_EQ(All<TFrame>(frameList).front()->state, 0);
}
