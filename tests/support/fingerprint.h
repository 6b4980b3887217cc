// A fingerprint of a file's whole bytes, for tests that pin a file exactly.
#pragma once

#include <cstdint>
#include <string_view>

namespace scenario::testing_support {

// FNV-1a over the whole file: one byte more, less or different anywhere
// changes it.
inline uint64_t Fingerprint(std::string_view bytes) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001b3u;
  }
  return hash;
}

}  // namespace scenario::testing_support
