// The rule that derives a level meter's zone widths (RedMax, YellowMax, GreenMax)
// from its segment counts, shared by the builder's count buttons and the player's
// start-up: the full scale stays near 200 whatever the counts are.
#pragma once
#include <cstdint>
#include <optional>

namespace builder {

struct ZoneWidths {
  int32_t RedMax = 0;
  int32_t YellowMax = 0;
  int32_t GreenMax = 0;
  bool operator==(const ZoneWidths& o) const {
    return RedMax == o.RedMax && YellowMax == o.YellowMax && GreenMax == o.GreenMax;
  }
};

// x = 200 / (reds + yellows + greens); each width = trunc(x * its count).
// Counts that add up to 0 give no widths: the caller keeps the current ones.
// Results beyond the 32-bit range (only from absurd counts) are clamped to it.
std::optional<ZoneWidths> DeriveZoneWidths(int32_t reds, int32_t yellows, int32_t greens);

}  // namespace builder
