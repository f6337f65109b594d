// FreeType in the browser: only the modules a TrueType font needs, the
// tables (sfnt), the TrueType driver with its hinting interpreter, and the
// anti-aliased renderer. FT_Init_FreeType would add every module FreeType
// was built with, and so link them all into the game: the Type 1, CFF, CID,
// PFR, bitmap-font and SDF modules, the auto-hinter (which a hinted TrueType
// font drawn at normal hinting never uses) and the glyph-name tables, about
// a sixth of what players download before the title. The game's only font
// is a hinted TrueType one, drawn the same either way.
#include <freetype/ftmodapi.h>
#include <freetype/ftsystem.h>

#include <cstdlib>
#include <initializer_list>

#include "graphics/freetype_library.h"

// The modules' classes, as FreeType's own module list declares them; each
// begins with the FT_Module_Class that FT_Add_Module reads.
extern "C" {
extern const FT_Module_Class sfnt_module_class;
extern const FT_Module_Class tt_driver_class;
extern const FT_Module_Class ft_smooth_renderer_class;
}

namespace {
// The C heap, as FreeType's own default memory is.
void* Allocate(FT_Memory, long size) { return std::malloc(size_t(size)); }
void Release(FT_Memory, void* block) { std::free(block); }
void* Reallocate(FT_Memory, long, long size, void* block) { return std::realloc(block, size_t(size)); }
FT_MemoryRec_ g_memory{nullptr, Allocate, Release, Reallocate};
}  // namespace

FT_Library NewFreeTypeLibrary() {
  FT_Library library = nullptr;
  if (FT_New_Library(&g_memory, &library) != 0) return nullptr;
  for (const FT_Module_Class* module : {&sfnt_module_class, &tt_driver_class, &ft_smooth_renderer_class}) {
    if (FT_Add_Module(library, module) != 0) {
      FT_Done_Library(library);
      return nullptr;
    }
  }
  return library;
}
