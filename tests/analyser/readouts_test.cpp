#include "analyser/core/Readouts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace tessel;

TEST(Readouts, FrequencyUncertainty) {
  EXPECT_EQ(FrequencyText(1000, 44100.0 / 512), "1000 +/- 43");
  EXPECT_EQ(FrequencyText(1000, 44100.0 / 16384), "1000 +/- 1.3");
  EXPECT_EQ(FrequencyText(50, 5513.0 / 512), "50   +/- 5.4");
  EXPECT_EQ(FrequencyText(29999, 10), "29999 +/- 5.0");
  EXPECT_EQ(FrequencyText(30000, 10), "");
}

TEST(Readouts, PanelValuesOfAScanOrAnAnalysis) {
  PanelData d;
  for (const std::string& v : PanelValues(d)) EXPECT_EQ(v, "") << "no data, no values";
  d.present = true;
  d.bandLowHz = 0;
  d.bandHighHz = 5512;
  d.channels = 2;
  d.channelView = 1090;
  d.sampleRateHz = 11025;
  d.dataBytes = 1999;
  const auto v = PanelValues(d);
  EXPECT_EQ(v[0], BandText(0, 5512));
  EXPECT_EQ(v[1], ChannelsText(2, 1090));
  EXPECT_EQ(v[2], SampleRateText(11025));
  EXPECT_EQ(v[3], "1   ");
  d.dataBytes = uint64_t(1) << 40;  // a long input scan: held at the largest length
  EXPECT_EQ(PanelValues(d)[3], SampleLengthText(UINT32_MAX));
}

TEST(Readouts, InformationPanel) {
  EXPECT_EQ(SampleLengthText(999), "0   ");
  EXPECT_EQ(SampleLengthText(123456), "123 ");
  EXPECT_EQ(SampleRateText(44100), "44100");
  EXPECT_EQ(BandText(0, 11025), "0 to 11025");
  for (uint32_t view : {1089u, 1090u, 1091u}) EXPECT_EQ(ChannelsText(1, view), "Monaural");
  EXPECT_EQ(ChannelsText(2, 1089), "Stereo");
  EXPECT_EQ(ChannelsText(2, 1090), "Stereo (Left)");
  EXPECT_EQ(ChannelsText(2, 1091), "Stereo (Right)");
}

TEST(Readouts, FrequencyUnderThePointer) {
  const double bw = 44100.0 / 1024;  // 43.07
  EXPECT_EQ(FrequencyAtRow(0, 0, 11025, bw, false, 0), 0 + 0 + 22);
  EXPECT_EQ(FrequencyAtRow(10, 1000, 12025, bw, false, 0), 1000 + 431 + 22);
  EXPECT_EQ(FrequencyAtRow(300, 0, 11025, bw, false, 0), 11025) << "clamped to the band";
  EXPECT_NEAR(FrequencyAtRow(128, 100, 10000, 0, true, 2.0 / 256), 1000, 1e-9);
}

TEST(Readouts, TimeAndLevel) {
  EXPECT_EQ(TimeAtColumn(1000, 10, 5, 10), 1150);
  EXPECT_EQ(TimeAtColumn(0, 0, 3, 1.5), 5);  // 4.5 goes up
  EXPECT_EQ(TimeText(1150, 10), "1150 +/- 5 ");
  EXPECT_EQ(TimeText(5, 1.5), "5    +/- 1 ");
  EXPECT_EQ(LevelText(-12.4), "-12 ");
  EXPECT_EQ(PointLevel(-3.7), -4);
  EXPECT_EQ(PointLevel(3.7), 3);
  EXPECT_EQ(PointLevel(-3.2), -3);
  EXPECT_EQ(DeltaTimeMs(50, 20, 2.5), 75);
  EXPECT_EQ(DeltaFrequencyLinear(100, 90, 10), 100);
}

TEST(Ticks, TimeSpacingFollowsTheTimeScale) {
  EXPECT_EQ(TimeTickSpacingFor(1).spacingMs, 100);
  EXPECT_EQ(TimeTickSpacingFor(2).spacingMs, 200);
  EXPECT_EQ(TimeTickSpacingFor(3).spacingMs, 200);
  EXPECT_EQ(TimeTickSpacingFor(5).spacingMs, 500);
  EXPECT_TRUE(TimeTickSpacingFor(5).tenths);
  EXPECT_EQ(TimeTickSpacingFor(8).spacingMs, 1000);
  EXPECT_FALSE(TimeTickSpacingFor(8).tenths);
  EXPECT_EQ(TimeTickSpacingFor(20).spacingMs, 2000);
  std::vector<Tick> t = TimeTicks(10, 0, 0, 250);
  ASSERT_EQ(t.size(), 3u);  // every 100 columns
  EXPECT_EQ(t[1].position, 100);
  EXPECT_EQ(t[1].label, "1   sec");
  t = TimeTicks(2, 0, 250, 100);  // every 100 columns of 2 ms, from column 250
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].position, 50);
  EXPECT_EQ(t[0].label, "0.6 sec");
}

TEST(Ticks, FrequencyLinearAndLog) {
  // 44100 Hz, 1024 points, 512 rows: k = 4, steps of 4 kHz every 92.9 rows.
  std::vector<Tick> t = FrequencyTicks(512, 44100, 1024, 0, 22050, false, 0);
  ASSERT_EQ(t.size(), 6u);
  EXPECT_EQ(t[0].position, 512);
  EXPECT_EQ(t[0].label, "0  kHz");
  EXPECT_EQ(t[1].label, "4  kHz");
  EXPECT_EQ(t[5].label, "20 kHz");
  // Every kHz tick carries its own value, also where the computed frequency falls a
  // hair below it (22050 Hz, 512 points: 6 kHz at 5999.99 Hz).
  for (uint32_t rate : {11025u, 22050u, 44100u}) {
    t = FrequencyTicks(256, rate, 512, 0, int(rate / 2), false, 0);
    const unsigned step = std::max(1u, rate / 11025);
    for (size_t i = 0; i < t.size(); ++i)
      EXPECT_EQ(t[i].label, Format("%-2u kHz", unsigned(i * step))) << rate << " tick " << i;
  }
  // 16384 points: 256 rows span 689 Hz, fewer than 3 ticks: Hz labels.
  t = FrequencyTicks(256, 44100, 16384, 0, 689, false, 0);
  ASSERT_GE(t.size(), 3u);
  ASSERT_LE(t.size(), 5u);
  EXPECT_NE(t[1].label.find("Hz"), std::string::npos);
  EXPECT_EQ(t[1].label.find("kHz"), std::string::npos);
  // Log: 100 Hz at the bottom, 10000 Hz at the top.
  t = FrequencyTicks(256, 44100, 4096, 100, 10000, true, 0);
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t.front().label, "100 Hz");
  EXPECT_EQ(t.front().position, 256);
  EXPECT_EQ(t.back().label, "10000 Hz");
  EXPECT_EQ(t.back().position, 0);
}

TEST(Ticks, ScopeUnit) {
  EXPECT_STREQ(ScopeAxisUnit(5).label, "Hz");
  EXPECT_STREQ(ScopeAxisUnit(99).label, "Hz/10");
  EXPECT_STREQ(ScopeAxisUnit(999).label, "Hz/100");
  EXPECT_STREQ(ScopeAxisUnit(9999).label, "Hz/1000");
  EXPECT_EQ(ScopeAxisUnit(22050).divisor, 10000);
}

}  // namespace
