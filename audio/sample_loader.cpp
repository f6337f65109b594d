// The loader chain and the walk LoadAudioSample() makes along it. The two
// built-in loaders are made on first use, OGG before WAV, so that WAV (the
// cheaper check) is asked first.
#include "audio/sample_loader.h"

namespace {
TAudioSampleLoader* g_loaders = nullptr;

void StartSampleLoaders() {
  static TAudioSampleLoaderOGG ogg;
  static TAudioSampleLoaderWAV wav;
}
}  // namespace

TAudioSampleLoader::TAudioSampleLoader() {
  _succ = g_loaders;
  g_loaders = this;
}

TAudioSampleLoader::~TAudioSampleLoader() {
  for (TAudioSampleLoader** link = &g_loaders; *link; link = &(*link)->_succ) {
    if (*link == this) {
      *link = _succ;
      break;
    }
  }
}

std::shared_ptr<TAudioSample> LoadAudioSample(const TAudioUrl& url) {
  StartSampleLoaders();
  std::shared_ptr<TStream> stream = url.object ? ReadStream(url.object) : ReadStream(url.path);
  if (!stream) return nullptr;
  int start = stream->Pos();
  if (start < 0) RuntimeError("Stream is not seekable");
  std::shared_ptr<TAudioSample> sample;
  for (TAudioSampleLoader* loader = g_loaders; loader && !sample; loader = loader->_succ) {
    stream->Seek(start);
    try {
      sample = loader->LoadAudioSample(stream);
    } catch (const TStreamException&) {
      sample = nullptr;
    }
  }
  stream->Close();
  return sample;
}
