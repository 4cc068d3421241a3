// The analyser's colours. Each of the four schemes is a table of 308 entries:
//   0 pointer and marks, 1 strip line, 2 strip centre, 3 background, 4..71 filler,
//   72..307 a ramp of 236 colours from quiet to loud.
// The 236-entry analysis palette shows table[o .. o+235], o = 4 * (18 - attenuationStep),
// with its entries 0..3 always the four fixed colours; so palette index i shows ramp colour
// i - 4 * attenuationStep, and the filler below that. Pixels hold palette indices, so a new
// scheme or attenuation recolours the image without touching a pixel.
#pragma once
#include <array>
#include <cstdint>

namespace tessel {

struct Rgb {
  uint8_t red = 0, green = 0, blue = 0, flag = 0;
  friend bool operator==(const Rgb& a, const Rgb& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
  }
};

constexpr int kColourTableSize = 308;
constexpr int kPaletteSize = 236;
constexpr int kRampStart = 72;
constexpr int kScopePaletteOffset = 72;  // scheme CB at attenuation 0
constexpr uint8_t kNoCollapse = 0x04;    // palette entry flag: keep the entry apart

// Palette indices of the fixed colours.
enum : uint8_t {
  kIndexPointer = 0,
  kIndexStripLine = 1,
  kIndexStripCentre = 2,
  kIndexBackground = 3
};

using ColourTable = std::array<Rgb, kColourTableSize>;
using Palette = std::array<Rgb, kPaletteSize>;

// The table of paletteChoice 1039 (CB), 1040 (CG), 1041 (BW), 1042 (WB); others give CB.
const ColourTable& ColourTableFor(uint32_t paletteChoice);

inline int PaletteOffset(int attenuationStep) { return 4 * (18 - attenuationStep); }
// The analysis palette loaded from the table at offset (0..72); entries flagged no-collapse.
Palette AnalysisPalette(const ColourTable& table, int offset);
// The print legend's palette: the bare CB ramp, with black, (0,100,255), (255,255,200), white.
Palette LegendPalette();

// Palette index of an averaged level (quarter-decibels): clamp(v - 100, 3, 235).
inline uint8_t LevelToIndex(int level) {
  return static_cast<uint8_t>(level < 103 ? 3 : level > 335 ? 235 : level - 100);
}

// The level read-out (dB) of a screen colour: the table entry that matches it (or the nearest
// one in RGB, earliest on ties) gives index * 0.25 - 78; above 0 shows 0, below -77 shows -90.
double LevelOfColour(const ColourTable& table, Rgb colour);
// Index of the entry LevelOfColour settles on.
int NearestTableEntry(const ColourTable& table, Rgb colour);

}  // namespace tessel
