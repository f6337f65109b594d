// Images without a display: masking with the neighbour average, what
// SetPixmap/Lock/Frame do to a frame's texture slot, handles and flags, the
// texture padding and sizes, and the bilinear resize. Drawing is tested on a
// real GL context in gl_draw_test.cpp.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/texture_layout.h"
#include "graphics/graphics.h"
#include "graphics/image.h"
#include "graphics/pixmap.h"
#include "png_test_support.h"
#include "system/runtime_error.h"
#include "system/stream.h"

namespace {

// Restores the process-wide image settings a test changes.
class ImageSettings : public ::testing::Test {
 protected:
  void TearDown() override {
    AutoMidHandle(0);
    SetMaskColor(0, 0, 0);
    AutoImageFlags(IMAGE_MASKED | IMAGE_FILTERED);
  }
};

std::shared_ptr<TPixmap> Rgb(int w, int h, std::vector<uint32_t> argb) {
  auto p = TPixmap::Create(w, h, PF_RGB888);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p->WritePixel(x, y, argb[size_t(y * w + x)]);
  return p;
}

TEST(MaskPixmap, MaskPixelsBecomeClearAndTakeTheirOpaqueNeighboursAverage) {
  // Black is the mask colour; the centre and the top-left corner are black.
  auto p = Rgb(3, 3, {0xff000000, 0xff0a0000, 0xff140000,  //
                      0xff00001e, 0xff000000, 0xff000028,  //
                      0xff003200, 0xff003c00, 0xff004600});
  auto m = MaskPixmap(p, 0, 0, 0);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->format, PF_RGBA8888);
  // Centre: the seven opaque neighbours, averaged per channel with truncation:
  // red (10 + 20) / 7 = 4, green (50 + 60 + 70) / 7 = 25, blue (30 + 40) / 7 = 10.
  EXPECT_EQ(m->ReadPixel(1, 1), 0x0004190au);
  // Corner: neighbours inside the pixmap only: (1,0) (0,1); (1,1) is masked.
  // red 10 / 2 = 5, blue 30 / 2 = 15.
  EXPECT_EQ(m->ReadPixel(0, 0), 0x0005000fu);
  // Everything else is opaque and unchanged.
  EXPECT_EQ(m->ReadPixel(2, 0), 0xff140000u);
  EXPECT_EQ(m->ReadPixel(1, 2), 0xff003c00u);
}

TEST(MaskPixmap, EveryNeighbourCountDividesWithTruncation) {
  // The centre is masked and n of its eight neighbours are opaque, with
  // values chosen so each average has a remainder.
  const int order[8][2] = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}};
  for (int n = 1; n <= 8; ++n) {
    std::vector<uint32_t> px(9, 0xff000000);
    int sum_r = 0, sum_g = 0, sum_b = 0;
    for (int i = 0; i < n; ++i) {
      const int rv = 255 - i, gv = 1 + 2 * i, bv = 200 + 7 * i % 50;
      px[size_t(order[i][1] * 3 + order[i][0])] = 0xff000000u | uint32_t(rv << 16 | gv << 8 | bv);
      sum_r += rv, sum_g += gv, sum_b += bv;
    }
    const uint32_t got = MaskPixmap(Rgb(3, 3, px), 0, 0, 0)->ReadPixel(1, 1);
    EXPECT_EQ(got, uint32_t(sum_r / n) << 16 | uint32_t(sum_g / n) << 8 | uint32_t(sum_b / n)) << n;
  }
}

TEST(MaskPixmap, IsolatedMaskAreasStayBlackAndOtherMaskColoursWork) {
  auto black = Rgb(3, 3, std::vector<uint32_t>(9, 0xff000000));
  auto m = MaskPixmap(black, 0, 0, 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(m->ReadPixel(x, y), 0u);

  auto magenta = Rgb(2, 1, {0xffff00ff, 0xff000000});
  m = MaskPixmap(magenta, 255, 0, 255);
  EXPECT_EQ(m->ReadPixel(0, 0), 0x00000000u);  // its one neighbour is black
  EXPECT_EQ(m->ReadPixel(1, 0), 0xff000000u);  // black is an ordinary colour here
  // An almost-mask colour is not the mask colour.
  m = MaskPixmap(Rgb(1, 1, {0xff000001}), 0, 0, 0);
  EXPECT_EQ(m->ReadPixel(0, 0), 0xff000001u);
}

TEST(MaskPixmap, ReadsAnyFormatAndIgnoresSourceAlpha) {
  auto i8 = TPixmap::Create(2, 1, PF_I8);
  i8->pixels[0] = 0, i8->pixels[1] = 90;
  auto m = MaskPixmap(i8, 0, 0, 0);
  EXPECT_EQ(m->ReadPixel(0, 0), 0x005a5a5au);
  EXPECT_EQ(m->ReadPixel(1, 0), 0xff5a5a5au);
  auto rgba = TPixmap::Create(1, 1, PF_RGBA8888);
  rgba->WritePixel(0, 0, 0x10203040);
  EXPECT_EQ(MaskPixmap(rgba, 0, 0, 0)->ReadPixel(0, 0), 0xff203040u);
  EXPECT_FALSE(MaskPixmap(nullptr, 0, 0, 0));
}

TEST_F(ImageSettings, MaskedImagesMaskOnlyPixmapsWithoutAlpha) {
  auto rgb = Rgb(2, 1, {0xff000000, 0xff808080});
  auto img = TImage::Create(2, 1, 1, IMAGE_MASKED, 0, 0, 0);
  img->SetPixmap(0, rgb);
  EXPECT_EQ(img->pixmaps[0]->format, PF_RGBA8888);
  EXPECT_EQ(img->pixmaps[0]->ReadPixel(0, 0), 0x00808080u);

  // A picture with alpha keeps it; its black stays opaque black.
  auto rgba = TPixmap::Create(2, 1, PF_RGBA8888);
  rgba->WritePixel(0, 0, 0xff000000);
  rgba->WritePixel(1, 0, 0x40ffffff);
  img->SetPixmap(0, rgba);
  EXPECT_EQ(img->pixmaps[0], rgba);

  // Without IMAGE_MASKED nothing is touched.
  auto plain = TImage::Create(2, 1, 1, IMAGE_FILTERED, 0, 0, 0);
  plain->SetPixmap(0, rgb);
  EXPECT_EQ(plain->pixmaps[0], rgb);
}

TEST_F(ImageSettings, LoadImageCapturesTheMaskColourAndAutoFlags) {
  SetMaskColor(255, 0, 255);
  int r, g, b;
  GetMaskColor(r, g, b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(b, 255);
  auto img = LoadImage(Rgb(1, 2, {0xffff00ff, 0xff000000}));
  ASSERT_TRUE(img);
  EXPECT_EQ(img->flags, IMAGE_MASKED | IMAGE_FILTERED);
  EXPECT_EQ(img->mask_r, 255);
  EXPECT_EQ(img->pixmaps[0]->ReadPixel(0, 0), 0x00000000u);
  EXPECT_EQ(img->pixmaps[0]->ReadPixel(0, 1), 0xff000000u);
  SetMaskColor(0, 0, 0);
  EXPECT_EQ(img->mask_r, 255);  // captured when it was made

  AutoImageFlags(IMAGE_FILTERED);
  EXPECT_EQ(LoadImage(Rgb(1, 1, {0}))->flags, IMAGE_FILTERED);
  AutoImageFlags(-1);
  EXPECT_EQ(GetAutoImageFlags(), IMAGE_FILTERED);
  EXPECT_EQ(LoadImage(Rgb(1, 1, {0}), IMAGE_MIPMAPPED)->flags, IMAGE_MIPMAPPED);
}

TEST_F(ImageSettings, AutoMidHandlePutsTheHandleAtTheCentre) {
  EXPECT_EQ(LoadImage(Rgb(15, 15, std::vector<uint32_t>(225, 0xff102030)))->handle_x, 0.0f);
  AutoMidHandle(1);
  auto img = LoadImage(Rgb(15, 15, std::vector<uint32_t>(225, 0xff102030)), -1);
  ASSERT_TRUE(img);
  EXPECT_EQ(img->handle_x, 7.5f);
  EXPECT_EQ(img->handle_y, 7.5f);
  auto made = CreateImage(640, 480);
  EXPECT_EQ(made->handle_x, 320.0f);
  SetImageHandle(made, 3, 4);
  float hx, hy;
  GetImageHandle(made, hx, hy);
  EXPECT_EQ(hx, 3.0f);
  EXPECT_EQ(hy, 4.0f);
  EXPECT_EQ(ImageWidth(made), 640);
  EXPECT_EQ(ImageHeight(made), 480);
  EXPECT_EQ(ImageWidth(nullptr), 0);
}

TEST_F(ImageSettings, CreateImageAddsDynamicAndMakesClearPixelsOnLock) {
  auto img = CreateImage(640, 480, 1, 9);
  EXPECT_EQ(img->flags, 9);
  EXPECT_EQ(CreateImage(8, 8, 2, -1)->flags, IMAGE_MASKED | IMAGE_FILTERED | IMAGE_DYNAMIC);
  EXPECT_FALSE(img->pixmaps[0]);
  auto p = LockImage(img);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->format, PF_RGBA8888);
  EXPECT_EQ(p->width, 640);
  EXPECT_EQ(p->ReadPixel(639, 479), 0u);
  EXPECT_EQ(LockImage(img), p);
}

TEST(ImageFrames, WritesAndNewPixmapsDropTheTexture) {
  auto img = TImage::Create(4, 4, 2, 0, 0, 0, 0);
  EXPECT_EQ(img->seqs, (std::vector<int>{0, 0}));
  img->seqs[1] = 5;
  img->Lock(1, 1, 0);
  EXPECT_EQ(img->seqs[1], 5);  // reading keeps it
  img->Lock(1, 0, 1);
  EXPECT_EQ(img->seqs[1], 0);
  img->seqs[0] = 7;
  img->SetPixmap(0, TPixmap::Create(4, 4, PF_RGBA8888));
  EXPECT_EQ(img->seqs[0], 0);
  EXPECT_FALSE(img->frames[0]);
}

TEST(ImageFrames, AFrameOutsideTheImageIsAnArrayBoundsError) {
  auto img = TImage::Create(4, 4, 2, 0, 0, 0, 0);
  EXPECT_THROW(img->Frame(2), TArrayBoundsException);
  EXPECT_THROW(img->Frame(-1), TArrayBoundsException);
  EXPECT_THROW(img->Lock(2, 1, 1), TArrayBoundsException);
  EXPECT_THROW(img->SetPixmap(3, nullptr), TArrayBoundsException);
}

TEST(ImageFrames, WithoutADriverNoFrameIsMadeOrRemembered) {
  auto img = TImage::Create(4, 4, 1, 0, 0, 0, 0);
  EXPECT_FALSE(img->Frame(0));
  EXPECT_EQ(img->seqs[0], 0);
}

TEST(LoadAnimImage, CutsCellsRowByRow) {
  auto sheet = TPixmap::Create(6, 4, PF_RGBA8888);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) sheet->WritePixel(x, y, 0xff000000u | uint32_t(y << 8 | x));
  auto img = LoadAnimImage(sheet, 2, 2, 1, 4, 0);
  ASSERT_TRUE(img);
  EXPECT_EQ(img->width, 2);
  ASSERT_EQ(img->pixmaps.size(), 4u);
  EXPECT_EQ(img->pixmaps[0]->ReadPixel(0, 0), 0xff000002u);  // cell 1 at (2, 0)
  EXPECT_EQ(img->pixmaps[1]->ReadPixel(1, 1), 0xff000105u);  // cell 2 at (4, 0)
  EXPECT_EQ(img->pixmaps[2]->ReadPixel(0, 0), 0xff000200u);  // cell 3 at (0, 2)
  EXPECT_FALSE(LoadAnimImage(sheet, 2, 2, 3, 4, 0));  // only six cells
  EXPECT_FALSE(LoadAnimImage(sheet, 0, 2, 0, 1, 0));
}

TEST(LoadImage, BrokenOrMissingFilesGiveNone) {
  EXPECT_FALSE(LoadImage("no/such/picture.png"));
  EXPECT_FALSE(LoadImage(std::string()));
  EXPECT_FALSE(LoadImage(std::shared_ptr<TPixmap>()));
  auto stream = [](std::vector<uint8_t> bytes) {
    return std::static_pointer_cast<TStream>(CreateMemoryStream(std::move(bytes)));
  };
  EXPECT_FALSE(LoadImage(stream({})));
  EXPECT_FALSE(LoadImage(stream({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0})));
  EXPECT_FALSE(LoadImage(stream(png_test::HugeHeaderPng(100000, 100000))));
  png_test::PngRecipe s;
  s.width = 8, s.height = 8;
  s.rows.assign(8 * 8 * 3, 100);
  std::vector<uint8_t> png = png_test::Encode(s);
  EXPECT_TRUE(LoadImage(stream(png)));
  ASSERT_GT(png.size(), 20u);
  EXPECT_FALSE(LoadImage(stream(std::vector<uint8_t>(png.begin(), png.end() - 20))));
}

TEST(TextureSize, PowersOfTwoHalvedUntilTheyFit) {
  EXPECT_EQ(Pow2Size(0), 1);
  EXPECT_EQ(Pow2Size(1), 1);
  EXPECT_EQ(Pow2Size(20), 32);
  EXPECT_EQ(Pow2Size(32), 32);
  EXPECT_EQ(Pow2Size(33), 64);
  int w = 1000, h = 300;
  std::vector<std::pair<int, int>> asked;
  AdjustTexSize(w, h, [&](int tw, int th) {
    asked.emplace_back(tw, th);
    return tw <= 256;
  });
  EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{1024, 512}, {512, 256}, {256, 128}}));
  EXPECT_EQ(w, 256);
  EXPECT_EQ(h, 128);
  // A dimension of 1 stays 1 while the other halves.
  w = 64, h = 1;
  AdjustTexSize(w, h, [](int tw, int) { return tw <= 8; });
  EXPECT_EQ(w, 8);
  EXPECT_EQ(h, 1);
  w = 4, h = 4;
  try {
    AdjustTexSize(w, h, [](int, int) { return false; });
    FAIL() << "no error raised";
  } catch (const TRuntimeException& e) {
    EXPECT_EQ(e.ToString(), "Unable to calculate tex size");
  }
}

TEST(TexturePixmap, TwentyByThirtyRepeatsItsLastColumnRowAndCorner) {
  auto src = TPixmap::Create(20, 30, PF_RGB888);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 20; ++x) src->WritePixel(x, y, 0xff000000u | uint32_t(y << 8 | x));
  int tw = 20, th = 30;
  AdjustTexSize(tw, th, [](int, int) { return true; });
  ASSERT_EQ(tw, 32);
  ASSERT_EQ(th, 32);
  int w = 0, h = 0;
  auto tex = PrepareTexturePixmap(src, tw, th, w, h);
  ASSERT_TRUE(tex);
  EXPECT_EQ(tex->format, PF_RGBA8888);
  EXPECT_EQ(tex->width, 32);
  EXPECT_EQ(tex->height, 32);
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h, 30);
  EXPECT_EQ(tex->ReadPixel(7, 9), 0xff000907u);
  for (int y = 0; y < 30; ++y) EXPECT_EQ(tex->ReadPixel(20, y), tex->ReadPixel(19, y)) << y;
  for (int x = 0; x < 20; ++x) EXPECT_EQ(tex->ReadPixel(x, 30), tex->ReadPixel(x, 29)) << x;
  EXPECT_EQ(tex->ReadPixel(20, 30), tex->ReadPixel(19, 29));
  // Beyond the repeats: transparent black.
  EXPECT_EQ(tex->ReadPixel(21, 0), 0u);
  EXPECT_EQ(tex->ReadPixel(31, 31), 0u);
  EXPECT_EQ(tex->ReadPixel(0, 31), 0u);
  EXPECT_EQ(tex->ReadPixel(21, 30), 0u);
}

TEST(TexturePixmap, ExactSizesAreUploadedAsTheyAre) {
  auto src = TPixmap::Create(64, 64, PF_RGBA8888);
  src->ClearPixels(0x80402010);
  int w = 0, h = 0;
  auto tex = PrepareTexturePixmap(src, 64, 64, w, h);
  EXPECT_EQ(tex, src);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 64);
  auto rgb = TPixmap::Create(64, 64, PF_RGB888);
  rgb->ClearPixels(0xff010203);
  tex = PrepareTexturePixmap(rgb, 64, 64, w, h);
  EXPECT_EQ(tex->format, PF_RGBA8888);
  EXPECT_EQ(tex->ReadPixel(63, 63), 0xff010203u);
}

TEST(TexturePixmap, PicturesLargerThanTheTextureAreScaledDown) {
  auto src = TPixmap::Create(100, 40, PF_RGBA8888);
  src->ClearPixels(0xff336699);
  int w = 0, h = 0;
  auto tex = PrepareTexturePixmap(src, 64, 64, w, h);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 40);
  EXPECT_EQ(tex->ReadPixel(63, 39), 0xff336699u);
  EXPECT_EQ(tex->ReadPixel(63, 40), 0xff336699u);  // the repeated row
  EXPECT_EQ(tex->ReadPixel(0, 41), 0u);
}

TEST(ResizePixmap, BlendsBilinearlyWithCentresAlignedAndTruncates) {
  // Four grey levels in a row halve to the midpoints of each pair.
  auto row = TPixmap::Create(4, 1, PF_I8);
  const uint8_t levels[] = {0, 64, 128, 192};
  std::copy(levels, levels + 4, row->pixels);
  auto half = ResizePixmap(row, 2, 1);
  ASSERT_TRUE(half);
  EXPECT_EQ(half->format, PF_I8);  // the source's format comes back
  EXPECT_EQ(half->pixels[0], 32);
  EXPECT_EQ(half->pixels[1], 160);

  // Doubling 0..255: the outer samples clamp to the edge pixels, the inner
  // ones are a quarter and three quarters of the way, truncated.
  auto two = TPixmap::Create(2, 1, PF_I8);
  two->pixels[0] = 0, two->pixels[1] = 255;
  auto four = ResizePixmap(two, 4, 1);
  EXPECT_EQ(std::vector<uint8_t>(four->pixels, four->pixels + 4),
            (std::vector<uint8_t>{0, 63, 191, 255}));

  // The same vertically, and the channels stay apart.
  auto col = TPixmap::Create(1, 2, PF_RGBA8888);
  col->WritePixel(0, 0, 0x00ff0000);
  col->WritePixel(0, 1, 0xff0000ff);
  auto tall = ResizePixmap(col, 1, 4);
  EXPECT_EQ(tall->ReadPixel(0, 0), 0x00ff0000u);
  EXPECT_EQ(tall->ReadPixel(0, 1), 0x3fbf003fu);
  EXPECT_EQ(tall->ReadPixel(0, 2), 0xbf3f00bfu);
  EXPECT_EQ(tall->ReadPixel(0, 3), 0xff0000ffu);
  EXPECT_FALSE(ResizePixmap(col, 0, 4));
}

TEST(ResizePixmap, AGradientScalesToTheSameGradient) {
  // A horizontal ramp 0, 2, 4, ... 254 over 128 pixels, halved to 64: each
  // output lands halfway between two inputs, so it reads 1, 5, 9, ...
  auto ramp = TPixmap::Create(128, 3, PF_RGB888);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 128; ++x) ramp->WritePixel(x, y, 0xff000000u | uint32_t(2 * x) << 16);
  auto half = ResizePixmap(ramp, 64, 3);
  ASSERT_TRUE(half);
  EXPECT_EQ(half->format, PF_RGB888);
  for (int x = 0; x < 64; ++x) EXPECT_EQ(half->ReadPixel(x, 1) >> 16 & 0xff, uint32_t(4 * x + 1)) << x;
}

}  // namespace
