#include <gtest/gtest.h>

#include <vector>

#include "builder/core/StyleTab.h"

namespace {

using builder::MeterColour;
using builder::MeterZone;
using builder::TMapSettingsStore;
using builder::TStyleTab;

const std::vector<uint8_t> kDefaultRecordBytes = {
    0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0xC0, 0xC0, 0xC0, 0x00,
    0xC0, 0xC0, 0xC0, 0x00, 0xC0, 0xC0, 0xC0, 0x00, 0xC0, 0xC0, 0xC0, 0x00, 0x02, 0x00, 0x00, 0x00,
    0x03, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x0F, 0x00, 0x00,
    0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x01};

std::vector<uint8_t> Bytes(const TStyleTab& tab) {
  const auto b = builder::WritePlayerSettings(tab.Record());
  return std::vector<uint8_t>(b.begin(), b.end());
}

void ExpectMetersEqual(const TStyleTab& t) {
  const auto& a = t.Meter1();
  const auto& b = t.Meter2();
  EXPECT_EQ(a.Reds(), b.Reds());
  EXPECT_EQ(a.Yellows(), b.Yellows());
  EXPECT_EQ(a.Greens(), b.Greens());
  EXPECT_EQ(a.RedMax(), b.RedMax());
  EXPECT_EQ(a.YellowMax(), b.YellowMax());
  EXPECT_EQ(a.GreenMax(), b.GreenMax());
  EXPECT_EQ(a.RedColor(), b.RedColor());
  EXPECT_EQ(a.YellowColor(), b.YellowColor());
  EXPECT_EQ(a.GreenColor(), b.GreenColor());
  EXPECT_EQ(a.RedBack(), b.RedBack());
  EXPECT_EQ(a.YellowBack(), b.YellowBack());
  EXPECT_EQ(a.GreenBack(), b.GreenBack());
  EXPECT_EQ(a.SepColor(), b.SepColor());
  EXPECT_EQ(a.SepWidth(), b.SepWidth());
  EXPECT_EQ(a.ShowJustOne(), b.ShowJustOne());
}

TEST(StyleTab, StartValuesWriteTheDefaultRecord) {
  TStyleTab tab;
  EXPECT_EQ(Bytes(tab), kDefaultRecordBytes);
  EXPECT_EQ(tab.Meter1().Width(), 15);
  EXPECT_EQ(tab.Meter1().Height(), 82);
  EXPECT_EQ(tab.Meter1().Position(), 200);
  EXPECT_EQ(tab.SepWidthText(), "1");
  EXPECT_FALSE(tab.VolumeControlsEnabled());
  EXPECT_EQ(tab.LeftSlider(), 32000);
  EXPECT_EQ(tab.Preview().caption, "Vardex");
}

TEST(StyleTab, StandartStyleAfterChangesWritesTheDefaultRecordAgain) {
  TStyleTab tab;
  tab.ColourChosen(MeterColour::Red, 0x123456);
  tab.ColourChosen(MeterColour::Separator, builder::kSystemColourFlag | 5);
  tab.CountUp(MeterZone::Green);
  tab.SepWidthUp();
  tab.SetBackground(0x00FF00);
  tab.SetVolumeChoice(1);
  tab.LeftSliderChange(0);
  tab.SetLooped(true);
  tab.SetLocked(true);
  tab.SetPriorityVisible(false);
  tab.CheckBox7Click();
  ASSERT_NE(Bytes(tab), kDefaultRecordBytes);
  tab.StandartStyle();
  EXPECT_EQ(Bytes(tab), kDefaultRecordBytes);
  EXPECT_EQ(tab.SepWidthText(), "1");
  EXPECT_EQ(tab.Meter1().GreenMax(), 100);
  ExpectMetersEqual(tab);
  EXPECT_FALSE(tab.Preview().loopedCB);
  EXPECT_TRUE(tab.Preview().priorityVisible);
}

// "Standart-Style" switches "show just one" off on meter 1 only: the box, and with it the
// record, and meter 2 keep their state.
TEST(StyleTab, StandartStyleLeavesTheShowJustOneBox) {
  TStyleTab tab;
  tab.SetShowJustOne(true);
  tab.StandartStyle();
  EXPECT_TRUE(tab.ShowJustOne());
  EXPECT_FALSE(tab.Meter1().ShowJustOne());
  EXPECT_TRUE(tab.Meter2().ShowJustOne());
  std::vector<uint8_t> expected = kDefaultRecordBytes;
  expected[44] = 1;  // ShowJustOne
  EXPECT_EQ(Bytes(tab), expected);
  tab.SetShowJustOne(false);
  EXPECT_EQ(Bytes(tab), kDefaultRecordBytes);
}

TEST(StyleTab, ColoursGoToMeterOneAndMeterTwoFollows) {
  TStyleTab tab;
  const MeterColour all[] = {MeterColour::Red,      MeterColour::Yellow,     MeterColour::Green,
                             MeterColour::RedBack,  MeterColour::YellowBack, MeterColour::GreenBack,
                             MeterColour::Separator};
  uint32_t c = 0x010203;
  for (MeterColour which : all) {
    tab.ColourChosen(which, c);
    EXPECT_EQ(tab.ColourOf(which), c);
    c += 0x010101;
  }
  ExpectMetersEqual(tab);
  const auto r = tab.Record();
  EXPECT_EQ(r.RedColor, 0x010203u);
  EXPECT_EQ(r.SepColor, 0x070809u);
  // A system colour keeps its marker in the record.
  tab.ColourChosen(MeterColour::GreenBack, 0x8000000Fu);
  EXPECT_EQ(tab.Record().GreenBack, 0x8000000Fu);
}

TEST(StyleTab, CountButtonsDeriveTheZoneWidths) {
  TStyleTab tab;
  tab.CountUp(MeterZone::Red);      // 3, 3, 5
  tab.CountDown(MeterZone::Green);  // 3, 3, 4
  tab.CountDown(MeterZone::Green);  // 3, 3, 3
  EXPECT_EQ(tab.Count(MeterZone::Red), 3);
  EXPECT_EQ(tab.Meter1().RedMax(), 66);
  EXPECT_EQ(tab.Meter1().YellowMax(), 66);
  EXPECT_EQ(tab.Meter1().GreenMax(), 66);
  ExpectMetersEqual(tab);
  const auto r = tab.Record();
  EXPECT_EQ(r.Reds, 3);
  EXPECT_EQ(r.Greens, 3);
}

TEST(StyleTab, CountsStopAtZeroAndAllZeroKeepsTheWidths) {
  TStyleTab tab;
  for (int i = 0; i < 5; ++i) tab.CountDown(MeterZone::Red);
  EXPECT_EQ(tab.Count(MeterZone::Red), 0);
  for (int i = 0; i < 5; ++i) tab.CountDown(MeterZone::Yellow);
  const auto greenOnly = tab.Meter1().GreenMax();
  EXPECT_EQ(greenOnly, 200);
  for (int i = 0; i < 6; ++i) tab.CountDown(MeterZone::Green);
  EXPECT_EQ(tab.Count(MeterZone::Green), 0);
  EXPECT_EQ(tab.Meter1().GreenMax(), greenOnly);  // nothing to divide by
  ExpectMetersEqual(tab);
}

TEST(StyleTab, SeparatorWidthStaysWithinZeroToNine) {
  TStyleTab tab;
  for (int i = 0; i < 15; ++i) tab.SepWidthUp();
  EXPECT_EQ(tab.SepWidthText(), "9");
  EXPECT_EQ(tab.Meter1().SepWidth(), 9);
  EXPECT_EQ(tab.Meter2().SepWidth(), 9);
  for (int i = 0; i < 15; ++i) tab.SepWidthDown();
  EXPECT_EQ(tab.SepWidthText(), "0");
  EXPECT_EQ(tab.Record().SepWidth, 0);
}

TEST(StyleTab, VolumeChoiceEnablesTheVolumeControlsAndDecidesTheRecord) {
  TStyleTab tab;
  tab.SetVolumeChoice(1);
  EXPECT_TRUE(tab.VolumeControlsEnabled());
  tab.LeftSliderChange(0);
  tab.RightSliderChange(65535);
  EXPECT_EQ(tab.Record().VolLeft, 0);
  EXPECT_EQ(tab.Record().VolRight, 65535);
  tab.SetVolumeChoice(-1);  // no item: the controls stay as they were
  EXPECT_TRUE(tab.VolumeControlsEnabled());
  EXPECT_EQ(tab.Record().VolLeft, 50);
  tab.SetVolumeChoice(0);
  EXPECT_FALSE(tab.VolumeControlsEnabled());
  EXPECT_EQ(tab.Record().VolRight, -1);
}

TEST(StyleTab, LockedSlidersKeepTheirDistanceAndThePreviewFollows) {
  TStyleTab tab;
  tab.SetVolumeChoice(1);
  tab.LeftSliderChange(30000);
  tab.RightSliderChange(40000);
  tab.SetLocked(true);
  EXPECT_TRUE(tab.Preview().lockbox);
  const auto p = tab.LeftSliderChange(31000);
  EXPECT_EQ(p.right, 41000);
  EXPECT_EQ(tab.RightSlider(), 41000);
  EXPECT_EQ(tab.Preview().leftSlider, 31000);
  EXPECT_EQ(tab.Preview().rightSlider, 41000);
  // At the right end the left slider is put back.
  tab.RightSliderChange(65535);
  const int32_t left = tab.LeftSlider();
  tab.LeftSliderChange(left + 100);
  EXPECT_EQ(tab.LeftSlider(), left);
}

TEST(StyleTab, CheckBox7TogglesRestore) {
  TStyleTab tab;
  EXPECT_TRUE(tab.Restore());
  tab.CheckBox7Click();
  EXPECT_FALSE(tab.Record().Restore);
  tab.CheckBox7Click();
  EXPECT_TRUE(tab.Record().Restore);
}

TEST(StyleTab, TestAnimationSweepsAndEndsAt200) {
  TStyleTab tab;
  std::vector<int32_t> positions;
  std::vector<int64_t> dues;
  int pumps = 0;
  tab.Meter1().OnInvalidate = [&] { positions.push_back(tab.Meter1().Position()); };
  tab.RunTest([&] { ++pumps; },
              [&](int64_t due) {
                EXPECT_TRUE(tab.TestRunning());
                dues.push_back(due);
                return true;
              });
  EXPECT_FALSE(tab.TestRunning());
  EXPECT_EQ(tab.Meter1().Position(), 200);
  EXPECT_EQ(tab.Meter2().Position(), 200);
  ASSERT_FALSE(positions.empty());
  EXPECT_EQ(positions.front(), 199);  // 200 is where it stands already
  // The half sweeps reach 50 at most.
  EXPECT_NE(std::find(positions.begin(), positions.end(), 150), positions.end());
  // Steps per sweep: 201, 151, 151, 101, 101, 101, 101, 201; pumps before each step
  // 1,1,1,1,2,2,3,3 and one after each.
  const int expected =
      201 * 2 + 151 * 2 + 151 * 2 + 101 * 2 + 101 * 3 + 101 * 3 + 101 * 4 + 201 * 4;
  EXPECT_EQ(pumps, expected);
  // One step every 5 ms: the first sweep (200 down to 0) takes a second, the whole
  // animation five and a half.
  ASSERT_EQ(dues.size(), 1108u);
  for (size_t k = 0; k < dues.size(); ++k) ASSERT_EQ(dues[k], int64_t(k) * 5) << k;
}

// A closing application ends the animation at the step it waits for.
TEST(StyleTab, TestAnimationEndsWhenTheWaitIsRefused) {
  TStyleTab tab;
  int steps = 0;
  tab.RunTest(nullptr, [&](int64_t due) { return ++steps, due <= 1000; });
  EXPECT_EQ(steps, 202);                  // the 201 steps of the first sweep, then the refused one
  EXPECT_EQ(tab.Meter1().Position(), 0);  // the first sweep ran to its end
  EXPECT_FALSE(tab.TestRunning());
}

TEST(StyleTab, SaveAndRestoreRoundTrip) {
  TStyleTab a;
  a.ColourChosen(MeterColour::Yellow, 0xABCDEF);
  a.CountUp(MeterZone::Yellow);
  a.SepWidthUp();
  a.SepWidthUp();
  a.SetBackground(0x202020);
  a.SetVolumeChoice(1);
  a.LeftSliderChange(1000);
  a.RightSliderChange(2000);
  a.SetShowJustOne(true);
  a.SetPriorityVisible(false);
  a.SetLooped(true);
  a.SetLocked(true);
  a.SetRestore(false);
  TMapSettingsStore store;
  a.SaveTo(store);
  EXPECT_EQ(store.Values().size(), 20u);
  EXPECT_EQ(store.ReadInteger("showjustone"), 1);
  TStyleTab b;
  b.RestoreFrom(store);
  EXPECT_EQ(Bytes(b), Bytes(a));
  EXPECT_EQ(b.SepWidthText(), "3");
  EXPECT_TRUE(b.ShowJustOne());
  EXPECT_TRUE(b.VolumeControlsEnabled());
  EXPECT_EQ(b.Meter1().YellowMax(), a.Meter1().YellowMax());
  ExpectMetersEqual(b);
  EXPECT_TRUE(b.Preview().loopedCB);
}

TEST(StyleTab, EmptyStoreKeepsTheStartValues) {
  TStyleTab tab;
  tab.RestoreFrom(TMapSettingsStore{});
  EXPECT_EQ(Bytes(tab), kDefaultRecordBytes);
}

TEST(StyleTab, RestoreStopsAtTheFirstMissingOrMistypedValue) {
  TMapSettingsStore store;
  store.WriteInteger("redno", 4);
  store.WriteInteger("yellowno", 4);
  store.WriteInteger("greenno", 2);
  store.WriteInteger("greencolor", 0x111111);  // after the missing "redcolor"
  TStyleTab tab;
  tab.RestoreFrom(store);
  EXPECT_EQ(tab.Count(MeterZone::Red), 4);
  EXPECT_EQ(tab.Count(MeterZone::Green), 2);
  EXPECT_EQ(tab.Meter1().GreenColor(), builder::kClLime);
  EXPECT_EQ(tab.Meter1().RedMax(), 80);  // the widths follow the restored counts
  ExpectMetersEqual(tab);

  TStyleTab full;
  full.SetLooped(true);
  full.SaveTo(store);
  store.WriteString("whichvol", "1");  // mistyped: a string where a number belongs
  TStyleTab partial;
  partial.RestoreFrom(store);
  EXPECT_EQ(partial.Background(), full.Background());
  EXPECT_EQ(partial.VolumeChoice(), 0);
  EXPECT_FALSE(partial.Looped());  // after the mistyped value: not restored
}

TEST(StyleTab, WhichVolIsClampedToTheItems) {
  TStyleTab a;
  TMapSettingsStore store;
  a.SaveTo(store);
  store.WriteInteger("whichvol", -7);
  TStyleTab b;
  b.RestoreFrom(store);
  EXPECT_EQ(b.VolumeChoice(), -1);
  EXPECT_EQ(b.Record().VolLeft, 50);
  store.WriteInteger("whichvol", 9);
  TStyleTab c;
  c.RestoreFrom(store);
  EXPECT_EQ(c.VolumeChoice(), 1);
  EXPECT_TRUE(c.VolumeControlsEnabled());
}

TEST(SettingsStore, BooleansAreNumbers) {
  TMapSettingsStore s;
  s.WriteBool("a", true);
  s.WriteInteger("b", 7);
  s.WriteString("c", "1");
  EXPECT_EQ(s.ReadInteger("a"), 1);
  EXPECT_EQ(s.ReadBool("b"), true);
  EXPECT_FALSE(s.ReadBool("c").has_value());
  EXPECT_FALSE(s.ReadString("a").has_value());
  EXPECT_EQ(s.ReadString("c"), "1");
}

}  // namespace
