// The chain of sample loaders and LoadAudioSample(), which opens a url and
// offers the stream to each loader in turn. Two loaders exist: RIFF WAVE
// (tried first) and OGG Vorbis. Leans on system/stream.h.
#pragma once
#include <memory>
#include <string>

#include "audio/audio_sample.h"
#include "system/registry.h"
#include "system/stream.h"

// What a sample or sound can be loaded from: a path string, or an object
// (a TAudioSample already decoded, or a stream).
struct TAudioUrl {
  TAudioUrl(const char* url) : path(url ? url : "") {}
  TAudioUrl(std::string url) : path(std::move(url)) {}
  template <typename T>
  TAudioUrl(std::shared_ptr<T> url) : object(std::move(url)) {}

  std::string path;
  std::shared_ptr<TObject> object;
};

// A decoding under way, done a slice at a time (for the background, as
// system/background.h does its work).
class TAudioSampleDecoding {
 public:
  virtual ~TAudioSampleDecoding() = default;
  // Decodes a little more: a few thousand frames at most. True once it is
  // finished, Result() then being the sample (none when the file did not
  // decode).
  virtual bool Step() = 0;
  virtual std::shared_ptr<TAudioSample> Result() = 0;
};

// A decoder for one file type. Each loader links itself in front of the
// program-wide chain when constructed (and unlinks itself when destroyed),
// so the newest loader is asked first.
class TAudioSampleLoader : public TRegistered<TAudioSampleLoader> {
 public:
  virtual ~TAudioSampleLoader() = default;

  // The decoded sample, or none when the stream is not this loader's kind.
  virtual std::shared_ptr<TAudioSample> LoadAudioSample(const std::shared_ptr<TStream>& stream) = 0;
  // The same decoding, to be done a slice at a time; none when the stream
  // is not this loader's kind (or, for a loader of small files, which
  // decodes the whole file in its first slice, a result of none). A
  // stream error here or in a slice counts as the loader refusing the file.
  virtual std::unique_ptr<TAudioSampleDecoding> StartAudioSample(const std::shared_ptr<TStream>& stream);
};

class TAudioSampleLoaderOGG : public TAudioSampleLoader {
 public:
  std::shared_ptr<TAudioSample> LoadAudioSample(const std::shared_ptr<TStream>& stream) override;
  std::unique_ptr<TAudioSampleDecoding> StartAudioSample(const std::shared_ptr<TStream>& stream) override;
};

class TAudioSampleLoaderWAV : public TAudioSampleLoader {
 public:
  std::shared_ptr<TAudioSample> LoadAudioSample(const std::shared_ptr<TStream>& stream) override;
};

// Opens the url and returns the first sample a loader makes of it, or none.
// A stream error inside a loader counts as that loader refusing the file;
// any other error is passed on. A stream without a position raises
// "Stream is not seekable".
std::shared_ptr<TAudioSample> LoadAudioSample(const TAudioUrl& url);
// The same, a slice at a time: the url is opened at once (none when it
// cannot be), and each loader is offered the stream in turn as the slices
// go. The walk ends with the first sample a loader makes, which is then
// its Result().
std::unique_ptr<TAudioSampleDecoding> StartLoadingAudioSample(const TAudioUrl& url);
