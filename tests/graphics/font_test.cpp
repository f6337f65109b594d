// Fonts without a display: how a rendered FreeType bitmap becomes a glyph
// (placement, A8 coverage, mono bits, the smooth border), the real VeraMono
// face through FreeType (sizes, heights, glyph numbering, streams), and the
// built-in 8 x 16 font's layout and legibility.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "graphics/font.h"
#include "graphics/image.h"
#include "graphics/image_font.h"
#include "graphics/pixmap.h"
#include "system/stream.h"

namespace {

std::string VeraMonoPath() {
  for (const char* p : {GLOOMFALL_DATA_DIR "/VeraMono.ttf",
                        "/usr/share/fonts/truetype/ttf-bitstream-vera/VeraMono.ttf"}) {
    if (std::filesystem::exists(p)) return p;
  }
  return {};
}

TEST(FreeTypeGlyph, SmoothGlyphsGetAClearBorderAndAWiderRectangle) {
  // A 10 x 12 bitmap at left 1, top 11, in a font with ascender 12.
  std::vector<uint8_t> coverage(10 * 12);
  for (size_t i = 0; i < coverage.size(); ++i) coverage[i] = uint8_t(i * 2 + 1);
  TGlyphBitmap bm;
  bm.left = 1, bm.top = 11, bm.width = 10, bm.rows = 12, bm.pitch = 10;
  bm.buffer = coverage.data();
  bm.advance_x = 9 * 64 + 63;  // 26.6: the fraction is dropped
  auto g = BuildFreeTypeGlyph(bm, 12, FONT_SMOOTH);
  int x, y, w, h;
  g->GetRect(x, y, w, h);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(w, 12);
  EXPECT_EQ(h, 14);
  EXPECT_EQ(g->Advance(), 9.0f);
  auto p = g->Pixels();
  ASSERT_TRUE(p);
  EXPECT_EQ(p->format, PF_A8);
  EXPECT_EQ(p->width, 12);
  EXPECT_EQ(p->height, 14);
  for (int yy = 0; yy < 14; ++yy) {
    for (int xx = 0; xx < 12; ++xx) {
      const bool border = xx == 0 || yy == 0 || xx == 11 || yy == 13;
      const uint8_t expect = border ? 0 : coverage[size_t((yy - 1) * 10 + (xx - 1))];
      EXPECT_EQ(*p->PixelPtr(xx, yy), expect) << xx << "," << yy;
    }
  }

  g = BuildFreeTypeGlyph(bm, 12, 0);
  g->GetRect(x, y, w, h);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 1);
  EXPECT_EQ(w, 10);
  EXPECT_EQ(h, 12);
  EXPECT_EQ(*g->Pixels()->PixelPtr(9, 11), coverage.back());
}

TEST(FreeTypeGlyph, MonoBitsAreMostSignificantFirstAndPitchIsHonoured) {
  const uint8_t rows[] = {0b10100000, 0b11000000, 0xAA, 0,  // row 0, pitch 4
                          0b01000000, 0b00000001, 0xFF, 0};
  TGlyphBitmap bm;
  bm.width = 10, bm.rows = 2, bm.pitch = 4, bm.pixels = TGlyphPixels::Mono, bm.buffer = rows, bm.top = 5;
  auto g = BuildFreeTypeGlyph(bm, 8, 0);
  auto p = g->Pixels();
  ASSERT_TRUE(p);
  const uint8_t expect[2][10] = {{255, 0, 255, 0, 0, 0, 0, 0, 255, 255},
                                 {0, 255, 0, 0, 0, 0, 0, 0, 0, 0}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(*p->PixelPtr(x, y), expect[y][x]) << x << "," << y;
  int x, y, w, h;
  g->GetRect(x, y, w, h);
  EXPECT_EQ(y, 3);  // ascender 8 minus top 5

  // Bottom-up storage (negative pitch) comes out top row first.
  const uint8_t grey[] = {1, 2, 3, 4};
  bm = TGlyphBitmap{};
  bm.width = 2, bm.rows = 2, bm.pitch = -2, bm.buffer = grey;
  p = BuildFreeTypeGlyph(bm, 0, 0)->Pixels();
  EXPECT_EQ(*p->PixelPtr(0, 0), 3);
  EXPECT_EQ(*p->PixelPtr(1, 1), 2);
}

TEST(FreeTypeGlyph, ASpaceOrUnreadablePixelsHaveAPlaceAndAnAdvanceButNoPixels) {
  TGlyphBitmap bm;
  bm.advance_x = 10 * 64;
  auto g = BuildFreeTypeGlyph(bm, 12, FONT_SMOOTH);
  EXPECT_FALSE(g->Pixels());
  EXPECT_EQ(g->Advance(), 10.0f);
  int x, y, w, h;
  g->GetRect(x, y, w, h);
  EXPECT_EQ(w, 0);  // no border for a glyph without a bitmap

  // Four bytes a pixel (a colour glyph): placed as rendered, without pixels.
  const std::vector<uint8_t> bgra(6 * 5 * 4, 0xff);
  bm.left = 2, bm.top = 9, bm.width = 6, bm.rows = 5, bm.pitch = 24;
  bm.pixels = TGlyphPixels::Other;
  bm.buffer = bgra.data();
  bm.advance_x = 7 * 64 + 32;
  for (int style : {0, FONT_SMOOTH}) {
    g = BuildFreeTypeGlyph(bm, 12, style);
    EXPECT_FALSE(g->Pixels());
    EXPECT_EQ(g->Advance(), 7.0f);
    g->GetRect(x, y, w, h);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 3);  // ascender 12 minus top 9
    EXPECT_EQ(w, 6);
    EXPECT_EQ(h, 5);
  }
}

class VeraMono : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = VeraMonoPath();
    if (path_.empty()) GTEST_SKIP() << "VeraMono.ttf is not installed";
  }
  // The face's numbers straight from FreeType, to compare against.
  struct Metrics {
    int height, ascend, glyphs;
    unsigned a_index;
  };
  Metrics Expected(int size) const {
    FT_Library lib;
    FT_Init_FreeType(&lib);
    FT_Face face;
    FT_New_Face(lib, path_.c_str(), 0, &face);
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
    Metrics m{int(face->size->metrics.height >> 6), int(face->size->metrics.ascender >> 6),
              int(face->num_glyphs), FT_Get_Char_Index(face, 'A')};
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    return m;
  }
  std::string path_;
};

TEST_F(VeraMono, LoadsAtTheGameSizesWithTheFacesLineHeight) {
  for (int size : {16, 32, 52}) {
    auto font = LoadImageFont(path_, size, FONT_SMOOTH);
    ASSERT_TRUE(font) << size;
    const Metrics m = Expected(size);
    EXPECT_EQ(font->Height(), m.height) << size;
    EXPECT_EQ(font->Style(), FONT_SMOOTH);
    EXPECT_EQ(font->CountGlyphs(), m.glyphs);
    EXPECT_EQ(font->_imageFlags, IMAGE_FILTERED | IMAGE_MIPMAPPED);
  }
  EXPECT_EQ(LoadImageFont(path_, 16, 0)->_imageFlags, 0);
}

TEST_F(VeraMono, GlyphNumbersAreFreeTypesMinusOne) {
  auto font = TFreeTypeFont::Load(path_, 16, 0);
  ASSERT_TRUE(font);
  EXPECT_EQ(font->CharToGlyph('A'), int(Expected(16).a_index) - 1);
  EXPECT_EQ(font->CharToGlyph(0x4e00), -1);  // no CJK in this face
  // A glyph of A: ink, placed under the top of the line, advance of a
  // monospaced face at 16 px.
  auto g = font->LoadGlyph(font->CharToGlyph('A'));
  ASSERT_TRUE(g->Pixels());
  int x, y, w, h;
  g->GetRect(x, y, w, h);
  EXPECT_GT(w, 5);
  EXPECT_GT(h, 8);
  EXPECT_GE(y, 0);
  EXPECT_EQ(g->Advance(), 10.0f);
  EXPECT_EQ(font->LoadGlyph(font->CharToGlyph('A')), g);  // made once
  auto space = font->LoadGlyph(font->CharToGlyph(' '));
  EXPECT_FALSE(space->Pixels());
  EXPECT_EQ(space->Advance(), 10.0f);
}

TEST_F(VeraMono, ImageGlyphsAreUnmaskedImagesWithTheGlyphRectangle) {
  auto font = LoadImageFont(path_, 32, FONT_SMOOTH);
  const int n = font->CharToGlyph('g');
  auto g = font->LoadGlyph(n);
  ASSERT_TRUE(g);
  ASSERT_TRUE(g->_image);
  EXPECT_EQ(g->_image->flags, IMAGE_FILTERED | IMAGE_MIPMAPPED);
  EXPECT_EQ(g->_image->handle_x, 0.0f);
  EXPECT_EQ(g->_image->pixmaps[0]->format, PF_A8);
  int x, y, w, h;
  g->GetRect(x, y, w, h);
  EXPECT_EQ(g->_image->width, w);
  EXPECT_EQ(g->_image->height, h);
  EXPECT_EQ(font->LoadGlyph(n), g);
  EXPECT_FALSE(font->LoadGlyph(-1));
  EXPECT_FALSE(font->LoadGlyph(font->CountGlyphs()));
}

TEST_F(VeraMono, SizesFallBackAndBadFilesGiveNone) {
  EXPECT_FALSE(LoadImageFont(path_, 0, 0));
  EXPECT_FALSE(LoadImageFont(path_, -3, 0));
  EXPECT_FALSE(LoadImageFont("", 16, 0));
  EXPECT_FALSE(LoadImageFont("no-such-font.ttf", 16, 0));
  const std::filesystem::path dir = std::filesystem::path(GLOOMFALL_BUILD_DIR) / "test-output";
  std::filesystem::create_directories(dir);
  const std::string junk = (dir / "junk.ttf").string();
  std::ofstream(junk) << "this is not a font";
  EXPECT_FALSE(LoadImageFont(junk, 16, 0));
  const std::string truncated = (dir / "truncated.ttf").string();
  {
    std::ifstream in(path_, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(truncated, std::ios::binary).write(bytes.data(), 300);
  }
  EXPECT_FALSE(LoadImageFont(truncated, 16, 0));
}

// Serves "testfont::anything" from the bytes of VeraMono.
class FontFactory : public TStreamFactory {
 public:
  explicit FontFactory(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::shared_ptr<TStream> CreateStream(const std::string&, const std::string& protocol,
                                        const std::string&, int, int) override {
    ++asked;
    if (protocol != "testfont") return nullptr;
    return CreateMemoryStream(bytes_);
  }
  int asked = 0;

 private:
  std::vector<uint8_t> bytes_;
};

TEST_F(VeraMono, UrlsWithAProtocolAreReadIntoMemory) {
  std::ifstream in(path_, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  FontFactory factory(bytes);
  auto font = TFreeTypeFont::Load("testfont::vera", 16, 0);
  ASSERT_TRUE(font);
  EXPECT_EQ(factory.asked, 1);
  EXPECT_EQ(font->_buf_size, int(bytes.size()));
  EXPECT_EQ(font->Height(), Expected(16).height);
  EXPECT_TRUE(font->LoadGlyph(font->CharToGlyph('Q'))->Pixels());
  EXPECT_FALSE(TFreeTypeFont::Load("otherproto::vera", 16, 0));
}

TEST(DefaultFont, NinetySixCellsOfEightBySixteenAdvancingEight) {
  auto font = TImageFont::CreateDefault();
  EXPECT_FALSE(font->_src_font);
  EXPECT_EQ(font->CountGlyphs(), 96);
  EXPECT_EQ(font->Height(), 16);
  EXPECT_EQ(font->Style(), 0);
  EXPECT_EQ(font->CharToGlyph(31), -1);
  EXPECT_EQ(font->CharToGlyph(32), 0);
  EXPECT_EQ(font->CharToGlyph('A'), 33);
  EXPECT_EQ(font->CharToGlyph(127), 95);
  EXPECT_EQ(font->CharToGlyph(128), -1);
  EXPECT_EQ(font->CharToGlyph(0x263a), -1);
  for (int j = 0; j < 96; ++j) {
    auto g = font->LoadGlyph(j);
    ASSERT_TRUE(g && g->_image);
    int x, y, w, h;
    g->GetRect(x, y, w, h);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 16);
    EXPECT_EQ(g->Advance(), 8.0f);
    EXPECT_EQ(g->_image->flags, 0);
    EXPECT_EQ(g->_image->width, 8);
    EXPECT_EQ(g->_image->height, 16);
  }
  EXPECT_EQ(TImageFont::Default(), TImageFont::Default());
}

TEST(DefaultFont, GlyphPixelsFollowTheBitmapLayout) {
  // Byte j of row i is row i of glyph j; bit k is column k, set = opaque white.
  auto font = TImageFont::CreateDefault();
  const uint8_t* bits = DefaultFontBitmap();
  for (int j : {1, 33, 65, 94}) {
    auto pixmap = font->LoadGlyph(j)->_image->pixmaps[0];
    ASSERT_EQ(pixmap->format, PF_RGBA8888);
    for (int i = 0; i < 16; ++i)
      for (int k = 0; k < 8; ++k)
        EXPECT_EQ(pixmap->ReadPixel(k, i), (bits[i * 96 + j] >> k & 1) ? 0xffffffffu : 0u);
  }
  // The apex of A is one pixel in the middle column, three rows down.
  EXPECT_EQ(bits[3 * 96 + ('A' - 32)], 0b0001000);
}

TEST(DefaultFont, EveryPrintableCharacterHasItsOwnShape) {
  const uint8_t* bits = DefaultFontBitmap();
  std::set<std::vector<uint8_t>> shapes;
  for (int j = 0; j < 96; ++j) {
    std::vector<uint8_t> shape;
    int ink = 0;
    for (int i = 0; i < 16; ++i) {
      shape.push_back(bits[i * 96 + j]);
      ink += __builtin_popcount(bits[i * 96 + j]);
      EXPECT_EQ(bits[i * 96 + j] & 0x80, 0) << "column 7 is the gap, glyph " << j;
    }
    if (j == 0) {
      EXPECT_EQ(ink, 0) << "space";
    } else {
      EXPECT_GE(ink, 3) << "character " << char(32 + j);
    }
    EXPECT_TRUE(shapes.insert(shape).second) << "character " << char(32 + j) << " repeats another";
  }
}

// A source font with fractional advances and no ink, to check how TImageFont
// reads its glyphs.
class HalfFont : public TFont {
 public:
  int Style() override { return 3; }
  int Height() override { return 11; }
  int CountGlyphs() override { return 2; }
  int CharToGlyph(int ch) override { return ch == 'a' ? 0 : ch == 'b' ? 1 : -1; }
  std::shared_ptr<TGlyph> LoadGlyph(int index) override {
    ++loads;
    auto g = std::make_shared<TFreeTypeGlyph>();
    g->_advance = index == 0 ? 2.5f : 3.75f;
    g->_x = 1, g->_y = 2, g->_w = 3, g->_h = 4;
    return g;
  }
  int loads = 0;
};

TEST(ImageFont, ReadsItsSourceFontOncePerGlyph) {
  auto src = std::make_shared<HalfFont>();
  TImageFont font;
  font._src_font = src;
  font._glyphs.resize(2);
  EXPECT_EQ(font.Height(), 11);
  EXPECT_EQ(font.Style(), 3);
  EXPECT_EQ(font.CharToGlyph('b'), 1);
  auto g = font.LoadGlyph(1);
  EXPECT_EQ(g->Advance(), 3.75f);
  EXPECT_FALSE(g->_image);
  int x, y, w, h;
  g->GetRect(x, y, w, h);
  EXPECT_EQ(x + y + w + h, 10);
  font.LoadGlyph(1);
  EXPECT_EQ(src->loads, 1);
}

class HalfFontLoader : public TFontLoader {
 public:
  std::shared_ptr<TFont> LoadFont(const std::string& url, int, int) override {
    ++asked;
    return url == "half" ? std::make_shared<HalfFont>() : nullptr;
  }
  int asked = 0;
};

TEST(FontLoaders, ProgramLoadersAreAskedBeforeFreeTypeAndLinkedOnce) {
  auto loader = std::make_shared<HalfFontLoader>();
  AddFontLoader(loader);
  AddFontLoader(loader);  // already in the chain: nothing changes
  auto font = LoadImageFont("half", 12, 0);
  ASSERT_TRUE(font);
  EXPECT_EQ(font->Height(), 11);
  EXPECT_EQ(loader->asked, 1);
  // Anything else falls through to FreeType.
  EXPECT_FALSE(LoadImageFont("no-such-font.ttf", 12, 0));
  EXPECT_EQ(loader->asked, 2);
  const std::string vera = VeraMonoPath();
  if (!vera.empty()) {
    EXPECT_TRUE(LoadImageFont(vera, 12, 0));
    EXPECT_EQ(loader->asked, 3);
  }
}

}  // namespace
