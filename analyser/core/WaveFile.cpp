#include "analyser/core/WaveFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "analyser/core/Messages.h"
#include "platform/LittleEndian.h"

namespace tessel {

using platform::GetLe16;
using platform::GetLe32;
using platform::PutLe16;
using platform::PutLe32;

void WriteWaveHeader(uint8_t* dst, const WaveFormat& format, uint32_t dataBytes) {
  std::memcpy(dst + 0, "RIFF", 4);
  PutLe32(dst + 4, dataBytes + kWaveHeaderSize - 8);
  std::memcpy(dst + 8, "WAVE", 4);
  std::memcpy(dst + 12, "fmt ", 4);
  PutLe32(dst + 16, 18);
  PutLe16(dst + 20, format.formatTag);
  PutLe16(dst + 22, format.channels);
  PutLe32(dst + 24, format.sampleRateHz);
  PutLe32(dst + 28, format.BytesPerSecond());
  PutLe16(dst + 32, format.BlockAlign());
  PutLe16(dst + 34, format.bitsPerSample);
  PutLe16(dst + 36, 0);
  std::memcpy(dst + 38, "data", 4);
  PutLe32(dst + 42, dataBytes);
}

SampleBuffer::SampleBuffer(const WaveFormat& format, uint32_t dataBytes)
    : format_(format), dataBytes_(dataBytes) {
  try {
    bytes_.assign(size_t{kWaveHeaderSize} + dataBytes, 0);
  } catch (const std::bad_alloc&) {
    FailExclamation("Not enough memory");
  }
  WriteWaveHeader(bytes_.data(), format, dataBytes);
}

void SampleBuffer::PatchLengths(uint32_t dataBytes) {
  PutLe32(bytes_.data() + 4, dataBytes + kWaveHeaderSize - 8);
  PutLe32(bytes_.data() + 42, dataBytes);
}

namespace {

constexpr int kFmtPositions = 512;
constexpr int kDataPositions = 1024;

int FindTag(const uint8_t* block, int from, int positions, const char* tag) {
  for (int i = from; i < from + positions; ++i)
    if (std::memcmp(block + i, tag, 4) == 0) return i;
  return -1;
}

}  // namespace

ProbeResult ProbeBytes(const uint8_t* head, size_t headBytes, uint64_t fileLength, ProbeMode mode) {
  if (fileLength < kProbeBlockSize || headBytes < kProbeBlockSize)
    FailStop("Sample Size Too Small");
  ProbeResult result;
  WaveFileInfo& info = result.info;
  info.fileLength = fileLength;
  const int fmt = FindTag(head, 0, kFmtPositions, "fmt ");
  const int data = fmt < 0 ? -1 : FindTag(head, fmt, kDataPositions, "data");
  if (fmt >= 0 && data >= 0) {
    const uint8_t* body = head + fmt + 8;
    info.formatTag = GetLe16(body);
    info.channels = GetLe16(body + 2);
    info.sampleRateHz = GetLe32(body + 4);
    info.bitsPerSample = GetLe16(body + 14);
    info.dataOffset = static_cast<uint32_t>(data + 8);
    // The declared length is trusted only as far as the file reaches.
    uint64_t available = fileLength - info.dataOffset;
    info.dataBytes = static_cast<uint32_t>(std::min<uint64_t>(GetLe32(head + data + 4), available));
    info.hasHeader = true;
    result.warnNotPcm = mode == ProbeMode::AnalyzeFile && info.formatTag != 1;
  } else {
    info.dataBytes = static_cast<uint32_t>(std::min<uint64_t>(fileLength, UINT32_MAX));
    result.warnNotPcm = mode == ProbeMode::AnalyzeFile && fmt < 0;
  }
  return result;
}

ProbeResult Probe(const std::string& path, ProbeMode mode) {
  platform::File f;
  if (!f.Open(path, platform::OpenMode::Read)) FailExclamation("Cannot Open File");
  int64_t length = f.Size();
  if (length < 0) FailExclamation("Cannot Open File");
  if (length < kProbeBlockSize) FailStop("Sample Size Too Small");
  uint8_t block[kProbeBlockSize] = {};
  size_t got = f.Read(block, sizeof block);
  return ProbeBytes(block, got, static_cast<uint64_t>(length), mode);
}

void CheckSampleFormat(const WaveFileInfo& info) {
  if (info.bitsPerSample != 8 && info.bitsPerSample != 16) FailStop("Improper Entry");
  if (info.channels != 1 && info.channels != 2) FailStop("Improper Entry");
}

double DataMilliseconds(const WaveFileInfo& info) {
  const double perMs = info.sampleRateHz * double(info.BlockAlign()) / 1000;
  return perMs > 0 ? info.dataBytes / perMs : 0;
}

uint32_t MillisecondsToDataOffset(double ms, const WaveFileInfo& info) {
  double bytes =
      std::trunc(ms * info.sampleRateHz * info.channels * info.bitsPerSample * 0.125 * 0.001);
  if (!(bytes > 0)) return 0;
  uint32_t offset = bytes >= UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bytes);
  uint32_t align = std::max<uint32_t>(1, info.BlockAlign());
  return offset - offset % align;
}

SegmentRange SegmentBytes(const WaveFileInfo& info, double beginMs, double endMs, int fftSize) {
  const uint32_t align = std::max<uint32_t>(1, info.BlockAlign());
  const uint32_t dataEnd = info.dataBytes - info.dataBytes % align;
  SegmentRange range;
  range.begin = std::min(MillisecondsToDataOffset(beginMs, info), dataEnd);
  uint32_t end = MillisecondsToDataOffset(endMs, info);
  if (end < info.dataBytes) {
    // The last column still gets a whole frame; the data's end is the limit.
    uint64_t extended = uint64_t{end} + uint64_t(fftSize) * align;
    range.end = static_cast<uint32_t>(std::min<uint64_t>(extended, dataEnd));
  } else {
    range.end = dataEnd;
  }
  range.end = std::max(range.end, range.begin);
  return range;
}

SampleBuffer LoadSegmentFromBytes(const uint8_t* file, size_t fileBytes, const WaveFileInfo& info,
                                  const SegmentRange& range) {
  SampleBuffer sample(info.Format(), range.end - range.begin);
  uint64_t from = uint64_t{info.dataOffset} + range.begin;
  if (from < fileBytes) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(sample.DataBytes(), fileBytes - from));
    std::copy_n(file + from, n, sample.Data());
  }
  return sample;
}

SampleBuffer LoadSegment(const std::string& path, const WaveFileInfo& info, double beginMs,
                         double endMs, int fftSize) {
  SegmentRange range = SegmentBytes(info, beginMs, endMs, fftSize);
  SampleBuffer sample(info.Format(), range.end - range.begin);
  platform::File f;
  if (!f.Open(path, platform::OpenMode::Read)) FailExclamation("Cannot Open File");
  // A short file leaves the rest of the sample zero.
  if (f.Seek(int64_t{info.dataOffset} + range.begin)) f.Read(sample.Data(), sample.DataBytes());
  return sample;
}

void SaveWave(SampleBuffer& sample, const std::string& path) {
  platform::File f;
  if (!f.Open(path, platform::OpenMode::Create)) FailExclamation("Cannot Open File");
  const uint32_t align = std::max<uint32_t>(1, sample.Format().BlockAlign());
  const uint32_t count = sample.DataBytes() - sample.DataBytes() % align;
  sample.PatchLengths(count);
  size_t total = size_t{count} + kWaveHeaderSize;
  if (!f.Write(sample.Bytes().data(), total)) FailStop("Error Writing File");
}

void RecordingFile::Begin(const std::string& path, const WaveFormat& format) {
  if (!file_.Open(path, platform::OpenMode::OpenOrCreate) || !file_.Seek(kWaveHeaderSize)) {
    file_.Close();
    FailExclamation("Cannot Open File");
  }
  format_ = format;
  format_.formatTag = 1;
}

size_t RecordingFile::Append(const uint8_t* data, size_t count) {
  if (!file_.IsOpen()) return 0;
  // A failed write may still have written part: the position tells how much.
  const int64_t before = file_.Position();
  if (file_.Write(data, count)) return count;
  const int64_t after = file_.Position();
  return before >= 0 && after > before ? size_t(after - before) : 0;
}

void RecordingFile::Finish(uint32_t totalDataBytes) {
  if (!file_.IsOpen()) return;
  uint8_t header[kWaveHeaderSize];
  WriteWaveHeader(header, format_, totalDataBytes);
  if (file_.Seek(0)) file_.Write(header, sizeof header);
  file_.Close();
}

}  // namespace tessel
