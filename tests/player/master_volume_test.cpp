// Two slider values over one master value: what the player sets it reads back, the
// louder channel decides the master, and a change made elsewhere keeps the balance.
#include <gtest/gtest.h>

#include "builder/core/VolumeLock.h"
#include "player/core/MasterVolume.h"

namespace player {
namespace {

using builder::PackVolume;

TEST(MasterVolume, TheLouderChannelIsWrittenAndThePairReadBack) {
  TMasterVolume v;
  EXPECT_EQ(v.Set(PackVolume(32768, 16384)), 32768u);
  EXPECT_EQ(v.Get(32768), PackVolume(32768, 16384));
  EXPECT_EQ(v.Set(PackVolume(1000, 65535)), 65535u);
  EXPECT_EQ(v.Get(65535), PackVolume(1000, 65535));
}

TEST(MasterVolume, AValueNeverSetGivesBothChannelsThatValue) {
  TMasterVolume v;
  EXPECT_EQ(v.Get(40000), PackVolume(40000, 40000));
  EXPECT_EQ(v.Get(40000), PackVolume(40000, 40000));
}

TEST(MasterVolume, AChangeMadeElsewhereScalesBothChannels) {
  TMasterVolume v;
  v.Set(PackVolume(60000, 30000));
  EXPECT_EQ(v.Get(30000), PackVolume(30000, 15000));
  // The scaled pair is what is read back from then on.
  EXPECT_EQ(v.Get(30000), PackVolume(30000, 15000));
  EXPECT_EQ(v.Get(0), PackVolume(0, 0));
  // From silence there is no balance left to keep.
  EXPECT_EQ(v.Get(5000), PackVolume(5000, 5000));
}

}  // namespace
}  // namespace player
