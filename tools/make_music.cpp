// gloomfall_music: renders the looping music into <data>/song3.ogg.
// Usage: gloomfall_music <data folder>. The song itself is assets/music/song3.cpp.
#include <cstdio>
#include <filesystem>

#include "assets/music/song3.h"
#include "tools/vorbis_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <data folder>\n", argv[0]);
    return 2;
  }
  std::error_code ec;
  std::filesystem::create_directories(argv[1], ec);
  LoopBuffer song = RenderSong3();
  std::vector<float> interleaved(static_cast<size_t>(song.Frames()) * 2);
  for (int64_t i = 0; i < song.Frames(); ++i) {
    interleaved[2 * i] = song.L(i);
    interleaved[2 * i + 1] = song.R(i);
  }
  VorbisSettings settings;
  settings.channels = 2;
  settings.quality = 0.25f;
  settings.peak_db = -1.6;
  settings.title = "song3";
  std::string path = (std::filesystem::path(argv[1]) / "song3.ogg").string();
  VorbisReport r = WriteOggVorbis(path, std::move(interleaved), settings);
  if (!r.ok) return 1;
  std::printf("song3.ogg: %lld frames, peak %d, %zu bytes\n", static_cast<long long>(r.frames), r.peak, r.bytes);
  return 0;
}
