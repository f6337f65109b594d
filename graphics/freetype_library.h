// The FreeType library the fonts open their faces with: on the desktop every
// module FreeType was built with, in the browser only those a TrueType font
// needs (graphics/native/, graphics/web/).
#pragma once
#include <ft2build.h>
#include FT_FREETYPE_H

// A new library, or none when FreeType cannot make one.
FT_Library NewFreeTypeLibrary();
