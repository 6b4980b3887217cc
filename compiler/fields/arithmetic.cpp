#include "compiler/fields/arithmetic.h"

#include <cmath>
#include <limits>
#include <string>

#include "compiler/fields/runtime_failure.h"

namespace scenario {

namespace {

template <typename T>
T Narrow(int64_t value, const char* type_name, RuntimeFailure::Kind kind) {
  if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max())
    throw RuntimeFailure(std::to_string(value) + " does not fit " + type_name, kind, value);
  return static_cast<T>(value);
}

int32_t CheckedLong(int64_t value) { return Narrow<int32_t>(value, "a Long", RuntimeFailure::Kind::Overflow); }

}  // namespace

int64_t round_half_even(double x) {
  // nearbyint rounds in the current rounding mode, which the program never
  // changes from round-to-nearest-even.
  double rounded = std::nearbyint(x);
  if (!std::isfinite(rounded) || rounded < -9.2e18 || rounded > 9.2e18)
    throw RuntimeFailure("a real outside the integers");
  return static_cast<int64_t>(rounded);
}

int32_t RoundToLong(double x) {
  return Narrow<int32_t>(round_half_even(x), "a Long", RuntimeFailure::Kind::NotInField);
}
int16_t RoundToInteger(double x) {
  return Narrow<int16_t>(round_half_even(x), "an Integer", RuntimeFailure::Kind::NotInField);
}
uint8_t RoundToByte(double x) {
  return Narrow<uint8_t>(round_half_even(x), "a Byte", RuntimeFailure::Kind::NotInField);
}

int32_t AddLong(int32_t a, int32_t b) { return CheckedLong(int64_t{a} + b); }
int32_t SubtractLong(int32_t a, int32_t b) { return CheckedLong(int64_t{a} - b); }
int32_t MultiplyLong(int32_t a, int32_t b) { return CheckedLong(int64_t{a} * b); }

}  // namespace scenario
