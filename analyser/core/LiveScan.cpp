#include "analyser/core/LiveScan.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "analyser/core/Colours.h"
#include "analyser/core/Messages.h"

namespace tessel {

InputBuffers InputBuffersFor(const WaveFormat& format, uint32_t fixedSeconds) {
  InputBuffers b;
  const uint32_t bytesPerSample = std::max<uint32_t>(1, format.BytesPerSample());
  const uint32_t rate = format.sampleRateHz;
  if (fixedSeconds)
    b.seconds = fixedSeconds;
  else
    b.seconds = rate == 0 ? 2 : std::max<uint32_t>(2, 176400 / (rate * bytesPerSample));
  b.frames = b.seconds * rate;
  b.bytes = b.frames * bytesPerSample * std::max<uint32_t>(1, format.channels);
  b.silence = bytesPerSample == 1 ? 128 : 0;
  return b;
}

uint32_t RecordingSeconds(uint32_t lengthChoice) {
  switch (lengthChoice) {
    case 1071:
      return 10;
    case 1072:
      return 20;
    case 1073:
      return 30;
    default:
      return 0;
  }
}

uint32_t QuickSaveOffset(double timeMs, double bufferStartMs, const WaveFormat& format,
                         uint32_t bufferBytes) {
  const double bytes =
      std::trunc((timeMs - bufferStartMs) * format.sampleRateHz * format.BlockAlign() * 0.001);
  if (!(bytes > 0)) return 0;
  const uint32_t offset = bytes >= bufferBytes ? bufferBytes : static_cast<uint32_t>(bytes);
  return offset / 4 * 4;
}

ByteRange QuickSaveRange(bool startPending, bool stopPending, double saveMs, double stopMs,
                         double bufferStartMs, const WaveFormat& format, uint32_t bufferBytes) {
  ByteRange r{0, bufferBytes};
  if (startPending) r.begin = QuickSaveOffset(saveMs, bufferStartMs, format, bufferBytes);
  if (stopPending) r.end = QuickSaveOffset(stopMs, bufferStartMs, format, bufferBytes);
  if (r.end < r.begin) r.end = r.begin;
  return r;
}

bool GatherRingFrame(const uint8_t* ring, uint32_t ringFrames, int64_t endFrame, int n,
                     int blockAlign, std::vector<uint8_t>& out) {
  if (endFrame < 0 || ringFrames == 0 || n <= 0 || static_cast<uint32_t>(n) > ringFrames)
    return false;
  out.resize(size_t(n) * blockAlign);
  int64_t start = (endFrame - n) % ringFrames;
  if (start < 0) start += ringFrames;
  const int first = static_cast<int>(std::min<int64_t>(n, ringFrames - start));
  std::memcpy(out.data(), ring + start * blockAlign, size_t(first) * blockAlign);
  if (first < n)
    std::memcpy(out.data() + size_t(first) * blockAlign, ring, size_t(n - first) * blockAlign);
  return true;
}

int64_t LatencyAdjustedFrame(int64_t positionFrames, uint32_t rate, int latencyMs) {
  return positionFrames - int64_t{rate} * latencyMs / 1000;
}

void LiveAnalyser::Setup(const AnalysisOptions& o, const WaveFormat& format) {
  o_ = o;
  channels_ = format.channels;
  bits_ = format.bitsPerSample;
  if ((channels_ != 1 && channels_ != 2) || (bits_ != 8 && bits_ != 16) || o.fftExponent < 9 ||
      o.fftExponent > 14)
    FailStop("Improper Entry");
  if (fft_.FftSetup(o.fftExponent, static_cast<int>(format.sampleRateHz), o.windowMs) != 0)
    FailExclamation("Not enough memory");
  n_ = 1 << o.fftExponent;
  const double rate = format.sampleRateHz;
  b0_ = FirstBin(o.bandLowHz, rate, n_);
  if (o.logScale) table_ = BuildRowBinTable(o.bandLowHz, o.bandHighHz, n_, rate, kRows);
  shown_ = ShownBins(o.logScale, b0_, kRows, table_);
  history_.Reset(channels_, std::max(1, o.spectrumAverage), kRows);
  frame_.assign(n_, 0);
  mapped_.assign(kRows, 0);
  for (int c = 0; c < 2; ++c) {
    averaged_[c].assign(kRows, 0);
    indices_[c].assign(kRows, kIndexBackground);
    extremes_[c] = WaveExtremes{};
  }
}

void LiveAnalyser::Run(const uint8_t* pcm) {
  for (int c = 0; c < channels_; ++c) {
    ExtractFrame(pcm, bits_, channels_, 0, c, n_, frame_.data());
    extremes_[c] = ExtremesAround(frame_.data(), n_, fft_.L() / 2, 64);
    fft_.FftRun(frame_.data(), false, shown_.first, shown_.end);
    if (o_.logScale)
      MapRowsLog(frame_.data(), n_ / 2, table_, mapped_.data());
    else
      MapRowsLinear(frame_.data(), n_ / 2, b0_, kRows, mapped_.data());
    history_.Push(c, mapped_.data(), averaged_[c].data());
    for (int r = 0; r < kRows; ++r) indices_[c][r] = LevelToIndex(averaged_[c][r]);
  }
}

}  // namespace tessel
