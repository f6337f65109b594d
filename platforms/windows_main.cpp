// The program entry on Windows. SDL's WinMain (SDL2main) sets up the process
// for a GUI program without a console and calls SDL_main with the command
// line in UTF-8.
#include <windows.h>

#include <SDL_main.h>

#include <cstdio>

#include "game/title.h"

extern "C" int SDL_main(int argc, char* argv[]) {
  // A GUI program has no console of its own. The lines --verify prints go
  // where its output was sent, or else to the console it was started from.
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (argc > 1 && (out == nullptr || out == INVALID_HANDLE_VALUE) &&
      AttachConsole(ATTACH_PARENT_PROCESS)) {
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
  }
  return GloomfallMain(argc, argv);
}
