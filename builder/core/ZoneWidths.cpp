#include "builder/core/ZoneWidths.h"

#include <cmath>
#include <limits>

namespace builder {
namespace {

int32_t TruncToInt32(double v) {
  constexpr double kMin = std::numeric_limits<int32_t>::min();
  constexpr double kMax = std::numeric_limits<int32_t>::max();
  if (v <= kMin) return std::numeric_limits<int32_t>::min();
  if (v >= kMax) return std::numeric_limits<int32_t>::max();
  return int32_t(std::trunc(v));
}

}  // namespace

std::optional<ZoneWidths> DeriveZoneWidths(int32_t reds, int32_t yellows, int32_t greens) {
  // 64-bit sum: counts come unchecked from spin buttons and from the settings record.
  const int64_t sum = int64_t(reds) + yellows + greens;
  if (sum == 0) return std::nullopt;
  const double x = 200.0 / double(sum);
  ZoneWidths w;
  w.RedMax = TruncToInt32(x * reds);
  w.YellowMax = TruncToInt32(x * yellows);
  w.GreenMax = TruncToInt32(x * greens);
  return w;
}

}  // namespace builder
