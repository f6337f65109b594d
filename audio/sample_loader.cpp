// The loader chain and the walk LoadAudioSample() makes along it. The two
// built-in loaders are made on first use, OGG before WAV, so that WAV (the
// cheaper check) is asked first.
#include "audio/sample_loader.h"

namespace {
void StartSampleLoaders() {
  static TAudioSampleLoaderOGG ogg;
  static TAudioSampleLoaderWAV wav;
}

// A loader of small files: the whole decoding is the first slice.
class TWholeDecoding : public TAudioSampleDecoding {
 public:
  TWholeDecoding(TAudioSampleLoader* loader, std::shared_ptr<TStream> stream)
      : loader_(loader), stream_(std::move(stream)) {}
  bool Step() override {
    sample_ = loader_->LoadAudioSample(stream_);
    return true;
  }
  std::shared_ptr<TAudioSample> Result() override { return sample_; }

 private:
  TAudioSampleLoader* loader_;
  std::shared_ptr<TStream> stream_;
  std::shared_ptr<TAudioSample> sample_;
};

// The walk along the chain: a slice offers the stream to the next loader or
// decodes a slice with the one that took it; a loader whose decoding gives
// none hands on to the next, as a loader that refuses the file does.
class TChainDecoding : public TAudioSampleDecoding {
 public:
  TChainDecoding(std::shared_ptr<TStream> stream, int start)
      : stream_(std::move(stream)), start_(start), loader_(TAudioSampleLoader::First()) {}
  bool Step() override {
    if (!decoding_) {
      if (!loader_) return Finished();
      TAudioSampleLoader* loader = loader_;
      loader_ = loader_->Next();
      stream_->Seek(start_);
      try {
        decoding_ = loader->StartAudioSample(stream_);
      } catch (const TStreamException&) {
        decoding_ = nullptr;
      }
      return decoding_ ? false : !loader_ && Finished();
    }
    try {
      if (!decoding_->Step()) return false;
      sample_ = decoding_->Result();
    } catch (const TStreamException&) {
      sample_ = nullptr;
    }
    decoding_.reset();
    return (sample_ || !loader_) && Finished();
  }
  std::shared_ptr<TAudioSample> Result() override { return sample_; }

 private:
  bool Finished() {
    stream_->Close();
    return true;
  }
  std::shared_ptr<TStream> stream_;
  int start_;
  TAudioSampleLoader* loader_;
  std::unique_ptr<TAudioSampleDecoding> decoding_;
  std::shared_ptr<TAudioSample> sample_;
};
}  // namespace

std::unique_ptr<TAudioSampleDecoding> TAudioSampleLoader::StartAudioSample(const std::shared_ptr<TStream>& stream) {
  return std::make_unique<TWholeDecoding>(this, stream);
}

std::unique_ptr<TAudioSampleDecoding> StartLoadingAudioSample(const TAudioUrl& url) {
  StartSampleLoaders();
  std::shared_ptr<TStream> stream = url.object ? ReadStream(url.object) : ReadStream(url.path);
  if (!stream) return nullptr;
  int start = stream->Pos();
  if (start < 0) RuntimeError("Stream is not seekable");
  return std::make_unique<TChainDecoding>(stream, start);
}

std::shared_ptr<TAudioSample> LoadAudioSample(const TAudioUrl& url) {
  auto decoding = StartLoadingAudioSample(url);
  if (!decoding) return nullptr;
  while (!decoding->Step()) {
  }
  return decoding->Result();
}
