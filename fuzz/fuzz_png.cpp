// Pictures from untrusted bytes: the pixmap loader chain and LoadImage.
#include "fuzz/fuzz_input.h"
#include "graphics/image.h"
#include "graphics/pixmap_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LoadPixmap(std::shared_ptr<TStream>(CreateMemoryStream(data, size)));
  LoadImage(std::shared_ptr<TStream>(CreateMemoryStream(data, size)), -1);
  return 0;
}
