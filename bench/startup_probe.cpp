// The game as shipped, plus a probe of its title. At the first presented
// title frame it prints how long start-up took on the millisecond clock.
// The title then goes on while the sounds are decoded in the background and
// for a second after: it prints when they were ready, and the paced frames
// (from one presented frame to the next) in both stretches, then ends.
// Built only with the benchmarks; the game itself prints nothing.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <unistd.h>
#include <vector>

#include "game/title.h"
#include "graphics/graphics.h"
#include "system/background.h"
#include "system/clock.h"
#include "system/hook.h"

namespace {
// Taken while the program's statics are set up, before main runs.
const int32_t g_process_start = Millisecs();

using TSteady = std::chrono::steady_clock;
TSteady::time_point g_last_flip;
std::vector<double> g_frames[2];  // while the sounds are prepared, after
int32_t g_ready_ms = -1;

void PrintFrames(const char* name, std::vector<double> frames) {
  if (frames.empty()) frames.push_back(0);
  std::sort(frames.begin(), frames.end());
  std::printf("%s %zu %.1f %.1f\n", name, frames.size(), frames[frames.size() / 2], frames.back());
}

std::shared_ptr<TObject> AtFlip(int, std::shared_ptr<TObject> data, std::shared_ptr<TObject>) {
  const TSteady::time_point now = TSteady::now();
  if (g_last_flip == TSteady::time_point()) {
    std::printf("startup_ms %d\n", Millisecs() - g_process_start);
  } else {
    const bool pending = BackgroundWorkPending();
    if (!pending && g_ready_ms < 0) g_ready_ms = Millisecs() - g_process_start;
    g_frames[pending ? 0 : 1].push_back(std::chrono::duration<double, std::milli>(now - g_last_flip).count());
  }
  g_last_flip = now;
  if (g_frames[1].size() == 60 || g_frames[0].size() == 600) {
    std::printf("sounds_ready_ms %d\n", g_ready_ms);
    PrintFrames("title_frames_while_preparing", g_frames[0]);
    PrintFrames("title_frames_after", g_frames[1]);
    std::fflush(stdout);
    _exit(0);
  }
  return data;
}
}  // namespace

int main() {
  // Opening the window presents two cleared frames of its own, so the hook
  // goes in once start-up is over: the next Flip is the title's first frame,
  // complete when Flip runs its hook just before presenting it.
  if (!StartUp()) return 1;
  AddHook(FlipHook, AtFlip);
  TitleLoop();
  return 0;
}
