#include "archive/Extended.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/DayCount.h"

namespace {

using archive::DoubleToExtended;
using archive::ExtendedToDouble;
using archive::kExtendedSize;

std::vector<uint8_t> Bytes(double v) {
  std::vector<uint8_t> b(kExtendedSize);
  DoubleToExtended(v, b.data());
  return b;
}

TEST(Extended, KnownEncodings) {
  // 1.0: mantissa with only the integer bit, exponent = bias.
  EXPECT_EQ(Bytes(1.0), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
  EXPECT_EQ(Bytes(-2.0), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}));
  EXPECT_EQ(Bytes(0.0), std::vector<uint8_t>(10, 0));
  // 149504 = 0x24800 = 1.0010010... x 2^17
  EXPECT_EQ(Bytes(149504.0), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0x92, 0x10, 0x40}));
}

TEST(Extended, RoundTripsDoublesExactly) {
  const double values[] = {0.0,
                           -0.0,
                           1.0,
                           -1.0,
                           0.5,
                           68843.0,
                           149504.0,
                           1e300,
                           -1e-300,
                           35838.4270833333,
                           -657434.25,
                           2958465.9999,
                           std::numeric_limits<double>::min(),
                           std::numeric_limits<double>::denorm_min(),
                           5e-320,
                           std::numeric_limits<double>::max()};
  for (double v : values) {
    uint8_t b[kExtendedSize];
    DoubleToExtended(v, b);
    const double back = ExtendedToDouble(b);
    EXPECT_EQ(back, v) << v;
    EXPECT_EQ(std::signbit(back), std::signbit(v)) << v;
  }
}

TEST(Extended, DenormalDoubleIsNormalisedInExtended) {
  uint8_t b[kExtendedSize];
  DoubleToExtended(std::numeric_limits<double>::denorm_min(), b);  // 2^-1074
  EXPECT_EQ(b[7], 0x80);                                           // explicit integer bit set
  EXPECT_EQ(b[8] | b[9] << 8, 16383 - 1074);
}

TEST(Extended, SpecialAndOutOfRangeInputsAreSafe) {
  uint8_t b[kExtendedSize];
  DoubleToExtended(std::numeric_limits<double>::infinity(), b);
  EXPECT_TRUE(std::isinf(ExtendedToDouble(b)));
  DoubleToExtended(std::numeric_limits<double>::quiet_NaN(), b);
  EXPECT_TRUE(std::isnan(ExtendedToDouble(b)));
  EXPECT_EQ(archive::ExtendedToFiniteDouble(b), 0.0);

  // Exponent far beyond the double range: infinity, read as 0 by the finite form.
  const uint8_t huge[kExtendedSize] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F};
  EXPECT_TRUE(std::isinf(ExtendedToDouble(huge)));
  EXPECT_EQ(archive::ExtendedToFiniteDouble(huge), 0.0);
  // Extended denormal: far below the double range.
  const uint8_t tiny[kExtendedSize] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(ExtendedToDouble(tiny), 0.0);
  // Unnormal (integer bit clear, exponent set): taken as its value.
  const uint8_t unnormal[kExtendedSize] = {0, 0, 0, 0, 0, 0, 0, 0x40, 0xFF, 0x3F};
  EXPECT_EQ(ExtendedToDouble(unnormal), 0.5);
  // Pseudo-infinity with a payload is a NaN.
  const uint8_t nan[kExtendedSize] = {1, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF};
  EXPECT_TRUE(std::isnan(ExtendedToDouble(nan)));
}

TEST(DayCount, EpochAndKnownDates) {
  platform::CivilTime t;
  EXPECT_EQ(platform::EncodeDayCount(t), 0.0);  // 30 December 1899
  t.year = 1998;
  t.month = 2;
  t.day = 12;
  EXPECT_EQ(platform::EncodeDayCount(t), 35838.0);
  t.hour = 10;
  t.minute = 15;
  EXPECT_NEAR(platform::EncodeDayCount(t), 35838.0 + (10 * 60 + 15) / 1440.0, 1e-9);
  t = platform::CivilTime();
  t.year = 2000;
  t.month = 3;
  t.day = 1;  // after a leap day of a century leap year
  EXPECT_EQ(platform::EncodeDayCount(t), 36586.0);
}

TEST(DayCount, DecodesTheDecoderArchiveDate) {
  platform::CivilTime t;
  ASSERT_TRUE(platform::DecodeDayCount(35838.4270833333, t));
  EXPECT_EQ(t.year, 1998);
  EXPECT_EQ(t.month, 2);
  EXPECT_EQ(t.day, 12);
  EXPECT_EQ(t.hour, 10);
  EXPECT_EQ(t.minute, 15);
  EXPECT_EQ(t.second, 0);
}

TEST(DayCount, RoundTripsToTheMillisecond) {
  platform::CivilTime t;
  t.year = 2024;
  t.month = 2;
  t.day = 29;
  t.hour = 23;
  t.minute = 59;
  t.second = 59;
  t.millisecond = 999;
  platform::CivilTime back;
  ASSERT_TRUE(platform::DecodeDayCount(platform::EncodeDayCount(t), back));
  EXPECT_EQ(back.year, 2024);
  EXPECT_EQ(back.month, 2);
  EXPECT_EQ(back.day, 29);
  EXPECT_EQ(back.hour, 23);
  EXPECT_EQ(back.minute, 59);
  EXPECT_EQ(back.second, 59);
  EXPECT_EQ(back.millisecond, 999);
}

TEST(DayCount, BeforeTheEpochTheFractionCountsForward) {
  platform::CivilTime t;
  ASSERT_TRUE(platform::DecodeDayCount(-1.25, t));
  EXPECT_EQ(t.day, 29);
  EXPECT_EQ(t.hour, 6);
  EXPECT_DOUBLE_EQ(platform::EncodeDayCount(t), -1.25);
}

TEST(DayCount, RejectsValuesOutsideTheCalendar) {
  platform::CivilTime t;
  EXPECT_FALSE(platform::DecodeDayCount(std::nan(""), t));
  EXPECT_FALSE(platform::DecodeDayCount(1e300, t));
  EXPECT_FALSE(platform::DecodeDayCount(-1e9, t));
}

}  // namespace
