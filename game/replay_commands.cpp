// What the player does with replays: verifying files with no window and no
// sound, watching one on the title (named on the command line or dropped on
// the window), and keeping the last game with F2.
#include "game/replay_commands.h"

#include <cstdio>
#include <ctime>

#include "audio/audio.h"
#include "game/game_loop.h"
#include "game/replay.h"
#include "game/replay_file.h"
#include "game/title.h"
#include "graphics/graphics.h"
#include "graphics/recording/recording_canvas_driver.h"
#include "system/event.h"
#include "system/hook.h"
#include "system/input.h"
#include "system/system_driver.h"
#include "system/user_files.h"

namespace {

std::shared_ptr<TReplay> to_watch;

std::shared_ptr<TObject> DroppedFile(int, std::shared_ptr<TObject> data, std::shared_ptr<TObject>) {
  auto event = std::dynamic_pointer_cast<TEvent>(data);
  if (event && event->id == EVENT_APPOPENFILE && event->extra)
    WatchOnTitle(event->extra->ToString());
  return data;
}

std::string FileName(const TReplay& replay) {
  const std::time_t now = std::time(nullptr);
  char when[32] = "";
  if (const std::tm* local = std::localtime(&now))
    std::strftime(when, sizeof when, "%Y-%m-%d %H-%M-%S", local);
  return std::string("gloomfall ") + when + " " + std::to_string(replay.kills) +
         (replay.kills == 1 ? " kill.gfreplay" : " kills.gfreplay");
}

}  // namespace

int VerifyReplays(const std::vector<std::string>& paths) {
  SetSystemDriver(std::make_shared<TQuietSystemDriver>());
  auto canvas = std::make_shared<TRecordingCanvasDriver>();
  canvas->keep_calls = false;
  SetGraphicsDriver(canvas);
  SetAudioDriver("Null");
  if (!StartUp()) return 2;
  int status = 0;
  for (const std::string& path : paths) {
    std::string problem;
    const auto replay = ReadReplayFile(path, problem);
    if (!replay) {
      std::printf("%s: %s\n", path.c_str(), problem.c_str());
      status = 2;
      continue;
    }
    const TReplayOutcome outcome = WatchReplay(*replay, false);
    if (outcome.astrayAt != 0) {
      std::printf("%s: gone astray at frame %u\n", path.c_str(), outcome.astrayAt);
      if (status == 0) status = 1;
    } else {
      std::printf("%s: %u frames, %d kills, level %d, ok\n", path.c_str(), outcome.frames,
                  outcome.kills, outcome.level);
    }
    std::fflush(stdout);
  }
  StopBackgroundSounds();
  return status;
}

void WatchOnTitle(const std::string& path) {
  std::string problem;
  auto replay = ReadReplayFile(path, problem);
  if (replay) {
    to_watch = std::move(replay);
  } else {
    ShowNotice(path + ": " + problem);
  }
}

void WatchDroppedReplays() {
  RemoveHook(EmitEventHook, DroppedFile);
  AddHook(EmitEventHook, DroppedFile, nullptr, 0);
}

void TitleReplays() {
  // Each game, once it has ended, is offered (the page's download button).
  static std::shared_ptr<TReplay> offered;
  if (LastGame() != offered && (offered = LastGame()))
    OfferUserFile(FileName(*offered), WriteReplay(*offered));
  if (KeyHit(KEY_F2)) SaveLastGame();
  if (!to_watch) return;
  const auto replay = std::move(to_watch);
  const std::string own_title = AppTitle;
  AppTitle = own_title + ": watching a replay (Esc stops, Tab speeds up)";
  WatchReplay(*replay, true);
  AppTitle = own_title;
  FlushKeys();
  PauseChannel(musicChannel);
}

void SaveLastGame() {
  const auto last = LastGame();
  if (!last) return;
  std::string where;
  if (KeepUserFile("replays", FileName(*last), WriteReplay(*last), where)) {
    ShowNotice("replay saved: " + where);
  } else {
    ShowNotice("the replay could not be saved: " + where);
  }
}
