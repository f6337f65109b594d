// The player's files on Linux and Windows, in the folder SDL names for the
// program's data: $XDG_DATA_HOME/gloomfall/ (by default
// ~/.local/share/gloomfall/) or %APPDATA%\gloomfall\.
#include <SDL.h>

#include <filesystem>
#include <fstream>
#include <system_error>

#include "system/user_files.h"

namespace {
// SDL and the game speak UTF-8; Windows paths do not, unless told.
std::filesystem::path Utf8Path(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}
}  // namespace

bool KeepUserFile(const std::string& folder, const std::string& name,
                  const std::vector<uint8_t>& bytes, std::string& where) {
  char* base = SDL_GetPrefPath("", "gloomfall");
  if (!base) {
    where = "no folder for the player's files";
    return false;
  }
  const std::filesystem::path dir = Utf8Path(base) / Utf8Path(folder);
  SDL_free(base);
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  const std::filesystem::path path = dir / Utf8Path(name);
  const std::u8string shown = path.u8string();
  where.assign(shown.begin(), shown.end());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (file) return true;
  std::filesystem::remove(path, error);  // no half-written replay left behind
  where += " (could not be written)";
  return false;
}

void OfferUserFile(const std::string&, const std::vector<uint8_t>&) {}
