// PCM wave files as the analyser reads and writes them.
//
// The analyser writes every wave with one fixed 46-byte header (all numbers little-endian):
//   0 "RIFF"   4 u32 dataBytes + 38   8 "WAVE"   12 "fmt "   16 u32 18 (format body length)
//   20 u16 format tag 1   22 u16 channels   24 u32 samples per second
//   28 u32 bytes per second   32 u16 block alignment   34 u16 bits per sample
//   36 u16 extra format bytes 0   38 "data"   42 u32 dataBytes
// A SampleBuffer is that header followed by the PCM data, so it can be written out unchanged.
//
// Reading is deliberately simple: the first 2048 bytes are searched byte by byte for "fmt "
// (positions 0..511) and then for "data" (1024 positions from the "fmt " match); chunk
// lengths are never used to walk the chunks. Without both, the whole file is taken as
// 16-bit 11025 Hz mono raw PCM.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "analyser/core/LargeBlock.h"
#include "platform/Files.h"

namespace tessel {

constexpr uint32_t kWaveHeaderSize = 46;
constexpr uint32_t kProbeBlockSize = 2048;
constexpr uint32_t kMinimumSampleBytes = 2048;

struct WaveFormat {
  uint16_t formatTag = 1;
  uint16_t channels = 1;
  uint32_t sampleRateHz = 11025;
  uint16_t bitsPerSample = 16;

  uint16_t BytesPerSample() const { return bitsPerSample / 8; }
  uint16_t BlockAlign() const {
    return static_cast<uint16_t>(uint32_t{channels} * bitsPerSample / 8);
  }
  uint32_t BytesPerSecond() const { return sampleRateHz * BlockAlign(); }
};

// Writes the 46-byte header into dst.
void WriteWaveHeader(uint8_t* dst, const WaveFormat& format, uint32_t dataBytes);

// The sample in memory: header and PCM data in one block.
class SampleBuffer {
 public:
  SampleBuffer() = default;
  SampleBuffer(const WaveFormat& format, uint32_t dataBytes);

  bool Empty() const { return bytes_.empty(); }
  const WaveFormat& Format() const { return format_; }
  uint32_t DataBytes() const { return dataBytes_; }
  uint8_t* Data() { return bytes_.data() + kWaveHeaderSize; }
  const uint8_t* Data() const { return bytes_.data() + kWaveHeaderSize; }
  const LargeVector<uint8_t>& Bytes() const { return bytes_; }
  // Sets the two length fields of the header (not the in-memory length).
  void PatchLengths(uint32_t dataBytes);

 private:
  WaveFormat format_;
  uint32_t dataBytes_ = 0;
  LargeVector<uint8_t> bytes_;
};

enum class ProbeMode { AnalyzeFile, ScanFile };

struct WaveFileInfo {
  uint32_t sampleRateHz = 11025;
  uint16_t bitsPerSample = 16;
  uint16_t channels = 1;
  uint16_t formatTag = 1;
  uint32_t dataOffset = 0;
  uint32_t dataBytes = 0;
  bool hasHeader = false;
  uint64_t fileLength = 0;

  WaveFormat Format() const { return WaveFormat{formatTag, channels, sampleRateHz, bitsPerSample}; }
  uint32_t BlockAlign() const { return uint32_t{channels} * bitsPerSample / 8u; }
};

struct ProbeResult {
  WaveFileInfo info;
  // "File may not be PCM Wave Format" is due (Analyze File only).
  bool warnNotPcm = false;
};

// Probes the first bytes of a file of fileLength bytes (head holds min(2048, fileLength)
// bytes). Throws "Sample Size Too Small" below 2048 bytes.
ProbeResult ProbeBytes(const uint8_t* head, size_t headBytes, uint64_t fileLength, ProbeMode mode);
// Opens and probes a file. Throws "Cannot Open File" or "Sample Size Too Small".
ProbeResult Probe(const std::string& path, ProbeMode mode);

// The analyser reads 8- or 16-bit PCM of one or two channels; a header that declares
// anything else (24-bit samples, three or more channels) is refused with "Improper Entry".
void CheckSampleFormat(const WaveFileInfo& info);
// The length of the data in milliseconds.
double DataMilliseconds(const WaveFileInfo& info);

// Byte offset within the data of a time in milliseconds, rounded down to whole frames.
uint32_t MillisecondsToDataOffset(double ms, const WaveFileInfo& info);

struct SegmentRange {
  uint32_t begin = 0;  // byte offsets within the data
  uint32_t end = 0;
};
// The stretch LoadSegment reads: end extended by fftSize frames (for the last column's frame)
// when it lies before the end of the data, never beyond the data.
SegmentRange SegmentBytes(const WaveFileInfo& info, double beginMs, double endMs, int fftSize);

// Loads the chosen stretch into a SampleBuffer with the file's format. Bytes the file does
// not hold (a short file) stay zero. Throws "Cannot Open File" or "Not enough memory".
SampleBuffer LoadSegment(const std::string& path, const WaveFileInfo& info, double beginMs,
                         double endMs, int fftSize);

// Loads a SampleBuffer from bytes already read (the probe's job done by the caller).
SampleBuffer LoadSegmentFromBytes(const uint8_t* file, size_t fileBytes, const WaveFileInfo& info,
                                  const SegmentRange& range);

// Writes the sample rounded down to whole frames, patching the buffer's header to match.
// Throws "Cannot Open File" or "Error Writing File".
void SaveWave(SampleBuffer& sample, const std::string& path);

// The wave file that Quick Save writes while scanning: the header space is reserved at the
// start, data blocks are appended, and the header is written when the recording ends.
class RecordingFile {
 public:
  // Opens (without truncating) or creates the file. Throws "Cannot Open File".
  void Begin(const std::string& path, const WaveFormat& format);
  bool IsOpen() const { return file_.IsOpen(); }
  // Appends data; returns the bytes actually written.
  size_t Append(const uint8_t* data, size_t count);
  // Writes the header for totalDataBytes and closes the file.
  void Finish(uint32_t totalDataBytes);

 private:
  platform::File file_;
  WaveFormat format_;
};

}  // namespace tessel
