#include <gtest/gtest.h>

#include "platform/Paths.h"

namespace {

using platform::ExtractFileExt;
using platform::ExtractFileName;

// The one rule for the parts of a path, which the archive, the builder's song fields
// and the player's song entry all use.
TEST(PlatformPaths, AColonEndsOnlyADrive) {
  EXPECT_EQ(ExtractFileName("C:\\Music\\Song.mp3"), "Song.mp3");
  EXPECT_EQ(ExtractFileName("C:Song.mp3"), "Song.mp3");
  EXPECT_EQ(ExtractFileName("/home/me/a:b.mp3"), "a:b.mp3");
  EXPECT_EQ(ExtractFileName("Songs:Song.mp3"), "Songs:Song.mp3");
  EXPECT_EQ(ExtractFileName("C:\\Music\\"), "");
}

TEST(PlatformPaths, TheExtensionBelongsToTheFileName) {
  EXPECT_EQ(ExtractFileExt("C:\\my.dir\\song"), "");
  EXPECT_EQ(ExtractFileExt("C:\\my.dir\\Song.MP3"), ".MP3");
  EXPECT_EQ(ExtractFileExt("song."), ".");
  EXPECT_EQ(ExtractFileExt("/x.y/z"), "");
}

}  // namespace
