// What every fuzz target shares: a "fuzz::" url protocol that serves the
// current input from memory, so loaders that take urls can be fed directly.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "system/stream.h"

class FuzzInputFactory : public TStreamFactory {
 public:
  std::shared_ptr<TStream> CreateStream(const std::string&, const std::string& protocol, const std::string&,
                                        int readable, int writeable) override {
    if (protocol != "fuzz" || !readable || writeable) return nullptr;
    return CreateMemoryStream(data, size);
  }
  const uint8_t* data = nullptr;
  size_t size = 0;
};

inline FuzzInputFactory& FuzzInput(const uint8_t* data, size_t size) {
  static FuzzInputFactory factory;
  factory.data = data;
  factory.size = size;
  return factory;
}
