// The loader chain and the walk LoadAudioSample() makes along it. The two
// built-in loaders are made on first use, OGG before WAV, so that WAV (the
// cheaper check) is asked first.
#include "audio/sample_loader.h"

namespace {
void StartSampleLoaders() {
  static TAudioSampleLoaderOGG ogg;
  static TAudioSampleLoaderWAV wav;
}
}  // namespace

std::shared_ptr<TAudioSample> LoadAudioSample(const TAudioUrl& url) {
  StartSampleLoaders();
  std::shared_ptr<TStream> stream = url.object ? ReadStream(url.object) : ReadStream(url.path);
  if (!stream) return nullptr;
  int start = stream->Pos();
  if (start < 0) RuntimeError("Stream is not seekable");
  std::shared_ptr<TAudioSample> sample;
  for (TAudioSampleLoader* loader = TAudioSampleLoader::First(); loader && !sample; loader = loader->Next()) {
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
