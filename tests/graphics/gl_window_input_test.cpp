// Real X input reaching the polled-input queries through SDL, under Xvfb:
// xdotool presses keys and moves the mouse as a user would. Focusing a window
// and moving the pointer would disturb other tests sharing the display, so
// each case runs again in a copy of this program on an X server of its own.
// Skipped without a display, xvfb-run or xdotool.
#include <gtest/gtest.h>
// After gtest: the X11 headers behind SDL_syswm.h define macros such as None.
#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "graphics/canvas.h"
#include "graphics/opengl/gl_canvas_driver.h"
#include "graphics/sdl/sdl_window.h"
#include "graphics/graphics.h"
#include "system/clock.h"
#include "system/input.h"

namespace {
class GLWindowInput : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xdotool";
    if (!std::getenv("GLOOMFALL_PRIVATE_X")) {
      if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xvfb-run";
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      std::string name = std::string(info->test_suite_name()) + "." + info->name();
      std::string command = "GLOOMFALL_PRIVATE_X=1 xvfb-run -a -s '-screen 0 1024x768x24' "
                            "'" + std::filesystem::read_symlink("/proc/self/exe").string() +
                            "' --gtest_filter=" + name + " 2>&1";
      std::string output;
      FILE* child = popen(command.c_str(), "r");
      ASSERT_NE(child, nullptr);
      char buffer[512];
      while (std::fgets(buffer, sizeof buffer, child)) output += buffer;
      int rc = pclose(child);
      ASSERT_EQ(rc, 0) << name << " failed on its own X server:\n" << output;
      ASSERT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
      delegated = true;
      return;
    }
    SetSystemDriver(nullptr);
    AppTitle = "gloomfall";
    SetGraphicsDriver(TGLCanvasDriver::Instance(), GRAPHICS_BACKBUFFER);
    g = OpenGraphics(800, 600, 0, 60, 0);
    ASSERT_TRUE(g);
    auto& lower = static_cast<TGLGraphics&>(*static_cast<TCanvasGraphics&>(*g)._graphics);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(SDL_GetWindowFromID(lower.WindowID()), &info));
    ASSERT_EQ(info.subsystem, SDL_SYSWM_X11);
    xid = std::to_string(static_cast<unsigned long>(info.info.x11.window));
    Xdo("windowfocus --sync " + xid);
    Settle();
  }
  void TearDown() override {
    if (g && !delegated) {
      Xdo("keyup shift a Escape");
      EndGraphics();
    }
  }
  static void Xdo(const std::string& args) {
    ASSERT_EQ(std::system(("xdotool " + args).c_str()), 0) << args;
  }
  // Gives the X server and SDL time to deliver, pumping as the game would.
  static void Settle() {
    for (int i = 0; i < 10; ++i) {
      Delay(10);
      PollSystem();
    }
  }
  std::shared_ptr<TGraphics> g;
  std::string xid;
  bool delegated = false;  // the case ran in the copy on its own X server
};
}  // namespace

TEST_F(GLWindowInput, KeysPressedOnTheKeyboardReachKeyDownAndKeyHit) {
  if (delegated) return;
  Xdo("keydown a");
  Settle();
  EXPECT_EQ(KeyDown(KEY_A), 1);
  Xdo("keyup a");
  Settle();
  EXPECT_EQ(KeyDown(KEY_A), 0);
  EXPECT_EQ(KeyHit(KEY_A), 1);
  EXPECT_EQ(KeyHit(KEY_A), 0);
  EXPECT_EQ(GetChar(), 'a');

  Xdo("keydown shift");
  Settle();
  EXPECT_EQ(KeyDown(KEY_LSHIFT), 1);
  EXPECT_EQ(KeyDown(16), 0);
  Xdo("keyup shift");
  Xdo("key Escape");
  Settle();
  EXPECT_EQ(KeyDown(KEY_LSHIFT), 0);
  EXPECT_EQ(KeyHit(KEY_ESCAPE), 1);
}

TEST_F(GLWindowInput, TheMouseIsTrackedInClientPixelsAndOutsideWhileAButtonIsHeld) {
  if (delegated) return;
  Xdo("mousemove --window " + xid + " 100 120");
  Settle();
  EXPECT_EQ(MouseX(), 100);
  EXPECT_EQ(MouseY(), 120);
  Xdo("mousedown 1");
  Settle();
  EXPECT_EQ(MouseDown(1), 1);
  // The window's client area starts at screen (32, 32): screen (10, 12) is
  // left of and above it.
  Xdo("mousemove 10 12");
  Settle();
  EXPECT_EQ(MouseX(), -22);
  EXPECT_EQ(MouseY(), -20);
  Xdo("mouseup 1");
  Settle();
  EXPECT_EQ(MouseDown(1), 0);
  EXPECT_EQ(MouseHit(1), 1);
  Xdo("mousemove --window " + xid + " 400 300");
  Xdo("click 3");
  Settle();
  EXPECT_EQ(MouseHit(2), 1);  // the right button is 2
  EXPECT_EQ(MouseX(), 400);
}
