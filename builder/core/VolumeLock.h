// The volume arithmetic shared by the builder's style tab and the player's volume
// group: slider clamping, the start volume from the settings record, and the lock
// that keeps the left and right sliders at a fixed distance.
#pragma once
#include <cstdint>
#include <optional>

namespace builder {

inline constexpr int32_t kVolumeMin = 0;
inline constexpr int32_t kVolumeMax = 65535;

// A volume slider takes any value but holds it clamped to 0..65535.
int32_t ClampVolume(int64_t value);

// The slider position that a record volume (VolLeft or VolRight) starts at, or none
// when the user's current volume is to be left alone (-1). Values above 65535 are
// clamped to it. Other negative values, which no builder writes, also leave the
// user's volume alone rather than silencing it.
std::optional<int32_t> StartVolume(int32_t recordVolume);

// The wave-output volume word: left channel in the low 16 bits, right in the high.
inline uint32_t PackVolume(int32_t left, int32_t right) {
  return uint32_t(ClampVolume(left)) | uint32_t(ClampVolume(right)) << 16;
}
inline int32_t LeftOfVolume(uint32_t volume) { return int32_t(volume & 0xFFFF); }
inline int32_t RightOfVolume(uint32_t volume) { return int32_t(volume >> 16); }

struct SliderPositions {
  int32_t left = 0;
  int32_t right = 0;
  bool operator==(const SliderPositions& o) const { return left == o.left && right == o.right; }
};

// The memory of the lock: the last left and right values and their difference
// (right - left). Every slider change goes through it, locked or not, so that the
// memory always holds the positions after the last change.
class VolumeLock {
 public:
  // Start-up: both sliders were set to the given values.
  void Reset(int32_t left, int32_t right);

  // The left slider moved to `left` while the right one stands at `right`. Returns
  // where both sliders end: with the lock on, the right slider follows at the kept
  // difference, and once it stands at its minimum (moving down) or its maximum
  // (moving up) the left slider is put back to its last value.
  SliderPositions LeftChanged(int32_t left, int32_t right, bool locked);

  // The same with the roles swapped: the left slider follows at right - difference.
  SliderPositions RightChanged(int32_t left, int32_t right, bool locked);

  int32_t LastLeft() const { return lastLeft_; }
  int32_t LastRight() const { return lastRight_; }
  int32_t Difference() const { return difference_; }

 private:
  SliderPositions Remember(SliderPositions p);

  int32_t lastLeft_ = 0;
  int32_t lastRight_ = 0;
  int32_t difference_ = 0;
};

}  // namespace builder
