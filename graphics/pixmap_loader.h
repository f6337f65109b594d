// The picture loader chain: each loader is asked in turn to read a stream
// and answers with a pixmap or none. Only PNG is read by the game; loaders
// for other formats may be added and must answer none for what they do not
// recognise.
#pragma once
#include <memory>
#include <string>

class TPixmap;
class TStream;

class TPixmapLoader {
 public:
  virtual ~TPixmapLoader() = default;
  // Reads a picture from the stream's current position; none when the data is
  // not this loader's format or cannot be decoded. Stream errors may escape
  // as TStreamException, which the chain treats as none.
  virtual std::shared_ptr<TPixmap> LoadPixmap(const std::shared_ptr<TStream>& stream) = 0;

  std::shared_ptr<TPixmapLoader> _succ;  // the next loader in the chain
};

// Links a loader in front of the chain, so the newest is asked first.
void AddPixmapLoader(const std::shared_ptr<TPixmapLoader>& loader);
// The first loader of the chain; the built-in loaders are linked on first use.
std::shared_ptr<TPixmapLoader> PixmapLoaders();

// The PNG loader, over libpng. Refuses pictures whose pixels would take more
// than kMaxPixmapBytes before allocating them.
class TPixmapLoaderPNG : public TPixmapLoader {
 public:
  std::shared_ptr<TPixmap> LoadPixmap(const std::shared_ptr<TStream>& stream) override;
};

// Opens the url as a read stream and runs the chain from its current
// position; none when the url cannot be opened, is not seekable, or no
// loader reads it.
std::shared_ptr<TPixmap> LoadPixmap(const std::string& url);
std::shared_ptr<TPixmap> LoadPixmap(const std::shared_ptr<TStream>& stream);
