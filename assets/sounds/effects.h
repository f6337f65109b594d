// The game's sound effects, one recipe each, rendered by gloomfall_sounds
// into sfx/*.ogg (mono, 44100 Hz). peak_db sets each one's loudness: the
// mixer plays them as they are, against the music.
#pragma once

#include <string>
#include <vector>

#include "tools/synth.h"

struct SoundRecipe {
  std::string name;  // file name under sfx/, without ".ogg"
  double peak_db;
  Mono (*make)();
};

const std::vector<SoundRecipe>& SoundRecipes();

// The kill notes: D, A and G of the music's D minor, bell-like plucks.
constexpr double kNoteD = 74;  // D5
constexpr double kNoteA = 81;  // A5
constexpr double kNoteG = 79;  // G5
