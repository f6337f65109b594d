// Speed of the sprite renderer's heavy paths: decoding the game's largest
// picture, masking a 512 x 512 picture, and a frame of 2,000 textured,
// coloured, rotated and scaled sprites on the OpenGL driver (run under
// xvfb-run; Mesa's software renderer does the pixels).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "graphics/canvas.h"
#include "graphics/draw.h"
#include "graphics/opengl/gl_canvas_driver.h"
#include "graphics/graphics.h"
#include "graphics/image.h"
#include "graphics/pixmap.h"
#include "graphics/pixmap_loader.h"
#include "graphics/png_test_support.h"
#include "system/stream.h"

namespace {

namespace fs = std::filesystem;

// Pixel count from a PNG file's header, 0 when it is not one.
uint64_t PngArea(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  uint8_t head[24] = {};
  in.read(reinterpret_cast<char*>(head), sizeof head);
  if (!in || png_sig_cmp(head, 0, 8) != 0) return 0;
  auto be = [&](int at) {
    return uint64_t(head[at]) << 24 | uint64_t(head[at + 1]) << 16 | uint64_t(head[at + 2]) << 8 | head[at + 3];
  };
  return be(16) * be(20);
}

// An 800 x 600 RGB picture made here, the size of the window: a shaded
// gradient with detail, so it compresses like a painted picture.
std::vector<uint8_t> GeneratedPicture();

// The largest PNG (by pixels) of the game's data, next to this program's
// build folder or in GLOOMFALL_DATA; the generated picture when there is none.
std::vector<uint8_t> LargestPicture(std::string& name) {
  std::vector<fs::path> dirs;
  if (const char* env = std::getenv("GLOOMFALL_DATA")) dirs.emplace_back(fs::path(env) / "gfx");
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) dirs.push_back(exe.parent_path().parent_path() / "data" / "gfx");
  fs::path best;
  uint64_t best_area = 0;
  for (const fs::path& dir : dirs) {
    if (!fs::is_directory(dir, ec)) continue;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
      if (entry.path().extension() != ".png") continue;
      const uint64_t area = PngArea(entry.path());
      if (area > best_area) best_area = area, best = entry.path();
    }
    if (!best.empty()) break;
  }
  if (!best.empty()) {
    std::ifstream in(best, std::ios::binary);
    name = best.filename().string();
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  name = "generated 800x600 RGB";
  return GeneratedPicture();
}

std::vector<uint8_t> GeneratedPicture() {
  const int w = 800, h = 600;
  png_test::PngRecipe recipe;
  recipe.width = w;
  recipe.height = h;
  recipe.rows.resize(size_t(w * h * 3));
  uint32_t seed = 12345;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = int(seed >> 28);
      uint8_t* p = &recipe.rows[size_t((y * w + x) * 3)];
      p[0] = uint8_t((x * 255 / w + noise) & 0xff);
      p[1] = uint8_t((y * 255 / h + noise) & 0xff);
      p[2] = uint8_t(((x ^ y) & 0x3f) + noise);
    }
  return png_test::Encode(recipe);
}

void DecodeLoop(benchmark::State& state, const std::vector<uint8_t>& bytes, const std::string& name) {
  int64_t pixels = 0;
  for (auto _ : state) {
    auto pixmap = LoadPixmap(std::static_pointer_cast<TStream>(CreateMemoryStream(bytes)));
    if (!pixmap) {
      state.SkipWithError("the picture did not decode");
      return;
    }
    pixels = int64_t(pixmap->width) * pixmap->height;
    benchmark::DoNotOptimize(pixmap->pixels);
  }
  state.SetLabel(name + ", " + std::to_string(bytes.size()) + " bytes");
  state.SetItemsProcessed(state.iterations() * pixels);
}

void BM_PngDecodeLargestPicture(benchmark::State& state) {
  std::string name;
  const std::vector<uint8_t> bytes = LargestPicture(name);
  DecodeLoop(state, bytes, name);
}
BENCHMARK(BM_PngDecodeLargestPicture)->Unit(benchmark::kMillisecond);

void BM_PngDecodeWindowSizedPicture(benchmark::State& state) {
  DecodeLoop(state, GeneratedPicture(), "generated 800x600 RGB");
}
BENCHMARK(BM_PngDecodeWindowSizedPicture)->Unit(benchmark::kMillisecond);

void BM_MaskPixmap512(benchmark::State& state) {
  // A picture on a black background, about half of it mask colour.
  auto p = TPixmap::Create(512, 512, PF_RGB888);
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 512; ++x) {
      const int dx = x - 256, dy = y - 256;
      p->WritePixel(x, y, dx * dx + dy * dy < 200 * 200 ? 0xff000000u | uint32_t(x << 16 | y << 8 | 90) : 0xff000000u);
    }
  for (auto _ : state) {
    auto masked = MaskPixmap(p, 0, 0, 0);
    benchmark::DoNotOptimize(masked->pixels);
  }
  state.SetItemsProcessed(state.iterations() * 512 * 512);
}
BENCHMARK(BM_MaskPixmap512)->Unit(benchmark::kMillisecond);

void BM_Draw2000Sprites(benchmark::State& state) {
  SetGraphicsDriver(TGLCanvasDriver::Instance(), GRAPHICS_BACKBUFFER);
  auto g = std::getenv("DISPLAY") ? OpenGraphics(800, 600, 0, 0, 0) : nullptr;
  if (!g) {
    state.SkipWithError("no display with OpenGL: run under xvfb-run");
    return;
  }
  // Two 32 x 32 masked, filtered, mid-handled sprites, alternated so the
  // bound-texture cache is exercised as in the game.
  AutoMidHandle(1);
  std::shared_ptr<TImage> sprites[2];
  for (int i = 0; i < 2; ++i) {
    auto p = TPixmap::Create(32, 32, PF_RGB888);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const int dx = x - 16, dy = y - 16;
        p->WritePixel(x, y, dx * dx + dy * dy < 196 ? 0xff000000u | uint32_t(i ? 0xff8040 : 0x40ff80) : 0xff000000u);
      }
    sprites[i] = LoadImage(p, -1);
  }
  AutoMidHandle(0);
  SetBlend(BLEND_ALPHA);
  for (auto _ : state) {
    Cls();
    for (int i = 0; i < 2000; ++i) {
      SetColor(128 + i % 128, 255 - i % 200, 200);
      SetAlpha(0.5f + float(i % 50) / 100.0f);
      SetRotation(float(i * 7 % 360));
      SetScale(0.5f + float(i % 10) / 10.0f, 0.5f + float(i % 10) / 10.0f);
      DrawImage(sprites[(i / 8) & 1], float(i * 37 % 800), float(i * 53 % 600));
    }
    Flip(0);
  }
  SetRotation(0);
  SetScale(1, 1);
  state.SetItemsProcessed(state.iterations() * 2000);
  EndGraphics();
}
BENCHMARK(BM_Draw2000Sprites)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
