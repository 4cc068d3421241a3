#include "builder/core/VolumeLock.h"

namespace builder {

int32_t ClampVolume(int64_t value) {
  if (value < kVolumeMin) return kVolumeMin;
  if (value > kVolumeMax) return kVolumeMax;
  return int32_t(value);
}

std::optional<int32_t> StartVolume(int32_t recordVolume) {
  if (recordVolume < 0) return std::nullopt;
  return ClampVolume(recordVolume);
}

void VolumeLock::Reset(int32_t left, int32_t right) {
  Remember({ClampVolume(left), ClampVolume(right)});
}

SliderPositions VolumeLock::Remember(SliderPositions p) {
  lastLeft_ = p.left;
  lastRight_ = p.right;
  difference_ = p.right - p.left;
  return p;
}

SliderPositions VolumeLock::LeftChanged(int32_t left, int32_t right, bool locked) {
  SliderPositions p{ClampVolume(left), ClampVolume(right)};
  if (locked) {
    if (p.left < lastLeft_) {
      if (p.right == kVolumeMin)
        p.left = lastLeft_;
      else
        p.right = ClampVolume(int64_t(p.left) + difference_);
    } else if (p.left > lastLeft_) {
      if (p.right == kVolumeMax)
        p.left = lastLeft_;
      else
        p.right = ClampVolume(int64_t(p.left) + difference_);
    }
  }
  return Remember(p);
}

SliderPositions VolumeLock::RightChanged(int32_t left, int32_t right, bool locked) {
  SliderPositions p{ClampVolume(left), ClampVolume(right)};
  if (locked) {
    if (p.right < lastRight_) {
      if (p.left == kVolumeMin)
        p.right = lastRight_;
      else
        p.left = ClampVolume(int64_t(p.right) - difference_);
    } else if (p.right > lastRight_) {
      if (p.left == kVolumeMax)
        p.right = lastRight_;
      else
        p.left = ClampVolume(int64_t(p.right) - difference_);
    }
  }
  return Remember(p);
}

}  // namespace builder
