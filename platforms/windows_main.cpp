// The program entry on Windows. SDL's WinMain (SDL2main) sets up the process
// for a GUI program without a console and calls SDL_main; the game takes no
// arguments.
#include <SDL_main.h>

#include "game/title.h"

extern "C" int SDL_main(int, char*[]) { return GloomfallMain(); }
