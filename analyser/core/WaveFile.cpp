#include "analyser/core/WaveFile.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "analyser/core/Bytes.h"
#include "analyser/core/Messages.h"

namespace tessel {

void WriteWaveHeader(uint8_t* dst, const WaveFormat& format, uint32_t dataBytes) {
  PutTag(dst + 0, "RIFF");
  Put32(dst + 4, dataBytes + kWaveHeaderSize - 8);
  PutTag(dst + 8, "WAVE");
  PutTag(dst + 12, "fmt ");
  Put32(dst + 16, 18);
  Put16(dst + 20, format.formatTag);
  Put16(dst + 22, format.channels);
  Put32(dst + 24, format.sampleRateHz);
  Put32(dst + 28, format.BytesPerSecond());
  Put16(dst + 32, format.BlockAlign());
  Put16(dst + 34, format.bitsPerSample);
  Put16(dst + 36, 0);
  PutTag(dst + 38, "data");
  Put32(dst + 42, dataBytes);
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
  Put32(bytes_.data() + 4, dataBytes + kWaveHeaderSize - 8);
  Put32(bytes_.data() + 42, dataBytes);
}

namespace {

constexpr int kFmtPositions = 512;
constexpr int kDataPositions = 1024;

int FindTag(const uint8_t* block, int from, int positions, const char* tag) {
  for (int i = from; i < from + positions; ++i)
    if (IsTag(block + i, tag)) return i;
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
    info.formatTag = Get16(body);
    info.channels = Get16(body + 2);
    info.sampleRateHz = Get32(body + 4);
    info.bitsPerSample = Get16(body + 14);
    info.dataOffset = static_cast<uint32_t>(data + 8);
    // The declared length is trusted only as far as the file reaches.
    uint64_t available = fileLength - info.dataOffset;
    info.dataBytes = static_cast<uint32_t>(std::min<uint64_t>(Get32(head + data + 4), available));
    info.hasHeader = true;
    result.warnNotPcm = mode == ProbeMode::AnalyzeFile && info.formatTag != 1;
  } else {
    info.dataBytes = static_cast<uint32_t>(std::min<uint64_t>(fileLength, UINT32_MAX));
    result.warnNotPcm = mode == ProbeMode::AnalyzeFile && fmt < 0;
  }
  return result;
}

ProbeResult Probe(const std::filesystem::path& path, ProbeMode mode) {
  FileHandle f = OpenFile(path, FileMode::Read);
  if (!f) FailExclamation("Cannot Open File");
  int64_t length = FileLength(f.get());
  if (length < 0) FailExclamation("Cannot Open File");
  if (length < kProbeBlockSize) FailStop("Sample Size Too Small");
  uint8_t block[kProbeBlockSize] = {};
  size_t got = ReadFile(f.get(), block, sizeof block);
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

SampleBuffer LoadSegment(const std::filesystem::path& path, const WaveFileInfo& info,
                         double beginMs, double endMs, int fftSize) {
  SegmentRange range = SegmentBytes(info, beginMs, endMs, fftSize);
  SampleBuffer sample(info.Format(), range.end - range.begin);
  FileHandle f = OpenFile(path, FileMode::Read);
  if (!f) FailExclamation("Cannot Open File");
  // A short file leaves the rest of the sample zero.
  if (SeekFile(f.get(), uint64_t{info.dataOffset} + range.begin))
    ReadFile(f.get(), sample.Data(), sample.DataBytes());
  return sample;
}

void SaveWave(SampleBuffer& sample, const std::filesystem::path& path) {
  FileHandle f = OpenFile(path, FileMode::CreateAlways);
  if (!f) FailExclamation("Cannot Open File");
  const uint32_t align = std::max<uint32_t>(1, sample.Format().BlockAlign());
  const uint32_t count = sample.DataBytes() - sample.DataBytes() % align;
  sample.PatchLengths(count);
  size_t total = size_t{count} + kWaveHeaderSize;
  size_t written = WriteFile(f.get(), sample.Bytes().data(), total);
  if (std::fclose(f.release()) != 0 || written != total) FailStop("Error Writing File");
}

void RecordingFile::Begin(const std::filesystem::path& path, const WaveFormat& format) {
  file_ = OpenFile(path, FileMode::OpenAlways);
  if (!file_ || !SeekFile(file_.get(), kWaveHeaderSize)) {
    file_.reset();
    FailExclamation("Cannot Open File");
  }
  format_ = format;
  format_.formatTag = 1;
}

size_t RecordingFile::Append(const uint8_t* data, size_t count) {
  return file_ ? WriteFile(file_.get(), data, count) : 0;
}

void RecordingFile::Finish(uint32_t totalDataBytes) {
  if (!file_) return;
  uint8_t header[kWaveHeaderSize];
  WriteWaveHeader(header, format_, totalDataBytes);
  if (SeekFile(file_.get(), 0)) WriteFile(file_.get(), header, sizeof header);
  file_.reset();
}

}  // namespace tessel
