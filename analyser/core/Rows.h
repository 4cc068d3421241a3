// From levels to display rows: frame extraction, the linear and logarithmic row mappings,
// the averaging of successive spectra, the column step and the spectrum-log read-out.
#pragma once
#include <cstdint>
#include <vector>

namespace tessel {

constexpr int16_t kSilentLevel = -32767;  // a bin of no power

// Rows per channel: 256 in the Scan modes; in the Analyze modes 256, 512 or 1024 for
// N = 512, 1024 or >= 2048.
int RowsPerChannel(int fftSize, bool scanMode);

// Column step in sample elements: trunc(x) rounded half up, x = rate * timeScaleMs *
// channels * 0.001, lowered by one when not a multiple of the channel count.
int ColumnStep(double sampleRateHz, double timeScaleMs, int channels);
// Columns of an analysis: (elements - N * channels) / step.
int64_t ColumnCount(int64_t sampleElements, int fftSize, int channels, int step);
// The first bin of the band: trunc(bandLowHz / (rate / N)).
int FirstBin(double bandLowHz, double sampleRateHz, int fftSize);

// N samples of one channel from interleaved PCM (8-bit unsigned becomes (b - 128) * 256),
// starting at the sample element `start`. The caller keeps the frame inside the data.
void ExtractFrame(const uint8_t* pcm, int bitsPerSample, int channels, int64_t start, int channel,
                  int fftSize, int16_t* frame);

struct WaveExtremes {
  int max = 0;  // both start from 0
  int min = 0;
};
// Extremes of the samples whose index lies strictly within halfWidth of centre.
WaveExtremes ExtremesAround(const int16_t* frame, int fftSize, int centre, int halfWidth);

// Linear scale: row r shows bin b0 + r. Bins beyond the spectrum (levels has `bins`
// entries) show as silence.
void MapRowsLinear(const int16_t* levels, int bins, int b0, int rows, int* out);

// Logarithmic scale: row r gathers count[r] bins from start[r].
struct RowBinTable {
  std::vector<int16_t> start;
  std::vector<int16_t> count;
  double step = 0;  // decades per row
};
RowBinTable BuildRowBinTable(double bandLowHz, double bandHighHz, int fftSize, double sampleRateHz,
                             int rows);

// The bins first .. end - 1 that the rows of a mapping read: only those need a level.
struct BinSpan {
  int first = 0, end = 0;
};
BinSpan ShownBins(bool logScale, int b0, int rows, const RowBinTable& table);
// The row value is the peak of its bins when it stands out from their average by r/4 or
// more, else the average; a single bin gives max(0, level).
void MapRowsLog(const int16_t* levels, int bins, const RowBinTable& table, int* out);

// The M most recent row spectra of each channel, newest first, zero at the start; the
// average fades in over the first M - 1 columns.
class SpectrumHistory {
 public:
  void Reset(int channels, int depth, int rows);
  // Pushes a row spectrum and writes the average over the M rows (truncated) to averaged.
  void Push(int channel, const int* rows, int* averaged);
  int Depth() const { return depth_; }

 private:
  int depth_ = 1, rows_ = 0;
  std::vector<std::vector<int16_t>> history_;  // per channel, depth_ * rows_
};

// One line of a spectrum log, computed from the truncated complex output of a bin.
struct BinReadout {
  int bin = 0;
  long frequencyHz = 0;  // round-half-up((b + 0.5) * rate / N)
  long amplitude = 0;    // trunc(sqrt(5.2 * (re^2 + im^2)))
  double phase = 0;      // full-circle arc tangent; +-0.7853982 when re is 0
};
BinReadout ReadBin(int bin, int re, int im, double sampleRateHz, int fftSize);
// Palette index that the "All Spectrum" pass draws for an amplitude.
uint8_t AmplitudeIndex(long amplitude);

}  // namespace tessel
