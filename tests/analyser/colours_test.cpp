#include "analyser/core/Colours.h"

#include <gtest/gtest.h>

namespace {

using namespace tessel;

void ExpectColour(const Rgb& c, int r, int g, int b, const char* what) {
  EXPECT_EQ(c.red, r) << what;
  EXPECT_EQ(c.green, g) << what;
  EXPECT_EQ(c.blue, b) << what;
}

TEST(ColourTable, RampOfTheColourSchemes) {
  for (uint32_t scheme : {1039u, 1040u}) {
    const ColourTable& t = ColourTableFor(scheme);
    ExpectColour(t[72 + 0], 0, 0, 252, "blue start");
    ExpectColour(t[72 + 77], 0, 252, 252, "cyan: 0.0407999045921 * 77 is pi");
    ExpectColour(t[72 + 78], 4, 252, 252, "i - 7 = -7: 126 (1 - cos(-0.2618)) = 4.29");
    ExpectColour(t[72 + 156], 252, 252, 0, "yellow");
    ExpectColour(t[72 + 234], 252, 0, 0, "red");
    ExpectColour(t[72 + 235], 252, 0, 0, "red");
    for (int j = 1; j < 78; ++j) EXPECT_GE(t[72 + j].green, t[72 + j - 1].green) << j;
    for (int j = 79; j < 156; ++j) EXPECT_LE(t[72 + j].blue, t[72 + j - 1].blue) << j;
    for (int j = 157; j < 234; ++j) EXPECT_LE(t[72 + j].green, t[72 + j - 1].green) << j;
  }
  const ColourTable& cb = ColourTableFor(1039);
  ExpectColour(cb[0], 255, 255, 255, "CB pointer white");
  ExpectColour(cb[1], 0, 100, 255, "strip line");
  ExpectColour(cb[2], 255, 255, 200, "strip centre");
  ExpectColour(cb[3], 0, 0, 0, "CB background black");
  ExpectColour(cb[40], 0, 0, 0, "CB filler black");
  const ColourTable& cg = ColourTableFor(1040);
  ExpectColour(cg[0], 0, 0, 0, "CG pointer black");
  ExpectColour(cg[3], 150, 150, 170, "CG background");
  ExpectColour(cg[71], 150, 150, 170, "CG filler");
  const ColourTable& bw = ColourTableFor(1041);
  ExpectColour(bw[1], 80, 80, 80, "BW strip");
  ExpectColour(bw[3], 255, 255, 255, "BW background white");
  ExpectColour(bw[4], 236, 236, 236, "BW filler");
  ExpectColour(bw[72], 236, 236, 236, "BW quiet");
  ExpectColour(bw[307], 1, 1, 1, "BW loud is dark");
  const ColourTable& wb = ColourTableFor(1042);
  ExpectColour(wb[0], 255, 255, 255, "WB pointer");
  ExpectColour(wb[2], 200, 200, 200, "WB strip");
  ExpectColour(wb[72], 40, 40, 40, "WB quiet");
  ExpectColour(wb[72 + 215], 255, 255, 255, "WB saturates");
  ExpectColour(wb[307], 255, 255, 255, "WB loud is light");
}

TEST(AnalysisPalette, AttenuationSlidesTheRamp) {
  for (uint32_t scheme = 1039; scheme <= 1042; ++scheme) {
    const ColourTable& t = ColourTableFor(scheme);
    const Palette at0 = AnalysisPalette(t, PaletteOffset(0));
    const Palette at18 = AnalysisPalette(t, PaletteOffset(18));
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(at0[i], t[i]) << "fixed colours stay";
      EXPECT_EQ(at18[i], t[i]);
    }
    for (int i = 4; i < kPaletteSize; ++i) {
      EXPECT_EQ(at0[i], t[72 + i]) << "attenuation 0: index " << i << " shows ramp " << i;
      EXPECT_EQ(at18[i], t[i]) << "attenuation 18: index " << i;
      EXPECT_EQ(at0[i].flag, kNoCollapse);
    }
    EXPECT_EQ(at18[72], t[72]) << "index 72 shows ramp colour 0";
    EXPECT_EQ(at18[71], t[4]) << "below it the filler";
    EXPECT_EQ(AnalysisPalette(t, PaletteOffset(5))[30], t[30 + 52]);
  }
  const Palette legend = LegendPalette();
  ExpectColour(legend[0], 0, 0, 0, "legend 0 black");
  ExpectColour(legend[3], 255, 255, 255, "legend 3 white");
  EXPECT_EQ(legend[100], ColourTableFor(1039)[172]);
}

TEST(AnalysisPalette, LevelToIndex) {
  EXPECT_EQ(LevelToIndex(-32767), 3);
  EXPECT_EQ(LevelToIndex(103), 3);
  EXPECT_EQ(LevelToIndex(104), 4);
  EXPECT_EQ(LevelToIndex(334), 234);
  EXPECT_EQ(LevelToIndex(335), 235);
  EXPECT_EQ(LevelToIndex(32767), 235);
}

TEST(LevelReadout, ReadBackFromTheScreenColour) {
  const ColourTable& cb = ColourTableFor(1039);
  // Palette index 200 at attenuation 0 shows table entry 272: (272 * 0.25 - 78) dB.
  const Palette at0 = AnalysisPalette(cb, PaletteOffset(0));
  EXPECT_DOUBLE_EQ(LevelOfColour(cb, at0[200]), -10);
  // The same pixel at attenuation 10 shows entry 232: 10 dB lower.
  const Palette at10 = AnalysisPalette(cb, PaletteOffset(10));
  EXPECT_DOUBLE_EQ(LevelOfColour(cb, at10[200]), -20);
  // The background (black, entry 3) and the white pointer read as -90.
  EXPECT_DOUBLE_EQ(LevelOfColour(cb, cb[3]), -90);
  EXPECT_DOUBLE_EQ(LevelOfColour(cb, cb[0]), -90);
  // The top of the ramp repeats one red: the search settles on its first entry.
  const Rgb red{252, 0, 0, 0};
  int first = 0;
  while (!(cb[first] == red)) ++first;
  EXPECT_LT(first, 72 + 234);
  EXPECT_EQ(NearestTableEntry(cb, red), first);
  // A colour that is not in the table takes the nearest entry.
  EXPECT_EQ(NearestTableEntry(cb, Rgb{251, 0, 1, 0}), first);
  const ColourTable& bw = ColourTableFor(1041);
  EXPECT_DOUBLE_EQ(LevelOfColour(bw, Rgb{100, 100, 100, 0}), (72 + 136) * 0.25 - 78);
  EXPECT_DOUBLE_EQ(LevelOfColour(bw, Rgb{100, 101, 99, 0}), (72 + 136) * 0.25 - 78);
}

}  // namespace
