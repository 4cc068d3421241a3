// The 80-bit x87 "Extended" floating-point value as the archive stores it:
// 8 bytes of mantissa with an explicit integer bit, then 2 bytes of sign and
// exponent (bias 16383), little-endian.
#pragma once
#include <cstdint>

namespace archive {

constexpr int kExtendedSize = 10;

// Exact: every double has an Extended of the same value.
void DoubleToExtended(double value, uint8_t out[kExtendedSize]);

// Rounds to the nearest double; infinities and NaNs come back as such, values
// beyond the double range as infinities, tiny ones as 0 or denormals.
double ExtendedToDouble(const uint8_t in[kExtendedSize]);

// As ExtendedToDouble, but a non-finite value (a damaged file) reads as 0.
double ExtendedToFiniteDouble(const uint8_t in[kExtendedSize]);

}  // namespace archive
