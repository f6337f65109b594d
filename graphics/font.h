// Fonts as sources of glyph bitmaps: the abstract TFont/TGlyph pair, the
// font loader chain, and the FreeType implementation that the game's
// TrueType text comes from. Image fonts (image_font.h) turn these glyphs
// into images; nothing here touches OpenGL.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TPixmap;
struct FT_FaceRec_;

// Style bits. Only FONT_SMOOTH changes anything: glyphs get a transparent
// border and filtered, mipmapped textures. The others are only kept.
constexpr int FONT_BOLD = 1;
constexpr int FONT_ITALIC = 2;
constexpr int FONT_SMOOTH = 4;

class TGlyph {
 public:
  virtual ~TGlyph() = default;
  // The glyph's coverage as an A8 pixmap; none for a glyph with no ink.
  virtual std::shared_ptr<TPixmap> Pixels() = 0;
  // Pen advance in pixels.
  virtual float Advance() = 0;
  // Offset of the bitmap from the pen at the top of the line, and its size.
  virtual void GetRect(int& x, int& y, int& w, int& h) = 0;
};

class TFont {
 public:
  virtual ~TFont() = default;
  virtual int Style() = 0;
  virtual int Height() = 0;  // line height in pixels
  virtual int CountGlyphs() = 0;
  // The glyph index of a character, -1 when the font lacks it.
  virtual int CharToGlyph(int ch) = 0;
  // The glyph at an index (0 .. CountGlyphs() - 1), made on first use.
  virtual std::shared_ptr<TGlyph> LoadGlyph(int index) = 0;
};

class TFontLoader {
 public:
  virtual ~TFontLoader() = default;
  virtual std::shared_ptr<TFont> LoadFont(const std::string& url, int size, int style) = 0;

  std::shared_ptr<TFontLoader> _succ;
};

// Links a loader at the head of the chain unless it is already in it.
void AddFontLoader(const std::shared_ptr<TFontLoader>& loader);
// Asks each loader in turn; none when none can load the url. The FreeType
// loader is added on first use.
std::shared_ptr<TFont> LoadFont(const std::string& url, int size, int style);

class TFreeTypeGlyph : public TGlyph {
 public:
  std::shared_ptr<TPixmap> Pixels() override { return _pixmap; }
  float Advance() override { return _advance; }
  void GetRect(int& x, int& y, int& w, int& h) override { x = _x, y = _y, w = _w, h = _h; }

  std::shared_ptr<TPixmap> _pixmap;  // A8, or none
  float _advance = 0.0f;
  int _x = 0, _y = 0, _w = 0, _h = 0;
};

// How a rendered glyph's pixels are stored.
enum class TGlyphPixels {
  Gray,   // one coverage byte per pixel
  Mono,   // one bit per pixel, most significant bit first
  Other,  // anything else FreeType may hand back (LCD, colour): not drawn
};

// What FreeType hands back for one rendered glyph, in plain numbers, so the
// glyph-building rules can be exercised without a font file.
struct TGlyphBitmap {
  int left = 0;      // bitmap left, pixels right of the pen
  int top = 0;       // bitmap top, pixels above the baseline
  int width = 0;
  int rows = 0;
  int pitch = 0;     // bytes per row; negative for bottom-up bitmaps
  TGlyphPixels pixels = TGlyphPixels::Gray;
  const uint8_t* buffer = nullptr;
  long advance_x = 0;  // 26.6 fixed point
};

// Builds a glyph from a rendered bitmap for a font of the given ascender and
// style: placement relative to the top of the line, the coverage as A8, and
// for FONT_SMOOTH a one-pixel transparent border around it. Pixels it cannot
// read leave the glyph without a pixmap, but placed and advancing like any
// other, so the text after it keeps its spacing.
std::shared_ptr<TFreeTypeGlyph> BuildFreeTypeGlyph(const TGlyphBitmap& bitmap, int ascend,
                                                   int style);

class TFreeTypeFont : public TFont {
 public:
  ~TFreeTypeFont() override;
  int Style() override { return _style; }
  int Height() override { return _height; }
  int CountGlyphs() override { return int(_glyphs.size()); }
  int CharToGlyph(int ch) override;
  std::shared_ptr<TGlyph> LoadGlyph(int index) override;

  // A font at the largest pixel size not above size that the face accepts.
  // A path with "::" after its first character is read through a stream into
  // memory; any other path is opened as a file. None on any failure.
  static std::shared_ptr<TFreeTypeFont> Load(const std::string& path, int size, int style);

  FT_FaceRec_* _ft_face = nullptr;
  int _style = 0;
  int _height = 0;
  int _ascend = 0;
  int _descend = 0;
  std::vector<std::shared_ptr<TFreeTypeGlyph>> _glyphs;
  std::vector<uint8_t> _buf;  // the font file when read into memory
  int _buf_size = 0;
};

class TFreeTypeFontLoader : public TFontLoader {
 public:
  std::shared_ptr<TFont> LoadFont(const std::string& url, int size, int style) override;
};
