// The PNG loader and LoadPixmap: how each PNG colour type maps onto a pixmap
// format, the chain's seeking and error handling, and files that are broken
// in the ways real files break (cut short, corrupted, empty, not a PNG, a
// header promising an absurd size), which must give none without crashing,
// leaking or allocating the promised pixels.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/pixmap.h"
#include "graphics/pixmap_loader.h"
#include "png_test_support.h"
#include "system/runtime_error.h"
#include "system/stream.h"

namespace {

using png_test::Encode;
using png_test::PngRecipe;

std::shared_ptr<TPixmap> FromBytes(const std::vector<uint8_t>& bytes) {
  return LoadPixmap(std::static_pointer_cast<TStream>(CreateMemoryStream(bytes)));
}

std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::filesystem::path dir = std::filesystem::path(GLOOMFALL_BUILD_DIR) / "test-output" / "png";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / name).string();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             std::streamsize(bytes.size()));
  return path;
}

std::vector<uint8_t> SmallRgbPng() {
  PngRecipe s;
  s.width = 3, s.height = 2, s.color_type = PNG_COLOR_TYPE_RGB;
  s.rows = {255, 0, 0, 0, 255, 0, 0, 0, 255, /**/ 0, 0, 0, 10, 20, 30, 255, 255, 255};
  return Encode(s);
}

TEST(PngLoader, RgbBecomesRgb888WithRowsAsStored) {
  auto p = FromBytes(SmallRgbPng());
  ASSERT_TRUE(p);
  EXPECT_EQ(p->format, PF_RGB888);
  EXPECT_EQ(p->width, 3);
  EXPECT_EQ(p->height, 2);
  EXPECT_EQ(p->ReadPixel(0, 0), 0xffff0000u);
  EXPECT_EQ(p->ReadPixel(2, 0), 0xff0000ffu);
  EXPECT_EQ(p->ReadPixel(0, 1), 0xff000000u);
  EXPECT_EQ(p->ReadPixel(1, 1), 0xff0a141eu);
}

TEST(PngLoader, RgbaKeepsItsAlpha) {
  PngRecipe s;
  s.width = 2, s.height = 1, s.color_type = PNG_COLOR_TYPE_RGB_ALPHA;
  s.rows = {0, 0, 0, 255, 1, 2, 3, 4};
  auto p = FromBytes(Encode(s));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->format, PF_RGBA8888);
  EXPECT_EQ(p->ReadPixel(0, 0), 0xff000000u);
  EXPECT_EQ(p->ReadPixel(1, 0), 0x04010203u);
}

TEST(PngLoader, GreyIsIntensityAndGreyAlphaWidensToRgba) {
  PngRecipe g;
  g.width = 3, g.height = 1, g.color_type = PNG_COLOR_TYPE_GRAY;
  g.rows = {0, 128, 255};
  auto p = FromBytes(Encode(g));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->format, PF_I8);
  EXPECT_EQ(p->pixels[1], 128);

  PngRecipe ga;
  ga.width = 3, ga.height = 2, ga.color_type = PNG_COLOR_TYPE_GRAY_ALPHA;
  ga.rows = {10, 20, 30, 40, 50, 60, /**/ 70, 80, 90, 100, 110, 120};
  p = FromBytes(Encode(ga));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->format, PF_RGBA8888);
  EXPECT_EQ(p->ReadPixel(0, 0), 0x140a0a0au);
  EXPECT_EQ(p->ReadPixel(2, 0), 0x3c323232u);
  EXPECT_EQ(p->ReadPixel(1, 1), 0x645a5a5au);
}

TEST(PngLoader, SixteenBitSamplesAreCutToEight) {
  PngRecipe s;
  s.width = 1, s.height = 1, s.color_type = PNG_COLOR_TYPE_RGB, s.bit_depth = 16;
  s.rows = {0x12, 0x34, 0xab, 0xcd, 0xff, 0x00};
  auto p = FromBytes(Encode(s));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->format, PF_RGB888);
  EXPECT_EQ(p->ReadPixel(0, 0), 0xff12abffu);
}

TEST(PngLoader, PalettesExpandAndTransparencyBecomesAlpha) {
  PngRecipe s;
  s.width = 2, s.height = 1, s.color_type = PNG_COLOR_TYPE_PALETTE;
  s.palette = {{200, 100, 50}, {1, 2, 3}};
  s.rows = {1, 0};
  auto p = FromBytes(Encode(s));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->format, PF_RGB888);
  EXPECT_EQ(p->ReadPixel(0, 0), 0xff010203u);
  EXPECT_EQ(p->ReadPixel(1, 0), 0xffc86432u);

  s.trns_alpha = {0, 255};
  p = FromBytes(Encode(s));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->format, PF_RGBA8888);
  EXPECT_EQ(p->ReadPixel(0, 0), 0xff010203u);
  EXPECT_EQ(p->ReadPixel(1, 0), 0x00c86432u);
}

TEST(PngLoader, LowBitGreyExpandsAndGreyTransparencyGivesRgba) {
  PngRecipe s;
  s.width = 4, s.height = 1, s.color_type = PNG_COLOR_TYPE_GRAY, s.bit_depth = 2;
  s.rows = {0b00011011};  // levels 0, 1, 2, 3
  auto p = FromBytes(Encode(s));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->format, PF_I8);
  EXPECT_EQ(std::vector<uint8_t>(p->pixels, p->pixels + 4), (std::vector<uint8_t>{0, 85, 170, 255}));

  s.trns_colour = true;
  s.trns_value.gray = 2;
  p = FromBytes(Encode(s));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->format, PF_RGBA8888);
  EXPECT_EQ(p->ReadPixel(1, 0), 0xff555555u);
  EXPECT_EQ(p->ReadPixel(2, 0), 0x00aaaaaau);
}

TEST(PngLoader, InterlacedPicturesGiveTheSamePixels) {
  PngRecipe s;
  s.width = 9, s.height = 7, s.color_type = PNG_COLOR_TYPE_RGB;
  for (int i = 0; i < 9 * 7; ++i) s.rows.insert(s.rows.end(), {uint8_t(i), uint8_t(3 * i), uint8_t(255 - i)});
  auto plain = FromBytes(Encode(s));
  s.interlaced = true;
  auto interlaced = FromBytes(Encode(s));
  ASSERT_TRUE(plain);
  ASSERT_TRUE(interlaced);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(interlaced->ReadPixel(x, y), plain->ReadPixel(x, y));
}

TEST(PngLoader, ReadsFromAFileByPathWithBackslashes) {
  const std::string path = WriteFile("small.png", SmallRgbPng());
  auto p = LoadPixmap(path);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->ReadPixel(1, 0), 0xff00ff00u);
  // The game writes its asset paths with backslashes.
  std::string windows_style = path;
  windows_style.replace(windows_style.rfind('/'), 1, "\\");
  EXPECT_TRUE(LoadPixmap(windows_style));
}

class BrokenFiles : public ::testing::Test {
 protected:
  static std::vector<uint8_t> Good() {
    PngRecipe s;
    s.width = 64, s.height = 64, s.color_type = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int i = 0; i < 64 * 64; ++i) s.rows.insert(s.rows.end(), {uint8_t(i), uint8_t(i >> 4), 7, 200});
    return Encode(s);
  }
};

TEST_F(BrokenFiles, TruncatedAnywhereGivesNone) {
  const std::vector<uint8_t> good = Good();
  ASSERT_TRUE(FromBytes(good));
  for (size_t cut : {size_t(8), size_t(20), size_t(40), good.size() / 2, good.size() - 13, good.size() - 1}) {
    std::vector<uint8_t> bad(good.begin(), good.begin() + long(cut));
    EXPECT_FALSE(FromBytes(bad)) << "cut at " << cut;
  }
}

TEST_F(BrokenFiles, BadChecksumOnAnyCriticalChunkGivesNone) {
  for (const char* chunk : {"IHDR", "IDAT"}) {
    std::vector<uint8_t> bad = Good();
    const size_t pos = png_test::FindChunk(bad, chunk);
    ASSERT_NE(pos, std::string::npos);
    const uint32_t len = (uint32_t(bad[pos]) << 24) | (uint32_t(bad[pos + 1]) << 16) |
                         (uint32_t(bad[pos + 2]) << 8) | bad[pos + 3];
    bad[pos + 8 + len] ^= 0x5a;  // first byte of the checksum
    EXPECT_FALSE(FromBytes(bad)) << chunk;
  }
  // Corrupt compressed data with a checksum that matches it.
  std::vector<uint8_t> bad = Good();
  const size_t pos = png_test::FindChunk(bad, "IDAT");
  const uint32_t len = (uint32_t(bad[pos]) << 24) | (uint32_t(bad[pos + 1]) << 16) |
                       (uint32_t(bad[pos + 2]) << 8) | bad[pos + 3];
  for (uint32_t i = 2; i < len; i += 7) bad[pos + 8 + i] ^= 0xff;
  const uint32_t crc = png_test::Crc32(&bad[pos + 4], 4 + len);
  bad[pos + 8 + len] = uint8_t(crc >> 24), bad[pos + 9 + len] = uint8_t(crc >> 16);
  bad[pos + 10 + len] = uint8_t(crc >> 8), bad[pos + 11 + len] = uint8_t(crc);
  EXPECT_FALSE(FromBytes(bad));
}

TEST_F(BrokenFiles, EmptyMissingAndForeignFilesGiveNone) {
  EXPECT_FALSE(LoadPixmap(WriteFile("empty.png", {})));
  EXPECT_FALSE(LoadPixmap(WriteFile("text.png", {'h', 'e', 'l', 'l', 'o', ' ', 'p', 'n', 'g', '\n'})));
  EXPECT_FALSE(LoadPixmap(WriteFile("signature-only.png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'})));
  EXPECT_FALSE(LoadPixmap(std::string(GLOOMFALL_BUILD_DIR) + "/test-output/png/no-such-file.png"));
  EXPECT_FALSE(LoadPixmap(std::string("")));
  EXPECT_FALSE(LoadPixmap(std::shared_ptr<TStream>()));
}

// Peak resident memory of this process in KiB, from /proc.
long PeakKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

TEST_F(BrokenFiles, AHugeDeclaredSizeIsRefusedBeforeAllocating) {
  const long before = PeakKiB();
  EXPECT_FALSE(FromBytes(png_test::HugeHeaderPng(100000, 100000)));
  EXPECT_FALSE(LoadPixmap(WriteFile("huge.png", png_test::HugeHeaderPng(100000, 100000))));
  // 30 GB declared; the peak may not grow by more than a few MiB.
  if (before > 0) {
    EXPECT_LT(PeakKiB() - before, 16 * 1024);
  }
  // Just over the limit is refused as well; a legal size with no data fails on the data.
  EXPECT_FALSE(FromBytes(png_test::HugeHeaderPng(9459, 9459)));  // 3 * 9459^2 > 256 MiB
  EXPECT_FALSE(FromBytes(png_test::HugeHeaderPng(300, 200)));
}

// A stream that reports no position, like a pipe.
class UnseekableStream : public TStream {
 public:
  int Read(void*, int) override { return 0; }
};

TEST(LoadPixmapChain, NeedsAPositionToSeekBackTo) {
  EXPECT_FALSE(LoadPixmap(std::static_pointer_cast<TStream>(std::make_shared<UnseekableStream>())));
}

// Test loaders, linked in front of PNG for the rest of this program; they
// only react to their own four-byte tags.
class TagLoader : public TPixmapLoader {
 public:
  std::shared_ptr<TPixmap> LoadPixmap(const std::shared_ptr<TStream>& stream) override {
    char tag[4] = {};
    stream->Read(tag, 4);
    ++calls;
    const std::string t(tag, 4);
    if (t == "THRW") throw TStreamReadException();
    if (t == "BOOM") RuntimeError("boom");
    if (t == "FAKE") {
      auto p = TPixmap::Create(1, 1, PF_I8);
      p->pixels[0] = 42;
      return p;
    }
    return nullptr;  // having read four bytes the PNG loader must not see
  }
  int calls = 0;
};

TEST(LoadPixmapChain, EachLoaderStartsWhereTheStreamWasAndStreamErrorsMeanNone) {
  auto tags = std::make_shared<TagLoader>();
  AddPixmapLoader(tags);
  EXPECT_EQ(PixmapLoaders(), tags);
  EXPECT_TRUE(tags->_succ);

  // A PNG after a consumed prefix: the PNG loader is handed the stream at the
  // position LoadPixmap found, not where the first loader left it.
  auto stream = CreateMemoryStream(SmallRgbPng());
  auto p = LoadPixmap(std::static_pointer_cast<TStream>(stream));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->width, 3);

  std::vector<uint8_t> prefixed = {'x', 'y'};
  const std::vector<uint8_t> png = SmallRgbPng();
  prefixed.insert(prefixed.end(), png.begin(), png.end());
  auto offset = CreateMemoryStream(prefixed);
  offset->Seek(2);
  EXPECT_TRUE(LoadPixmap(std::static_pointer_cast<TStream>(offset)));

  const int before = tags->calls;
  EXPECT_FALSE(FromBytes({'T', 'H', 'R', 'W', 0, 0, 0, 0}));
  EXPECT_EQ(tags->calls, before + 1);
  p = FromBytes({'F', 'A', 'K', 'E'});
  ASSERT_TRUE(p);
  EXPECT_EQ(p->pixels[0], 42);
  // Errors that are not stream errors are not swallowed.
  EXPECT_THROW(FromBytes({'B', 'O', 'O', 'M'}), TRuntimeException);
}

// A stream that fails mid-file, the way a failing disk would.
class FailingStream : public TMemoryStream {
 public:
  FailingStream(std::vector<uint8_t> bytes, int fail_at)
      : TMemoryStream(std::move(bytes)), fail_at_(fail_at) {}
  int Read(void* buffer, int count) override {
    if (Pos() + count > fail_at_) throw TStreamReadException();
    return TMemoryStream::Read(buffer, count);
  }

 private:
  int fail_at_;
};

TEST(PngLoader, AStreamErrorInsideTheDecoderGivesNone) {
  const std::vector<uint8_t> png = SmallRgbPng();
  for (int at : {4, 12, 40, int(png.size()) - 4}) {
    auto stream = std::make_shared<FailingStream>(png, at);
    EXPECT_FALSE(LoadPixmap(std::static_pointer_cast<TStream>(stream))) << at;
  }
}

}  // namespace
