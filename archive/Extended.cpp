#include "archive/Extended.h"

#include <cmath>
#include <limits>

#include "platform/LittleEndian.h"

namespace archive {

namespace {
constexpr int kBias = 16383;
constexpr uint64_t kIntegerBit = uint64_t(1) << 63;
}  // namespace

void DoubleToExtended(double value, uint8_t out[kExtendedSize]) {
  uint64_t mantissa = 0;
  uint16_t signExp = std::signbit(value) ? 0x8000 : 0;
  if (std::isnan(value)) {
    signExp |= 0x7FFF;
    mantissa = kIntegerBit | (uint64_t(1) << 62);  // quiet NaN
  } else if (std::isinf(value)) {
    signExp |= 0x7FFF;
    mantissa = kIntegerBit;
  } else if (value != 0) {
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);  // [0.5, 1)
    // 53 significant bits scaled to 64: exact. Denormal doubles come out normalised.
    mantissa = uint64_t(std::ldexp(fraction, 64));
    signExp |= uint16_t(exponent - 1 + kBias);
  }
  platform::PutLe64(out, mantissa);
  platform::PutLe16(out + 8, signExp);
}

double ExtendedToDouble(const uint8_t in[kExtendedSize]) {
  const uint64_t mantissa = platform::GetLe64(in);
  const int signExp = platform::GetLe16(in + 8);
  const bool negative = (signExp & 0x8000) != 0;
  const int exponent = signExp & 0x7FFF;
  double magnitude;
  if (exponent == 0x7FFF) {
    magnitude = (mantissa & ~kIntegerBit) == 0 ? std::numeric_limits<double>::infinity()
                                               : std::numeric_limits<double>::quiet_NaN();
  } else {
    // Denormals (exponent 0) use the smallest exponent; unnormals are taken as they stand.
    const int e = exponent == 0 ? 1 - kBias : exponent - kBias;
    magnitude = std::ldexp(double(mantissa), e - 63);
  }
  return negative ? -magnitude : magnitude;
}

double ExtendedToFiniteDouble(const uint8_t in[kExtendedSize]) {
  const double value = ExtendedToDouble(in);
  return std::isfinite(value) ? value : 0.0;
}

}  // namespace archive
