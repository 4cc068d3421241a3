#include <gtest/gtest.h>

#include "builder/core/VolumeLock.h"
#include "builder/core/ZoneWidths.h"

namespace {

using builder::SliderPositions;
using builder::VolumeLock;
using builder::ZoneWidths;

TEST(ZoneWidths, KeepTheScaleNear200) {
  EXPECT_EQ(builder::DeriveZoneWidths(2, 3, 5), (ZoneWidths{40, 60, 100}));
  EXPECT_EQ(builder::DeriveZoneWidths(3, 3, 3), (ZoneWidths{66, 66, 66}));
  EXPECT_EQ(builder::DeriveZoneWidths(1, 0, 0), (ZoneWidths{200, 0, 0}));
  // Truncation is towards zero, also for negative products.
  EXPECT_EQ(builder::DeriveZoneWidths(-1, 2, 2), (ZoneWidths{-66, 133, 133}));
}

TEST(ZoneWidths, CountsAddingUpToZeroGiveNone) {
  EXPECT_FALSE(builder::DeriveZoneWidths(0, 0, 0).has_value());
  EXPECT_FALSE(builder::DeriveZoneWidths(-2, 1, 1).has_value());
}

TEST(ZoneWidths, AbsurdCountsAreClamped) {
  // The sum of these counts overflows 32 bits and a width beyond the range is clamped.
  const auto w = builder::DeriveZoneWidths(2147483647, -2147483647, 1);
  ASSERT_TRUE(w.has_value());
  EXPECT_EQ(w->RedMax, 2147483647);
  EXPECT_EQ(w->YellowMax, -2147483647 - 1);
  EXPECT_EQ(w->GreenMax, 200);
}

TEST(Volume, StartVolumeFromTheRecord) {
  EXPECT_FALSE(builder::StartVolume(-1).has_value());
  EXPECT_FALSE(builder::StartVolume(-5).has_value());
  EXPECT_EQ(builder::StartVolume(0), 0);
  EXPECT_EQ(builder::StartVolume(32000), 32000);
  EXPECT_EQ(builder::StartVolume(70000), 65535);
  EXPECT_EQ(builder::ClampVolume(-3), 0);
}

TEST(Volume, PackedWordHoldsLeftLowRightHigh) {
  EXPECT_EQ(builder::PackVolume(0x1234, 0xABCD), 0xABCD1234u);
  EXPECT_EQ(builder::LeftOfVolume(0xABCD1234u), 0x1234);
  EXPECT_EQ(builder::RightOfVolume(0xABCD1234u), 0xABCD);
}

TEST(VolumeLock, LockedLeftMoveCarriesTheRight) {
  VolumeLock lock;
  lock.Reset(30000, 40000);
  EXPECT_EQ(lock.LeftChanged(35000, 40000, true), (SliderPositions{35000, 45000}));
  EXPECT_EQ(lock.Difference(), 10000);
  EXPECT_EQ(lock.LeftChanged(31000, 45000, true), (SliderPositions{31000, 41000}));
  EXPECT_EQ(lock.LastLeft(), 31000);
  EXPECT_EQ(lock.LastRight(), 41000);
}

TEST(VolumeLock, LockedRightMoveCarriesTheLeft) {
  VolumeLock lock;
  lock.Reset(30000, 40000);
  EXPECT_EQ(lock.RightChanged(30000, 38000, true), (SliderPositions{28000, 38000}));
  EXPECT_EQ(lock.RightChanged(28000, 50000, true), (SliderPositions{40000, 50000}));
}

TEST(VolumeLock, OtherSliderAtTheEndHoldsTheMovedOne) {
  VolumeLock lock;
  lock.Reset(50000, 65535);
  EXPECT_EQ(lock.LeftChanged(52000, 65535, true), (SliderPositions{50000, 65535}));
  lock.Reset(20000, 0);
  EXPECT_EQ(lock.LeftChanged(10000, 0, true), (SliderPositions{20000, 0}));
  lock.Reset(0, 30000);
  EXPECT_EQ(lock.RightChanged(0, 29000, true), (SliderPositions{0, 30000}));
}

TEST(VolumeLock, FollowerIsClampedAndTheBalanceRelearnt) {
  VolumeLock lock;
  lock.Reset(50000, 60000);
  EXPECT_EQ(lock.LeftChanged(58000, 60000, true), (SliderPositions{58000, 65535}));
  EXPECT_EQ(lock.Difference(), 7535);
}

TEST(VolumeLock, UnlockedMovesOnlyRemember) {
  VolumeLock lock;
  lock.Reset(30000, 40000);
  EXPECT_EQ(lock.LeftChanged(10000, 40000, false), (SliderPositions{10000, 40000}));
  EXPECT_EQ(lock.Difference(), 30000);
  // Locking now keeps the distance learnt while unlocked.
  EXPECT_EQ(lock.LeftChanged(12000, 40000, true), (SliderPositions{12000, 42000}));
}

}  // namespace
