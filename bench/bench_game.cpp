// CPU time of one game frame (every update and all draw submission) in a
// heavy scene: 40 enemies, 500 particles, 150 bullets and 3 screen frames.
// Once drawn into the recording 2D driver, so no GPU or window is involved,
// and once on each OpenGL driver (run it under Xvfb; it is skipped without a
// display). The scene is rebuilt, outside the timing, before every measured
// frame, so each frame sees the same load.
#include <benchmark/benchmark.h>

#include <memory>

#include "game/bullet.h"
#include "game/entity.h"
#include "game/frame.h"
#include "game/game_loop.h"
#include "game/particle.h"
#include "game/player.h"
#include "game/replay.h"
#include "game/replay_file.h"
#include "game/title.h"
#include "game/vihu.h"
#include "graphics/draw.h"
#include "graphics/canvas.h"
#include "graphics/graphics.h"
#include "graphics/image.h"
#include "graphics/pixmap.h"
#include "graphics/recording/recording_canvas_driver.h"
#include "system/clock.h"
#include "system/random.h"

namespace {

int32_t now_ms = 0;
int32_t ReadNow() { return now_ms; }

std::shared_ptr<TImage> Picture(int width, int height) {
  auto pixmap = TPixmap::Create(width, height, PF_RGBA8888);
  pixmap->ClearPixels(0xFFFFFFFF);
  return LoadImage(pixmap, -1);
}

void LoadStandIns() {
  for (auto* image : {&imgShade2, &imgPlayer1, &imgPlayer2, &imgWeapon, &imgVihu1, &imgVihu2,
                      &imgBullet, &imgParticle, &imgVihuAmmus, &imgParticle2, &imgHelp,
                      &imgShadow, &imgAim, &imgEye, &imgMushroom}) {
    *image = Picture(32, 32);
  }
}

// The game's graphics on the recording 2D driver, which keeps no calls,
// with stand-ins for its pictures.
std::shared_ptr<TRecordingCanvasDriver> OpenRecordingGraphics() {
  auto driver = std::make_shared<TRecordingCanvasDriver>();
  driver->keep_calls = false;
  SetGraphicsDriver(driver);
  OpenGraphics(800, 600, 0, 60, 0);
  SetBlend(3);
  AutoMidHandle(1);
  LoadStandIns();
  return driver;
}

void BuildScene() {
  now_ms = 100000;
  SeedRandom(1);
  gameTime = 5000;
  BeginGame();
  spawnTimer = 1000000;  // no new wave while measuring
  graceTimer = 0;        // enemies fire
  for (int i = 0; i < 2; ++i) PushFrame();
  frameZoomSpeed = 0.05f;
  for (auto& frame : frameList->ToArray()) std::static_pointer_cast<TFrame>(frame)->size = 1.2f;
  for (const auto& object : playerList->ToArray()) {
    std::static_pointer_cast<TPlayer>(object)->health = 1000000000;
  }
  for (int i = 0; i < 40; ++i) {
    auto enemy = Vihu::New();
    enemy->x = static_cast<float>(40 + (i % 8) * 100);
    enemy->y = static_cast<float>(60 + (i / 8) * 110);
    enemy->warmup = -1;
  }
  for (int i = 0; i < 500; ++i) {
    TParticle::Create(400 + i % 50, 300 + i / 50, i % 7 - 3, i % 5 - 2, 0, i % 2, 0);
  }
  // Bullets where they hit nothing this frame: player shots along the top
  // edge, enemy shots along the bottom.
  for (int i = 0; i < 150; ++i) {
    if (i % 2 == 0) {
      FireBullet(5 * i, 2, 0, 0);
    } else {
      FireBullet(5 * i, 590, 180, 1);
    }
  }
}

void BM_GameFrameHeavyScene(benchmark::State& state) {
  SetTimeSource(&ReadNow);
  const auto driver = OpenRecordingGraphics();
  int64_t drawn = 0;
  for (auto _ : state) {
    state.PauseTiming();
    BuildScene();
    driver->Clear();
    state.ResumeTiming();
    now_ms += 16;
    GameFrame();
    state.PauseTiming();
    drawn += driver->Count("Image") + driver->Count("Rect");
    state.ResumeTiming();
  }
  state.counters["draws_per_frame"] =
      benchmark::Counter(static_cast<double>(drawn) / static_cast<double>(state.iterations()));
  EndGraphics();
  SetTimeSource(nullptr);
}
BENCHMARK(BM_GameFrameHeavyScene)->Unit(benchmark::kMicrosecond);

// The real clock, for the OpenGL run: Flip(1) paces frames on it.
int32_t ReadRealNow() { return SystemMillisecs(); }

// The same frame through each OpenGL driver. Flip(1) waits for the next
// refresh, so the wall time is the display's; the CPU time is the frame's
// cost, and the draw calls are what the driver sent to GL.
void BM_GameFrameHeavySceneOn(benchmark::State& state, const char* renderer) {
  SetTimeSource(&ReadRealNow);
  auto driver = GraphicsDriverNamed(renderer);
  if (driver) SetGraphicsDriver(driver);
  if (!driver || !OpenGraphics(800, 600, 0, 60, 0)) {
    state.SkipWithError("no display for this driver");
    SetTimeSource(nullptr);
    return;
  }
  SetBlend(3);
  AutoMidHandle(1);
  LoadStandIns();
  uint64_t calls = 0;
  for (auto _ : state) {
    state.PauseTiming();
    BuildScene();
    const uint64_t before = TCanvasDriver::Current()->DrawCalls();
    state.ResumeTiming();
    GameFrame();
    state.PauseTiming();
    calls += TCanvasDriver::Current()->DrawCalls() - before;
    state.ResumeTiming();
  }
  state.counters["draw_calls_per_frame"] =
      benchmark::Counter(static_cast<double>(calls) / static_cast<double>(state.iterations()));
  EndGraphics();
  SetTimeSource(nullptr);
}
BENCHMARK_CAPTURE(BM_GameFrameHeavySceneOn, GL, "gl")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_GameFrameHeavySceneOn, GLES2, "gles2")->Unit(benchmark::kMicrosecond);

// The questions a frame of the heavy scene asks (the loop's Escape, the
// clock, the mouse, the player's aim, keys and button, the cross-hair's aim)
// outside a recording (0) and recorded, with the world's hash every tenth
// frame (1): the difference is what recording costs a frame.
void BM_RecordingAFrameOfTheHeavyScene(benchmark::State& state) {
  SetTimeSource(&ReadNow);
  OpenRecordingGraphics();
  BuildScene();  // a game, so it is recorded
  if (!state.range(0)) ReplayGameEnds();
  int frame = 0;
  for (auto _ : state) {
    GameKeyDown(27);
    GameMouseX();
    benchmark::DoNotOptimize(GameMillisecs());
    GameAimPoint(400, 300);
    for (int key : {65, 68, 87, 83}) GameKeyDown(key);
    GameMouseDown(1);
    GameAimPoint(400, 300);
    if (++frame % 10 == 0 && state.range(0)) benchmark::DoNotOptimize(WorldHash());
  }
  EndGraphics();
  SetTimeSource(nullptr);
}
BENCHMARK(BM_RecordingAFrameOfTheHeavyScene)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Verifying the scripted player's replay (40 s of play) with no window: how
// many times faster than it was played.
void BM_VerifyTheScriptedReplay(benchmark::State& state) {
  OpenRecordingGraphics();
  std::string problem;
  const auto replay = ReadReplayFile(GLOOMFALL_SOURCE_DIR "/tests/replays/scripted.gfreplay", problem);
  if (!replay) {
    state.SkipWithError(problem.c_str());
    return;
  }
  for (auto _ : state) {
    if (WatchReplay(*replay, false).astrayAt != 0) state.SkipWithError("the replay went astray");
  }
  state.counters["times_real_time"] = benchmark::Counter(
      replay->frames / 60.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  EndGraphics();
}
BENCHMARK(BM_VerifyTheScriptedReplay)->Unit(benchmark::kMillisecond);

}  // namespace
