// Little-endian encoding of the compiled files' fields, one field at a time.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace scenario {

// Encoding into a buffer the caller has sized.
// On a little-endian machine the bytes are the value's own.
inline void EncodeFixed16(char* dst, uint16_t value) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(dst, &value, sizeof value);
  } else {
    dst[0] = static_cast<char>(value & 0xFF);
    dst[1] = static_cast<char>(value >> 8);
  }
}

inline void EncodeFixed32(char* dst, uint32_t value) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(dst, &value, sizeof value);
  } else {
    for (int i = 0; i < 4; ++i) dst[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

inline void EncodeFixed64(char* dst, uint64_t value) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(dst, &value, sizeof value);
  } else {
    for (int i = 0; i < 8; ++i) dst[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

inline void EncodeDouble(char* dst, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  EncodeFixed64(dst, bits);
}

// Appending to a string.
inline void PutByte(std::string* out, uint8_t value) { out->push_back(static_cast<char>(value)); }

inline void PutFixed16(std::string* out, uint16_t value) {
  out->push_back(static_cast<char>(value & 0xFF));
  out->push_back(static_cast<char>(value >> 8));
}

inline void PutFixed32(std::string* out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<char>((value >> shift) & 0xFF));
}

inline void PutFixed64(std::string* out, uint64_t value) {
  for (int shift = 0; shift < 64; shift += 8) out->push_back(static_cast<char>((value >> shift) & 0xFF));
}

inline void PutInteger(std::string* out, int16_t value) { PutFixed16(out, static_cast<uint16_t>(value)); }
inline void PutLong(std::string* out, int32_t value) { PutFixed32(out, static_cast<uint32_t>(value)); }
inline void PutDouble(std::string* out, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  PutFixed64(out, bits);
}

// Decoding from a buffer the caller has checked is long enough. On a
// little-endian machine the value is the bytes themselves.
inline uint8_t DecodeByte(const char* p) { return static_cast<uint8_t>(p[0]); }

inline uint16_t DecodeFixed16(const char* p) {
  if constexpr (std::endian::native == std::endian::little) {
    uint16_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
  } else {
    return static_cast<uint16_t>(static_cast<uint8_t>(p[0]) | (static_cast<uint8_t>(p[1]) << 8));
  }
}

inline uint32_t DecodeFixed32(const char* p) {
  if constexpr (std::endian::native == std::endian::little) {
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
  } else {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(p[i]);
    return value;
  }
}

inline uint64_t DecodeFixed64(const char* p) {
  if constexpr (std::endian::native == std::endian::little) {
    uint64_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
  } else {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(p[i]);
    return value;
  }
}

inline int16_t DecodeInteger(const char* p) { return static_cast<int16_t>(DecodeFixed16(p)); }
inline int32_t DecodeLong(const char* p) { return static_cast<int32_t>(DecodeFixed32(p)); }
inline double DecodeDouble(const char* p) {
  uint64_t bits = DecodeFixed64(p);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace scenario
