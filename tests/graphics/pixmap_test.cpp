// Pixel buffers: row alignment, the six formats' pixel rules, conversions
// (the direct loops must agree with the per-pixel rules), windows that share
// memory, pasting with clipping, and the size limit.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/pixmap.h"
#include "system/runtime_error.h"

namespace {

const int kFormats[] = {PF_I8, PF_A8, PF_BGR888, PF_RGB888, PF_BGRA8888, PF_RGBA8888};

TEST(PixmapCreate, RowsArePaddedToTheAlignment) {
  auto rgb = TPixmap::Create(5, 2, PF_RGB888);
  ASSERT_TRUE(rgb);
  EXPECT_EQ(rgb->pitch, 16);  // 15 bytes rounded up to a multiple of 4
  EXPECT_EQ(rgb->capacity, 32);
  EXPECT_EQ(TPixmap::Create(3, 1, PF_I8)->pitch, 4);
  EXPECT_EQ(TPixmap::Create(3, 1, PF_I8, 1)->pitch, 3);
  EXPECT_EQ(TPixmap::Create(7, 1, PF_RGBA8888, 16)->pitch, 32);
  EXPECT_EQ(rgb->PixelPtr(2, 1), rgb->pixels + 16 + 6);
}

TEST(PixmapCreate, RefusesBadSizesAndBuffersOverTheLimit) {
  EXPECT_FALSE(TPixmap::Create(-1, 4, PF_RGBA8888));
  EXPECT_FALSE(TPixmap::Create(4, 4, 0));
  EXPECT_FALSE(TPixmap::Create(4, 4, 7));
  EXPECT_FALSE(TPixmap::Create(100000, 100000, PF_RGB888));
  EXPECT_FALSE(TPixmap::Create(16384, 16385, PF_I8));  // one row over 256 MiB
  auto at_limit = TPixmap::Create(16384, 16384, PF_I8);  // exactly 256 MiB
  ASSERT_TRUE(at_limit);
  EXPECT_EQ(int64_t(at_limit->capacity), kMaxPixmapBytes);
  EXPECT_TRUE(TPixmap::Create(0, 0, PF_RGBA8888));
}

TEST(PixmapFormats, WriteThenReadFollowsEachFormatsRules) {
  const uint32_t colour = 0x80112233;
  struct Case {
    int format;
    std::vector<uint8_t> bytes;
    uint32_t read_back;
  } cases[] = {
      {PF_I8, {0x22}, 0xff222222},  // (0x11 + 0x22 + 0x33) / 3
      {PF_A8, {0x80}, 0x80ffffff},
      {PF_BGR888, {0x33, 0x22, 0x11}, 0xff112233},
      {PF_RGB888, {0x11, 0x22, 0x33}, 0xff112233},
      {PF_BGRA8888, {0x33, 0x22, 0x11, 0x80}, 0x80112233},
      {PF_RGBA8888, {0x11, 0x22, 0x33, 0x80}, 0x80112233},
  };
  for (const Case& c : cases) {
    auto p = TPixmap::Create(2, 2, c.format);
    p->WritePixel(1, 1, colour);
    EXPECT_EQ(std::vector<uint8_t>(p->PixelPtr(1, 1), p->PixelPtr(1, 1) + c.bytes.size()), c.bytes)
        << "format " << c.format;
    EXPECT_EQ(p->ReadPixel(1, 1), c.read_back) << "format " << c.format;
    EXPECT_EQ(BytesPerPixel(c.format), int(c.bytes.size()));
  }
  EXPECT_EQ(BytesPerPixel(0), 0);
  EXPECT_TRUE(FormatHasAlpha(PF_A8));
  EXPECT_FALSE(FormatHasAlpha(PF_RGB888));
}

TEST(PixmapFormats, IntensityDividesTheSumByThreeTruncating) {
  auto p = TPixmap::Create(1, 1, PF_I8);
  p->WritePixel(0, 0, 0xff1e3c5b);  // 30 + 60 + 91 = 181, / 3 = 60.33
  EXPECT_EQ(p->pixels[0], 60);
  p->WritePixel(0, 0, 0xffffffff);
  EXPECT_EQ(p->pixels[0], 255);
}

TEST(PixmapConvert, EveryPairMatchesThePerPixelRules) {
  // A row with assorted colours in every format, converted to every format:
  // the direct loops must give what reading and writing one pixel gives.
  const uint32_t colours[] = {0x00000000, 0xffffffff, 0x80112233, 0x7ffe0102, 0x01a0b0c0};
  const int n = int(std::size(colours));
  for (int from : kFormats) {
    auto src = TPixmap::Create(n, 1, from);
    for (int i = 0; i < n; ++i) src->WritePixel(i, 0, colours[i]);
    for (int to : kFormats) {
      auto dst = src->Convert(to);
      ASSERT_TRUE(dst);
      EXPECT_EQ(dst->format, to);
      EXPECT_EQ(dst->width, n);
      for (int i = 0; i < n; ++i) {
        uint8_t expect[4];
        WriteFormatPixel(expect, to, src->ReadPixel(i, 0));
        EXPECT_EQ(std::memcmp(dst->PixelPtr(i, 0), expect, size_t(BytesPerPixel(to))), 0)
            << from << " -> " << to << " pixel " << i;
      }
    }
  }
}

TEST(PixmapConvert, KnownValues) {
  auto rgb = TPixmap::Create(1, 1, PF_RGB888);
  rgb->pixels[0] = 10, rgb->pixels[1] = 20, rgb->pixels[2] = 30;
  auto bgra = rgb->Convert(PF_BGRA8888);
  EXPECT_EQ(std::vector<uint8_t>(bgra->pixels, bgra->pixels + 4), (std::vector<uint8_t>{30, 20, 10, 255}));

  auto i8 = TPixmap::Create(1, 1, PF_I8);
  i8->pixels[0] = 100;
  auto rgba = i8->Convert(PF_RGBA8888);
  EXPECT_EQ(std::vector<uint8_t>(rgba->pixels, rgba->pixels + 4), (std::vector<uint8_t>{100, 100, 100, 255}));

  auto a8 = TPixmap::Create(1, 1, PF_A8);
  a8->pixels[0] = 77;
  rgba = a8->Convert(PF_RGBA8888);
  EXPECT_EQ(std::vector<uint8_t>(rgba->pixels, rgba->pixels + 4), (std::vector<uint8_t>{255, 255, 255, 77}));
  EXPECT_EQ(rgba->Convert(PF_A8)->pixels[0], 77);
  EXPECT_EQ(rgba->Convert(PF_RGB888)->ReadPixel(0, 0), 0xffffffffu);
}

TEST(PixmapWindow, SharesMemoryAndKeepsTheParentAlive) {
  std::shared_ptr<TPixmap> window;
  {
    auto parent = TPixmap::Create(8, 6, PF_RGBA8888);
    parent->ClearPixels(0xff000000);
    window = parent->Window(2, 3, 4, 2);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->capacity, -1);
    EXPECT_EQ(window->_source, parent);
    EXPECT_EQ(window->pitch, parent->pitch);
    window->WritePixel(0, 0, 0xff00ff00);
    EXPECT_EQ(parent->ReadPixel(2, 3), 0xff00ff00u);
    parent->WritePixel(5, 4, 0xffff0000);
    EXPECT_EQ(window->ReadPixel(3, 1), 0xffff0000u);
  }
  // The parent is gone from this scope but the window still reads its memory.
  EXPECT_EQ(window->ReadPixel(3, 1), 0xffff0000u);
}

TEST(PixmapWindow, IsClippedToThePixmap) {
  auto p = TPixmap::Create(8, 6, PF_I8);
  auto w = p->Window(6, 4, 10, 10);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->width, 2);
  EXPECT_EQ(w->height, 2);
  EXPECT_FALSE(p->Window(8, 0, 2, 2));
  EXPECT_FALSE(p->Window(0, 0, 0, 3));
}

TEST(PixmapPaste, ConvertsAndClipsAtEveryEdge) {
  auto dst = TPixmap::Create(4, 4, PF_RGBA8888);
  dst->ClearPixels(0);
  auto src = TPixmap::Create(3, 3, PF_RGB888);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) src->WritePixel(x, y, 0xff000000u | uint32_t(y * 16 + x));
  dst->Paste(*src, -1, 2);  // hangs off the left and the bottom
  EXPECT_EQ(dst->ReadPixel(0, 2), 0xff000001u);
  EXPECT_EQ(dst->ReadPixel(1, 2), 0xff000002u);
  EXPECT_EQ(dst->ReadPixel(0, 3), 0xff000011u);
  EXPECT_EQ(dst->ReadPixel(2, 2), 0u);
  EXPECT_EQ(dst->ReadPixel(0, 1), 0u);
  dst->Paste(*src, 10, 10);  // entirely outside: nothing happens
  dst->Paste(*src, 3, -2);
  EXPECT_EQ(dst->ReadPixel(3, 0), 0xff000020u);
}

TEST(PixmapCopy, IsIndependentAndClearFillsEveryPixel) {
  auto p = TPixmap::Create(3, 2, PF_BGR888);
  p->ClearPixels(0xff102030);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(p->ReadPixel(x, y), 0xff102030u);
  auto c = p->Copy();
  EXPECT_EQ(c->format, PF_BGR888);
  EXPECT_NE(c->pixels, p->pixels);
  c->WritePixel(0, 0, 0xffffffff);
  EXPECT_EQ(p->ReadPixel(0, 0), 0xff102030u);
}

TEST(PixmapPixels, OutsideTheBufferIsAnArrayBoundsError) {
  auto p = TPixmap::Create(2, 2, PF_RGBA8888);
  EXPECT_THROW(p->ReadPixel(2, 0), TArrayBoundsException);
  EXPECT_THROW(p->ReadPixel(0, -1), TArrayBoundsException);
  EXPECT_THROW(p->WritePixel(-1, 0, 0), TArrayBoundsException);
}

}  // namespace
