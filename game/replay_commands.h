// The program's replay commands (replay.h records and plays; this is what
// the player asks for).
#pragma once
#include <string>
#include <vector>

// Plays each file with no window and no sound device, as fast as it goes,
// and prints a line for each: its frames, kills, level and "ok", or the
// first frame where it went astray, or why it cannot be read. Returns 0 when
// all agree, 1 when one went astray, 2 when one could not be read.
int VerifyReplays(const std::vector<std::string>& paths);
// Watches the replay in the file on the title's next frame; a file that is
// no replay only gets a notice.
void WatchOnTitle(const std::string& path);
// From now on a file dropped on the window is watched on the title.
void WatchDroppedReplays();
// Once per title frame: F2 keeps the last game, a replay waiting to be
// watched is played.
void TitleReplays();
// Keeps the last game in the player's replay folder (in the browser: offers
// it as a download) and says where.
void SaveLastGame();
