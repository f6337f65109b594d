// The game's window on a real OpenGL context (under Xvfb): its size, place
// and caption, clearing, the swap interval, GraphicsSeq, the shared context,
// the close request, foreign windows, and the paced Flip(1). Skipped without a display.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "graphics/canvas.h"
#include "graphics/opengl/gl_canvas_driver.h"
#include "graphics/sdl/sdl_window.h"
#include "graphics/graphics.h"
#include "system/clock.h"
#include "system/input.h"

// Last: the X11 headers it pulls in define macros (None, Bool) the others use as names.
#include <SDL_syswm.h>

namespace {
class GLWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    SetSystemDriver(nullptr);
    AppTitle = "gloomfall";
    SetGraphicsDriver(TGLCanvasDriver::Instance(), GRAPHICS_BACKBUFFER);
    g = OpenGraphics(800, 600, 0, 60, 0);
    ASSERT_TRUE(g) << "no OpenGL window could be made";
  }
  void TearDown() override { EndGraphics(); }

  TGLGraphics& Lower() { return static_cast<TGLGraphics&>(*static_cast<TCanvasGraphics&>(*g)._graphics); }
  SDL_Window* Window() { return SDL_GetWindowFromID(Lower().WindowID()); }

  static uint32_t BackBufferPixel(int x, int y_from_top) {
    unsigned char rgba[4] = {0, 0, 0, 0};
    glReadBuffer(GL_BACK);
    glReadPixels(x, 600 - 1 - y_from_top, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return (uint32_t(rgba[0]) << 16) | (uint32_t(rgba[1]) << 8) | rgba[2];
  }

  std::shared_ptr<TGraphics> g;
};
}  // namespace

TEST_F(GLWindow, ClientAreaIs800By600At32_32CaptionedGloomfall) {
  ASSERT_NE(Window(), nullptr);
  int w = 0, h = 0, x = 0, y = 0;
  SDL_GetWindowSize(Window(), &w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  SDL_GetWindowPosition(Window(), &x, &y);
  EXPECT_EQ(x, 32);
  EXPECT_EQ(y, 32);
  EXPECT_STREQ(SDL_GetWindowTitle(Window()), "gloomfall");
  EXPECT_FALSE(SDL_GetWindowFlags(Window()) & SDL_WINDOW_RESIZABLE);
  EXPECT_TRUE(SDL_GetWindowFlags(Window()) & SDL_WINDOW_SHOWN);
  int dw = 0, dh = 0;
  SDL_GL_GetDrawableSize(Window(), &dw, &dh);
  EXPECT_EQ(dw, 800);
  EXPECT_EQ(dh, 600);
  EXPECT_EQ(GraphicsWidth(), 800);
  EXPECT_EQ(GraphicsHeight(), 600);
  EXPECT_EQ(GraphicsDepth(), 0);
  EXPECT_EQ(GraphicsHertz(), 60);
  EXPECT_EQ(GraphicsFlags(), GRAPHICS_BACKBUFFER);
  int doublebuffer = 0;
  SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doublebuffer);
  EXPECT_EQ(doublebuffer, 1);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 800);
  EXPECT_EQ(viewport[3], 600);
}

TEST_F(GLWindow, OpeningClearsToBlackAndClsUsesTheClearColour) {
  EXPECT_EQ(BackBufferPixel(0, 0), 0x000000u);
  EXPECT_EQ(BackBufferPixel(799, 599), 0x000000u);
  SetClsColor(10, 20, 30);
  Cls();
  EXPECT_EQ(BackBufferPixel(0, 0), 0x0A141Eu);
  EXPECT_EQ(BackBufferPixel(400, 300), 0x0A141Eu);
  EXPECT_EQ(BackBufferPixel(799, 599), 0x0A141Eu);
  // Out-of-range components are clamped by the driver but kept as given.
  SetClsColor(300, -5, 255);
  Cls();
  EXPECT_EQ(BackBufferPixel(5, 5), 0xFF00FFu);
  int r, gr, b;
  GetClsColor(r, gr, b);
  EXPECT_EQ(r, 300);
  EXPECT_EQ(gr, -5);
  EXPECT_EQ(b, 255);
  // And it survives a presented frame.
  Flip(0);
  SetClsColor(10, 20, 30);
  Cls();
  Flip(0);
  Cls();
  EXPECT_EQ(BackBufferPixel(100, 100), 0x0A141Eu);
}

TEST_F(GLWindow, ProjectionIsOnePixelPerUnitWithYDown) {
  SetClsColor(0, 0, 0);
  Cls();
  glDisable(GL_TEXTURE_2D);
  glColor3ub(255, 0, 0);
  glBegin(GL_QUADS);
  glVertex2f(10, 20);
  glVertex2f(30, 20);
  glVertex2f(30, 25);
  glVertex2f(10, 25);
  glEnd();
  EXPECT_EQ(BackBufferPixel(10, 20), 0xFF0000u);
  EXPECT_EQ(BackBufferPixel(29, 24), 0xFF0000u);
  EXPECT_EQ(BackBufferPixel(30, 20), 0x000000u);
  EXPECT_EQ(BackBufferPixel(10, 25), 0x000000u);
  EXPECT_EQ(BackBufferPixel(9, 19), 0x000000u);
}

TEST_F(GLWindow, SwapIntervalIsSentOnlyWhenSyncChanges) {
  Flip(0);
  int sends = GLSwapIntervalSends();
  Flip(0);
  EXPECT_EQ(GLSwapIntervalSends(), sends);
  Flip(1);
  EXPECT_EQ(GLSwapIntervalSends(), sends + 1);
  Flip(1);
  Flip(5);  // any nonzero sync is 1
  EXPECT_EQ(GLSwapIntervalSends(), sends + 1);
  Flip(0);
  EXPECT_EQ(GLSwapIntervalSends(), sends + 2);
  // One value for the whole process: a new window does not send it again.
  OpenGraphics(800, 600, 0, 60, 0);
  Flip(0);
  EXPECT_EQ(GLSwapIntervalSends(), sends + 2);
}

TEST(GLWindowFresh, TheFirstFlipOfTheProcessAlwaysSendsTheSwapInterval) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
  // In a fresh copy of this program, where nothing has flipped yet.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        int before = GLSwapIntervalSends();
        SetGraphicsDriver(TGLCanvasDriver::Instance(), GRAPHICS_BACKBUFFER);
        // The context's first MakeCurrent flips with 0 to clear both buffers.
        auto g = OpenGraphics(640, 480, 0, 60, 0);
        std::exit(g && before == 0 && GLSwapIntervalSends() == 1 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(GLWindow, OpeningTwiceClosesTheFirstWindowAndAdvancesGraphicsSeqTwice) {
  int seq = GraphicsSeq;
  auto first_lower = std::static_pointer_cast<TGLGraphics>(static_cast<TCanvasGraphics&>(*g)._graphics);
  uint32_t first_id = first_lower->WindowID();
  g = OpenGraphics(800, 600, 0, 60, 0);
  ASSERT_TRUE(g);
  EXPECT_EQ(GraphicsSeq, seq + 2);
  EXPECT_EQ(first_lower->_context, nullptr);
  EXPECT_EQ(first_lower->WindowID(), 0u);
  EXPECT_EQ(SDL_GetWindowFromID(first_id), nullptr);
  EXPECT_NE(Window(), nullptr);
  EXPECT_EQ(TCanvasGraphics::Current(), g);
  EndGraphics();
  EXPECT_EQ(GraphicsSeq, seq + 3);
  EXPECT_EQ(TCanvasGraphics::Current(), nullptr);
  EXPECT_EQ(GraphicsWidth(), 0);
}

// SDL's wrapper of a foreign window goes with the graphics attached to it,
// and with an attach that fails; the window itself stays its owner's.
TEST_F(GLWindow, AttachingToAForeignWindowLeavesNoWrapperBehind) {
  SDL_Window* owner = SDL_CreateWindow("foreign", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
  ASSERT_NE(owner, nullptr);
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  ASSERT_TRUE(SDL_GetWindowWMInfo(owner, &info));
  auto sdl_windows = [] {
    int n = 0;
    for (Uint32 id = 1; id < 1024; ++id) n += SDL_GetWindowFromID(id) != nullptr;
    return n;
  };
  const int before = sdl_windows();
  // With GL allowed on foreign windows the attach works; without, SDL refuses the context.
  for (const char* gl : {"1", "0"}) {
    SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, gl);
    auto attached = AttachGraphics(reinterpret_cast<void*>(static_cast<uintptr_t>(info.info.x11.window)), 0);
    EXPECT_EQ(attached != nullptr, gl[0] == '1');
    if (attached) CloseGraphics(attached);
    EXPECT_EQ(sdl_windows(), before) << "foreign GL " << gl;
  }
  SDL_ResetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL);
  SDL_DestroyWindow(owner);
  EXPECT_NE(Window(), nullptr);
}

TEST_F(GLWindow, ATextureMadeInTheSharedContextDrawsInTheWindow) {
  GLuint before_binding = 0;
  GLuint dummy = 0;
  glGenTextures(1, &dummy);
  glBindTexture(GL_TEXTURE_2D, dummy);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, reinterpret_cast<GLint*>(&before_binding));

  TGLGraphicsDriver::Instance()->SwapSharedContext();
  const unsigned char green[4 * 4] = {0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255};
  GLuint tex = 0;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, green);
  glFinish();
  TGLGraphicsDriver::Instance()->SwapSharedContext();

  GLint after_binding = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &after_binding);
  EXPECT_EQ(static_cast<GLuint>(after_binding), before_binding);

  SetClsColor(0, 0, 0);
  Cls();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, tex);
  glColor4ub(255, 255, 255, 255);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(100, 100);
  glTexCoord2f(1, 0);
  glVertex2f(150, 100);
  glTexCoord2f(1, 1);
  glVertex2f(150, 150);
  glTexCoord2f(0, 1);
  glVertex2f(100, 150);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
  EXPECT_EQ(BackBufferPixel(125, 125), 0x00FF00u);
  EXPECT_EQ(BackBufferPixel(90, 90), 0x000000u);
  glDeleteTextures(1, &dummy);
}

TEST_F(GLWindow, CloseRequestIsReportedOnceAndTheWindowStaysOpen) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  e.window.windowID = Lower().WindowID();
  ASSERT_EQ(SDL_PushEvent(&e), 1);
  EXPECT_EQ(AppTerminate(), 1);
  EXPECT_EQ(AppTerminate(), 0);
  ASSERT_NE(Window(), nullptr);
  EXPECT_TRUE(SDL_GetWindowFlags(Window()) & SDL_WINDOW_SHOWN);
  EXPECT_EQ(GraphicsWidth(), 800);
  SetClsColor(1, 2, 3);
  Cls();
  EXPECT_EQ(BackBufferPixel(10, 10), 0x010203u);
  Flip(1);
}

TEST_F(GLWindow, Flip1IsPacedToTheRefreshRateWhereVSyncIsNotHonoured) {
  const int hertz = GLDisplayRefreshRate();
  int t0 = SystemMillisecs();
  for (int i = 0; i < 120; ++i) {
    Cls();
    Flip(1);
  }
  int elapsed = SystemMillisecs() - t0;
  std::printf("swap interval taken: %d, paced: %d, refresh %d Hz, 120 flips %d ms\n",
              GLSwapIntervalApplied(), GLFlipPaced(), hertz, elapsed);
  // 120 frames of the display: about 2 s at 60 Hz, not the 0.1 s an unpaced
  // Xvfb takes. The first few frames may go by while vsync is being probed.
  EXPECT_GE(elapsed, 110 * 1000 / hertz) << "hertz " << hertz;
  EXPECT_LE(elapsed, 120 * 1000 / hertz + 600) << "hertz " << hertz;

  // A long frame is not caught up on: the next frames keep the normal pace.
  Delay(200);
  t0 = SystemMillisecs();
  for (int i = 0; i < 10; ++i) Flip(1);
  elapsed = SystemMillisecs() - t0;
  EXPECT_GE(elapsed, 9 * 1000 / hertz);

  // Flip(0) never waits.
  t0 = SystemMillisecs();
  for (int i = 0; i < 30; ++i) Flip(0);
  EXPECT_LT(SystemMillisecs() - t0, 30 * 1000 / hertz / 2);
}

TEST(GLWindowFresh, OnADisplayFasterThan60HzFlip1ShowsNoMoreThan60FramesASecond) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
  // In a fresh copy of this program, so the pace starts with this test's
  // first Flip(1), whatever earlier tests presented.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SetRefreshRateSource([] { return 144; });
        SetGraphicsDriver(TGLCanvasDriver::Instance(), GRAPHICS_BACKBUFFER);
        if (!OpenGraphics(800, 600, 0, 60, 0)) std::exit(2);
        const int sends = GLSwapIntervalSends();  // opening flipped with 0
        const int t0 = SystemMillisecs();
        int first = 0;
        for (int i = 0; i < 120; ++i) {
          Cls();
          Flip(1);
          if (i == 0) first = SystemMillisecs() - t0;
        }
        const int elapsed = SystemMillisecs() - t0;
        std::fprintf(stderr, "first frame %d ms, 120 frames %d ms, interval sends %d\n", first, elapsed,
                     GLSwapIntervalSends() - sends);
        // Paced from the first frame on, and still presented with vsync.
        std::exit(first >= 16 && elapsed >= 2000 && GLSwapIntervalSends() == sends + 1 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(GLWindow, GraphicsModesComeFromTheDisplay) {
  const auto& modes = GraphicsModes();
  ASSERT_FALSE(modes.empty());
  EXPECT_LE(modes.size(), 1024u);
  for (const auto& m : modes) {
    EXPECT_GE(m->depth, 16);
    EXPECT_GT(m->width, 0);
  }
}

TEST(GLWindowFresh, WithoutADisplayOpenGraphicsReturnsNone) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        SetGraphicsDriver(TGLCanvasDriver::Instance(), GRAPHICS_BACKBUFFER);
        int seq = GraphicsSeq;
        auto g = OpenGraphics(800, 600, 0, 60, 0);
        Flip(1);  // nothing current: does nothing
        Cls();
        std::exit(!g && GraphicsSeq == seq && !GetGraphics() && GraphicsWidth() == 0 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(GLWindowFresh, WithAnUnreachableDisplayOpenGraphicsReturnsNone) {
  // SDL would fall back to a driver that draws nowhere; a window nobody can
  // see or quit must not count as graphics.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("DISPLAY", ":987", 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("SDL_VIDEODRIVER");
        SetGraphicsDriver(TGLCanvasDriver::Instance(), GRAPHICS_BACKBUFFER);
        auto g = OpenGraphics(800, 600, 0, 60, 0);
        std::exit(!g && !GetGraphics() && GraphicsModes().empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
