// FreeType on Linux and Windows: the library with all its modules.
#include "graphics/freetype_library.h"

FT_Library NewFreeTypeLibrary() {
  FT_Library library = nullptr;
  return FT_Init_FreeType(&library) == 0 ? library : nullptr;
}
