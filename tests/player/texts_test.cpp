#include <gtest/gtest.h>

#include "builder/core/PlayerWindowTexts.h"
#include "platform/Paths.h"
#include "player/core/PlayerTexts.h"

namespace {

using player::LengthText;

TEST(PlayerTexts, LengthInMinutesAndSeconds) {
  EXPECT_EQ(LengthText(205000), "3 Min. 25 sec.");
  EXPECT_EQ(LengthText(205499), "3 Min. 25 sec.");
  EXPECT_EQ(LengthText(205501), "3 Min. 26 sec.");
  EXPECT_EQ(LengthText(2500), "0 Min. 2 sec.");  // halves go to the even neighbour
  EXPECT_EQ(LengthText(3500), "0 Min. 4 sec.");
  EXPECT_EQ(LengthText(0), "0 Min. 0 sec.");
  // Just under a minute rounds up to a whole minute, not to "0 Min. 0 sec.".
  EXPECT_EQ(LengthText(59700), "1 Min. 0 sec.");
  EXPECT_EQ(LengthText(119700), "2 Min. 0 sec.");
  EXPECT_EQ(LengthText(-1), "0 Min. 0 sec.");
}

TEST(PlayerTexts, Captions) {
  EXPECT_EQ(builder::CaptionFor("Song", "Band"), "Playing Song from Band...");
  EXPECT_EQ(builder::CaptionFor("Song", ""), "Playing Song...");
  EXPECT_EQ(builder::CaptionFor("", "Band"), "Playing MP3");
}

TEST(PlayerTexts, PriorityListAndFileNames) {
  const auto& names = builder::PriorityNames();
  EXPECT_STREQ(names[0], "Idle");
  EXPECT_STREQ(names[2], "Below normal");
  EXPECT_STREQ(names[6], "Time critical");
  EXPECT_EQ(platform::ExtractFileName("C:\\a\\b c.mp3"), "b c.mp3");
  EXPECT_EQ(platform::ExtractFileName("/x/y.mp3"), "y.mp3");
  EXPECT_EQ(platform::ExtractFileName("y.mp3"), "y.mp3");
}

TEST(PlayerTexts, ExceptionBoxAddsAFullStop) {
  EXPECT_EQ(player::ExceptionBoxText("Incorrect mode"), "Incorrect mode.");
  EXPECT_EQ(player::ExceptionBoxText("Done."), "Done.");
  EXPECT_EQ(player::ExceptionBoxText("Done!"), "Done!");
}

}  // namespace
