#include "analyser/core/Scope.h"

#include <algorithm>
#include <cmath>

#include "analyser/core/Colours.h"

namespace tessel {

ScopeOrigin ScopeOriginFor(int windowWidth, int displayHeight, int charWidth, int charHeight) {
  ScopeOrigin o;
  o.x0 = std::max((windowWidth - kScopeWidth) / 2, static_cast<int>(4.5 * charWidth));
  o.y0 = displayHeight - 2 * charHeight;
  return o;
}

void ScopePlot::Reset() {
  std::fill(std::begin(floor_), std::end(floor_), 0);
  next_ = 0;
  raise_ = 0;
}

int ScopeRowAt(int x, ScopeOrigin o) {
  if (x < o.x0 || x >= o.x0 + kScopeWidth) return -1;
  return (x - o.x0) / 2;
}

double ScopeLevelAt(int y, ScopeOrigin o, int raise) {
  // The graph draws (60 / 90) of a row value in quarter-decibels per pixel.
  const double quarterDb = (o.y0 - y - raise) * (90.0 / 60.0);
  const double level = quarterDb / 4 - 85;
  if (level > 0) return 0;
  if (level < -77) return -90;
  return level;
}

void ScopePlot::Draw(IndexedImage& image, ScopeOrigin o, const int* const rows[2], bool sixteenBit,
                     uint32_t displayType) {
  const int channels = rows[1] ? 2 : 1;
  int values[2][kScopeRows];
  int lowest = 0;
  for (int c = 0; c < channels; ++c)
    for (int r = 0; r < kScopeRows; ++r) {
      values[c][r] = static_cast<int>((60.0 / 90.0) * rows[c][r]);
      lowest = (c == 0 && r == 0) ? values[c][r] : std::min(lowest, values[c][r]);
    }
  floor_[next_] = lowest;
  next_ = (next_ + 1) % 12;
  double sum = 0;
  for (int v : floor_) sum += v;
  const int noiseFloor = static_cast<int>(sum * (1.0 / 12));
  const int raise = sixteenBit && noiseFloor < 0 ? -noiseFloor : 0;
  raise_ = raise;

  for (int c = 0; c < channels; ++c) {
    const uint8_t index = channels == 1 ? kIndexScopeSingle
                          : c == 0      ? kIndexScopeLeft
                                        : kIndexScopeRight;
    const int shift = c == 1 ? 1 : 0;
    int px = 0, py = 0;
    for (int r = 0; r < kScopeRows; ++r) {
      const int value = std::max(0, values[c][r] + raise);
      const int x = o.x0 + 2 * r + shift, y = o.y0 - value;
      if (displayType == 1062) {
        image.Line(x, o.y0, x, y, index);
      } else if (r > 0) {
        image.Line(px, py, x, y, index);
      }
      px = x, py = y;
    }
  }
}

std::vector<ScopeMark> ScopeGridMarks(double low, double high, bool logScale) {
  std::vector<ScopeMark> out;
  if (!(high > low)) return out;
  if (logScale) {
    if (!(low > 0)) return out;
    const double perPixel = (std::log10(high) - std::log10(low)) / kScopeWidth;
    static const int kSteps[] = {10, 16, 25, 40, 63};
    for (double decade = 1; decade <= 10000; decade *= 10)
      for (int step : kSteps) {
        double x = (std::log10(step * decade) - std::log10(low)) / perPixel;
        if (x >= 0 && x < kScopeWidth) out.push_back({static_cast<int>(x), step * decade});
      }
    return out;
  }
  const double span = (high - low) / 12000;
  const double m = span <= 0.1 ? 100 : span < 0.5 ? 10 : 1;
  const double every = std::max(1.0, std::trunc(m * span)) * (1000 / m);
  for (double f = std::floor(low / (1000 / m)) * (1000 / m); f <= high; f += every) {
    double x = (f - low) * kScopeWidth / (high - low);
    if (x >= 0) out.push_back({static_cast<int>(x), f});
  }
  return out;
}

std::vector<int> ScopeGridOffsets(double low, double high, bool logScale) {
  std::vector<int> out;
  for (const ScopeMark& m : ScopeGridMarks(low, high, logScale)) out.push_back(m.offset);
  return out;
}

void DrawScopeGrid(IndexedImage& image, ScopeOrigin o, double low, double high, bool logScale) {
  for (int dx : ScopeGridOffsets(low, high, logScale))
    for (int row = 0; row < 4; ++row) image.Cross(o.x0 + dx, o.y0 - 80 * row, 5, kIndexPointer);
}

int MarkerRow(double f, bool logScale, int fftSize, double rate, int b0, double low, double step) {
  if (!(f > 0)) return -1;
  double row;
  if (logScale) {
    if (!(low > 0) || !(step > 0)) return -1;
    row = std::floor((std::log10(f) - std::log10(low)) / step + 0.5);
  } else {
    row = std::floor(fftSize * f / rate + 0.5) - b0;
  }
  return row >= 1 && row <= 255 ? static_cast<int>(row) : -1;
}

void DrawMarkerLineScroll(IndexedImage& window, int row, int displayHeight) {
  if (row < 0) return;
  window.Line(0, displayHeight - row, window.Width(), displayHeight - row, kIndexMarker);
}

void DrawMarkerLineScope(IndexedImage& image, int row, ScopeOrigin o) {
  if (row < 0) return;
  image.Line(o.x0 + 2 * row, o.y0, o.x0 + 2 * row, o.y0 - kScopeHeight, kIndexMarker);
}

void DrawPointer(IndexedImage& image, int x, int y, uint8_t index) {
  image.Line(x - 12, y, x + 13, y, index);
  image.Line(x, y - 12, x, y + 13, index);
}

}  // namespace tessel
