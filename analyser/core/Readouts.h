// What the analyser prints around its image: the information panel, the read-outs under the
// pointer, the tick labels of the axes, and the positions of the ticks.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "analyser/core/Settings.h"

namespace tessel {

// printf into a string (the classic C formats the read-outs are specified in).
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
// x to the nearest integer, a fraction of exactly 0.5 going up.
double Nearest(double x);

// Information panel values.
std::string BandText(int bandLowHz, int bandHighHz);           // "%-0u to %-0u"
std::string ChannelsText(int channels, uint32_t channelView);  // "Monaural", "Stereo (Left)"...
std::string SampleRateText(uint32_t sampleRateHz);             // "%-4u"
std::string SampleLengthText(uint32_t dataBytes);              // "%-4u" of bytes / 1000

// What the information panel describes: an analysis, or the data a scan is running over
// (a scanned file's length, or the input taken in so far).
struct PanelData {
  bool present = false;
  int bandLowHz = 0, bandHighHz = 0, channels = 1;
  uint32_t channelView = kViewDual, sampleRateHz = 0;
  uint64_t dataBytes = 0;
};
// The four values in row order (band, channels, sample rate, length); empty without data.
std::array<std::string, 4> PanelValues(const PanelData& data);

// Frequency at row r (counted upwards from the bottom row), clamped to the band. Linear:
// low + nearest(bw r) + nearest(bw / 2), the centre of the bin; log: 10^(log10 low + r step).
double FrequencyAtRow(int row, double bandLowHz, double bandHighHz, double binWidthHz,
                      bool logScale, double decadesPerRow);
// "%-4i +/- %-2u" with nearest(bw/2) when that is 10 or more, else "%-4i +/- %-3.1f" with the
// exact half bin; empty from 30000 Hz on.
std::string FrequencyText(double frequencyHz, double binWidthHz);
// t = start + (scroll + column) * timeScale, to the nearest millisecond.
double TimeAtColumn(double startMs, int scrollX, int column, double timeScaleMs);
// "%-4.0f +/- %-2u", the uncertainty being half of nearest(timeScale).
std::string TimeText(double timeMs, double timeScaleMs);
std::string LevelText(double levelDb);  // "%-4.0f"
// Measuring drag: differences from the start of the drag.
double DeltaTimeMs(int x, int startX, double timeScaleMs);
double DeltaFrequencyLinear(int startRowFromTop, int rowFromTop, double binWidthHz);

// The level of a logged point: truncated toward zero, then lowered by one when the cut-off
// fraction was below -0.5.
int PointLevel(double levelDb);

struct Tick {
  int position;  // column (time ticks) or y from the top of the plot (frequency ticks)
  std::string label;
};

struct TimeTickSpacing {
  int spacingMs;
  bool tenths;  // "%-3.1f sec" labels; else "%-3u sec"
};
TimeTickSpacing TimeTickSpacingFor(double timeScaleMs);
// Ticks over the image columns [firstColumn, firstColumn + count).
std::vector<Tick> TimeTicks(double timeScaleMs, double startMs, int firstColumn, int count);

// Frequency ticks of one channel panel of plotHeight rows.
std::vector<Tick> FrequencyTicks(int plotHeight, uint32_t sampleRateHz, int fftSize, int bandLowHz,
                                 int bandHighHz, bool logScale, int scrollY);

// The scope axis's unit label and divisor for the largest frequency on the axis.
struct ScopeUnit {
  const char* label;
  int divisor;
};
ScopeUnit ScopeAxisUnit(double largestHz);

}  // namespace tessel
