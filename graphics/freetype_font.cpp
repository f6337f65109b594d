// TrueType glyphs through FreeType: open a face (from the file, or from a
// stream read into memory for "protocol::path" urls), pick the largest pixel
// size the face accepts, and render glyphs on demand into A8 coverage
// pixmaps. FreeType's glyph 0 is "missing", so glyph n here is FreeType's n + 1.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/font.h"
#include "graphics/freetype_library.h"
#include "graphics/pixmap.h"
#include "system/runtime_error.h"
#include "system/stream.h"

namespace {

// The library handle, made on the first font load and kept for the program.
FT_Library Library() {
  static FT_Library library = nullptr;
  static bool tried = false;
  if (!tried) {
    tried = true;
    library = NewFreeTypeLibrary();
  }
  return library;
}

// The whole stream in memory; empty when it cannot be read or holds nothing.
// What the stream says it holds is read in one go, straight into the buffer
// the face will keep; whatever a stream of unknown size still has follows.
std::vector<uint8_t> ReadAll(const std::string& url) {
  std::vector<uint8_t> bytes;
  std::shared_ptr<TStream> stream = ReadStream(url);
  if (!stream) return bytes;
  try {
    bytes.resize(size_t(std::max(stream->Size() - stream->Pos(), 0)));
    size_t have = 0;
    while (have < bytes.size()) {
      const int n = stream->Read(bytes.data() + have, int(bytes.size() - have));
      if (n <= 0) break;
      have += size_t(n);
    }
    bytes.resize(have);
    uint8_t chunk[4096];
    for (int n; (n = stream->Read(chunk, int(sizeof chunk))) > 0;) {
      bytes.insert(bytes.end(), chunk, chunk + n);
    }
  } catch (const TStreamException&) {
    bytes.clear();
  }
  stream->Close();
  return bytes;
}

}  // namespace

std::shared_ptr<TFreeTypeGlyph> BuildFreeTypeGlyph(const TGlyphBitmap& bitmap, int ascend,
                                                   int style) {
  auto glyph = std::make_shared<TFreeTypeGlyph>();
  glyph->_x = bitmap.left;
  glyph->_y = ascend - bitmap.top;
  glyph->_w = bitmap.width;
  glyph->_h = bitmap.rows;
  glyph->_advance = float(bitmap.advance_x >> 6);
  if (bitmap.width <= 0 || bitmap.rows < 0 || !bitmap.buffer || bitmap.pixels == TGlyphPixels::Other) {
    return glyph;
  }

  auto pixmap = TPixmap::Create(bitmap.width, bitmap.rows, PF_A8);
  if (!pixmap) return glyph;
  const int stride = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
  for (int y = 0; y < bitmap.rows; ++y) {
    // A negative pitch means the rows are stored bottom-up.
    const int stored_row = bitmap.pitch < 0 ? bitmap.rows - 1 - y : y;
    const uint8_t* in = bitmap.buffer + size_t(stored_row) * size_t(stride);
    uint8_t* out = pixmap->PixelPtr(0, y);
    if (bitmap.pixels == TGlyphPixels::Mono) {
      for (int x = 0; x < bitmap.width; ++x) {
        out[x] = (in[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
      }
    } else {
      std::memcpy(out, in, size_t(bitmap.width));
    }
  }

  if (style & FONT_SMOOTH) {
    // A clear border keeps filtering and mipmapping from clipping the edges.
    auto padded = TPixmap::Create(bitmap.width + 2, bitmap.rows + 2, PF_A8);
    if (!padded) return glyph;
    padded->ClearPixels(0);
    padded->Paste(*pixmap, 1, 1);
    pixmap = padded;
    glyph->_x -= 1;
    glyph->_y -= 1;
    glyph->_w += 2;
    glyph->_h += 2;
  }
  glyph->_pixmap = pixmap;
  return glyph;
}

TFreeTypeFont::~TFreeTypeFont() {
  if (_ft_face) FT_Done_Face(_ft_face);
}

int TFreeTypeFont::CharToGlyph(int ch) {
  if (!_ft_face || ch < 0) return -1;
  return int(FT_Get_Char_Index(_ft_face, FT_ULong(ch))) - 1;
}

std::shared_ptr<TGlyph> TFreeTypeFont::LoadGlyph(int index) {
  if (index < 0 || index >= int(_glyphs.size())) throw TArrayBoundsException();
  if (_glyphs[size_t(index)]) return _glyphs[size_t(index)];
  auto empty = std::make_shared<TFreeTypeGlyph>();
  _glyphs[size_t(index)] = empty;
  if (FT_Load_Glyph(_ft_face, FT_UInt(index + 1), FT_LOAD_RENDER) != 0) return empty;
  const FT_GlyphSlot slot = _ft_face->glyph;
  const FT_Bitmap& bm = slot->bitmap;
  TGlyphBitmap bitmap;
  bitmap.left = slot->bitmap_left;
  bitmap.top = slot->bitmap_top;
  bitmap.width = int(bm.width);
  bitmap.rows = int(bm.rows);
  bitmap.pitch = bm.pitch;
  bitmap.pixels = bm.pixel_mode == FT_PIXEL_MODE_GRAY   ? TGlyphPixels::Gray
                  : bm.pixel_mode == FT_PIXEL_MODE_MONO ? TGlyphPixels::Mono
                                                        : TGlyphPixels::Other;
  bitmap.buffer = bm.buffer;
  bitmap.advance_x = long(slot->advance.x);
  auto glyph = BuildFreeTypeGlyph(bitmap, _ascend, _style);
  _glyphs[size_t(index)] = glyph;
  return glyph;
}

std::shared_ptr<TFreeTypeFont> TFreeTypeFont::Load(const std::string& path, int size, int style) {
  FT_Library library = Library();
  if (!library || size <= 0) return nullptr;

  auto font = std::make_shared<TFreeTypeFont>();
  const size_t protocol = path.find("::");
  if (protocol != std::string::npos && protocol != 0) {
    std::vector<uint8_t> bytes = ReadAll(path);
    if (bytes.empty() || bytes.size() > size_t(0x7fffffff)) return nullptr;
    font->_buf_size = int(bytes.size());
    font->_buf = std::move(bytes);
    if (FT_New_Memory_Face(library, font->_buf.data(), FT_Long(font->_buf_size), 0,
                           &font->_ft_face) != 0) {
      font->_ft_face = nullptr;
      return nullptr;
    }
  } else {
    // Asset paths are written with backslashes; files are opened with slashes.
    std::string file = path;
    std::replace(file.begin(), file.end(), '\\', '/');
    if (FT_New_Face(library, file.c_str(), 0, &font->_ft_face) != 0) {
      font->_ft_face = nullptr;
      return nullptr;
    }
  }

  while (size > 0 && FT_Set_Pixel_Sizes(font->_ft_face, 0, FT_UInt(size)) != 0) --size;
  if (size == 0) return nullptr;  // the destructor releases the face

  const FT_Size_Metrics& metrics = font->_ft_face->size->metrics;
  font->_height = int(metrics.height >> 6);
  font->_ascend = int(metrics.ascender >> 6);
  font->_descend = int(metrics.descender >> 6);
  font->_style = style;
  font->_glyphs.resize(size_t(std::max<FT_Long>(font->_ft_face->num_glyphs, 0)));
  return font;
}

std::shared_ptr<TFont> TFreeTypeFontLoader::LoadFont(const std::string& url, int size, int style) {
  if (url.empty()) return nullptr;
  return TFreeTypeFont::Load(url, size, style);
}
