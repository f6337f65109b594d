// The draw-state calls against a recording 2D driver: what the context
// stores (unclamped, handle negated), the matrix UpdateTransform derives, and
// the exact arguments each drawing call hands the driver after handle,
// origin and matrix are applied; image frames made once per graphics
// generation; text laid along the matrix; font selection and measurement.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "graphics/canvas.h"
#include "graphics/draw.h"
#include "graphics/font.h"
#include "graphics/opengl/gl_canvas_driver.h"
#include "graphics/graphics.h"
#include "graphics/image.h"
#include "graphics/image_font.h"
#include "graphics/pixmap.h"
#include "system/runtime_error.h"

namespace {

struct Call {
  std::string op;
  std::vector<float> a;
};

std::vector<Call>& Log() {
  static std::vector<Call> log;
  return log;
}

class RecordingFrame : public TImageFrame {
 public:
  explicit RecordingFrame(int id) : id_(id) {}
  void Draw(float x0, float y0, float x1, float y1, float tx, float ty) override {
    Log().push_back({"frame", {float(id_), x0, y0, x1, y1, tx, ty}});
  }

 private:
  int id_;
};

class FakeGraphics : public TGraphics {
 public:
  std::shared_ptr<TGraphicsDriver> Driver() override { return driver.lock(); }
  void GetSettings(int& w, int& h, int& d, int& hz, int& f) override { w = 800, h = 600, d = 0, hz = 60, f = 2; }
  void Close() override {}
  std::weak_ptr<TGraphicsDriver> driver;
};

class RecordingDriver : public TCanvasDriver {
 public:
  std::vector<std::shared_ptr<TGraphicsMode>> GraphicsModes() override { return {}; }
  std::shared_ptr<TGraphics> AttachGraphics(void*, int) override { return nullptr; }
  std::shared_ptr<TGraphics> CreateGraphics(int, int, int, int, int) override {
    auto g = std::make_shared<FakeGraphics>();
    g->driver = shared_from_this();
    return TCanvasGraphics::Create(g, std::static_pointer_cast<TCanvasDriver>(shared_from_this()));
  }
  void SetGraphics(const std::shared_ptr<TGraphics>& g) override {
    if (!g) {
      TCanvasGraphics::ClearCurrent();
      return;
    }
    std::static_pointer_cast<TCanvasGraphics>(g)->MakeCurrent();
  }
  void Flip(int) override {}
  std::shared_ptr<TImageFrame> CreateFrameFromPixmap(const std::shared_ptr<TPixmap>& p, int flags) override {
    frames_made.push_back({p ? p->width : -1, flags});
    return std::make_shared<RecordingFrame>(int(frames_made.size()));
  }
  void SetBlend(int mode) override { Log().push_back({"blend", {float(mode)}}); }
  void SetAlpha(float a) override { Log().push_back({"alpha", {a}}); }
  void SetColor(int r, int g, int b) override { Log().push_back({"color", {float(r), float(g), float(b)}}); }
  void SetClsColor(int r, int g, int b) override { Log().push_back({"cls", {float(r), float(g), float(b)}}); }
  void SetViewport(int x, int y, int w, int h) override {
    Log().push_back({"viewport", {float(x), float(y), float(w), float(h)}});
  }
  void SetTransform(float ix, float iy, float jx, float jy) override {
    Log().push_back({"transform", {ix, iy, jx, jy}});
  }
  void SetLineWidth(float w) override { Log().push_back({"linewidth", {w}}); }
  void Cls() override {}
  void Plot(float x, float y) override { Log().push_back({"plot", {x, y}}); }
  void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) override {
    Log().push_back({"line", {x0, y0, x1, y1, tx, ty}});
  }
  void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) override {
    Log().push_back({"rect", {x0, y0, x1, y1, tx, ty}});
  }
  void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) override {
    Log().push_back({"oval", {x0, y0, x1, y1, tx, ty}});
  }
  void DrawPoly(const std::vector<float>& xy, float hx, float hy, float ox, float oy) override {
    std::vector<float> a = {hx, hy, ox, oy};
    a.insert(a.end(), xy.begin(), xy.end());
    Log().push_back({"poly", a});
  }
  void DrawPixmap(const std::shared_ptr<TPixmap>&, int, int) override {}
  std::shared_ptr<TPixmap> GrabPixmap(int, int, int, int) override { return nullptr; }
  void NoteText(const std::string& text, float x, float y) override { texts.push_back({text, x, y}); }

  struct Made {
    int width, flags;
  };
  std::vector<Made> frames_made;
  struct Text {
    std::string text;
    float x, y;
  };
  std::vector<Text> texts;
};

class DrawState : public ::testing::Test {
 protected:
  void SetUp() override {
    driver_ = std::make_shared<RecordingDriver>();
    SetGraphicsDriver(driver_, GRAPHICS_BACKBUFFER);
    ASSERT_TRUE(OpenGraphics(800, 600, 0, 0, 0));
    Log().clear();
  }
  void TearDown() override {
    EndGraphics();
    // Later tests in this program open real windows through the GL driver.
    SetGraphicsDriver(TGLCanvasDriver::Instance(), GRAPHICS_BACKBUFFER);
  }
  const Call& Last() const { return Log().back(); }
  std::shared_ptr<RecordingDriver> driver_;
};

std::vector<float> V(std::initializer_list<float> v) { return v; }

TEST_F(DrawState, ContextKeepsColourAndAlphaAsGivenAndForwardsThem) {
  SetColor(300, -5, 128);
  int r, g, b;
  GetColor(r, g, b);
  EXPECT_EQ(r, 300);
  EXPECT_EQ(g, -5);
  EXPECT_EQ(b, 128);
  EXPECT_EQ(Last().op, "color");
  EXPECT_EQ(Last().a, V({300, -5, 128}));
  SetAlpha(1.5f);
  EXPECT_EQ(GetAlpha(), 1.5f);
  SetAlpha(-0.2f);
  EXPECT_EQ(GetAlpha(), -0.2f);
  EXPECT_EQ(Last().a, V({-0.2f}));
  SetBlend(BLEND_ALPHA);
  EXPECT_EQ(GetBlend(), BLEND_ALPHA);
  SetLineWidth(3);
  EXPECT_EQ(GetLineWidth(), 3.0f);
  SetViewport(10, 20, 30, 40);
  int x, y, w, h;
  GetViewport(x, y, w, h);
  EXPECT_EQ(Last().a, V({10, 20, 30, 40}));
  EXPECT_EQ(w, 30);
}

TEST_F(DrawState, HandleIsStoredNegatedAndOriginIsNotSentToTheDriver) {
  const size_t before = Log().size();
  SetHandle(10, 5);
  SetOrigin(100, 50);
  EXPECT_EQ(Log().size(), before);
  float hx, hy, ox, oy;
  GetHandle(hx, hy);
  GetOrigin(ox, oy);
  EXPECT_EQ(hx, 10.0f);
  EXPECT_EQ(hy, 5.0f);
  EXPECT_EQ(TCanvasGraphics::Current()->handle_x, -10.0f);
  EXPECT_EQ(TCanvasGraphics::Current()->handle_y, -5.0f);
  EXPECT_EQ(ox, 100.0f);
}

TEST_F(DrawState, UpdateTransformScalesThenRotatesClockwise) {
  SetScale(2, 3);
  EXPECT_EQ(Last().op, "transform");
  EXPECT_EQ(Last().a, V({2, 0, 0, 3}));
  SetTransform(90, 1, 1);
  // +x goes to screen +y: (ix, jx) = (0, 1); +y goes to screen -x.
  EXPECT_NEAR(Last().a[0], 0.0f, 1e-6);
  EXPECT_EQ(Last().a[1], -1.0f);
  EXPECT_EQ(Last().a[2], 1.0f);
  EXPECT_NEAR(Last().a[3], 0.0f, 1e-6);
  SetRotation(30);
  SetScale(2, 0.5f);
  const float s = float(std::sin(30 * 3.14159265358979323846 / 180)), c = float(std::cos(30 * 3.14159265358979323846 / 180));
  EXPECT_FLOAT_EQ(Last().a[0], c * 2);
  EXPECT_FLOAT_EQ(Last().a[1], -s * 0.5f);
  EXPECT_FLOAT_EQ(Last().a[2], s * 2);
  EXPECT_FLOAT_EQ(Last().a[3], c * 0.5f);
  EXPECT_EQ(GetRotation(), 30.0f);
  float sx, sy;
  GetScale(sx, sy);
  EXPECT_EQ(sy, 0.5f);
}

TEST_F(DrawState, ShapesGetHandleAsTheirCornerAndPositionPlusOriginAsTranslation) {
  SetHandle(10, 5);
  SetOrigin(100, 50);
  DrawRect(1, 2, 30, 40);
  EXPECT_EQ(Last().op, "rect");
  EXPECT_EQ(Last().a, V({-10, -5, 20, 35, 101, 52}));
  DrawOval(1, 2, 30, 40);
  EXPECT_EQ(Last().op, "oval");
  EXPECT_EQ(Last().a, V({-10, -5, 20, 35, 101, 52}));
  DrawPoly({0, 0, 5, 0, 5, 5});
  EXPECT_EQ(Last().a, V({-10, -5, 100, 50, 0, 0, 5, 0, 5, 5}));
  Plot(3, 4);
  EXPECT_EQ(Last().a, V({103, 54}));  // plots ignore the handle
}

TEST_F(DrawState, LinesRunFromTheHandleAndPlotTheirLastPixelThroughTheMatrix) {
  SetHandle(2, 1);
  SetOrigin(10, 20);
  SetScale(2, 2);
  DrawLine(5, 5, 8, 9);
  ASSERT_GE(Log().size(), 2u);
  const Call& line = Log()[Log().size() - 2];
  EXPECT_EQ(line.op, "line");
  EXPECT_EQ(line.a, V({-2, -1, 1, 3, 15, 25}));
  // Last pixel: (-2 + 3, -1 + 4) = (1, 3), scaled by 2, plus (5 + 10, 5 + 20).
  EXPECT_EQ(Last().op, "plot");
  EXPECT_EQ(Last().a, V({17, 31}));
  Log().clear();
  DrawLine(0, 0, 1, 1, 0);
  EXPECT_EQ(Log().size(), 1u);
}

TEST_F(DrawState, ImagesUseTheirOwnHandleNotTheGlobalOne) {
  auto img = TImage::Create(20, 10, 1, IMAGE_FILTERED, 0, 0, 0);
  img->SetPixmap(0, TPixmap::Create(20, 10, PF_RGBA8888));
  img->handle_x = 10, img->handle_y = 5;
  SetHandle(7, 7);
  SetOrigin(1, 2);
  DrawImage(img, 100, 200);
  EXPECT_EQ(Last().op, "frame");
  EXPECT_EQ(Last().a, V({1, -10, -5, 10, 5, 101, 202}));
  DrawImageRect(img, 100, 200, 40, 30);
  EXPECT_EQ(Last().a, V({1, -10, -5, 30, 25, 101, 202}));
  ASSERT_EQ(driver_->frames_made.size(), 1u);  // one texture for both draws
  EXPECT_EQ(driver_->frames_made[0].width, 20);
  EXPECT_EQ(driver_->frames_made[0].flags, IMAGE_FILTERED);
  EXPECT_THROW(DrawImage(img, 0, 0, 1), TArrayBoundsException);
  const size_t before = Log().size();
  DrawImage(nullptr, 0, 0);
  EXPECT_EQ(Log().size(), before);
}

TEST_F(DrawState, AnotherGraphicsGenerationRemakesTheTextureOnce) {
  auto img = TImage::Create(4, 4, 1, 0, 0, 0, 0);
  img->SetPixmap(0, TPixmap::Create(4, 4, PF_RGBA8888));
  DrawImage(img, 0, 0);
  DrawImage(img, 0, 0);
  EXPECT_EQ(driver_->frames_made.size(), 1u);
  EXPECT_EQ(img->seqs[0], GraphicsSeq);
  ASSERT_TRUE(OpenGraphics(800, 600, 0, 0, 0));  // closes and reopens: a new generation
  EXPECT_NE(img->seqs[0], GraphicsSeq);
  DrawImage(img, 0, 0);
  DrawImage(img, 0, 0);
  EXPECT_EQ(driver_->frames_made.size(), 2u);
  LockImage(img, 0, 1, 1);  // written pixels need a new texture too
  DrawImage(img, 0, 0);
  EXPECT_EQ(driver_->frames_made.size(), 3u);
}

TEST_F(DrawState, TextRunsAlongTheMatrixFromTheHandleShiftedStart) {
  SetImageFont(nullptr);
  EXPECT_EQ(GetImageFont(), TImageFont::Default());
  SetOrigin(5, 6);
  DrawText("Hi!", 10, 20);
  std::vector<Call> glyphs;
  for (const Call& c : Log())
    if (c.op == "frame") glyphs.push_back(c);
  ASSERT_EQ(glyphs.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(std::vector<float>(glyphs[size_t(i)].a.begin() + 1, glyphs[size_t(i)].a.end()),
              V({0, 0, 8, 16, 15.0f + 8 * float(i), 26}));
  }
  ASSERT_EQ(driver_->texts.size(), 1u);
  EXPECT_EQ(driver_->texts[0].text, "Hi!");
  EXPECT_EQ(driver_->texts[0].x, 15.0f);

  // Rotated 90 degrees with a handle: the start moves by the rotated handle
  // and the pen walks down the screen.
  Log().clear();
  SetOrigin(0, 0);
  SetHandle(10, 5);
  SetRotation(90);
  DrawText("ab", 100, 100);
  glyphs.clear();
  for (const Call& c : Log())
    if (c.op == "frame") glyphs.push_back(c);
  ASSERT_EQ(glyphs.size(), 2u);
  // start = (100 + (-10)(ix) + (-5)(iy), 100 + (-10)(jx) + (-5)(jy)) = (105, 90)
  EXPECT_NEAR(glyphs[0].a[5], 105.0f, 1e-4);
  EXPECT_NEAR(glyphs[0].a[6], 90.0f, 1e-4);
  EXPECT_NEAR(glyphs[1].a[5], 105.0f, 1e-4);
  EXPECT_NEAR(glyphs[1].a[6], 98.0f, 1e-4);
}

TEST_F(DrawState, CharactersWithoutAGlyphNeitherDrawNorAdvance) {
  DrawText(u"a\u00e9b\x01", 0, 0);
  std::vector<float> xs;
  for (const Call& c : Log())
    if (c.op == "frame") xs.push_back(c.a[5]);
  EXPECT_EQ(xs, V({0, 8}));
  EXPECT_EQ(TextWidth(u"a\u00e9b\x01"), 16);
}

class HalfAdvanceFont : public TFont {
 public:
  int Style() override { return 0; }
  int Height() override { return 11; }
  int CountGlyphs() override { return 2; }
  int CharToGlyph(int ch) override { return ch == 'a' ? 0 : ch == 'b' ? 1 : -1; }
  std::shared_ptr<TGlyph> LoadGlyph(int index) override {
    auto g = std::make_shared<TFreeTypeGlyph>();
    g->_advance = index == 0 ? 2.5f : 3.75f;
    return g;
  }
};

TEST_F(DrawState, TextWidthTruncatesAfterEveryGlyph) {
  auto font = std::make_shared<TImageFont>();
  font->_src_font = std::make_shared<HalfAdvanceFont>();
  font->_glyphs.resize(2);
  SetImageFont(font);
  EXPECT_EQ(GetImageFont(), font);
  EXPECT_EQ(TextWidth("aaa"), 6);  // 2, 4, 6 rather than 7.5
  EXPECT_EQ(TextWidth("ab"), 5);   // 2, then 5.75
  EXPECT_EQ(TextWidth("a?b"), 5);
  EXPECT_EQ(TextWidth(""), 0);
  EXPECT_EQ(TextHeight(), 11);
  SetImageFont(nullptr);
  EXPECT_EQ(TextHeight(), 16);
  EXPECT_EQ(TextWidth("abc"), 24);
}

TEST_F(DrawState, ValidateResendsTheStoredStateInItsOrder) {
  SetColor(1, 2, 3);
  SetAlpha(0.25f);
  SetBlend(BLEND_LIGHT);
  SetClsColor(4, 5, 6);
  SetLineWidth(2);
  SetTransform(90, 2, 3);
  SetViewport(7, 8, 9, 10);
  Log().clear();
  TCanvasGraphics::Current()->Validate();
  std::vector<std::string> ops;
  for (const Call& c : Log()) ops.push_back(c.op);
  // Rotation, then scale: each recomputes and sends the matrix.
  ASSERT_EQ(ops, (std::vector<std::string>{"blend", "color", "alpha", "cls", "linewidth", "transform",
                                           "transform", "viewport"}));
  EXPECT_EQ(Log()[0].a, V({float(BLEND_LIGHT)}));
  EXPECT_EQ(Log()[1].a, V({1, 2, 3}));
  EXPECT_EQ(Log()[2].a, V({0.25f}));
  EXPECT_EQ(Log()[3].a, V({4, 5, 6}));
  EXPECT_EQ(Log()[4].a, V({2}));
  for (int i : {5, 6}) {
    const std::vector<float> expect = {0, -3, 2, 0};  // 90 degrees, scale 2 x 3
    for (size_t k = 0; k < 4; ++k) EXPECT_NEAR(Log()[size_t(i)].a[k], expect[k], 1e-6) << i << "," << k;
  }
  EXPECT_EQ(Log()[7].a, V({7, 8, 9, 10}));
}

TEST(DrawWithoutGraphics, EveryCallIsHarmless) {
  SetGraphics(nullptr);
  ASSERT_FALSE(TCanvasGraphics::Current());
  SetColor(1, 2, 3);
  SetRotation(45);
  DrawRect(0, 0, 10, 10);
  DrawText("text", 0, 0);
  DrawImage(TImage::Create(2, 2, 1, 0, 0, 0, 0), 0, 0);
  EXPECT_FALSE(GrabPixmap(0, 0, 1, 1));
  int r, g, b;
  GetColor(r, g, b);
  EXPECT_EQ(r + g + b, 0);
  EXPECT_EQ(GetImageFont(), TImageFont::Default());
  EXPECT_EQ(TextWidth("abc"), 24);
}

TEST(TextToUTF16, DecodesUtf8AndKeepsStrayBytes) {
  EXPECT_EQ(TextToUTF16("Az"), u"Az");
  EXPECT_EQ(TextToUTF16("\xc3\xa9"), u"\u00e9");
  EXPECT_EQ(TextToUTF16("\xe2\x82\xac"), u"\u20ac");
  EXPECT_EQ(TextToUTF16("\xf0\x9f\x98\x80"), u"\xd83d\xde00");
  EXPECT_EQ(TextToUTF16("\xff" "a"), u"\u00ff" u"a");
  EXPECT_EQ(TextToUTF16("\xc3"), u"\u00c3");          // cut short
  EXPECT_EQ(TextToUTF16("\xc0\xaf"), u"\u00c0\u00af");  // overlong
}

}  // namespace
