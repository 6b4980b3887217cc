// The compiler's arithmetic: reals rounded half to even, 32-bit integer
// arithmetic that fails instead of overflowing, and narrowing to the model's
// field widths.
#pragma once

#include <cstdint>

namespace scenario {

// The nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
// Throws RuntimeFailure when x is not finite or beyond 64 bits.
int64_t round_half_even(double x);

// round_half_even(x), which must fit the field's type, else RuntimeFailure.
int32_t RoundToLong(double x);
int16_t RoundToInteger(double x);
uint8_t RoundToByte(double x);

// 32-bit arithmetic of Longs; a result outside -2147483648..2147483647 is a
// RuntimeFailure.
int32_t AddLong(int32_t a, int32_t b);
int32_t SubtractLong(int32_t a, int32_t b);
int32_t MultiplyLong(int32_t a, int32_t b);

// The low 16 bits as a signed Integer, the low 8 bits as a Byte.
inline int16_t Low16(int64_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF)); }
inline uint8_t Low8(int64_t value) { return static_cast<uint8_t>(value & 0xFF); }

}  // namespace scenario
