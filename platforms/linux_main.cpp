// The program entry: everything the game does starts in GloomfallMain.
#include "game/title.h"

int main(int argc, char** argv) { return GloomfallMain(argc, argv); }
