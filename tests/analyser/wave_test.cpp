#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "analyser/core/Messages.h"
#include "analyser/core/WaveFile.h"
#include "tests/analyser/TestFiles.h"

namespace {

using namespace tessel;
using namespace tessel_test;

// A wave file: "RIFF" header, a format chunk (with `fmtExtra` bytes behind the 16-byte PCM
// body), optional chunks, and a data chunk of dataBytes bytes (value 0x11 each).
std::vector<uint8_t> MakeWave(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                              uint32_t dataBytes, const std::vector<uint8_t>& between = {},
                              const std::vector<uint8_t>& fmtExtra = {}) {
  std::vector<uint8_t> v;
  PutText(v, "RIFF");
  Put32(v, 0);
  PutText(v, "WAVE");
  PutText(v, "fmt ");
  Put32(v, uint32_t(16 + fmtExtra.size()));
  Put16(v, tag);
  Put16(v, channels);
  Put32(v, rate);
  Put32(v, rate * channels * uint32_t{bits} / 8);
  Put16(v, uint16_t(uint32_t{channels} * bits / 8));
  Put16(v, bits);
  v.insert(v.end(), fmtExtra.begin(), fmtExtra.end());
  v.insert(v.end(), between.begin(), between.end());
  PutText(v, "data");
  Put32(v, dataBytes);
  v.insert(v.end(), dataBytes, 0x11);
  return v;
}

ProbeResult ProbeVector(const std::vector<uint8_t>& v, ProbeMode mode = ProbeMode::AnalyzeFile) {
  return ProbeBytes(v.data(), std::min<size_t>(v.size(), kProbeBlockSize), v.size(), mode);
}

TEST(WaveProbe, ReadsAPlainHeader) {
  ProbeResult r = ProbeVector(MakeWave(1, 2, 44100, 16, 4000));
  EXPECT_TRUE(r.info.hasHeader);
  EXPECT_FALSE(r.warnNotPcm);
  EXPECT_EQ(r.info.channels, 2);
  EXPECT_EQ(r.info.sampleRateHz, 44100u);
  EXPECT_EQ(r.info.bitsPerSample, 16);
  EXPECT_EQ(r.info.dataOffset, 44u);
  EXPECT_EQ(r.info.dataBytes, 4000u);
}

TEST(WaveProbe, SkipsAListChunkBetweenFormatAndData) {
  std::vector<uint8_t> list;
  PutText(list, "LIST");
  Put32(list, 200);
  list.insert(list.end(), 200, 'x');
  ProbeResult r = ProbeVector(MakeWave(1, 1, 22050, 8, 3000, list));
  EXPECT_TRUE(r.info.hasHeader);
  EXPECT_EQ(r.info.dataOffset, 44u + 208u);
  EXPECT_EQ(r.info.dataBytes, 3000u);
  EXPECT_EQ(r.info.bitsPerSample, 8);
}

TEST(WaveProbe, FormatChunkAt512OrLaterMeansNoHeader) {
  std::vector<uint8_t> v(500, 0);
  std::vector<uint8_t> wave = MakeWave(1, 2, 44100, 16, 4000);
  v.insert(v.end(), wave.begin() + 12, wave.end());  // "fmt " lands at 500 + 0 = 500
  ProbeResult early = ProbeVector(v);
  EXPECT_TRUE(early.info.hasHeader) << "fmt at 500 is within the 512 positions";
  v.insert(v.begin(), 12, 0);  // now at 512
  ProbeResult r = ProbeVector(v);
  EXPECT_FALSE(r.info.hasHeader);
  EXPECT_TRUE(r.warnNotPcm);
  EXPECT_EQ(r.info.bitsPerSample, 16);
  EXPECT_EQ(r.info.sampleRateHz, 11025u);
  EXPECT_EQ(r.info.channels, 1);
  EXPECT_EQ(r.info.dataOffset, 0u);
  EXPECT_EQ(r.info.dataBytes, v.size());
  EXPECT_FALSE(ProbeVector(v, ProbeMode::ScanFile).warnNotPcm) << "Scan File falls back silently";
}

TEST(WaveProbe, DataInsideTheFormatChunkIsFoundFirst) {
  std::vector<uint8_t> extra = {2, 0};
  PutText(extra, "data");  // the search is byte by byte from "fmt "
  Put32(extra, 100);
  std::vector<uint8_t> v = MakeWave(1, 1, 8000, 16, 3000, {}, extra);
  ProbeResult r = ProbeVector(v);
  EXPECT_EQ(r.info.dataOffset, 12u + 8 + 16 + 2 + 8);
  EXPECT_EQ(r.info.dataBytes, 100u);
}

TEST(WaveProbe, LengthLimits) {
  std::vector<uint8_t> v = MakeWave(1, 1, 8000, 16, 2048 - 44);
  ASSERT_EQ(v.size(), 2048u);
  EXPECT_NO_THROW(ProbeVector(v));
  v.pop_back();
  try {
    ProbeVector(v);
    FAIL() << "2047 bytes pass";
  } catch (const TesselError& e) {
    EXPECT_STREQ(e.what(), "Sample Size Too Small");
    EXPECT_EQ(e.Icon(), MessageIcon::Stop);
  }
}

TEST(WaveProbe, NonPcmAndMissingDataAndOversizedLength) {
  ProbeResult r = ProbeVector(MakeWave(85, 2, 44100, 16, 4000));
  EXPECT_TRUE(r.warnNotPcm) << "a compressed wave warns and is read as PCM";
  EXPECT_TRUE(r.info.hasHeader);
  EXPECT_FALSE(ProbeVector(MakeWave(85, 2, 44100, 16, 4000), ProbeMode::ScanFile).warnNotPcm);

  std::vector<uint8_t> noData = MakeWave(1, 2, 44100, 16, 4000);
  noData[36] = 'D';  // "Data" is not "data"
  r = ProbeVector(noData);
  EXPECT_FALSE(r.info.hasHeader);
  EXPECT_FALSE(r.warnNotPcm) << "a missing data chunk falls back silently";
  EXPECT_EQ(r.info.sampleRateHz, 11025u);

  std::vector<uint8_t> big = MakeWave(1, 1, 8000, 16, 3000);
  big[40] = big[41] = big[42] = big[43] = 0xFF;  // declared 4 GB
  r = ProbeVector(big);
  EXPECT_EQ(r.info.dataBytes, 3000u) << "the data ends where the file ends";
}

TEST(WaveProbe, FileErrors) {
  ScratchFile missing("missing.wav");
  try {
    Probe(missing.Path(), ProbeMode::AnalyzeFile);
    FAIL();
  } catch (const TesselError& e) {
    EXPECT_STREQ(e.what(), "Cannot Open File");
    EXPECT_EQ(e.Icon(), MessageIcon::Exclamation);
  }
  ScratchFile file("probe.wav");
  file.Write(MakeWave(1, 2, 22050, 16, 5000));
  EXPECT_EQ(Probe(file.Path(), ProbeMode::ScanFile).info.dataBytes, 5000u);
}

TEST(WaveSegment, BeginAndEndInWholeFramesWithOneFrameMore) {
  WaveFileInfo info;
  info.sampleRateHz = 1000, info.channels = 2, info.bitsPerSample = 16;
  info.dataBytes = 40000;  // 10 s of 4-byte frames
  EXPECT_EQ(MillisecondsToDataOffset(1000, info), 4000u);
  EXPECT_EQ(MillisecondsToDataOffset(1.7, info), 4u);  // 6.8 bytes -> 6 -> one frame
  SegmentRange r = SegmentBytes(info, 1000, 2000, 512);
  EXPECT_EQ(r.begin, 4000u);
  EXPECT_EQ(r.end, 8000u + 512 * 4) << "the last column gets a whole frame";
  r = SegmentBytes(info, 0, 9900, 512);
  EXPECT_EQ(r.end, 40000u) << "never beyond the data";
  r = SegmentBytes(info, 0, 20000, 512);
  EXPECT_EQ(r.end, 40000u);
  info.dataBytes = 40003;
  EXPECT_EQ(SegmentBytes(info, 0, 20000, 512).end, 40000u) << "whole frames only";
}

TEST(WaveSegment, LoadsTheStretchBehindAHeader) {
  std::vector<uint8_t> wave = MakeWave(1, 1, 1000, 8, 4000);
  for (size_t i = 44; i < wave.size(); ++i) wave[i] = uint8_t(i - 44);
  ScratchFile file("segment.wav");
  file.Write(wave);
  ProbeResult p = Probe(file.Path(), ProbeMode::AnalyzeFile);
  SampleBuffer s = LoadSegment(file.Path(), p.info, 100, 200, 512);
  ASSERT_EQ(s.DataBytes(), 100u + 512);
  EXPECT_EQ(s.Data()[0], 100);
  EXPECT_EQ(s.Data()[611], uint8_t(711));
  const std::vector<uint8_t> b(s.Bytes().begin(), s.Bytes().end());
  EXPECT_EQ(Get32(b, 4), 612u + 38);
  EXPECT_EQ(Get32(b, 42), 612u);
  EXPECT_EQ(Get16(b, 34), 8);
  EXPECT_EQ(Get32(b, 24), 1000u);
}

TEST(WaveHeader, FixedLayout) {
  uint8_t h[kWaveHeaderSize];
  WriteWaveHeader(h, WaveFormat{1, 2, 44100, 16}, 1000);
  std::vector<uint8_t> v(h, h + kWaveHeaderSize);
  EXPECT_EQ(std::string(v.begin(), v.begin() + 4), "RIFF");
  EXPECT_EQ(Get32(v, 4), 1038u);
  EXPECT_EQ(std::string(v.begin() + 8, v.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(Get32(v, 16), 18u);
  EXPECT_EQ(Get16(v, 20), 1);
  EXPECT_EQ(Get16(v, 22), 2);
  EXPECT_EQ(Get32(v, 24), 44100u);
  EXPECT_EQ(Get32(v, 28), 176400u);
  EXPECT_EQ(Get16(v, 32), 4);
  EXPECT_EQ(Get16(v, 34), 16);
  EXPECT_EQ(Get16(v, 36), 0);
  EXPECT_EQ(std::string(v.begin() + 38, v.begin() + 42), "data");
  EXPECT_EQ(Get32(v, 42), 1000u);
}

TEST(SaveWave, RoundsDownToWholeFrames) {
  SampleBuffer s(WaveFormat{1, 2, 44100, 16}, 4099);
  for (uint32_t i = 0; i < 4099; ++i) s.Data()[i] = uint8_t(i * 7);
  ScratchFile file("saved.wav");
  SaveWave(s, file.Path());
  std::vector<uint8_t> out = file.Read();
  ASSERT_EQ(out.size(), 46u + 4096);
  EXPECT_EQ(Get32(out, 4), 4096u + 38);
  EXPECT_EQ(Get32(out, 42), 4096u);
  EXPECT_EQ(out[46 + 4095], uint8_t(4095 * 7));
  // The saved file reads back as the same format.
  ProbeResult p = Probe(file.Path(), ProbeMode::AnalyzeFile);
  EXPECT_EQ(p.info.dataOffset, 46u);
  EXPECT_EQ(p.info.dataBytes, 4096u);
}

// Paths are UTF-8 on every system, as everywhere in the suite: a name outside the ANSI code
// page is written and read under its own name.
TEST(SaveWave, PathsAreUtf8) {
  ScratchFile base("utf8");
  const std::string path = base.Path() + "_\xC3\xBC\xE2\x82\xAC\xF0\x9F\x8E\xB5.wav";
  SampleBuffer s(WaveFormat{1, 1, 11025, 8}, 3000);
  SaveWave(s, path);
  const std::filesystem::path onDisk = std::filesystem::u8path(path);
  EXPECT_TRUE(std::filesystem::exists(onDisk));
  EXPECT_EQ(Probe(path, ProbeMode::AnalyzeFile).info.dataBytes, 3000u);
  std::error_code ec;
  std::filesystem::remove(onDisk, ec);
}

TEST(RecordingFile, HeaderDescribesOnlyTheNewDataAndAnOldTailStays) {
  ScratchFile file("quick.wav");
  file.Write(std::vector<uint8_t>(200, 0xEE));
  RecordingFile rec;
  rec.Begin(file.Path(), WaveFormat{1, 1, 11025, 8});
  const uint8_t data[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(rec.Append(data, 10), 10u);
  rec.Finish(10);
  std::vector<uint8_t> out = file.Read();
  ASSERT_EQ(out.size(), 200u);
  EXPECT_EQ(Get32(out, 42), 10u);
  EXPECT_EQ(Get32(out, 4), 48u);
  EXPECT_EQ(out[46], 1);
  EXPECT_EQ(out[55], 10);
  EXPECT_EQ(out[56], 0xEE);

  ScratchFile fresh("fresh.wav");
  RecordingFile rec2;
  rec2.Begin(fresh.Path(), WaveFormat{1, 2, 44100, 16});
  rec2.Finish(0);
  EXPECT_EQ(fresh.Read().size(), 46u);
}

}  // namespace

namespace {

TEST(WaveProbe, AbsurdFormatFieldsDoNotOverflow) {
  std::vector<uint8_t> v = MakeWave(1, 65535, 44100, 65535, 3000);
  ProbeResult r = ProbeVector(v);
  EXPECT_EQ(r.info.BlockAlign(), 65535u * 65535u / 8);
  EXPECT_EQ(r.info.channels, 65535);
}

}  // namespace

TEST(WaveFormatRule, OnlyEightOrSixteenBitsOfOneOrTwoChannels) {
  WaveFileInfo info;
  for (uint16_t bits : {8, 16})
    for (uint16_t channels : {1, 2}) {
      info.bitsPerSample = bits;
      info.channels = channels;
      EXPECT_NO_THROW(CheckSampleFormat(info)) << bits << " bits, " << channels;
    }
  for (auto [bits, channels] : {std::pair{24, 1}, {32, 2}, {16, 3}, {8, 6}, {16, 0}}) {
    info.bitsPerSample = uint16_t(bits);
    info.channels = uint16_t(channels);
    try {
      CheckSampleFormat(info);
      ADD_FAILURE() << bits << " bits, " << channels << " channels accepted";
    } catch (const TesselError& e) {
      EXPECT_STREQ(e.what(), "Improper Entry");
      EXPECT_EQ(e.Icon(), MessageIcon::Stop);
    }
  }
}
