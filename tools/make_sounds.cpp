// gloomfall_sounds: renders every sound effect into <data>/sfx/*.ogg.
// Usage: gloomfall_sounds <data folder>. The recipes live in assets/sounds/.
#include <cstdio>
#include <filesystem>

#include "assets/sounds/effects.h"
#include "tools/vorbis_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <data folder>\n", argv[0]);
    return 2;
  }
  std::filesystem::path sfx = std::filesystem::path(argv[1]) / "sfx";
  std::error_code ec;
  std::filesystem::create_directories(sfx, ec);
  for (const SoundRecipe& recipe : SoundRecipes()) {
    VorbisSettings settings;
    settings.channels = 1;
    settings.quality = 0.5f;
    settings.peak_db = recipe.peak_db;
    settings.title = recipe.name;
    VorbisReport r = WriteOggVorbis((sfx / (recipe.name + ".ogg")).string(), recipe.make(), settings);
    if (!r.ok) return 1;
  }
  return 0;
}
