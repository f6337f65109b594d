// The OpenGL 2D driver drawing into a real window under Xvfb (Mesa's
// software renderer), every result read back from the back buffer with
// GrabPixmap: masking, alpha truncation, the blend modes, rotation and scale,
// the global handle, viewport clipping, text placement, points and lines,
// textures' sizes and rebuilds, and the driver's state caches.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "graphics/canvas.h"
#include "graphics/draw.h"
#include "graphics/opengl/gl_canvas_driver.h"
#include "graphics/opengl/gl_image_frame.h"
#include "graphics/graphics.h"
#include "graphics/image.h"
#include "graphics/image_font.h"
#include "graphics/pixmap.h"

namespace {

constexpr uint32_t kBlue = 0xff0000ff;

class GLDraw : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetGraphicsDriver(TGLCanvasDriver::Instance(), GRAPHICS_BACKBUFFER);
    if (std::getenv("DISPLAY")) graphics_ = OpenGraphics(800, 600, 0, 0, 0);
  }
  static void TearDownTestSuite() {
    if (graphics_) EndGraphics();
    graphics_.reset();
  }
  void SetUp() override {
    if (!graphics_) GTEST_SKIP() << "no display with OpenGL (run under xvfb-run)";
    SetBlend(BLEND_SOLID);
    SetColor(255, 255, 255);
    SetAlpha(1);
    SetTransform(0, 1, 1);
    SetHandle(0, 0);
    SetOrigin(0, 0);
    SetViewport(0, 0, 800, 600);
    SetImageFont(nullptr);
    Clear(0, 0, 0);
  }
  static void Clear(int r, int g, int b) {
    SetClsColor(r, g, b);
    Cls();
  }
  // The whole back buffer, row 0 at the top.
  static std::shared_ptr<TPixmap> Screen() { return GrabPixmap(0, 0, 800, 600); }
  static uint32_t At(int x, int y) { return GrabPixmap(x, y, 1, 1)->ReadPixel(0, 0); }
  static int Channel(uint32_t argb, int shift) { return int(argb >> shift & 0xff); }
  static void Save(const std::string& name) {
    // For looking at: a picture of the back buffer in the build folder.
    const auto dir = std::filesystem::path(GLOOMFALL_BUILD_DIR) / "test-output" / "gl";
    std::filesystem::create_directories(dir);
    auto shot = Screen();
    std::FILE* f = std::fopen((dir / (name + ".ppm")).c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "P6\n%d %d\n255\n", shot->width, shot->height);
    for (int y = 0; y < shot->height; ++y)
      for (int x = 0; x < shot->width; ++x) std::fwrite(shot->PixelPtr(x, y), 1, 3, f);
    std::fclose(f);
  }
  static std::shared_ptr<TGraphics> graphics_;
};
std::shared_ptr<TGraphics> GLDraw::graphics_;

std::shared_ptr<TPixmap> Solid(int w, int h, uint32_t argb, int format = PF_RGB888) {
  auto p = TPixmap::Create(w, h, format);
  p->ClearPixels(argb);
  return p;
}

#define EXPECT_COLOUR_NEAR(actual, r, g, b, tol)       \
  do {                                                 \
    const uint32_t c_ = (actual);                      \
    EXPECT_NEAR(Channel(c_, 16), (r), (tol)) << "red"; \
    EXPECT_NEAR(Channel(c_, 8), (g), (tol)) << "green"; \
    EXPECT_NEAR(Channel(c_, 0), (b), (tol)) << "blue"; \
  } while (0)

TEST_F(GLDraw, AMaskedRgbImageDrawsWithATransparentBackground) {
  // Black surround, red square in the middle: black is the mask colour.
  auto p = Solid(16, 16, 0xff000000);
  p->Paste(*Solid(8, 8, 0xffff0000), 4, 4);
  for (int flags : {IMAGE_MASKED, IMAGE_MASKED | IMAGE_FILTERED}) {
    for (int blend : {BLEND_MASK, BLEND_ALPHA}) {
      auto img = LoadImage(p, flags);
      Clear(0, 0, 255);
      SetBlend(blend);
      DrawImage(img, 100, 100);
      EXPECT_EQ(At(100, 100), kBlue) << flags << " " << blend;
      EXPECT_EQ(At(102, 113), kBlue) << flags << " " << blend;
      EXPECT_EQ(At(108, 108), 0xffff0000u) << flags << " " << blend;
      EXPECT_EQ(At(105, 110), 0xffff0000u) << flags << " " << blend;
    }
  }
  // An RGBA picture keeps its own alpha and its black stays black.
  auto rgba = Solid(4, 4, 0xff000000, PF_RGBA8888);
  rgba->WritePixel(0, 0, 0x00ffffff);
  Clear(0, 0, 255);
  SetBlend(BLEND_ALPHA);
  DrawImage(LoadImage(rgba, -1), 200, 200);
  EXPECT_EQ(At(202, 202), 0xff000000u);
  EXPECT_EQ(At(200, 200), kBlue);
}

TEST_F(GLDraw, AlphaIsTruncatedToAByte) {
  SetBlend(BLEND_ALPHA);
  SetAlpha(0.5f);
  DrawRect(10, 10, 20, 20);
  EXPECT_EQ(At(15, 15), 0xff7f7f7fu);  // 127, not 128
  SetAlpha(0.2f);
  DrawRect(40, 10, 20, 20);
  EXPECT_EQ(At(45, 15), 0xff333333u);  // 51
  SetAlpha(1.5f);
  DrawRect(70, 10, 20, 20);
  EXPECT_EQ(At(75, 15), 0xffffffffu);
  SetAlpha(-0.2f);
  DrawRect(100, 10, 20, 20);
  EXPECT_EQ(At(105, 15), 0xff000000u);
  EXPECT_EQ(GetAlpha(), -0.2f);
  SetAlpha(1);
  SetColor(300, -20, 128);  // clamped by the driver only
  DrawRect(130, 10, 20, 20);
  EXPECT_EQ(At(135, 15), 0xffff0080u);
}

TEST_F(GLDraw, EachBlendModeOnAGreyBackground) {
  struct Case {
    int blend;
    float alpha;
    int r, g, b;
  } cases[] = {
      {BLEND_SOLID, 0.5f, 200, 50, 0},
      {BLEND_MASK, 0.5f, 100, 100, 100},  // 127/255 is below the 0.5 cut: discarded
      {BLEND_MASK, 0.6f, 200, 50, 0},     // passes and is written opaque
      {BLEND_ALPHA, 0.5f, 150, 75, 50},   // 200 * 0.498 + 100 * 0.502 ...
      {BLEND_LIGHT, 0.5f, 200, 125, 100}, // 100 + 200 * 0.498 ...
      {BLEND_SHADE, 0.5f, 78, 20, 0},     // 100 * 200 / 255 ...
      {99, 0.5f, 200, 50, 0},             // unknown modes draw solid
  };
  for (const Case& c : cases) {
    Clear(100, 100, 100);
    SetBlend(c.blend);
    SetColor(200, 50, 0);
    SetAlpha(c.alpha);
    DrawRect(300, 300, 10, 10);
    SCOPED_TRACE("blend " + std::to_string(c.blend) + " alpha " + std::to_string(c.alpha));
    EXPECT_COLOUR_NEAR(At(305, 305), c.r, c.g, c.b, 1);
    EXPECT_EQ(At(299, 305), 0xff646464u);
  }
}

TEST_F(GLDraw, Rotation90MapsTheImagesXAxisOntoScreenY) {
  // Left half red, right half green, mid-handled.
  auto p = Solid(8, 4, 0xffff0000);
  p->Paste(*Solid(4, 4, 0xff00ff00), 4, 0);
  auto img = LoadImage(p, 0);
  MidHandleImage(img);
  DrawImage(img, 200, 200);
  EXPECT_EQ(At(202, 200), 0xff00ff00u);
  EXPECT_EQ(At(197, 200), 0xffff0000u);
  Clear(0, 0, 0);
  SetRotation(90);
  DrawImage(img, 200, 200);
  Save("rotation90");
  EXPECT_EQ(At(199, 202), 0xff00ff00u);  // +x now points down
  EXPECT_EQ(At(199, 197), 0xffff0000u);
  EXPECT_EQ(At(203, 200), 0xff000000u);  // 4 pixels wide only: nothing out to the right
  EXPECT_EQ(At(197, 200), 0xff000000u);
  EXPECT_EQ(At(198, 198), 0xffff0000u);
  EXPECT_EQ(At(198, 201), 0xff00ff00u);
}

TEST_F(GLDraw, ScaleTwoGrowsAboutTheMidHandle) {
  auto img = LoadImage(Solid(10, 10, 0xffffffff), 0);
  MidHandleImage(img);
  SetScale(2, 2);
  DrawImage(img, 300, 300);
  EXPECT_EQ(At(290, 290), 0xffffffffu);
  EXPECT_EQ(At(309, 309), 0xffffffffu);
  EXPECT_EQ(At(289, 300), 0xff000000u);
  EXPECT_EQ(At(310, 300), 0xff000000u);
  EXPECT_EQ(At(300, 289), 0xff000000u);
  EXPECT_EQ(At(300, 310), 0xff000000u);
}

TEST_F(GLDraw, AHalfSizePictureScaledTwiceCoversTheWindow) {
  // The title's shade: 400 x 300 (a 512 x 512 texture), centred and doubled.
  auto img = LoadImage(Solid(400, 300, 0xff206040), -1);
  MidHandleImage(img);
  SetBlend(BLEND_ALPHA);
  SetScale(2, 2);
  DrawImage(img, 400, 300);
  Save("shade");
  EXPECT_EQ(At(0, 0), 0xff206040u);
  EXPECT_EQ(At(799, 0), 0xff206040u);
  EXPECT_EQ(At(0, 599), 0xff206040u);
  EXPECT_EQ(At(799, 599), 0xff206040u);
  EXPECT_EQ(At(400, 300), 0xff206040u);
}

TEST_F(GLDraw, RectanglesFollowRotationAndScale) {
  SetRotation(45);
  DrawRect(400, 300, 40, 40);
  // A diamond hanging from (400, 300): the corner of the square is the top.
  EXPECT_EQ(At(400, 330), 0xffffffffu);
  EXPECT_EQ(At(385, 322), 0xffffffffu);
  EXPECT_EQ(At(425, 305), 0xff000000u);  // inside the unrotated square, outside the diamond
  EXPECT_EQ(At(400, 298), 0xff000000u);
  Clear(0, 0, 0);
  SetRotation(0);
  SetScale(0.5f, 2);
  DrawRect(0, 0, 800, 600);  // a full-screen flash is scaled too
  EXPECT_EQ(At(399, 599), 0xffffffffu);
  EXPECT_EQ(At(400, 10), 0xff000000u);
}

TEST_F(GLDraw, TheGlobalHandleMovesRectanglesAndTextButNotImages) {
  SetHandle(10, 5);
  DrawRect(100, 100, 10, 10);
  EXPECT_EQ(At(90, 95), 0xffffffffu);
  EXPECT_EQ(At(99, 104), 0xffffffffu);
  EXPECT_EQ(At(100, 100), 0xff000000u);

  auto img = LoadImage(Solid(6, 6, 0xff00ff00), 0);
  DrawImage(img, 200, 200);
  EXPECT_EQ(At(200, 200), 0xff00ff00u);
  EXPECT_EQ(At(205, 205), 0xff00ff00u);
  EXPECT_EQ(At(199, 199), 0xff000000u);

  // Text: the same ink, shifted by (-10, -5).
  SetBlend(BLEND_ALPHA);
  SetHandle(0, 0);
  DrawText("Hg", 300, 300);
  auto plain = GrabPixmap(280, 280, 40, 40);
  Clear(0, 0, 0);
  SetHandle(10, 5);
  DrawText("Hg", 300, 300);
  auto moved = GrabPixmap(270, 275, 40, 40);
  int ink = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      EXPECT_EQ(moved->ReadPixel(x, y), plain->ReadPixel(x, y)) << x << "," << y;
      ink += plain->ReadPixel(x, y) != 0xff000000u;
    }
  EXPECT_GT(ink, 20);
}

TEST_F(GLDraw, TheViewportClipsWithYFromTheTop) {
  SetViewport(50, 60, 100, 80);
  DrawRect(0, 0, 800, 600);
  EXPECT_EQ(At(50, 60), 0xffffffffu);
  EXPECT_EQ(At(149, 139), 0xffffffffu);
  EXPECT_EQ(At(49, 100), 0xff000000u);
  EXPECT_EQ(At(150, 100), 0xff000000u);
  EXPECT_EQ(At(100, 59), 0xff000000u);
  EXPECT_EQ(At(100, 140), 0xff000000u);
  SetViewport(0, 0, 800, 600);  // the whole window: clipping off
  DrawRect(0, 0, 800, 600);
  EXPECT_EQ(At(799, 599), 0xffffffffu);
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST_F(GLDraw, DefaultFontInkMatchesItsBitmapCellByCell) {
  SetBlend(BLEND_ALPHA);
  DrawText("A~", 100, 100);
  auto cells = GrabPixmap(100, 100, 16, 16);
  const uint8_t* bits = DefaultFontBitmap();
  for (int c = 0; c < 2; ++c) {
    const int glyph = (c == 0 ? 'A' : '~') - 32;
    for (int i = 0; i < 16; ++i)
      for (int k = 0; k < 8; ++k)
        EXPECT_EQ(cells->ReadPixel(8 * c + k, i), (bits[i * 96 + glyph] >> k & 1) ? 0xffffffffu : 0xff000000u)
            << "glyph " << glyph << " at " << k << "," << i;
  }
  // Scaled text grows from its start point.
  Clear(0, 0, 0);
  SetScale(2, 2);
  DrawText("A", 200, 100);
  auto big = GrabPixmap(200, 100, 16, 32);
  for (int i = 0; i < 16; ++i)
    for (int k = 0; k < 8; ++k)
      EXPECT_EQ(big->ReadPixel(2 * k + 1, 2 * i + 1), (bits[i * 96 + 33] >> k & 1) ? 0xffffffffu : 0xff000000u);
}

TEST_F(GLDraw, TrueTypeInkLiesInsideEachGlyphsRectangle) {
  const std::string path =
      std::filesystem::exists(GLOOMFALL_DATA_DIR "/VeraMono.ttf")
          ? GLOOMFALL_DATA_DIR "/VeraMono.ttf"
          : "/usr/share/fonts/truetype/ttf-bitstream-vera/VeraMono.ttf";
  auto font = LoadImageFont(path, 32, 4);
  if (!font) GTEST_SKIP() << "VeraMono.ttf not found";
  SetImageFont(font);
  SetBlend(BLEND_ALPHA);
  const std::string text = "Ty@";
  DrawText(text, 100, 200);
  Save("truetype");
  auto shot = Screen();
  float pen = 100;
  int ink_total = 0;
  struct Box {
    int x0, y0, x1, y1;
  };
  std::vector<Box> boxes;
  for (char ch : text) {
    auto g = font->LoadGlyph(font->CharToGlyph(ch));
    int gx, gy, gw, gh;
    g->GetRect(gx, gy, gw, gh);
    boxes.push_back({int(pen) + gx, 200 + gy, int(pen) + gx + gw, 200 + gy + gh});
    pen += g->Advance();
  }
  EXPECT_EQ(TextWidth(text), int(pen) - 100);
  for (int y = 150; y < 260; ++y)
    for (int x = 90; x < 180; ++x) {
      if (shot->ReadPixel(x, y) == 0xff000000u) continue;
      ++ink_total;
      bool inside = false;
      for (const Box& b : boxes) inside |= x >= b.x0 && x < b.x1 && y >= b.y0 && y < b.y1;
      EXPECT_TRUE(inside) << "ink outside every glyph rectangle at " << x << "," << y;
    }
  EXPECT_GT(ink_total, 100);
  // Each glyph has ink, and none on its one-pixel transparent border row.
  for (const Box& b : boxes) {
    int ink = 0;
    for (int y = b.y0; y < b.y1; ++y)
      for (int x = b.x0; x < b.x1; ++x) ink += shot->ReadPixel(x, y) != 0xff000000u;
    EXPECT_GT(ink, 10);
  }
}

TEST_F(GLDraw, PointsAndLinesSitOnPixelCentres) {
  Plot(10, 10);
  EXPECT_EQ(At(10, 10), 0xffffffffu);
  EXPECT_EQ(At(11, 10), 0xff000000u);
  EXPECT_EQ(At(10, 11), 0xff000000u);
  DrawLine(20, 30, 30, 30);
  for (int x = 20; x <= 30; ++x) EXPECT_EQ(At(x, 30), 0xffffffffu) << x;
  EXPECT_EQ(At(31, 30), 0xff000000u);
  EXPECT_EQ(At(25, 29), 0xff000000u);
  DrawLine(40, 30, 50, 30, 0);
  EXPECT_EQ(At(49, 30), 0xffffffffu);
  EXPECT_EQ(At(50, 30), 0xff000000u);  // no last pixel
}

TEST_F(GLDraw, OvalsAndPolygons) {
  DrawOval(500, 100, 40, 20);
  EXPECT_EQ(At(520, 110), 0xffffffffu);
  EXPECT_EQ(At(502, 110), 0xffffffffu);
  EXPECT_EQ(At(501, 101), 0xff000000u);
  EXPECT_EQ(At(520, 121), 0xff000000u);
  DrawPoly({600, 100, 640, 100, 600, 140});
  EXPECT_EQ(At(605, 105), 0xffffffffu);
  EXPECT_EQ(At(635, 135), 0xff000000u);
  DrawPoly({700, 100, 740, 100, 700});  // odd count: nothing
  DrawPoly({700, 100, 740, 100});       // two points: nothing
  EXPECT_EQ(At(705, 101), 0xff000000u);
}

TEST_F(GLDraw, PixmapsGoOutAndComeBackTopRowFirst) {
  auto p = TPixmap::Create(5, 3, PF_RGBA8888);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) p->WritePixel(x, y, 0xff000000u | uint32_t(x * 40) << 16 | uint32_t(y * 80) << 8);
  SetBlend(BLEND_ALPHA);
  SetColor(0, 0, 255);  // neither colour nor blend touches a pixmap
  DrawPixmap(p, 123, 45);
  auto back = GrabPixmap(123, 45, 5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(back->ReadPixel(x, y), p->ReadPixel(x, y)) << x << "," << y;
  EXPECT_EQ(At(122, 45), 0xff000000u);
  EXPECT_EQ(At(123, 44), 0xff000000u);
  EXPECT_EQ(GetBlend(), BLEND_ALPHA);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));  // the solid blend was put back
  // GrabImage copies the same rectangle into an image.
  auto img = CreateImage(5, 3, 1, 0);
  GrabImage(img, 123, 45);
  EXPECT_EQ(img->pixmaps[0]->ReadPixel(4, 2), p->ReadPixel(4, 2));
}

TEST_F(GLDraw, TexturesArePowersOfTwoWithThePictureInTheCorner) {
  auto src = TPixmap::Create(20, 30, PF_RGB888);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 20; ++x) src->WritePixel(x, y, 0xff000000u | uint32_t(x * 12) << 16 | uint32_t(y * 8) << 8 | 77);
  auto img = LoadImage(src, 0);
  DrawImage(img, 50, 400);
  auto frame = std::dynamic_pointer_cast<TGLImageFrame>(img->frames[0]);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->u1, 0.625f);
  EXPECT_EQ(frame->v1, 0.9375f);
  EXPECT_EQ(frame->seq, GraphicsSeq);
  auto drawn = GrabPixmap(50, 400, 21, 31);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 20; ++x) EXPECT_EQ(drawn->ReadPixel(x, y), src->ReadPixel(x, y)) << x << "," << y;
  EXPECT_EQ(drawn->ReadPixel(20, 5), 0xff000000u);  // nothing past the picture

  auto big = CreateImage(640, 480, 1, 9);
  DrawImage(big, 0, 0);
  auto big_frame = std::dynamic_pointer_cast<TGLImageFrame>(big->frames[0]);
  ASSERT_TRUE(big_frame);
  GLint w = 0, h = 0;
  glBindTexture(GL_TEXTURE_2D, big_frame->name);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  g_gl_canvas.bound_texture = big_frame->name;
  EXPECT_EQ(w, 1024);
  EXPECT_EQ(h, 512);
  EXPECT_EQ(big_frame->u1, 0.625f);
  EXPECT_EQ(big_frame->v1, 0.9375f);
}

TEST_F(GLDraw, ADeletedTexturesNameReusedByTheNextImageStillBinds) {
  // Draw green, drop it (its texture is deleted), then draw red: whatever
  // name GL hands out next, red must come out.
  auto green = LoadImage(Solid(4, 4, 0xff00ff00), 0);
  DrawImage(green, 10, 500);
  const uint32_t old_name = std::dynamic_pointer_cast<TGLImageFrame>(green->frames[0])->name;
  green.reset();
  auto red = LoadImage(Solid(4, 4, 0xffff0000), 0);
  DrawImage(red, 20, 500);
  EXPECT_EQ(At(21, 501), 0xffff0000u);
  EXPECT_EQ(At(11, 501), 0xff00ff00u);  // drawn pixels stay; the texture is gone
  (void)old_name;
}

TEST_F(GLDraw, TheBlendCacheSkipsRepeatsUntilTheContextIsReset) {
  SetBlend(BLEND_ALPHA);
  glDisable(GL_BLEND);  // behind the driver's back
  SetBlend(BLEND_ALPHA);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));  // cached: nothing sent
  TGLCanvasDriver::Instance()->ResetGLContext(TCanvasGraphics::Current());
  SetBlend(BLEND_ALPHA);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  SetBlend(BLEND_MASK);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
}

TEST_F(GLDraw, ReopeningGraphicsRebuildsTexturesOnce) {
  auto img = LoadImage(Solid(8, 8, 0xff3366ccu), 0);
  DrawImage(img, 10, 10);
  auto first = img->frames[0];
  const int first_seq = img->seqs[0];
  graphics_ = OpenGraphics(800, 600, 0, 0, 0);
  ASSERT_TRUE(graphics_);
  SetBlend(BLEND_SOLID);
  EXPECT_NE(GraphicsSeq, first_seq);
  DrawImage(img, 10, 10);
  auto second = img->frames[0];
  EXPECT_NE(second, first);
  EXPECT_EQ(img->seqs[0], GraphicsSeq);
  DrawImage(img, 30, 10);
  EXPECT_EQ(img->frames[0], second);
  EXPECT_EQ(At(12, 12), 0xff3366ccu);
  EXPECT_EQ(At(32, 12), 0xff3366ccu);
}

}  // namespace
