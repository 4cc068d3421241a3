#include "analyser/core/Rows.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/LittleEndian.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessel {

int RowsPerChannel(int fftSize, bool scanMode) {
  if (scanMode || fftSize <= 512) return 256;
  return fftSize == 1024 ? 512 : 1024;
}

int ColumnStep(double sampleRateHz, double timeScaleMs, int channels) {
  double x = sampleRateHz * timeScaleMs * channels * 0.001;
  double rounded = std::floor(x + 0.5);
  if (!(rounded > 0)) return 0;
  int s = rounded > 1e9 ? 1000000000 : static_cast<int>(rounded);
  if (channels > 0 && s % channels != 0) --s;
  return s;
}

int64_t ColumnCount(int64_t sampleElements, int fftSize, int channels, int step) {
  if (step <= 0) return 0;
  int64_t rest = sampleElements - int64_t(fftSize) * channels;
  return rest < 0 ? 0 : rest / step;
}

int FirstBin(double bandLowHz, double sampleRateHz, int fftSize) {
  double b = std::trunc(bandLowHz / (sampleRateHz / fftSize));
  return b > 0 ? static_cast<int>(std::min(b, 32767.0)) : 0;
}

void ExtractFrame(const uint8_t* pcm, int bitsPerSample, int channels, int64_t start, int channel,
                  int fftSize, int16_t* frame) {
  if (bitsPerSample == 8) {
    const uint8_t* p = pcm + start + channel;
    for (int n = 0; n < fftSize; ++n, p += channels)
      frame[n] = static_cast<int16_t>((int(*p) - 128) * 256);
  } else {
    const uint8_t* p = pcm + 2 * (start + channel);
    int n = 0;
#if defined(__SSE2__)
    // Stereo: each 32-bit word holds a frame, the left sample in its low half; 8 at a time.
    if (channels == 2)
      for (const uint8_t* q = pcm + 2 * start; n + 8 <= fftSize; n += 8, q += 32) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16));
        if (channel == 0) a = _mm_slli_epi32(a, 16), b = _mm_slli_epi32(b, 16);
        const __m128i samples = _mm_packs_epi32(_mm_srai_epi32(a, 16), _mm_srai_epi32(b, 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(frame + n), samples);
      }
    p += size_t(n) * 2 * channels;
#endif
    for (; n < fftSize; ++n, p += 2 * channels)
      frame[n] = static_cast<int16_t>(platform::GetLe16(p));
  }
}

WaveExtremes ExtremesAround(const int16_t* frame, int fftSize, int centre, int halfWidth) {
  WaveExtremes e;
  int from = std::max(0, centre - halfWidth + 1);
  int to = std::min(fftSize - 1, centre + halfWidth - 1);
  for (int i = from; i <= to; ++i) {
    e.max = std::max<int>(e.max, frame[i]);
    e.min = std::min<int>(e.min, frame[i]);
  }
  return e;
}

void MapRowsLinear(const int16_t* levels, int bins, int b0, int rows, int* out) {
  for (int r = 0; r < rows; ++r) {
    int b = b0 + r;
    out[r] = b >= 0 && b < bins ? levels[b] : kSilentLevel;
  }
}

RowBinTable BuildRowBinTable(double bandLowHz, double bandHighHz, int fftSize, double sampleRateHz,
                             int rows) {
  RowBinTable t;
  t.start.assign(rows, 0);
  t.count.assign(rows, 1);
  if (bandLowHz < 1) bandLowHz = 1;  // no logarithm of 0
  if (bandHighHz < bandLowHz) bandHighHz = bandLowHz;
  const double a = std::log10(bandLowHz);
  t.step = (std::log10(bandHighHz) - a) / rows;
  double prev = fftSize * bandLowHz / sampleRateHz;
  auto to16 = [](double v) { return static_cast<int16_t>(std::clamp(v, 0.0, 32767.0)); };
  for (int r = 0; r < rows; ++r) {
    double f = std::pow(10.0, a + r * t.step);
    double x = fftSize * f / sampleRateHz;
    double whole = std::trunc(x);
    t.start[r] = to16(whole + (x - whole >= 0.5 ? 1 : 0));
    if (r > 0) t.count[r - 1] = to16(std::floor(std::max(0.0, x - prev - 1) + 0.5) + 1);
    prev = x;
  }
  if (rows >= 2) t.count[rows - 1] = t.count[rows - 2];
  return t;
}

BinSpan ShownBins(bool logScale, int b0, int rows, const RowBinTable& table) {
  if (!logScale) return {b0, b0 + rows};
  BinSpan span{INT32_MAX, 0};
  for (size_t r = 0; r < table.start.size(); ++r) {
    if (table.count[r] <= 0) continue;
    span.first = std::min<int>(span.first, table.start[r]);
    span.end = std::max(span.end, table.start[r] + table.count[r]);
  }
  return span.first < span.end ? span : BinSpan{};
}

void MapRowsLog(const int16_t* levels, int bins, const RowBinTable& table, int* out) {
  const int rows = static_cast<int>(table.start.size());
  for (int r = 0; r < rows; ++r) {
    const int first = table.start[r], count = table.count[r];
    int sum = 0, max = 0;
    for (int b = first; b < first + count; ++b) {
      int level = b < bins ? levels[b] : kSilentLevel;
      sum += level;
      max = std::max(max, level);
    }
    if (count < 2) {
      out[r] = max;
      continue;
    }
    int avg = sum / count;
    out[r] = max - avg < r / 4 ? avg : max;
  }
}

void SpectrumHistory::Reset(int channels, int depth, int rows) {
  depth_ = std::clamp(depth, 1, 128);
  rows_ = rows;
  history_.assign(channels, std::vector<int16_t>(size_t(depth_) * rows, 0));
}

void SpectrumHistory::Push(int channel, const int* rows, int* averaged) {
  std::vector<int16_t>& h = history_[channel];
  std::copy_backward(h.begin(), h.end() - rows_, h.end());  // the oldest row drops out
  for (int r = 0; r < rows_; ++r) h[r] = static_cast<int16_t>(std::clamp(rows[r], -32768, 32767));
  if (depth_ == 1) {
    std::copy_n(h.begin(), rows_, averaged);
    return;
  }
  for (int r = 0; r < rows_; ++r) {
    int sum = 0;
    for (int m = 0; m < depth_; ++m) sum += h[size_t(m) * rows_ + r];
    averaged[r] = sum / depth_;
  }
}

BinReadout ReadBin(int bin, int re, int im, double sampleRateHz, int fftSize) {
  BinReadout out;
  out.bin = bin;
  out.frequencyHz = static_cast<long>(std::floor((bin + 0.5) * sampleRateHz / fftSize + 0.5));
  double power = double(re) * re + double(im) * im;
  out.amplitude = static_cast<long>(std::sqrt(5.2 * power));
  if (re == 0)
    out.phase = im < 0 ? -0.7853982 : 0.7853982;
  else
    out.phase = std::atan2(double(im), double(re));
  return out;
}

uint8_t AmplitudeIndex(long amplitude) {
  double index = amplitude > 0 ? 80 * std::log10(double(amplitude)) - 120 : 0;
  return static_cast<uint8_t>(std::clamp(static_cast<int>(index), 3, 235));
}

}  // namespace tessel
