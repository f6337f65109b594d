// gloomfall_paint: paints every picture of the game into <data>/gfx/, and
// the game's icon into <data>/gloomfall.png, for Windows <data>/gloomfall.ico
// and for the web app <data>/gloomfall-192.png and gloomfall-512.png.
// Usage: gloomfall_paint <data folder> <VeraMono.ttf>
// The recipes live in assets/pictures/; the font is only used for the help
// picture's lettering.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "assets/pictures/pictures.h"
#include "tools/icon_file.h"
#include "tools/lettering.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <data folder> <VeraMono.ttf>\n", argv[0]);
    return 2;
  }
  std::filesystem::path gfx = std::filesystem::path(argv[1]) / "gfx";
  std::error_code ec;
  std::filesystem::create_directories(gfx, ec);
  Lettering font(argv[2]);
  if (!font.Ok()) {
    std::fprintf(stderr, "%s: cannot open the font %s\n", argv[0], argv[2]);
    return 1;
  }
  for (const PictureRecipe& recipe : PictureRecipes()) {
    Canvas canvas = recipe.make(font);
    std::string path = (gfx / (recipe.name + ".png")).string();
    bool ok = recipe.rgb_on_black
                  ? WritePng(path, canvas.Width(), canvas.Height(), 3, canvas.ToRgb8())
                  : WritePng(path, canvas.Width(), canvas.Height(), 4, canvas.ToRgba8());
    if (!ok) return 1;
  }
  Canvas icon = MakeIcon(font);
  std::string icon_path = (std::filesystem::path(argv[1]) / "gloomfall.png").string();
  if (!WritePng(icon_path, icon.Width(), icon.Height(), 4, icon.ToRgba8())) return 1;
  // The .ico's largest picture is that PNG file itself, so the two never differ.
  std::ifstream png(icon_path, std::ios::binary);
  std::vector<uint8_t> png_bytes{std::istreambuf_iterator<char>(png), std::istreambuf_iterator<char>()};
  std::string ico_path = (std::filesystem::path(argv[1]) / "gloomfall.ico").string();
  if (!WriteIco(ico_path, png_bytes, icon, {48, 32, 16})) return 1;
  // The web app's icons: the same painting larger, and shrunk.
  Canvas large = MakeIcon(font, 512), small = Shrink(icon, 192);
  for (const Canvas* c : {&small, &large}) {
    std::string name = "gloomfall-" + std::to_string(c->Width()) + ".png";
    if (!WritePng((std::filesystem::path(argv[1]) / name).string(), c->Width(), c->Height(), 4, c->ToRgba8())) {
      return 1;
    }
  }
  return 0;
}
