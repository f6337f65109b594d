// The font loader chain. The FreeType loader is linked on first use, so a
// program that never loads a font never starts FreeType.
#include "graphics/font.h"

namespace {

std::shared_ptr<TFontLoader>& ChainHead() {
  static std::shared_ptr<TFontLoader> head;
  return head;
}

void AddBuiltinLoaders() {
  static bool added = false;
  if (added) return;
  added = true;
  AddFontLoader(std::make_shared<TFreeTypeFontLoader>());
}

}  // namespace

void AddFontLoader(const std::shared_ptr<TFontLoader>& loader) {
  // The built-in loader goes in first, so loaders added by the program are
  // always asked before it.
  AddBuiltinLoaders();
  if (!loader) return;
  for (auto l = ChainHead(); l; l = l->_succ) {
    if (l == loader) return;
  }
  loader->_succ = ChainHead();
  ChainHead() = loader;
}

std::shared_ptr<TFont> LoadFont(const std::string& url, int size, int style) {
  AddBuiltinLoaders();
  for (auto loader = ChainHead(); loader; loader = loader->_succ) {
    if (auto font = loader->LoadFont(url, size, style)) return font;
  }
  return nullptr;
}
