#include "player/core/MasterVolume.h"

#include "builder/core/VolumeLock.h"

namespace player {

uint32_t TMasterVolume::Set(uint32_t volume) {
  const int32_t left = builder::LeftOfVolume(volume), right = builder::RightOfVolume(volume);
  pair_ = volume;
  master_ = uint32_t(left > right ? left : right);
  known_ = true;
  return master_;
}

uint32_t TMasterVolume::Get(uint32_t master) {
  if (known_ && master == master_) return pair_;
  if (!known_ || master_ == 0) {
    Set(builder::PackVolume(int32_t(master), int32_t(master)));
    return pair_;
  }
  const auto scaled = [&](int32_t v) { return int32_t(int64_t(v) * master / master_); };
  Set(builder::PackVolume(scaled(builder::LeftOfVolume(pair_)),
                          scaled(builder::RightOfVolume(pair_))));
  master_ = master;  // the scaled louder channel may differ by rounding
  return pair_;
}

}  // namespace player
