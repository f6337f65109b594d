// Image fonts: each glyph of a source font (FreeType, or the built-in 8 x 16
// bitmap) becomes a small image the first time it is needed, and text is
// drawn as one textured quad per character under the current draw state.
// Also the font-selection calls and text measurement the game uses.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TFont;
class TImage;

class TImageGlyph {
 public:
  std::shared_ptr<TImage> Pixels() const { return _image; }
  float Advance() const { return _advance; }
  void GetRect(int& x, int& y, int& w, int& h) const { x = _x, y = _y, w = _w, h = _h; }

  std::shared_ptr<TImage> _image;  // none for a glyph without ink
  float _advance = 0.0f;
  int _x = 0, _y = 0, _w = 0, _h = 0;
};

class TImageFont {
 public:
  virtual ~TImageFont() = default;
  virtual int Style();
  virtual int Height();
  virtual int CountGlyphs();
  // Glyph index of a UTF-16 unit, -1 when the font has none.
  virtual int CharToGlyph(int ch);
  // The glyph at an index, with its image, made on first use. Empty for an
  // index outside the font.
  virtual std::shared_ptr<TImageGlyph> LoadGlyph(int index);
  // Draws the text with its top-left at (x, y), the glyphs and the pen's
  // path both transformed by the matrix (ix, iy, jx, jy).
  virtual void Draw(const std::u16string& text, float x, float y, float ix, float iy, float jx,
                    float jy);

  // None when no loader can read the url at any size from size down to 1.
  static std::shared_ptr<TImageFont> Load(const std::string& url, int size, int style);
  // A new font from the built-in bitmap: 96 glyphs for characters 32..127.
  static std::shared_ptr<TImageFont> CreateDefault();
  // The program's default font, made on first use and kept for its life.
  static const std::shared_ptr<TImageFont>& Default();

  std::shared_ptr<TFont> _src_font;  // none for the built-in font
  std::vector<std::shared_ptr<TImageGlyph>> _glyphs;
  int _imageFlags = 0;
};

// The 1,536-byte bitmap of the built-in font: 16 rows of 96 bytes; byte j of
// row i is row i of character 32 + j, bit k (least significant first) its
// column k.
const uint8_t* DefaultFontBitmap();

std::shared_ptr<TImageFont> LoadImageFont(const std::string& url, int size, int style = 0);
// Selects the font for DrawText; none selects the default font.
void SetImageFont(const std::shared_ptr<TImageFont>& font);
// The current context's font (the default font when no graphics are open).
std::shared_ptr<TImageFont> GetImageFont();
// Sum of the advances of the characters the font has, truncated after each.
int TextWidth(const std::string& text);
int TextWidth(const std::u16string& text);
int TextHeight();
