// The order in which the two halves of the playback buffer stream a selection.
#include "analyser/core/Playback.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using tessel::HalfFill;
using tessel::HalfSchedule;

TEST(HalfSchedule, TheHalvesTakeTurnsAndTheLastHoldsOnlyTheRest) {
  HalfSchedule s(10, 4);
  std::vector<HalfFill> fills;
  HalfFill f;
  while (s.Next(f)) fills.push_back(f);
  ASSERT_EQ(fills.size(), 3u);
  EXPECT_EQ(fills[0].half, 0);
  EXPECT_EQ(fills[1].half, 1);
  EXPECT_EQ(fills[2].half, 0);
  EXPECT_EQ(fills[0].offset, 0u);
  EXPECT_EQ(fills[1].offset, 4u);
  EXPECT_EQ(fills[2].offset, 8u);
  EXPECT_EQ(fills[0].real, 4u);
  EXPECT_EQ(fills[2].real, 2u);
  EXPECT_EQ(fills[2].length, 2u);
  EXPECT_TRUE(s.Exhausted());
}

TEST(HalfSchedule, ASelectionOfWholeHalvesEndsWithoutASilentOne) {
  HalfSchedule s(8, 4);
  HalfFill f;
  EXPECT_TRUE(s.Next(f));
  EXPECT_TRUE(s.Next(f));
  EXPECT_EQ(f.real, 4u);
  EXPECT_FALSE(s.Next(f));
}

TEST(HalfSchedule, FinishedOnlyWhenTheLastWrittenBufferCameBack) {
  HalfSchedule s(10, 4);
  HalfFill f;
  ASSERT_TRUE(s.Next(f));
  ASSERT_TRUE(s.Next(f));
  s.Returned();  // the first half played: it takes the last stretch
  ASSERT_TRUE(s.Next(f));
  EXPECT_FALSE(s.Finished());
  s.Returned();
  EXPECT_FALSE(s.Finished()) << "the last stretch is still playing";
  s.Returned();
  EXPECT_TRUE(s.Finished());
  s.Returned();  // a stray return (a reset) does not count below zero
  EXPECT_TRUE(s.Finished());
}

TEST(HalfSchedule, TheLastStretchIsFollowedByTheSilentTailWhereTheHalfHasRoom) {
  HalfSchedule s(10, 4, 1);
  HalfFill f;
  ASSERT_TRUE(s.Next(f));
  EXPECT_EQ(f.length, 4u) << "a full half has no room";
  ASSERT_TRUE(s.Next(f));
  ASSERT_TRUE(s.Next(f));
  EXPECT_EQ(f.real, 2u);
  EXPECT_EQ(f.length, 3u);
  HalfSchedule longTail(10, 4, 8);
  while (longTail.Next(f)) {
  }
  EXPECT_EQ(f.length, 4u) << "the tail stays within the half";
}

TEST(HalfSchedule, AShortSelectionPlaysOneHalf) {
  HalfSchedule s(3, 4);
  HalfFill f;
  ASSERT_TRUE(s.Next(f));
  EXPECT_EQ(f.real, 3u);
  EXPECT_FALSE(s.Next(f));
  s.Returned();
  EXPECT_TRUE(s.Finished());
}

TEST(HalfSchedule, AnEmptySelectionPlaysOneSilentHalf) {
  HalfSchedule s(0, 4);
  HalfFill f;
  ASSERT_TRUE(s.Next(f));
  EXPECT_EQ(f.real, 0u);
  EXPECT_EQ(f.length, 4u);
  EXPECT_FALSE(s.Next(f));
  EXPECT_FALSE(s.Finished());
  s.Returned();
  EXPECT_TRUE(s.Finished());
}

}  // namespace
