// Two channel volumes kept over a control that holds one value for both (the mixer's
// volume of the wave output under Wine, which applies its first channel to every
// channel): the louder channel's value is written, and the pair the player set is
// given back as long as nobody else changed that value. A change made elsewhere
// scales both channels alike, so the balance the user chose survives it.
#pragma once
#include <cstdint>

namespace player {

class TMasterVolume {
 public:
  // The value to write for the packed pair `volume` (left low, right high).
  uint32_t Set(uint32_t volume);
  // The packed pair for the value `master` read back.
  uint32_t Get(uint32_t master);

 private:
  uint32_t pair_ = 0;
  uint32_t master_ = 0;
  bool known_ = false;
};

}  // namespace player
