// The program entry in the browser. By the time the game ends it has handed
// the thread back to the page many times (asyncify), so a plain return from
// main reaches no one: the end goes through exit(), which the page hears.
#include <cstdlib>

#include "game/title.h"

int main(int argc, char** argv) { std::exit(GloomfallMain(argc, argv)); }
