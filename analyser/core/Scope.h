// The Scope display (a live spectrum graph of 256 rows, 512 x 256 pixels, two pixels per
// row), its grid of marks, the fixed-frequency marker lines and the cross-shaped pointer.
#pragma once
#include <cstdint>
#include <vector>

#include "analyser/core/IndexedImage.h"

namespace tessel {

constexpr int kScopeWidth = 512;
constexpr int kScopeHeight = 256;
constexpr int kScopeRows = 256;
constexpr uint8_t kIndexScopeSingle = 70, kIndexScopeLeft = 40, kIndexScopeRight = 180;
constexpr uint8_t kIndexMarker = 194;

struct ScopeOrigin {
  int x0 = 0, y0 = 0;  // lower-left corner of the plot
};
// x0 = max((W - 512) / 2, 4.5 average character widths); y0 = display height - 2 char heights.
ScopeOrigin ScopeOriginFor(int windowWidth, int displayHeight, int charWidth, int charHeight);

// Draws one graph into a window-sized image. rows[c] holds the averaged row values of
// channel c (rows[1] null for one channel). The noise floor is the mean of the lowest values
// of the last 12 frames; with 16-bit data a negative floor raises the curve.
class ScopePlot {
 public:
  void Reset();
  // displayType 1063 joins the points with lines, 1062 draws bars.
  void Draw(IndexedImage& image, ScopeOrigin o, const int* const rows[2], bool sixteenBit,
            uint32_t displayType);
  // How far the last graph was raised above its values (pixels).
  int Raise() const { return raise_; }

 private:
  int floor_[12] = {};
  int next_ = 0;
  int raise_ = 0;
};

// The read-outs of the Scope display. The row under a window x, or -1 off the plot.
int ScopeRowAt(int x, ScopeOrigin o);
// The level (dB) that a height above the base line stands for, on the scale of the Scroll
// display's level read-out (scheme CB at attenuation 0: level = quarter-decibels / 4 - 85),
// with the graph's raise taken off: above 0 shows 0, below -77 shows -90.
double ScopeLevelAt(int y, ScopeOrigin o, int raise);

// The grid marks for the band on the linear or log scale: x from x0 and the frequency.
struct ScopeMark {
  int offset;
  double frequencyHz;
};
std::vector<ScopeMark> ScopeGridMarks(double bandLowHz, double bandHighHz, bool logScale);
std::vector<int> ScopeGridOffsets(double bandLowHz, double bandHighHz, bool logScale);
// Marks (crosses of 11-pixel strokes, index 0) in four rows 80 pixels apart above y0.
void DrawScopeGrid(IndexedImage& image, ScopeOrigin o, double bandLowHz, double bandHighHz,
                   bool logScale);

// The row of a marker frequency, or -1 when it is off (0) or outside rows 1..255.
// Linear: round-half-up(N f / rate) - b0; log: round-half-up((log10 f - log10 low) / step).
int MarkerRow(double markerHz, bool logScale, int fftSize, double sampleRateHz, int b0,
              double bandLowHz, double decadesPerRow);
// Scroll display: a line across the window at y = display height - row (index 194).
void DrawMarkerLineScroll(IndexedImage& window, int row, int displayHeight);
// Scope display: a vertical line at x0 + 2 row, 256 pixels up from y0.
void DrawMarkerLineScope(IndexedImage& image, int row, ScopeOrigin o);

// The pointer: two 25-pixel lines crossing at (x, y).
void DrawPointer(IndexedImage& image, int x, int y, uint8_t index);

}  // namespace tessel
