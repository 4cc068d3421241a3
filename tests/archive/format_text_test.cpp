#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "archive/DecimalText.h"
#include "archive/FormatText.h"

namespace {

using archive::FormatText;

TEST(FormatText, MessageTextsOfTheComponent) {
  EXPECT_EQ(FormatText("Adding %s (%.0n)", {"song.mp3", 3456789}), "Adding song.mp3 (3,456,789)");
  EXPECT_EQ(FormatText("Insert new disk for segment #%d in drive %s", {2, "A:"}),
            "Insert new disk for segment #2 in drive A:");
  EXPECT_EQ(FormatText("Bad signature: file \"%s\" is not a valid archive", {"x.dat"}),
            "Bad signature: file \"x.dat\" is not a valid archive");
  EXPECT_EQ(FormatText("%s~Archiv-%x.tmp", {"C:\\TEMP\\", 0xEA4AF2}),
            "C:\\TEMP\\~Archiv-EA4AF2.tmp");
  EXPECT_EQ(FormatText("%.0n bytes  %s", {149504LL, "12.02.1998 10:00"}),
            "149,504 bytes  12.02.1998 10:00");
}

TEST(FormatText, NumbersWithSeparatorsAndDecimals) {
  EXPECT_EQ(FormatText("%.0n", {0}), "0");
  EXPECT_EQ(FormatText("%.0n", {999}), "999");
  EXPECT_EQ(FormatText("%.0n", {1000}), "1,000");
  EXPECT_EQ(FormatText("%.0n", {-1234567}), "-1,234,567");
  EXPECT_EQ(FormatText("%.0n", {9223372036854775807LL}), "9,223,372,036,854,775,807");
  EXPECT_EQ(FormatText("%.0n", {LLONG_MIN}), "-9,223,372,036,854,775,808");
  EXPECT_EQ(FormatText("%.0n", {18446744073709551615ULL}), "18,446,744,073,709,551,615");
  EXPECT_EQ(FormatText("%.2n", {1234567.891}), "1,234,567.89");
  EXPECT_EQ(FormatText("%n", {1234.5}), "1,234.50");  // two decimals by default
  EXPECT_EQ(FormatText("%.0n", {2.5e9}), "2,500,000,000");
  EXPECT_EQ(FormatText("%.1n", {42}), "42.0");
  EXPECT_EQ(FormatText("%.2n", {-0.001}), "0.00");
  EXPECT_EQ(FormatText("%.2n", {1234567.891}, '.', ','), "1.234.567,89");
  EXPECT_EQ(FormatText("%.0n", {1234567}, ' '), "1 234 567");
  EXPECT_EQ(FormatText("%.0n", {1234567}, 0), "1234567");
  EXPECT_EQ(FormatText("%.3f", {3.14159}), "3.142");
  EXPECT_EQ(FormatText("%f", {1234.5}, ',', ','), "1234,50");
  EXPECT_EQ(FormatText("%.0n", {std::numeric_limits<double>::infinity()}), "INF");
  EXPECT_EQ(FormatText("%.0n", {std::numeric_limits<double>::quiet_NaN()}), "NAN");
}

TEST(FormatText, IntegersAndHex) {
  EXPECT_EQ(FormatText("%d", {-42}), "-42");
  EXPECT_EQ(FormatText("%d", {INT_MIN}), "-2147483648");
  EXPECT_EQ(FormatText("%d", {4000000000u}), "4000000000");
  EXPECT_EQ(FormatText("%.3d", {7}), "007");
  EXPECT_EQ(FormatText("%.3d", {-7}), "-007");
  EXPECT_EQ(FormatText("%.3d", {1000}), "1000");
  EXPECT_EQ(FormatText("%x", {255}), "FF");
  EXPECT_EQ(FormatText("%X", {255}), "FF");
  EXPECT_EQ(FormatText("%.8x", {0xBEEF}), "0000BEEF");
  EXPECT_EQ(FormatText("%x", {-1}), "FFFFFFFF");  // 32-bit argument
  EXPECT_EQ(FormatText("%x", {-1LL}), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(FormatText("%u", {-1}), "4294967295");
  EXPECT_EQ(FormatText("%s", {12}), "12");
}

TEST(FormatText, WidthAlignmentAndIndex) {
  EXPECT_EQ(FormatText("[%5d]", {42}), "[   42]");
  EXPECT_EQ(FormatText("[%-5d]", {42}), "[42   ]");
  EXPECT_EQ(FormatText("[%*d]", {4, 7}), "[   7]");
  EXPECT_EQ(FormatText("[%.*s]", {3, "abcdef"}), "[abc]");
  EXPECT_EQ(FormatText("[%.2s]", {"\xC3\xA9\xC3\xA8\xC3\xA0"}), "[\xC3\xA9\xC3\xA8]");  // no cut
  EXPECT_EQ(FormatText("[%4s]", {"\xC3\xA9"}), "[   \xC3\xA9]");  // width in characters
  EXPECT_EQ(FormatText("%1:s %0:s %s", {"a", "b"}), "b a b");
  EXPECT_EQ(FormatText("%0:s%0:s", {"x"}), "xx");
}

TEST(FormatText, LiteralAndMalformedPercent) {
  EXPECT_EQ(FormatText("100%%", {}), "100%");
  EXPECT_EQ(FormatText("100%", {}), "100%");
  EXPECT_EQ(FormatText("50% done", {}), "50% done");
  EXPECT_EQ(FormatText("%q%s", {"x"}), "%qx");
  EXPECT_EQ(FormatText("%-", {}), "%-");
  EXPECT_EQ(FormatText("%.", {1}), "%.");
  EXPECT_EQ(FormatText("%99999999999d", {1}), "%99999999999d");
  EXPECT_EQ(FormatText("", {1}), "");
  EXPECT_EQ(FormatText("no specifiers", {1, "x"}), "no specifiers");
}

TEST(FormatText, MissingOrUnfitArgumentsKeepTheSpecifier) {
  EXPECT_EQ(FormatText("Extracting %s (%d)", {"a.txt"}), "Extracting a.txt (%d)");
  EXPECT_EQ(FormatText("Extracting %s (%d)", {}), "Extracting %s (%d)");
  EXPECT_EQ(FormatText("%d", {"text"}), "%d");
  EXPECT_EQ(FormatText("%x", {1.5}), "%x");
  EXPECT_EQ(FormatText("%.0n", {"text"}), "%.0n");
  EXPECT_EQ(FormatText("%*d", {"w", 1}), "%*d");
  EXPECT_EQ(FormatText("%5:s", {"a"}), "%5:s");
}

TEST(FormatText, StdStringAndNullPointerArguments) {
  const std::string name = "kelvaro.dll";
  const char* none = nullptr;
  EXPECT_EQ(FormatText("%s|%s", {name, none}), "kelvaro.dll|");
}

}  // namespace

// The exact decimal text agrees with the C library's "%.*f" (ties to even, exact binary
// values) over ordinary sizes, halves, tiny and huge values.
TEST(FixedDecimalText, AgreesWithPrintfEverywhere) {
  std::vector<double> values = {0.0,         -0.0,
                                0.5,         1.5,
                                2.5,         0.125,
                                0.375,       1e-300,
                                5e-324,      1.7976931348623157e308,
                                123456789.0, 2147483648.0,
                                0.1,         0.7,
                                1e15,        9007199254740993.0};
  uint64_t x = 88172645463325252ull;
  for (int i = 0; i < 3000; ++i) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    double v;
    std::memcpy(&v, &x, sizeof v);
    if (std::isfinite(v)) values.push_back(v);
    values.push_back(double(x % 100000000) / 1024.0 - 50000.0);
  }
  for (double v : values)
    for (int decimals : {0, 1, 2, 3, 7, 18}) {
      char expected[1200];
      std::snprintf(expected, sizeof expected, "%.*f", decimals, v);
      ASSERT_EQ(archive::FixedDecimalText(v, decimals), expected) << v << " " << decimals;
    }
}
