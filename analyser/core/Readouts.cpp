#include "analyser/core/Readouts.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace tessel {

std::string Format(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return n < 0 ? std::string() : std::string(buffer, std::min<size_t>(n, sizeof buffer - 1));
}

double Nearest(double x) { return std::floor(x + 0.5); }

std::string BandText(int low, int high) {
  // "%-0u to %-0u": the zero flag means nothing beside "-".
  return Format("%u to %u", static_cast<unsigned>(low), static_cast<unsigned>(high));
}

std::string ChannelsText(int channels, uint32_t view) {
  if (channels != 2) return "Monaural";
  if (view == kViewLeft) return "Stereo (Left)";
  if (view == kViewRight) return "Stereo (Right)";
  return "Stereo";
}

std::string SampleRateText(uint32_t rate) { return Format("%-4u", rate); }
std::string SampleLengthText(uint32_t dataBytes) { return Format("%-4u", dataBytes / 1000); }

double FrequencyAtRow(int row, double low, double high, double bw, bool logScale, double step) {
  double f = logScale ? std::pow(10.0, std::log10(low) + row * step)
                      : low + Nearest(bw * row) + Nearest(bw / 2);
  return std::clamp(f, low, std::max(low, high));
}

std::string FrequencyText(double f, double bw) {
  if (f >= 30000) return std::string();
  const double half = bw / 2;
  const int hz = static_cast<int>(f);
  if (Nearest(half) >= 10) return Format("%-4i +/- %-2u", hz, static_cast<unsigned>(Nearest(half)));
  return Format("%-4i +/- %-3.1f", hz, half);
}

double TimeAtColumn(double startMs, int scrollX, int column, double ts) {
  return Nearest(startMs + double(scrollX + column) * ts);
}

std::string TimeText(double t, double ts) {
  return Format("%-4.0f +/- %-2u", t, static_cast<unsigned>(Nearest(ts)) / 2);
}

std::array<std::string, 4> PanelValues(const PanelData& d) {
  if (!d.present) return {};
  const uint64_t bytes = std::min<uint64_t>(d.dataBytes, UINT32_MAX);
  return {BandText(d.bandLowHz, d.bandHighHz), ChannelsText(d.channels, d.channelView),
          SampleRateText(d.sampleRateHz), SampleLengthText(static_cast<uint32_t>(bytes))};
}

std::string LevelText(double db) { return Format("%-4.0f", db); }

double DeltaTimeMs(int x, int startX, double ts) { return double(x - startX) * ts; }

double DeltaFrequencyLinear(int startRowFromTop, int rowFromTop, double bw) {
  return bw * (startRowFromTop - rowFromTop);
}

int PointLevel(double db) {
  int whole = static_cast<int>(db);  // toward zero
  return db - whole < -0.5 ? whole - 1 : whole;
}

TimeTickSpacing TimeTickSpacingFor(double t) {
  if (t <= 1) return {100, true};
  if (t <= 3) return {200, true};
  if (t < 8) return {500, true};
  return {std::max(1000, static_cast<int>(t) / 8 * 1000), false};
}

std::vector<Tick> TimeTicks(double ts, double startMs, int firstColumn, int count) {
  std::vector<Tick> ticks;
  if (!(ts > 0)) return ticks;
  const TimeTickSpacing s = TimeTickSpacingFor(ts);
  const double columnsPerTick = s.spacingMs / ts;
  for (int64_t i = static_cast<int64_t>(std::max(0.0, std::floor(firstColumn / columnsPerTick)));;
       ++i) {
    const double column = i * columnsPerTick;
    if (column >= double(firstColumn) + count) break;
    if (column < firstColumn) continue;
    const double ms = startMs + double(i) * s.spacingMs;
    std::string label = s.tenths ? Format("%-3.1f sec", Nearest(ms / 100) / 10)
                                 : Format("%-3u sec", static_cast<unsigned>(Nearest(ms / 1000)));
    ticks.push_back({static_cast<int>(column) - firstColumn, label});
  }
  return ticks;
}

std::vector<Tick> FrequencyTicks(int h, uint32_t rate, int fftSize, int low, int high,
                                 bool logScale, int scrollY) {
  std::vector<Tick> ticks;
  if (h <= 0 || rate == 0 || fftSize <= 0) return ticks;
  if (logScale) {
    if (low <= 0 || high <= low) return ticks;
    const double perPixel = (std::log10(double(high)) - std::log10(double(low))) / h;
    static const int kSteps[] = {10, 16, 25, 40, 63};
    for (int decade = 1; decade <= 10000; decade *= 10)
      for (int step : kSteps) {
        const int f = step * decade;
        double y = h - (std::log10(double(f)) - std::log10(double(low))) / perPixel - scrollY;
        if (y > -1e-9 && y < h + 1e-9)  // the band edges themselves count
          ticks.push_back({static_cast<int>(y), Format("%-2u Hz", unsigned(f))});
      }
    return ticks;
  }
  const double b = double(rate) / fftSize;
  const int k = std::max<int>(1, rate / 11025);
  bool kHz = low % 1000 == 0;
  const double n = h * b / (k * 1000.0);
  double spacing = h / n;
  int count = static_cast<int>(n) + 1;
  if (count < 3) {
    spacing = 10 / b;
    auto fitting = [&] { return static_cast<int>(h / spacing) + 1; };
    while (fitting() > 5) {
      kHz = false;
      spacing *= 2;
    }
    count = fitting();
  }
  for (int i = 0; i < count; ++i) {
    const double d = i * spacing;
    std::string label;
    if (kHz) {
      // Ticks stand on whole kilohertz; truncating the computed value would label
      // a tick at 5999.99 Hz "5 kHz".
      label = Format("%-2u kHz", static_cast<unsigned>(Nearest((low + d * b) * 0.001)));
    } else {
      long v = static_cast<long>(Nearest(d * b));
      label = Format("%-2u Hz", static_cast<unsigned>(v - v % 10 + low));
    }
    ticks.push_back({static_cast<int>(h - d) - scrollY, label});
  }
  return ticks;
}

ScopeUnit ScopeAxisUnit(double f) {
  if (f < 10) return {"Hz", 1};
  if (f < 100) return {"Hz/10", 10};
  if (f < 1000) return {"Hz/100", 100};
  if (f < 10000) return {"Hz/1000", 1000};
  return {"Hz/10000", 10000};
}

}  // namespace tessel
