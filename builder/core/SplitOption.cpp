#include "builder/core/SplitOption.h"

#include <limits>

namespace builder {

std::optional<int64_t> ParseWholeNumber(const std::string& text) {
  size_t i = 0, end = text.size();
  while (i < end && text[i] == ' ') ++i;
  while (end > i && text[end - 1] == ' ') --end;
  bool negative = false;
  if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == end) return std::nullopt;
  int64_t value = 0;
  for (; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    if (value > (std::numeric_limits<int64_t>::max() - 9) / 10) return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

int32_t MaxSegmentSizeFor(int item, const std::string& otherKb) {
  switch (item) {
    case siKb720:
      return 720 * 1024;
    case siMb144:
      return 1440 * 1024;
    case siOther:
      break;
    default:
      return 0;
  }
  const int64_t kb = ParseWholeNumber(otherKb).value_or(0);
  if (kb <= 0) return 0;
  if (kb > std::numeric_limits<int32_t>::max() / 1024) return std::numeric_limits<int32_t>::max();
  return int32_t(kb * 1024);
}

int32_t TSplitOption::EffectiveSize() const {
  if (!checked_) return 0;
  return MaxSegmentSizeFor(itemIndex_, text_);
}

}  // namespace builder
