// The generic and 2D levels without a display, on the recording driver:
// opening and closing, GraphicsSeq, soft sync of Flip(-1), FlipHook, the
// starting draw state, the clear colour; what the recording driver keeps;
// and the Flip(1) pacing decisions.
#include "graphics/graphics.h"

#include <gtest/gtest.h>

#include "graphics/canvas.h"
#include "graphics/draw.h"
#include "graphics/opengl/gl_canvas_driver.h"
#include "graphics/image.h"
#include "graphics/image_font.h"
#include "graphics/pixmap.h"
#include "graphics/recording/recording_canvas_driver.h"
#include "system/clock.h"
#include "system/input.h"

namespace {
// The recording driver, also noting the state changes it is sent, in order.
class NotingDriver : public TRecordingCanvasDriver {
 public:
  void SetBlend(int mode) override { Note("Blend"); TRecordingCanvasDriver::SetBlend(mode); }
  void SetAlpha(float a) override { Note("Alpha"); TRecordingCanvasDriver::SetAlpha(a); }
  void SetColor(int r, int g, int b) override { Note("Color"); TRecordingCanvasDriver::SetColor(r, g, b); }
  void SetClsColor(int r, int g, int b) override {
    Note("ClsColor"); TRecordingCanvasDriver::SetClsColor(r, g, b);
  }
  void SetViewport(int x, int y, int w, int h) override {
    Note("Viewport"); TRecordingCanvasDriver::SetViewport(x, y, w, h);
  }
  void SetTransform(float ix, float iy, float jx, float jy) override {
    Note("Transform"); TRecordingCanvasDriver::SetTransform(ix, iy, jx, jy);
  }
  void SetLineWidth(float w) override { Note("LineWidth"); TRecordingCanvasDriver::SetLineWidth(w); }
  void Note(const char* what) { sent.push_back(what); }
  std::vector<std::string> sent;
};

class Graphics : public ::testing::Test {
 protected:
  void SetUp() override {
    rec = std::make_shared<NotingDriver>();
    SetGraphicsDriver(rec);
  }
  void TearDown() override {
    EndGraphics();
    SetGraphicsDriver(TGLCanvasDriver::Instance(), GRAPHICS_BACKBUFFER);
  }
  std::vector<std::string> Ops() const {
    std::vector<std::string> ops;
    for (const auto& c : rec->calls) ops.push_back(c.op + (c.op == "Flip" ? std::to_string(c.sync) : ""));
    return ops;
  }
  std::shared_ptr<NotingDriver> rec;
};

// How many frames the driver had presented each time FlipHook ran.
const TRecordingCanvasDriver* g_hooked_driver = nullptr;
std::vector<int64_t> g_flips_at_hook;
std::shared_ptr<TObject> NoteFlip(int, std::shared_ptr<TObject> data, std::shared_ptr<TObject>) {
  g_flips_at_hook.push_back(g_hooked_driver->flips);
  return data;
}

class ThrowingDriver : public TRecordingCanvasDriver {
 public:
  std::shared_ptr<TGraphics> CreateGraphics(int, int, int, int, int) override {
    throw std::runtime_error("no");
  }
};
}  // namespace

TEST_F(Graphics, OpenGraphicsMakesACurrentContextWithTheDefaultFlags) {
  auto g = OpenGraphics(800, 600, 0, 60, 0);
  ASSERT_TRUE(g);
  EXPECT_EQ(GetGraphics(), g);
  EXPECT_EQ(TCanvasGraphics::Current(), g);
  EXPECT_EQ(TCanvasDriver::Current(), rec);
  EXPECT_EQ(GraphicsWidth(), 800);
  EXPECT_EQ(GraphicsHeight(), 600);
  EXPECT_EQ(GraphicsDepth(), 0);
  EXPECT_EQ(GraphicsHertz(), 60);
  EXPECT_EQ(GraphicsFlags(), GRAPHICS_BACKBUFFER);
  // Both buffers are cleared once, on the first MakeCurrent.
  EXPECT_EQ(Ops(), (std::vector<std::string>{"Cls", "Flip0", "Cls", "Flip0"}));
}

TEST_F(Graphics, ANewContextStartsWithTheTableValuesAndSendsThemAll) {
  OpenGraphics(640, 480, 0, 60, 0);
  const TCanvasGraphics& c = *TCanvasGraphics::Current();
  EXPECT_EQ(c.color_red, 255);
  EXPECT_EQ(c.color_blue, 255);
  EXPECT_EQ(c.color_alpha, 1.0f);
  EXPECT_EQ(c.clscolor_red, 0);
  EXPECT_EQ(c.line_width, 1.0f);
  EXPECT_EQ(c.tform_rot, 0.0f);
  EXPECT_EQ(c.tform_scale_x, 1.0f);
  EXPECT_EQ(c.viewport_w, 640);
  EXPECT_EQ(c.viewport_h, 480);
  EXPECT_EQ(c.blend_mode, BLEND_MASK);
  EXPECT_EQ(c.image_font, TImageFont::Default());
  EXPECT_EQ(c._setup, 1);
  const TRecordedCall& sent = rec->state;
  EXPECT_EQ(sent.blend, BLEND_MASK);
  EXPECT_EQ(sent.red, 255);
  EXPECT_EQ(sent.alpha, 1.0f);
  EXPECT_EQ(sent.viewport_w, 640);
  EXPECT_EQ(sent.viewport_h, 480);
  EXPECT_EQ(sent.ix, 1.0f);
  EXPECT_EQ(sent.iy, 0.0f);
  EXPECT_EQ(sent.jx, 0.0f);
  EXPECT_EQ(sent.jy, 1.0f);
}

TEST_F(Graphics, ValidateResendsTheStoredStateWhenAContextBecomesCurrentAgain) {
  auto g = OpenGraphics(800, 600, 0, 60, 0);
  SetColor(1, 2, 3);
  SetAlpha(0.25f);
  SetBlend(BLEND_ALPHA);
  SetRotation(90);
  SetClsColor(7, 8, 9);
  SetGraphics(nullptr);
  EXPECT_EQ(TCanvasGraphics::Current(), nullptr);
  EXPECT_EQ(GraphicsWidth(), 0);
  rec->state = TRecordedCall{};  // forget what was sent
  rec->Clear();
  rec->sent.clear();
  SetGraphics(g);
  EXPECT_EQ(rec->sent, (std::vector<std::string>{"Blend", "Color", "Alpha", "ClsColor", "LineWidth",
                                                 "Transform", "Transform", "Viewport"}));
  EXPECT_EQ(rec->state.red, 1);
  EXPECT_EQ(rec->state.blue, 3);
  EXPECT_EQ(rec->state.alpha, 0.25f);
  EXPECT_EQ(rec->state.blend, BLEND_ALPHA);
  EXPECT_EQ(rec->state.cls_red, 7);
  EXPECT_NEAR(rec->state.jx, 1.0f, 1e-6);  // rotated 90 degrees
  EXPECT_NEAR(rec->state.iy, -1.0f, 1e-6);
  // Already set up: no second clearing of the buffers.
  EXPECT_EQ(rec->Count("Cls"), 0);
}

TEST_F(Graphics, OpenGraphicsTwiceAdvancesGraphicsSeqTwiceAndEndGraphicsOnceMore) {
  int seq = GraphicsSeq;
  auto first = OpenGraphics(800, 600, 0, 60, 0);
  EXPECT_EQ(GraphicsSeq, seq + 1);
  auto lower = std::static_pointer_cast<TRecordingGraphics>(
      std::static_pointer_cast<TCanvasGraphics>(first)->_graphics);
  auto second = OpenGraphics(800, 600, 0, 60, 0);
  EXPECT_EQ(GraphicsSeq, seq + 3);
  EXPECT_TRUE(lower->closed);
  EXPECT_EQ(GetGraphics(), second);
  EndGraphics();
  EXPECT_EQ(GraphicsSeq, seq + 4);
  EXPECT_EQ(GetGraphics(), nullptr);
  EndGraphics();  // nothing open: nothing advances
  EXPECT_EQ(GraphicsSeq, seq + 4);
}

TEST_F(Graphics, GraphicsSeqSkipsZeroWhenItWraps) {
  int saved = GraphicsSeq;
  GraphicsSeq = -1;
  OpenGraphics(800, 600, 0, 60, 0);
  EXPECT_EQ(GraphicsSeq, 1);
  GraphicsSeq = 2147483647;
  EndGraphics();
  EXPECT_EQ(GraphicsSeq, -2147483647 - 1);
  GraphicsSeq = saved;
}

TEST_F(Graphics, FailedCreationReturnsNoneAndChangesNothing) {
  auto thrower = std::make_shared<ThrowingDriver>();
  SetGraphicsDriver(thrower);
  int seq = GraphicsSeq;
  EXPECT_EQ(OpenGraphics(800, 600, 0, 60, 0), nullptr);
  EXPECT_EQ(GraphicsSeq, seq);
  EXPECT_EQ(GetGraphics(), nullptr);
  EXPECT_EQ(CreateGraphics(10, 10, 0, 0, 0), nullptr);
  SetGraphicsDriver(rec);
  EXPECT_EQ(OpenGraphics(0, 600, 0, 60, 0), nullptr);  // the driver refuses
  EXPECT_EQ(GraphicsSeq, seq);
}

TEST_F(Graphics, OpenGraphicsEnablesPolledInputAndEndGraphicsDisablesIt) {
  OpenGraphics(800, 600, 0, 60, 0);
  EmitEvent(EVENT_KEYDOWN, nullptr, KEY_SPACE);
  EXPECT_EQ(KeyDown(KEY_SPACE), 1);
  EndGraphics();
  EXPECT_EQ(KeyDown(KEY_SPACE), 0);
  EmitEvent(EVENT_KEYDOWN, nullptr, KEY_A);
  EXPECT_EQ(KeyHit(KEY_A), 0);
}

TEST_F(Graphics, SetGraphicsDriverDropsTheCurrentGraphicsAndStoresTheFlags) {
  OpenGraphics(800, 600, 0, 60, 0);
  auto other = std::make_shared<TRecordingCanvasDriver>();
  SetGraphicsDriver(other, GRAPHICS_BACKBUFFER | GRAPHICS_DEPTHBUFFER);
  EXPECT_EQ(TCanvasGraphics::Current(), nullptr);  // the old driver was told
  EXPECT_EQ(GetGraphics(), nullptr);
  EXPECT_EQ(GraphicsWidth(), 0);
  OpenGraphics(320, 200, 0, 0, GRAPHICS_ALPHABUFFER);
  EXPECT_EQ(GraphicsFlags(), GRAPHICS_BACKBUFFER | GRAPHICS_DEPTHBUFFER | GRAPHICS_ALPHABUFFER);
  EXPECT_EQ(TCanvasDriver::Current(), other);
}

TEST_F(Graphics, CloseGraphicsOfTheCurrentContextLeavesNothingCurrent) {
  auto g = OpenGraphics(800, 600, 0, 60, 0);
  CloseGraphics(g);
  EXPECT_EQ(GetGraphics(), nullptr);
  EXPECT_EQ(TCanvasGraphics::Current(), nullptr);
  EXPECT_EQ(std::static_pointer_cast<TCanvasGraphics>(g)->_graphics, nullptr);
  int seq = GraphicsSeq;
  EndGraphics();  // already forgotten as the auto graphics
  EXPECT_EQ(GraphicsSeq, seq);
  rec->Clear();
  Cls();    // no context: nothing to clear
  Flip(1);  // the driver is still told, and has nothing to present
  EXPECT_EQ(Ops(), (std::vector<std::string>{"Flip1"}));

  // A closed context is refused: none becomes current, even over an open one.
  auto open = OpenGraphics(320, 200, 0, 60, 0);
  SetGraphics(g);
  EXPECT_EQ(GetGraphics(), nullptr);
  EXPECT_EQ(TCanvasGraphics::Current(), nullptr);
  EXPECT_EQ(TCanvasDriver::Current(), nullptr);
  EXPECT_EQ(GraphicsWidth(), 0);
  SetGraphics(open);
  EXPECT_EQ(TCanvasGraphics::Current(), open);
  EXPECT_EQ(GraphicsWidth(), 320);
}

TEST_F(Graphics, FlipRunsFlipHookFirstAndPassesSyncOn) {
  OpenGraphics(800, 600, 0, 0, 0);
  g_hooked_driver = rec.get();
  g_flips_at_hook.clear();
  AddHook(FlipHook, NoteFlip, nullptr, 0);
  rec->Clear();
  const int64_t before = rec->flips;
  Flip(1);
  Flip(0);
  Flip(-1);  // hertz 0: no soft sync, and windowed presents without waiting
  RemoveHook(FlipHook, NoteFlip, nullptr);
  // Each time the hook ran before the frame reached the driver.
  EXPECT_EQ(g_flips_at_hook, (std::vector<int64_t>{before, before + 1, before + 2}));
  EXPECT_EQ(Ops(), (std::vector<std::string>{"Flip1", "Flip0", "Flip0"}));
}

TEST_F(Graphics, ClsColourIsStoredUnclampedAndForwarded) {
  OpenGraphics(800, 600, 0, 60, 0);
  SetClsColor(10, 20, 300);
  int r, g, b;
  GetClsColor(r, g, b);
  EXPECT_EQ(r, 10);
  EXPECT_EQ(g, 20);
  EXPECT_EQ(b, 300);
  EXPECT_EQ(rec->state.cls_blue, 300);
  rec->Clear();
  Cls();
  ASSERT_EQ(rec->Count("Cls"), 1);
  EXPECT_EQ(rec->calls[0].cls_green, 20);
}

namespace {
// The clock of a machine up for 24.8 days: it turns negative half a second
// into the test.
uint32_t g_clock_offset = 0;
int32_t ClockAboutToWrap() { return static_cast<int32_t>(static_cast<uint32_t>(SystemMillisecs()) + g_clock_offset); }
}  // namespace

TEST_F(Graphics, SoftSyncPacesFlipMinusOneAt60HzWithoutCatchingUp) {
  g_clock_offset = static_cast<uint32_t>(INT32_MAX) - static_cast<uint32_t>(SystemMillisecs()) - 500u;
  SetTimeSource(&ClockAboutToWrap);
  // The pace starts when the graphics open, so the clock is read before
  // that: a slow start-up shortens the first frame, not the second.
  int t0 = SystemMillisecs();
  OpenGraphics(800, 600, 0, 60, 0);
  for (int i = 0; i < 60; ++i) Flip(-1);
  int second = SystemMillisecs() - t0;
  // 60 frames of 16 ms plus the 40 ms remainder spread over them.
  EXPECT_GE(second, 1000);
  EXPECT_LE(second, 1200);
  Delay(150);  // a long frame
  t0 = SystemMillisecs();
  for (int i = 0; i < 6; ++i) Flip(-1);
  int after = SystemMillisecs() - t0;
  EXPECT_GE(after, 5 * 16);  // the next frames keep the pace instead of rushing
  // Flip(1) and Flip(0) never consult the soft sync.
  t0 = SystemMillisecs();
  for (int i = 0; i < 50; ++i) Flip(1);
  EXPECT_LT(SystemMillisecs() - t0, 40);
  SetTimeSource(nullptr);
}

TEST(GraphicsMode, ToStringShowsSizeDepthAndRate) {
  TGraphicsMode m;
  m.width = 1024;
  m.height = 768;
  m.depth = 24;
  m.hertz = 60;
  EXPECT_EQ(m.ToString(), "1024,768,24 60Hz");
}

// ---- Flip(1) pacing decisions, fed with clock readings.

TEST(FlipPacer, AMissingSwapIntervalPacesAtOnce) {
  TFlipPacer p;
  p.AfterFlip(false, 1000, 60);
  EXPECT_TRUE(p.paced);
}

TEST(FlipPacer, FramesAtTheRefreshRateAreLeftToVSync) {
  // Up to 60 Hz, vsync alone keeps the game's speed: no frame waits.
  // The same on a clock that wraps round a second into the probe.
  for (int start : {5000, INT32_MAX - 1000}) {
    for (int hertz : {60, 50}) {
      TFlipPacer p;
      int now = start;
      for (int i = 0; i < 300; ++i) {
        p.BeforeFlip(now, hertz);
        ASSERT_FALSE(p.paced) << hertz << " Hz, frame " << i << " from " << start;
        p.AfterFlip(true, now, hertz);
        now = MillisecsAfter(now, 1000 / hertz + (i % 3 == 0));
      }
    }
  }
}

TEST(FlipPacer, DisplaysFasterThan60HzArePacedTo60FromTheFirstFrame) {
  for (int hertz : {61, 144, 240}) {
    TFlipPacer p;
    const int start = 5000;
    int now = start;
    for (int k = 1; k <= 120; ++k) {
      p.BeforeFlip(now, hertz);
      ASSERT_TRUE(p.paced) << hertz;
      now += p.WaitBeforeFlip(now);
      // Frame k is presented at k / 60 s, truncated to the millisecond.
      ASSERT_EQ(now - start, k * 1000 / 60) << hertz << " Hz, frame " << k;
      now += k % 4;  // vsync holds the swap back for part of a refresh
    }
  }
}

TEST(FlipPacer, QueuedBuffersAtTheStartDoNotLookLikeMissingVSync) {
  // A driver that lets three frames through at once, then blocks per refresh.
  TFlipPacer p;
  int now = 0;
  for (int i = 0; i < 3; ++i) p.AfterFlip(true, now, 60);
  for (int i = 0; i < 100; ++i) {
    now += 17;
    p.AfterFlip(true, now, 60);
  }
  EXPECT_FALSE(p.paced);
}

TEST(FlipPacer, FramesMuchFasterThanTheDisplayArePaced) {
  TFlipPacer p;
  int now = 0;
  int flips = 0;
  while (!p.paced && flips < 100) {
    p.AfterFlip(true, now, 60);
    now += 1;
    ++flips;
  }
  EXPECT_TRUE(p.paced);
  EXPECT_EQ(flips, TFlipPacer::kProbeFrames + 1);
}

TEST(FlipPacer, PacedFramesAre16Or17MsApartAndASecondHolds60) {
  TFlipPacer p;
  p.AfterFlip(false, 1000, 60);
  int now = 1000;
  int total = 0;
  for (int i = 0; i < 60; ++i) {
    int wait = p.WaitBeforeFlip(now);
    ASSERT_TRUE(wait == 16 || wait == 17) << wait;
    now += wait;  // slept exactly, drew in no time
    total += wait;
  }
  EXPECT_EQ(total, 1000);
}

TEST(FlipPacer, ALateFrameIsNotCaughtUpOn) {
  TFlipPacer p;
  p.AfterFlip(false, 0, 50);  // 20 ms frames
  EXPECT_EQ(p.WaitBeforeFlip(0), 20);
  EXPECT_EQ(p.WaitBeforeFlip(300), 0);  // 260 ms late
  EXPECT_EQ(p.WaitBeforeFlip(300), 20);  // the next is due a full frame later
  EXPECT_EQ(p.WaitBeforeFlip(325), 15);
  EXPECT_EQ(p.WaitBeforeFlip(100), 0) << "the clock went back: no wait for it";
  EXPECT_EQ(p.WaitBeforeFlip(INT32_MAX - 5), 0);
  EXPECT_EQ(p.WaitBeforeFlip(INT32_MIN + 10), 4) << "across the clock's wrap";
}

TEST(FlipPacer, AnUnknownOrOddRefreshRateStillGivesWholeMilliseconds) {
  TFlipPacer p;
  p.AfterFlip(false, 0, 0);  // treated as 1 Hz, never a division by zero
  EXPECT_EQ(p.WaitBeforeFlip(0), 1000);
  // A 144 Hz display without vsync is paced at the game's 60, not at 144.
  TFlipPacer q;
  q.AfterFlip(false, 0, 144);
  int now = 0, total = 0;
  for (int i = 0; i < 60; ++i) {
    int wait = q.WaitBeforeFlip(now);
    ASSERT_TRUE(wait == 16 || wait == 17) << wait;
    now += wait;
    total += wait;
  }
  EXPECT_EQ(total, 1000);
}

// ---- The recording driver keeps each call with the state it was drawn under.

TEST_F(Graphics, RecordedRectCarriesColourAlphaBlendAndTransform) {
  OpenGraphics(800, 600, 0, 60, 0);
  SetBlend(BLEND_ALPHA);
  SetColor(10, 300, -4);
  SetAlpha(0.2f);
  SetRotation(90);
  SetScale(2, 3);
  SetOrigin(5, 6);
  SetHandle(1, 2);
  rec->Clear();
  DrawRect(100, 50, 20, 10);
  ASSERT_EQ(rec->calls.size(), 1u);
  const TRecordedCall& c = rec->calls[0];
  EXPECT_EQ(c.op, "Rect");
  EXPECT_EQ(c.red, 10);
  EXPECT_EQ(c.green, 300);  // as sent: the driver, not the context, clamps
  EXPECT_EQ(c.blue, -4);
  EXPECT_EQ(c.alpha, 0.2f);
  EXPECT_EQ(c.blend, BLEND_ALPHA);
  EXPECT_EQ(c.rotation, 90.0f);
  EXPECT_EQ(c.scale_x, 2.0f);
  EXPECT_EQ(c.scale_y, 3.0f);
  EXPECT_EQ(c.handle_x, 1.0f);
  EXPECT_EQ(c.handle_y, 2.0f);
  EXPECT_EQ(c.origin_x, 5.0f);
  EXPECT_NEAR(c.jx, 2.0f, 1e-5);
  EXPECT_NEAR(c.iy, -3.0f, 1e-5);
  EXPECT_EQ(c.x0, -1.0f);
  EXPECT_EQ(c.y0, -2.0f);
  EXPECT_EQ(c.x1, 19.0f);
  EXPECT_EQ(c.y1, 8.0f);
  EXPECT_EQ(c.tx, 105.0f);
  EXPECT_EQ(c.ty, 56.0f);
}

TEST_F(Graphics, RecordedImageNamesThePixmapItWasMadeFrom) {
  OpenGraphics(800, 600, 0, 60, 0);
  auto image = CreateImage(16, 8, 2, 0);
  ASSERT_TRUE(image);
  rec->Clear();
  SetColor(1, 2, 3);
  DrawImage(image, 40, 30, 1);
  DrawImage(image, 41, 31, 1);  // the frame is made once and reused
  EXPECT_EQ(rec->frames_made, 1);
  auto images = rec->Calls("Image");
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(images[0].pixmap, image->pixmaps[1]);
  EXPECT_EQ(images[0].x1 - images[0].x0, 16.0f);
  EXPECT_EQ(images[0].y1 - images[0].y0, 8.0f);
  EXPECT_EQ(images[0].tx, 40.0f);
  EXPECT_EQ(images[1].ty, 31.0f);
  EXPECT_EQ(images[0].red, 1);
}

TEST_F(Graphics, RecordedTextKeepsTheStringThenItsGlyphs) {
  OpenGraphics(800, 600, 0, 60, 0);
  rec->Clear();
  DrawText("hi", 150, 120);
  ASSERT_FALSE(rec->calls.empty());
  EXPECT_EQ(rec->calls[0].op, "Text");
  EXPECT_EQ(rec->calls[0].text, "hi");
  EXPECT_EQ(rec->calls[0].tx, 150.0f);
  EXPECT_EQ(rec->calls[0].ty, 120.0f);
  EXPECT_EQ(rec->calls[0].font, TImageFont::Default());
  EXPECT_EQ(rec->Count("Image"), 2);  // one quad per glyph of the default font
}

TEST_F(Graphics, CountingGoesOnWhenCallsAreNotKept) {
  OpenGraphics(800, 600, 0, 60, 0);
  rec->Clear();
  rec->keep_calls = false;
  for (int i = 0; i < 1000; ++i) DrawRect(0, 0, 1, 1);
  Cls();
  Flip(1);
  EXPECT_TRUE(rec->calls.empty());
  EXPECT_EQ(rec->Count("Rect"), 1000);
  EXPECT_EQ(rec->Count("Cls"), 1);
  EXPECT_EQ(rec->Count("Flip"), 1);
  EXPECT_EQ(rec->Count("Nothing"), 0);
  auto grab = GrabPixmap(0, 0, 4, 2);
  ASSERT_TRUE(grab);
  EXPECT_EQ(grab->width, 4);
}
