// The picture loader chain and LoadPixmap. Each loader gets the stream at the
// position it was handed in; stream errors raised inside a loader count as
// "not my format", so a short or broken file falls through to none.
#include "graphics/pixmap_loader.h"

#include "graphics/pixmap.h"
#include "system/runtime_error.h"
#include "system/stream.h"

namespace {

std::shared_ptr<TPixmapLoader>& ChainHead() {
  static std::shared_ptr<TPixmapLoader> head;
  return head;
}

void AddBuiltinLoaders() {
  static bool added = false;
  if (added) return;
  added = true;
  AddPixmapLoader(std::make_shared<TPixmapLoaderPNG>());
}

std::shared_ptr<TPixmap> RunLoaders(const std::shared_ptr<TStream>& stream) {
  if (!stream) return nullptr;
  const int start = stream->Pos();
  if (start == -1) {
    stream->Close();
    return nullptr;
  }
  std::shared_ptr<TPixmap> pixmap;
  for (auto loader = PixmapLoaders(); loader && !pixmap; loader = loader->_succ) {
    if (stream->Seek(start) != start) break;
    try {
      pixmap = loader->LoadPixmap(stream);
    } catch (const TStreamException&) {
      pixmap = nullptr;
    }
  }
  stream->Close();
  return pixmap;
}

}  // namespace

void AddPixmapLoader(const std::shared_ptr<TPixmapLoader>& loader) {
  // The built-in loaders go in first, so loaders added by the program are
  // always asked before them.
  AddBuiltinLoaders();
  if (!loader) return;
  loader->_succ = ChainHead();
  ChainHead() = loader;
}

std::shared_ptr<TPixmapLoader> PixmapLoaders() {
  AddBuiltinLoaders();
  return ChainHead();
}

std::shared_ptr<TPixmap> LoadPixmap(const std::string& url) { return RunLoaders(ReadStream(url)); }

std::shared_ptr<TPixmap> LoadPixmap(const std::shared_ptr<TStream>& stream) {
  if (!stream) return nullptr;
  // Read through a wrapper, as for any url; closing it at the end closes the
  // caller's stream too, as reading a file by name would.
  return RunLoaders(ReadStream(std::static_pointer_cast<TObject>(stream)));
}
