// The renderers from outside: GLOOMFALL_RENDERER's choices and its refusal
// of anything else, and full screen on a 1280 x 720 display with each
// renderer: F11 fills the screen with the frame scaled by 1.2 between black
// bands, and F11 again gives the 800 x 600 window back.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>

#include "tests/e2e/harness.h"

namespace {

// The box of white pixels in a region, as x0, y0, x1, y1.
struct Box {
  int x0 = INT_MAX, y0 = INT_MAX, x1 = -1, y1 = -1;
};
Box WhiteBox(const Shot& s, int x0, int y0, int x1, int y1) {
  Box b;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const uint32_t p = s.at(x, y);
      if (!White(int(p >> 16 & 255), int(p >> 8 & 255), int(p & 255))) continue;
      b.x0 = std::min(b.x0, x), b.y0 = std::min(b.y0, y), b.x1 = std::max(b.x1, x), b.y1 = std::max(b.y1, y);
    }
  return b;
}

std::string Geometry(GameProcess& game, const std::string& window) {
  std::string g = game.xdo("getwindowgeometry " + window);
  return g.substr(g.find("Geometry:") + 10, g.find('\n', g.find("Geometry:")) - g.find("Geometry:") - 10);
}

}  // namespace

TEST(Renderer, AnUnknownNameIsRefusedBeforeAnythingOpens) {
  int status = 0;
  const std::string out = RunCommand(":0", "cd " + Quote(GLOOMFALL_DATA_DIR) +
                                               " && GLOOMFALL_RENDERER=vulkan DISPLAY= " +
                                               Quote(GLOOMFALL_BINARY) + " 2>&1",
                                     &status);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(out, "gloomfall: GLOOMFALL_RENDERER must be \"gl\" or \"gles2\", not \"vulkan\"\n");
}

TEST(Renderer, FullScreenScalesTheFrameBetweenBlackBandsWithEitherRenderer) {
  for (const char* renderer : {"gl", "gles2"}) {
    SCOPED_TRACE(renderer);
    XServer x("1280x720x24");
    ASSERT_TRUE(x.ok());
    const std::string audio = std::string(GLOOMFALL_BUILD_DIR) + "/e2e/fullscreen.raw";
    std::filesystem::create_directories(std::string(GLOOMFALL_BUILD_DIR) + "/e2e");
    GameProcess game(x, GLOOMFALL_DATA_DIR, audio, "/usr/bin/env",
                     {std::string("GLOOMFALL_RENDERER=") + renderer, GLOOMFALL_BINARY});
    const std::string window = game.FindWindow("gloomfall");
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(WaitForTitle(x.display(), window));
    const Shot before = Screenshot(x.display(), window);
    ASSERT_EQ(before.width, 800);
    game.xdo("windowfocus --sync " + window);
    game.xdo("key F11");
    auto lit = [](int r, int g, int b) { return r + g + b > 0; };
    Shot full;
    // Full screen once the window has its new size and a frame fills it.
    EXPECT_TRUE(Eventually([&] {
      full = Screenshot(x.display());
      return Geometry(game, window) == "1280x720" && Count(full, 160, 0, 1120, 720, lit) > 600000;
    }));
    ASSERT_EQ(full.width, 1280);
    WritePng(full, std::string(GLOOMFALL_BUILD_DIR) + "/e2e/fullscreen-" + renderer + ".png");
    EXPECT_EQ(Geometry(game, window), "1280x720");
    EXPECT_EQ(Count(full, 0, 0, 160, 720, lit), 0) << "the left band is black";
    EXPECT_EQ(Count(full, 1120, 0, 1280, 720, lit), 0) << "the right band is black";
    EXPECT_GT(Count(full, 160, 0, 1120, 720, lit), 600000) << "the frame fills the middle";
    // The name lands at 1.2 times its place in the window, moved by the band.
    const Box a = WhiteBox(before, 150, 120, 520, 190);
    const Box b = WhiteBox(full, 160 + 180, 144, 160 + 624, 228);
    ASSERT_GE(a.x1, 0);
    EXPECT_NEAR(b.x0, 160 + a.x0 * 1.2, 2.5);
    EXPECT_NEAR(b.x1, 160 + a.x1 * 1.2, 2.5);
    EXPECT_NEAR(b.y0, a.y0 * 1.2, 2.5);
    EXPECT_NEAR(b.y1, a.y1 * 1.2, 2.5);
    game.xdo("key F11");
    EXPECT_TRUE(Eventually([&] { return Geometry(game, window) == "800x600"; }));
    game.Hold("Escape", 300);
    EXPECT_EQ(game.WaitExit(5000), 0);
  }
}
