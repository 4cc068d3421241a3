#include "analyser/core/Analysis.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analyser/core/Colours.h"
#include "analyser/core/Fft.h"
#include "analyser/core/Messages.h"
#include "analyser/core/Rows.h"

namespace tessel {

uint32_t TypedSampleRate(long typed, uint32_t current) {
  if (typed == 0) return current;
  return static_cast<uint32_t>(std::clamp(typed, 5513L, 44100L));
}

void ApplyBandRules(AnalysisSettings& s, uint32_t rate) {
  if (s.freqScale == kScaleLog) {
    s.fftSizeChoice = FftChoiceOfSize(4096);
    if (s.bandLowHz <= 0 || s.bandLowHz > 1000) s.bandLowHz = 100;
    s.bandLowHz = std::max(10, s.bandLowHz / 10 * 10);
    s.bandHighHz = static_cast<int32_t>(rate / 2);
  } else {
    if (!FftExponentOfChoice(s.fftSizeChoice)) s.fftSizeChoice = FftChoiceOfSize(1024);
    const double bw = BinWidth(rate, 1 << FftExponentOfChoice(s.fftSizeChoice));
    const int maxLow = std::max(0, static_cast<int>(rate / 2.0 - 256 * bw));
    s.bandLowHz = std::clamp(s.bandLowHz, 0, maxLow) / 10 * 10;
    s.bandHighHz = static_cast<int32_t>(s.bandLowHz + 256 * bw);
  }
  const double bw = BinWidth(rate, 1 << FftExponentOfChoice(s.fftSizeChoice));
  s.freqResolutionHz = static_cast<float>(FrequencyResolution(bw, s.freqResolutionTenths));
}

namespace {

// Byte offset of a time within the data, truncated to whole frames (negative stays negative).
double FrameBytes(double ms, const WaveFileInfo& info) {
  const double align = std::max(1u, info.BlockAlign());
  const double bytes = std::trunc(ms * info.sampleRateHz * align / 1000);
  return bytes - std::fmod(bytes, align);
}

}  // namespace

AnalysisRequest WholeFileRequest(const AnalysisSettings& s, const WaveFileInfo& info) {
  AnalysisRequest r;
  r.endMs = DataMilliseconds(info);
  r.timeScaleMs = s.timeScaleMs;
  r.windowMs = WindowMs(s.freqResolutionHz);
  return r;
}

AnalysisRequest RequestFromDialog(AnalysisSettings& s, WaveFileInfo& info, uint32_t rate,
                                  double beginMs, double endMs, double timeScaleMs) {
  info.sampleRateHz = rate;
  info.bitsPerSample = s.bitsChoice == kBits8 ? 8 : 16;
  info.channels = s.channelType == kStereo ? 2 : 1;
  ApplyBandRules(s, rate);
  AnalysisRequest r;
  r.beginMs = beginMs;
  r.endMs = endMs;
  r.timeScaleMs = timeScaleMs;
  r.windowMs = WindowMs(s.freqResolutionHz);
  return r;
}

bool ShowsDialogAgain(const std::string& message) {
  return message != "Sample Rate Out of Range" && message != "Improper Entry" &&
         message != "Time Scale Too Small";
}

double ValidateAnalysis(const WaveFileInfo& info, const AnalysisRequest& r, int fftSize) {
  const double data = info.dataBytes;
  const double begin = FrameBytes(r.beginMs, info);
  const double end = std::min(FrameBytes(r.endMs, info), data);
  double ts = r.timeScaleMs;
  if (!(ts > 0)) ts = 1.0;
  if (ts > 500) ts = 500;
  if (!(ts >= 1.0 && ts <= 500.0)) FailStop("Time Scale Out of Range");
  if (!(r.windowMs >= 1.0)) FailStop("FFT Window Too Small");
  if (begin < 0 || end < begin || begin > data) FailStop("Improper Begin or End");
  if (end - begin < kMinimumSampleBytes) FailStop("Sample Size Too Small");
  if (info.sampleRateHz < 4000 || info.sampleRateHz > 44100) FailStop("Sample Rate Out of Range");
  CheckSampleFormat(info);
  const int step = ColumnStep(info.sampleRateHz, ts, info.channels);
  if (step <= 0) FailStop("Improper Entry");
  const SegmentRange range = SegmentBytes(info, r.beginMs, r.endMs, fftSize);
  const int64_t elements = (range.end - range.begin) / (info.bitsPerSample / 8);
  if (ColumnCount(elements, fftSize, info.channels, step) <= 0) FailStop("Time Scale Too Small");
  return ts;
}

AnalysisOptions OptionsFromSettings(const AnalysisSettings& s, uint32_t rate) {
  AnalysisOptions o;
  o.fftExponent = FftExponentOfChoice(s.fftSizeChoice);
  if (o.fftExponent == 0) o.fftExponent = 10;
  const double resolution =
      FrequencyResolution(BinWidth(rate, 1 << o.fftExponent), s.freqResolutionTenths);
  o.windowMs = resolution > 0 ? WindowMs(resolution) : -1;
  o.timeScaleMs = s.timeScaleMs;
  o.logScale = s.freqScale == kScaleLog;
  o.bandLowHz = s.bandLowHz;
  o.bandHighHz = s.bandHighHz;
  o.spectrumAverage = s.spectrumAverageScroll;
  o.channelView = s.channelView;
  return o;
}

namespace {

// Everything one pass needs, built once.
struct Pass {
  const SampleBuffer& sample;
  const AnalysisOptions& o;
  FftEngine fft;
  int n = 0, rows = 0, channels = 1, bits = 16, step = 0, b0 = 0, halfWidth = 0;
  double rate = 0;
  RowBinTable table;
  BinSpan shown;  // the bins the rows read
  SpectrumHistory history;
  std::vector<int16_t> frame;
  std::vector<int> mapped, averaged[2];
  std::vector<uint8_t> indices;

  Pass(const SampleBuffer& s, const AnalysisOptions& options) : sample(s), o(options) {}
};

void DrawLevelsColumn(Pass& p, DisplayBitmap& bitmap, int64_t start, int x) {
  WaveExtremes extremes[2];
  for (int c = 0; c < p.channels; ++c) {
    ExtractFrame(p.sample.Data(), p.bits, p.channels, start, c, p.n, p.frame.data());
    extremes[c] = ExtremesAround(p.frame.data(), p.n, p.fft.L() / 2, p.halfWidth);
    p.fft.FftRun(p.frame.data(), false, p.shown.first, p.shown.end);
    if (p.o.logScale)
      MapRowsLog(p.frame.data(), p.n / 2, p.table, p.mapped.data());
    else
      MapRowsLinear(p.frame.data(), p.n / 2, p.b0, p.rows, p.mapped.data());
    p.history.Push(c, p.mapped.data(), p.averaged[c].data());
  }
  const int* levels[2] = {p.averaged[0].data(), p.averaged[1].data()};
  bitmap.DrawColumn(x, levels, extremes);
}

void LogSpectrumColumn(Pass& p, DisplayBitmap& bitmap, int64_t start, int x, TextLog& log) {
  const int channel = p.channels == 2 && p.o.channelView == kViewRight ? kRight : kLeft;
  ExtractFrame(p.sample.Data(), p.bits, p.channels, start, channel, p.n, p.frame.data());
  WaveExtremes extremes = ExtremesAround(p.frame.data(), p.n, p.fft.L() / 2, p.halfWidth);
  p.fft.FftRun(p.frame.data(), true, p.b0, p.b0 + p.rows);
  std::string lines;
  for (int r = 0; r < p.rows; ++r) {
    const int b = p.b0 + r;
    p.indices[r] = kIndexBackground;
    if (b >= p.n / 2) continue;  // beyond the spectrum: nothing to log
    BinReadout bin = ReadBin(b, p.frame[2 * b], p.frame[2 * b + 1], p.rate, p.n);
    lines += SpectrumLogLine(bin);
    p.indices[r] = AmplitudeIndex(bin.amplitude);
  }
  log.Write(lines);
  bitmap.DrawPanelColumn(x, channel, p.indices.data(), extremes);
}

}  // namespace

DisplayBitmap AnalyseSample(const SampleBuffer& sample, const AnalysisOptions& o,
                            const AnalysisProgress& progress, TextLog* log,
                            const ColumnDrawn& columnDrawn) {
  Pass p(sample, o);
  const WaveFormat& format = sample.Format();
  p.channels = format.channels;
  p.bits = format.bitsPerSample;
  p.rate = format.sampleRateHz;
  if ((p.channels != 1 && p.channels != 2) || (p.bits != 8 && p.bits != 16) || o.fftExponent < 9 ||
      o.fftExponent > 14)
    FailStop("Improper Entry");
  p.step = ColumnStep(p.rate, o.timeScaleMs, p.channels);
  if (p.step <= 0) FailStop("Improper Entry");
  p.n = 1 << o.fftExponent;
  const int64_t elements = sample.DataBytes() / (p.bits / 8);
  const int64_t columns = ColumnCount(elements, p.n, p.channels, p.step);
  if (columns <= 0) FailStop("Time Scale Too Small");
  if (columns > INT32_MAX) FailStop("Not enough memory");

  if (p.fft.FftSetup(o.fftExponent, format.sampleRateHz, o.windowMs) != 0)
    FailExclamation("Not enough memory");
  p.rows = RowsPerChannel(p.n, false);
  p.b0 = FirstBin(o.bandLowHz, p.rate, p.n);
  if (o.logScale) p.table = BuildRowBinTable(o.bandLowHz, o.bandHighHz, p.n, p.rate, p.rows);
  p.shown = ShownBins(o.logScale, p.b0, p.rows, p.table);
  p.history.Reset(p.channels, o.spectrumAverage, p.rows);
  p.halfWidth = std::min(p.step, 64);
  p.frame.assign(p.n, 0);
  p.mapped.assign(p.rows, 0);
  p.averaged[0].assign(p.rows, 0);
  p.averaged[1].assign(p.rows, 0);
  p.indices.assign(p.rows, 0);

  DisplayBitmap bitmap(columns, o.minWidth, p.rows, p.channels == 2);
  const bool logging = log && log->IsOpen();
  for (int64_t c = 0; c < columns; ++c) {
    if (progress && !progress(c, columns)) break;
    const int64_t start = c * p.step;
    if (logging)
      LogSpectrumColumn(p, bitmap, start, static_cast<int>(c), *log);
    else
      DrawLevelsColumn(p, bitmap, start, static_cast<int>(c));
    if (columnDrawn) columnDrawn(bitmap, static_cast<int>(c));
  }
  if (progress) progress(columns, columns);
  p.fft.FftRelease();
  return bitmap;
}

std::vector<BinReadout> ColumnSpectrum(const SampleBuffer& sample, const AnalysisOptions& o,
                                       int64_t column, int channel) {
  const WaveFormat& format = sample.Format();
  const int channels = format.channels, bits = format.bitsPerSample;
  if ((channels != 1 && channels != 2) || (bits != 8 && bits != 16) || o.fftExponent < 9 ||
      o.fftExponent > 14 || channel < 0 || channel >= channels)
    FailStop("Improper Entry");
  const int step = ColumnStep(format.sampleRateHz, o.timeScaleMs, channels);
  if (step <= 0) FailStop("Improper Entry");
  const int n = 1 << o.fftExponent;
  const int64_t columns = ColumnCount(sample.DataBytes() / (bits / 8), n, channels, step);
  if (column < 0 || column >= columns) FailStop("Time Scale Too Small");
  FftEngine fft;
  if (fft.FftSetup(o.fftExponent, -1, -1.0) != 0) FailExclamation("Not enough memory");
  std::vector<int16_t> frame(n);
  ExtractFrame(sample.Data(), bits, channels, column * step, channel, n, frame.data());
  fft.FftRun(frame.data(), true);
  const double rate = format.sampleRateHz;
  const int b0 = FirstBin(o.bandLowHz, rate, n);
  const int rows = RowsPerChannel(n, false);
  std::vector<BinReadout> bins;
  for (int b = b0; b < b0 + rows && b < n / 2; ++b)
    bins.push_back(ReadBin(b, frame[2 * b], frame[2 * b + 1], rate, n));
  return bins;
}

}  // namespace tessel
