// Sounds from untrusted bytes: the WAV and OGG loaders through LoadAudioSample.
#include "audio/sample_loader.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LoadAudioSample(TAudioUrl(std::shared_ptr<TStream>(CreateMemoryStream(data, size))));
  return 0;
}
