// The generated pictures: every file loads, has the size and format the game
// expects, and its alpha does what the drawing code relies on (a vignette in
// the shade, soft sprites fading out inside their borders, the enemy filling
// its hit circle, the one masked picture on pure black).
#include <gtest/gtest.h>

#include <cmath>

#include "tests/data/data_files.h"

namespace {

struct Expected {
  const char* name;
  int width, height;
  bool rgb;
};

const Expected kPictures[] = {
    {"shade2", 400, 300, false}, {"player1", 48, 48, false},   {"player2", 48, 48, false},
    {"weapon", 32, 10, false},   {"vihu1", 80, 80, false},     {"vihu2", 80, 80, false},
    {"bullet", 16, 6, false},    {"particle", 16, 16, false},  {"vihuammus", 16, 16, false},
    {"particle2", 16, 16, true}, {"help", 400, 160, false},    {"shadow", 40, 16, false},
    {"aim", 32, 32, false},      {"eye", 128, 128, false},     {"mushroom", 128, 128, false},
};

Picture Load(const char* name) { return ReadPicture(DataPath(std::string("gfx/") + name + ".png")); }

// Largest distance from the centre of any pixel that is not fully transparent.
double Reach(const Picture& p) {
  double reach = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (p.Alpha(x, y) > 0)
        reach = std::max(reach, std::hypot(x + 0.5 - p.width / 2.0, y + 0.5 - p.height / 2.0));
  return reach;
}

int BorderMaxAlpha(const Picture& p) {
  int m = 0;
  for (int x = 0; x < p.width; ++x) m = std::max({m, p.Alpha(x, 0), p.Alpha(x, p.height - 1)});
  for (int y = 0; y < p.height; ++y) m = std::max({m, p.Alpha(0, y), p.Alpha(p.width - 1, y)});
  return m;
}

}  // namespace

TEST(Pictures, EveryPictureLoadsWithItsSizeAndFormat) {
  for (const Expected& e : kPictures) {
    SCOPED_TRACE(e.name);
    Picture p = Load(e.name);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.width, e.width);
    EXPECT_EQ(p.height, e.height);
    EXPECT_EQ(p.bit_depth, 8);
    EXPECT_EQ(p.color_type, e.rgb ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGBA);
  }
}

TEST(Pictures, TintedSpritesAreWhiteAndGrey) {
  // The game multiplies the stage tint in; any colour of their own would skew it.
  for (const char* name : {"player1", "player2", "weapon", "vihu1", "vihu2", "bullet", "particle",
                           "vihuammus", "particle2", "aim", "eye", "mushroom", "shadow"}) {
    SCOPED_TRACE(name);
    Picture p = Load(name);
    ASSERT_TRUE(p.ok);
    int worst = 0;
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x)
        if (p.Alpha(x, y) > 32)
          worst = std::max({worst, std::abs(p.Red(x, y) - p.Green(x, y)), std::abs(p.Green(x, y) - p.Blue(x, y))});
    EXPECT_LE(worst, 12);
  }
}

TEST(Pictures, ShadeIsClearInTheMiddleAndDarkensTowardEdgesAndCorners) {
  Picture p = Load("shade2");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.Alpha(200, 150), 0);
  EXPECT_EQ(p.Alpha(170, 135), 0);
  // Growing along the way from the centre to a corner and to each edge.
  for (auto [dx, dy] : {std::pair{1, 0}, std::pair{0, 1}, std::pair{1, 1}, std::pair{-1, -1}}) {
    int prev = -1;
    for (int step = 0; step <= 10; ++step) {
      int x = std::clamp(200 + dx * step * 20, 0, 399), y = std::clamp(150 + dy * step * 15, 0, 299);
      EXPECT_GE(p.Alpha(x, y), prev) << x << "," << y;
      prev = p.Alpha(x, y);
    }
  }
  EXPECT_GT(p.Alpha(0, 150), 128);
  EXPECT_GT(p.Alpha(200, 0), 128);
  EXPECT_EQ(p.Alpha(0, 0), 255);
  EXPECT_EQ(p.Alpha(399, 299), 255);
}

TEST(Pictures, SoftSpritesFadeOutInsideTheirBorders) {
  // The explosion flash draws the spark nine times larger: any alpha at its
  // border would show as a square.
  for (const char* name : {"particle", "vihuammus", "shadow", "bullet"}) {
    SCOPED_TRACE(name);
    Picture p = Load(name);
    ASSERT_TRUE(p.ok);
    EXPECT_LE(BorderMaxAlpha(p), name == std::string("bullet") ? 40 : 0);
  }
  Picture spark = Load("particle");
  EXPECT_GE(spark.Alpha(8, 8), 200);
  EXPECT_LT(Reach(spark), 8.0);
}

TEST(Pictures, TransparentEdgesCarryTheSpriteColourNotBlack) {
  // Linear filtering blends the colour under transparent texels into the
  // sprite's edge; black there would ring every soft white sprite in grey.
  for (const char* name : {"particle", "vihuammus"}) {
    SCOPED_TRACE(name);
    Picture p = Load(name);
    ASSERT_TRUE(p.ok);
    int edge = 0;
    for (int y = 1; y + 1 < p.height; ++y)
      for (int x = 1; x + 1 < p.width; ++x) {
        if (p.Alpha(x, y) != 0) continue;
        int brightest = -1;
        for (auto [dx, dy] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}})
          if (p.Alpha(x + dx, y + dy) > 0) brightest = std::max(brightest, p.Red(x + dx, y + dy));
        if (brightest < 0) continue;
        ++edge;
        EXPECT_GE(p.Red(x, y), brightest / 2) << x << "," << y;
      }
    EXPECT_GT(edge, 0);
  }
  Picture spark = Load("particle");
  EXPECT_EQ(spark.Red(0, 0), 255);  // even the far corner, which the flash enlarges
}

TEST(Pictures, SpritesKeepClearOfTheirEdges) {
  // Linear filtering and rotation would cut a sprite that touches its border.
  for (const char* name : {"player1", "player2", "vihu1", "vihu2", "aim", "eye", "mushroom"}) {
    SCOPED_TRACE(name);
    Picture p = Load(name);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(BorderMaxAlpha(p), 0);
  }
}

TEST(Pictures, EnemyFillsItsHitCircle) {
  // Bullets hit within 37 pixels: the body is solid well inside that and the
  // spines reach about that far, no further than the picture allows.
  for (const char* name : {"vihu1", "vihu2"}) {
    SCOPED_TRACE(name);
    Picture p = Load(name);
    ASSERT_TRUE(p.ok);
    for (int a = 0; a < 360; a += 15) {
      double rad = a * 3.14159265 / 180;
      int x = static_cast<int>(40 + 24 * std::cos(rad)), y = static_cast<int>(40 + 24 * std::sin(rad));
      EXPECT_EQ(p.Alpha(x, y), 255) << "angle " << a;
    }
    EXPECT_GT(Reach(p), 34.0);
    EXPECT_LT(Reach(p), 40.0);
  }
}

TEST(Pictures, EnemyFramesBlinkAndPlayerFramesWalk) {
  // Two frames of an animation must differ, but only in part.
  for (auto [a, b] : {std::pair{"vihu1", "vihu2"}, std::pair{"player1", "player2"}}) {
    SCOPED_TRACE(a);
    Picture p = Load(a), q = Load(b);
    ASSERT_TRUE(p.ok && q.ok);
    size_t differ = 0, total = static_cast<size_t>(p.width) * p.height;
    for (size_t i = 0; i < p.rgba.size(); i += 4)
      if (std::abs(p.rgba[i] - q.rgba[i]) > 30 || std::abs(p.rgba[i + 3] - q.rgba[i + 3]) > 30) ++differ;
    EXPECT_GT(differ, total / 50);
    EXPECT_LT(differ, total / 3);
  }
}

TEST(Pictures, BulletAndWeaponPointAlongPlusX) {
  // Brightness-weighted mass sits toward the head (right) of the bullet, and
  // the gun's slim barrel is on the right: fewer opaque pixels per column there.
  Picture bullet = Load("bullet");
  ASSERT_TRUE(bullet.ok);
  double left = 0, right = 0;
  for (int y = 0; y < bullet.height; ++y)
    for (int x = 0; x < bullet.width; ++x) (x < 8 ? left : right) += bullet.Alpha(x, y) * bullet.Red(x, y);
  EXPECT_GT(right, left * 1.3);

  Picture gun = Load("weapon");
  ASSERT_TRUE(gun.ok);
  auto column = [&](int x) {
    int n = 0;
    for (int y = 0; y < gun.height; ++y) n += gun.Alpha(x, y) > 128;
    return n;
  };
  EXPECT_GT(column(12), column(24));
  EXPECT_GT(column(24), 0);
}

TEST(Pictures, MaskedShardIsOnPureBlackAndNeverBlackInside) {
  Picture p = Load("particle2");
  ASSERT_TRUE(p.ok);
  int black = 0, lit = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      bool is_black = p.Red(x, y) == 0 && p.Green(x, y) == 0 && p.Blue(x, y) == 0;
      // No near-black rim: every pixel is either the mask colour or clearly lit,
      // since the mask turns only exact black transparent.
      if (!is_black) {
        EXPECT_GE(p.Red(x, y), 64) << x << "," << y;
      }
      (is_black ? black : lit)++;
    }
  EXPECT_EQ(p.Red(0, 0) + p.Green(0, 0) + p.Blue(0, 0), 0);
  EXPECT_GT(lit, 40);
  EXPECT_GT(black, 40);
}

TEST(Pictures, HelpPanelIsDarkBehindBrightLettering) {
  // Readable on any background: a mostly opaque dark panel with bright text on it.
  Picture p = Load("help");
  ASSERT_TRUE(p.ok);
  int bright = 0, dark_opaque = 0;
  for (int y = 10; y < 150; ++y)
    for (int x = 10; x < 390; ++x) {
      int lum = (p.Red(x, y) + p.Green(x, y) + p.Blue(x, y)) / 3;
      if (lum > 180 && p.Alpha(x, y) > 240) ++bright;
      if (lum < 40 && p.Alpha(x, y) > 150) ++dark_opaque;
    }
  EXPECT_GT(bright, 2000);        // three lines of lettering
  EXPECT_GT(dark_opaque, 25000);  // the panel behind them
  EXPECT_EQ(p.Alpha(0, 0), 0);    // rounded corners
}

TEST(Pictures, IconIsAnOpaqueRoundedTileWithTheEnemyInTheMiddle) {
  Picture p = ReadPicture(DataPath("gloomfall.png"));
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.width, 256);
  EXPECT_EQ(p.height, 256);
  EXPECT_EQ(p.color_type, PNG_COLOR_TYPE_RGBA);
  // Rounded corners are see-through; the tile inside them is solid.
  for (int c : {0, 255}) {
    EXPECT_EQ(p.Alpha(c, 0), 0);
    EXPECT_EQ(p.Alpha(c, 255), 0);
  }
  int solid = 0;
  for (int y = 24; y < 232; ++y)
    for (int x = 24; x < 232; ++x) solid += p.Alpha(x, y) == 255;
  EXPECT_EQ(solid, 208 * 208);
  // The enemy is drawn warm over the violet tunnel: its body is red-dominant
  // where the tunnel around it is blue-dominant.
  EXPECT_GT(p.Red(100, 128), p.Blue(100, 128));
  EXPECT_GT(p.Blue(24, 128), p.Red(24, 128));
}

TEST(Pictures, IconFileHoldsThePngIconAndBitmapsAveragedFromIt) {
  std::vector<unsigned char> ico = ReadBytes(DataPath("gloomfall.ico"));
  std::vector<unsigned char> png = ReadBytes(DataPath("gloomfall.png"));
  Picture full = ReadPicture(DataPath("gloomfall.png"));
  ASSERT_TRUE(full.ok);
  auto u16 = [&](size_t at) { return ico.size() >= at + 2 ? ico[at] | ico[at + 1] << 8 : -1; };
  auto u32 = [&](size_t at) { return ico.size() >= at + 4 ? uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16 : 0u; };
  ASSERT_GT(ico.size(), 70u);
  EXPECT_EQ(u16(0), 0);
  EXPECT_EQ(u16(2), 1);  // icon
  ASSERT_EQ(u16(4), 4);
  const int sizes[] = {256, 48, 32, 16};
  uint32_t next = 6 + 4 * 16;
  for (int i = 0; i < 4; ++i) {
    const int n = sizes[i];
    SCOPED_TRACE(n);
    const size_t e = 6 + 16 * i;
    EXPECT_EQ(ico[e], n % 256);
    EXPECT_EQ(ico[e + 1], n % 256);
    EXPECT_EQ(u16(e + 4), 1);
    EXPECT_EQ(u16(e + 6), 32);
    const uint32_t bytes = u32(e + 8), at = u32(e + 12);
    EXPECT_EQ(at, next) << "entries follow the directory and each other";
    next = at + bytes;
    ASSERT_LE(next, ico.size());
    if (n == 256) {
      EXPECT_TRUE(std::equal(png.begin(), png.end(), ico.begin() + at, ico.begin() + at + bytes) &&
                  bytes == png.size())
          << "the largest entry is gloomfall.png itself";
      continue;
    }
    // A bitmap: its header counts colour and mask rows; rows run bottom-up.
    const uint32_t mask_row = (n + 31) / 32 * 4;
    EXPECT_EQ(u32(at), 40u);
    EXPECT_EQ(u32(at + 4), uint32_t(n));
    EXPECT_EQ(u32(at + 8), uint32_t(2 * n));
    EXPECT_EQ(u16(at + 12), 1);
    EXPECT_EQ(u16(at + 14), 32);
    EXPECT_EQ(u32(at + 16), 0u);
    ASSERT_EQ(bytes, 40 + uint32_t(n * n * 4) + mask_row * n);
    double sum_small[4] = {}, sum_full[4] = {};
    int clear = 0, worst = 0;
    const int k = 256 / n;
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) {
        const unsigned char* p = &ico[at + 40 + (size_t(n - 1 - y) * n + x) * 4];
        const int a = p[3], premul[4] = {p[2] * a / 255, p[1] * a / 255, p[0] * a / 255, a};
        const bool masked = ico[at + 40 + n * n * 4 + (n - 1 - y) * mask_row + x / 8] & (0x80 >> (x % 8));
        EXPECT_EQ(masked, a == 0) << x << "," << y;
        clear += a == 0;
        for (int c = 0; c < 4; ++c) sum_small[c] += premul[c] * (256.0 / n) * (256.0 / n);
        if (256 % n) continue;
        // Where the sizes divide, each pixel is the mean of its k x k block.
        double block[4] = {};
        for (int sy = y * k; sy < (y + 1) * k; ++sy)
          for (int sx = x * k; sx < (x + 1) * k; ++sx) {
            const int sa = full.Alpha(sx, sy);
            block[0] += full.Red(sx, sy) * sa / 255.0, block[1] += full.Green(sx, sy) * sa / 255.0;
            block[2] += full.Blue(sx, sy) * sa / 255.0, block[3] += sa;
          }
        for (int c = 0; c < 4; ++c) worst = std::max(worst, int(std::lround(std::abs(block[c] / (k * k) - premul[c]))));
      }
    EXPECT_LE(worst, 2);
    EXPECT_GT(clear, 0) << "the rounded corners";
    EXPECT_LT(clear, n * n / 5);
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) {
        const int sa = full.Alpha(x, y);
        sum_full[0] += full.Red(x, y) * sa / 255.0, sum_full[1] += full.Green(x, y) * sa / 255.0;
        sum_full[2] += full.Blue(x, y) * sa / 255.0, sum_full[3] += sa;
      }
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(sum_small[c] / sum_full[c], 1.0, 0.01) << "channel " << c;
  }
  EXPECT_EQ(next, ico.size());
}
