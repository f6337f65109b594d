// Urls from untrusted text: OpenStream's protocol parsing and path rules.
// Reads stay inside a scratch folder holding one small file; device paths
// are skipped so a read can never block.
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  auto dir = std::filesystem::temp_directory_path() / "gloomfall_fuzz_stream";
  std::filesystem::create_directories(dir / "gfx");
  std::ofstream(dir / "gfx" / "a.png") << "not a picture";
  std::filesystem::current_path(dir);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string url(reinterpret_cast<const char*>(data), size);
  if (url.find("dev") != std::string::npos || url.find("proc") != std::string::npos) return 0;
  FuzzInput(data, size);
  try {
    if (auto stream = ReadStream(url)) {
      char buffer[64];
      stream->Read(buffer, sizeof buffer);
      stream->Seek(stream->Size() / 2);
      stream->ReadInt();
      stream->Pos();
      stream->Eof();
    }
  } catch (const TStreamException&) {
    // A stream error is a documented outcome, not a fault.
  }
  return 0;
}
