#include <gtest/gtest.h>

#include <vector>

#include "builder/core/PlayerSettings.h"

namespace {

using builder::PlayerSettingsRecord;

TEST(PlayerSettings, DefaultStyleWritesTheDocumentedBytes) {
  const std::vector<uint8_t> expected = {
      0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0xC0,
      0xC0, 0xC0, 0x00, 0xC0, 0xC0, 0xC0, 0x00, 0xC0, 0xC0, 0xC0, 0x00, 0xC0, 0xC0,
      0xC0, 0x00, 0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00,
      0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x0F, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFF,
      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x01};
  ASSERT_EQ(expected.size(), builder::kPlayerSettingsSize);
  const auto bytes = builder::WritePlayerSettings(builder::DefaultPlayerSettings());
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), expected);
}

PlayerSettingsRecord Unusual() {
  PlayerSettingsRecord r;
  r.RedColor = 0x01020304;
  r.YellowColor = 0x80000005;  // a system colour keeps its marker
  r.GreenColor = 0x00ABCDEF;
  r.SepColor = 0x11223344;
  r.RedBack = 0x55667788;
  r.YellowBack = 0x99AABBCC;
  r.GreenBack = 0xDDEEFF00;
  r.Reds = -7;
  r.Yellows = 0;
  r.Greens = 2147483647;
  r.SepWidth = 9;
  r.ShowJustOne = true;
  r.Background = 0x8000000F;
  r.VolLeft = 0;
  r.VolRight = 65535;
  r.Locked = true;
  r.Looped = true;
  r.PriorityVisible = false;
  r.Restore = false;
  return r;
}

TEST(PlayerSettings, FieldsSitAtTheirOffsets) {
  const auto b = builder::WritePlayerSettings(Unusual());
  EXPECT_EQ(b[0], 0x04);  // RedColor, low byte first
  EXPECT_EQ(b[3], 0x01);
  EXPECT_EQ(b[7], 0x80);   // YellowColor's system-colour marker
  EXPECT_EQ(b[28], 0xF9);  // Reds = -7
  EXPECT_EQ(b[31], 0xFF);
  EXPECT_EQ(b[39], 0x7F);  // Greens, high byte
  EXPECT_EQ(b[40], 9);     // SepWidth
  EXPECT_EQ(b[44], 1);     // ShowJustOne
  EXPECT_EQ(b[45], 0x0F);  // Background right behind the flag, unaligned
  EXPECT_EQ(b[48], 0x80);
  EXPECT_EQ(b[49], 0x00);  // VolLeft = 0
  EXPECT_EQ(b[53], 0xFF);  // VolRight = 65535
  EXPECT_EQ(b[54], 0xFF);
  EXPECT_EQ(b[55], 0x00);
  EXPECT_EQ(b[57], 1);  // Locked
  EXPECT_EQ(b[58], 1);  // Looped
  EXPECT_EQ(b[59], 0);  // PriorityVisible
  EXPECT_EQ(b[60], 0);  // Restore
}

TEST(PlayerSettings, RoundTrip) {
  for (const auto& r : {Unusual(), builder::DefaultPlayerSettings()}) {
    const auto bytes = builder::WritePlayerSettings(r);
    PlayerSettingsRecord back;
    ASSERT_TRUE(builder::ReadPlayerSettings(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back, r);
  }
}

TEST(PlayerSettings, ShortInputIsRefusedAndLeavesTheRecord) {
  const auto bytes = builder::WritePlayerSettings(Unusual());
  PlayerSettingsRecord r = builder::DefaultPlayerSettings();
  EXPECT_FALSE(builder::ReadPlayerSettings(bytes.data(), 60, r));
  EXPECT_FALSE(builder::ReadPlayerSettings(bytes.data(), 0, r));
  EXPECT_FALSE(builder::ReadPlayerSettings(nullptr, 61, r));
  EXPECT_EQ(r, builder::DefaultPlayerSettings());
}

TEST(PlayerSettings, OversizedInputReadsTheFirst61Bytes) {
  const auto bytes = builder::WritePlayerSettings(Unusual());
  std::vector<uint8_t> longer(bytes.begin(), bytes.end());
  longer.resize(200, 0xEE);
  PlayerSettingsRecord r;
  ASSERT_TRUE(builder::ReadPlayerSettings(longer.data(), longer.size(), r));
  EXPECT_EQ(r, Unusual());
}

TEST(PlayerSettings, AnyNonZeroFlagByteIsTrue) {
  auto bytes = builder::WritePlayerSettings(PlayerSettingsRecord{});
  bytes[44] = 0x02;
  bytes[57] = 0xFF;
  bytes[60] = 0x80;
  PlayerSettingsRecord r;
  ASSERT_TRUE(builder::ReadPlayerSettings(bytes.data(), bytes.size(), r));
  EXPECT_TRUE(r.ShowJustOne);
  EXPECT_TRUE(r.Locked);
  EXPECT_FALSE(r.Looped);
  EXPECT_FALSE(r.PriorityVisible);
  EXPECT_TRUE(r.Restore);
}

TEST(PlayerSettings, VolumeChoiceDecidesTheVolumes) {
  PlayerSettingsRecord r;
  builder::SetRecordVolumes(r, 0, 1234, 4321);
  EXPECT_EQ(r.VolLeft, -1);
  EXPECT_EQ(r.VolRight, -1);
  builder::SetRecordVolumes(r, 1, 0, 65535);
  EXPECT_EQ(r.VolLeft, 0);
  EXPECT_EQ(r.VolRight, 65535);
  builder::SetRecordVolumes(r, -1, 0, 65535);
  EXPECT_EQ(r.VolLeft, 50);
  EXPECT_EQ(r.VolRight, 50);
}

}  // namespace
