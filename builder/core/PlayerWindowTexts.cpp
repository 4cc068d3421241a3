#include "builder/core/PlayerWindowTexts.h"

namespace builder {

const std::array<const char*, kPriorityCount>& PriorityNames() {
  static const std::array<const char*, kPriorityCount> names = {
      "Idle", "Lowest", "Below normal", "Normal", "Above normal", "Highest", "Time critical"};
  return names;
}

std::string CaptionFor(const std::string& title, const std::string& artist) {
  if (title.empty()) return kDefaultCaption;
  if (artist.empty()) return "Playing " + title + "...";
  return "Playing " + title + " from " + artist + "...";
}

}  // namespace builder
