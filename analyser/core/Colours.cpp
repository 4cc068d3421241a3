#include "analyser/core/Colours.h"

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {

constexpr double kStepA = 0.0407999045921;  // close to pi / 77
constexpr double kStepB = 0.0373999125427;

Rgb Colour(double r, double g, double b) {
  return Rgb{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), 0};
}

Rgb RampColour(int j) {
  if (j < 78) return Colour(0, 126 * (1 - std::cos(kStepA * j)), 252);
  if (j < 156) {
    int i = j - 78;
    return Colour(126 * (1 - std::cos(kStepB * (i - 7))), 252, 126 * (1 + std::cos(kStepA * i)));
  }
  if (j < 234) return Colour(252, 126 * (1 + std::cos(kStepA * (j - 156))), 0);
  return Colour(252, 0, 0);
}

Rgb Grey(int level) { return Colour(level, level, level); }

ColourTable BuildTable(uint32_t choice) {
  ColourTable t{};
  const Rgb white = Grey(255), black = Grey(0);
  const Rgb blueLine = Colour(0, 100, 255), paleCentre = Colour(255, 255, 200);
  Rgb fixed[4];
  Rgb filler;
  switch (choice) {
    case 1040:  // CG
      fixed[0] = black, fixed[1] = blueLine, fixed[2] = paleCentre,
      fixed[3] = Colour(150, 150, 170);
      filler = fixed[3];
      break;
    case 1041:  // BW
      fixed[0] = black, fixed[1] = Grey(80), fixed[2] = Grey(80), fixed[3] = white;
      filler = Grey(236);
      break;
    case 1042:  // WB
      fixed[0] = white, fixed[1] = Grey(200), fixed[2] = Grey(200), fixed[3] = black;
      filler = black;
      break;
    default:  // CB
      fixed[0] = white, fixed[1] = blueLine, fixed[2] = paleCentre, fixed[3] = black;
      filler = black;
      break;
  }
  for (int i = 0; i < 4; ++i) t[i] = fixed[i];
  for (int i = 4; i < kRampStart; ++i) t[i] = filler;
  for (int j = 0; j < kPaletteSize; ++j) {
    Rgb& e = t[kRampStart + j];
    if (choice == 1041)
      e = Grey(236 - j);
    else if (choice == 1042)
      e = Grey(std::min(40 + j, 255));
    else
      e = RampColour(j);
  }
  return t;
}

}  // namespace

const ColourTable& ColourTableFor(uint32_t paletteChoice) {
  static const ColourTable tables[4] = {BuildTable(1039), BuildTable(1040), BuildTable(1041),
                                        BuildTable(1042)};
  if (paletteChoice >= 1039 && paletteChoice <= 1042) return tables[paletteChoice - 1039];
  return tables[0];
}

Palette AnalysisPalette(const ColourTable& table, int offset) {
  offset = std::clamp(offset, 0, kColourTableSize - kPaletteSize);
  Palette p{};
  for (int i = 0; i < kPaletteSize; ++i) p[i] = table[offset + i];
  for (int i = 0; i < 4; ++i) p[i] = table[i];
  for (Rgb& e : p) e.flag = kNoCollapse;
  return p;
}

Palette LegendPalette() {
  Palette p = AnalysisPalette(ColourTableFor(1039), kRampStart);
  p[0] = Rgb{0, 0, 0, kNoCollapse};
  p[1] = Rgb{0, 100, 255, kNoCollapse};
  p[2] = Rgb{255, 255, 200, kNoCollapse};
  p[3] = Rgb{255, 255, 255, kNoCollapse};
  return p;
}

int NearestTableEntry(const ColourTable& table, Rgb c) {
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < kColourTableSize; ++i) {
    long dr = table[i].red - c.red, dg = table[i].green - c.green, db = table[i].blue - c.blue;
    long d = dr * dr + dg * dg + db * db;  // squared: same order as the Euclidean distance
    if (d == 0) return i;
    if (bestDistance < 0 || d < bestDistance) best = i, bestDistance = d;
  }
  return best;
}

double LevelOfColour(const ColourTable& table, Rgb colour) {
  double level = NearestTableEntry(table, colour) * 0.25 - 78;
  if (level > 0) return 0;
  if (level < -77) return -90;
  return level;
}

}  // namespace tessel
