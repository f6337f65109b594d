// Replay files from untrusted bytes: the reader as a player's file reaches
// it, and again with its checksum made right, so the fuzzer gets past the
// seal to the counts, the hashes and the packed answers behind it.
#include <zlib.h>

#include <vector>

#include "game/replay_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  std::string problem;
  ReadReplay(bytes, problem);
  if (size >= 4) {
    const uLong crc = crc32(0, data, static_cast<uInt>(size - 4));
    for (int i = 0; i < 4; ++i) bytes[size - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
    ReadReplay(bytes, problem);
  }
  return 0;
}
