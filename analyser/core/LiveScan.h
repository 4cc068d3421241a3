// The arithmetic of the real-time loops (Scan Input, Analyze Input, Scan File): the sizes of
// the input buffers, where the frame to analyse lies in a two-buffer ring, which stretch of a
// buffer Quick Save writes, and the analysis of one live frame into rows and palette indices.
#pragma once
#include <cstdint>
#include <vector>

#include "analyser/core/Analysis.h"
#include "analyser/core/Fft.h"
#include "analyser/core/Rows.h"
#include "analyser/core/WaveFile.h"

namespace tessel {

struct InputBuffers {
  uint32_t seconds = 0;  // k: 176400 / (rate x bytes per sample), at least 2; or the length
  uint32_t frames = 0;   // F = k x rate
  uint32_t bytes = 0;    // one buffer: F x bytes per sample x channels
  uint8_t silence = 0;   // 128 for 8-bit data
};
// Streaming (two buffers) when fixedSeconds is 0, else one buffer of fixedSeconds.
InputBuffers InputBuffersFor(const WaveFormat& format, uint32_t fixedSeconds);
// Seconds of a fixed-length recording: 10, 20, 30 for lengthChoice 1071..1073, 0 for "Any".
uint32_t RecordingSeconds(uint32_t lengthChoice);

// The recording stops before the file reaches 2 GB.
constexpr uint32_t kRecordingLimit = 2147483600u;
inline bool RecordingFull(uint64_t totalBytes, uint32_t bufferBytes) {
  return totalBytes > uint64_t{kRecordingLimit} - bufferBytes;
}

// Byte offset within a buffer of a button press at timeMs, the buffer having started at
// bufferStartMs: trunc(dt x rate x bytes per frame / 1000), rounded down to a multiple of 4
// and held within the buffer.
uint32_t QuickSaveOffset(double timeMs, double bufferStartMs, const WaveFormat& format,
                         uint32_t bufferBytes);
struct ByteRange {
  uint32_t begin = 0, end = 0;
};
// The part of a completed buffer that Quick Save writes: all of it, from the Save press,
// up to the Stop Save press, or between the two.
ByteRange QuickSaveRange(bool startPending, bool stopPending, double saveMs, double stopMs,
                         double bufferStartMs, const WaveFormat& format, uint32_t bufferBytes);

// Copies the n frames that end at endFrame out of a circular ring of ringFrames frames
// (blockAlign bytes each) into out. Returns false when endFrame is negative.
bool GatherRingFrame(const uint8_t* ring, uint32_t ringFrames, int64_t endFrame, int n,
                     int blockAlign, std::vector<uint8_t>& out);
// The frame end of a device position: frames minus the latency, rate x latency / 1000.
int64_t LatencyAdjustedFrame(int64_t positionFrames, uint32_t rate, int latencyMs);

// One live column: frames of the input analysed per channel, mapped onto the 256 rows of the
// Scan modes and averaged over the spectrum average.
class LiveAnalyser {
 public:
  // Throws "Not enough memory" or "Improper Entry".
  void Setup(const AnalysisOptions& options, const WaveFormat& format);
  int N() const { return n_; }
  int Rows() const { return kRows; }
  // Analyses n interleaved frames (n = N()).
  void Run(const uint8_t* pcm);
  const int* Averaged(int channel) const { return averaged_[channel].data(); }
  const uint8_t* Indices(int channel) const { return indices_[channel].data(); }
  WaveExtremes Extremes(int channel) const { return extremes_[channel]; }
  int Channels() const { return channels_; }

 private:
  static constexpr int kRows = 256;
  FftEngine fft_;
  AnalysisOptions o_;
  int n_ = 0, channels_ = 1, bits_ = 16, b0_ = 0;
  RowBinTable table_;
  BinSpan shown_;  // the bins the rows read
  SpectrumHistory history_;
  std::vector<int16_t> frame_;
  std::vector<int> mapped_, averaged_[2];
  std::vector<uint8_t> indices_[2];
  WaveExtremes extremes_[2];
};

}  // namespace tessel
