// Untrusted input: tags and junk in front of the first frame, VBR headers, cut-off and
// damaged files, and bytes that are no MPEG audio at all.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "../fuzz/decoder/FuzzDecoder.h"
#include "TestSupport.h"
#include "decoder/core/FrameDecoder.h"
#include "decoder/core/FrameReader.h"

namespace kelvaro {
namespace {

using test::SilentStream;

int64_t CountFrames(const std::vector<uint8_t>& data, int64_t* declared = nullptr) {
  MemoryStream stream(data.data(), data.size());
  auto reader = std::make_unique<FrameReader>(stream);
  if (!reader->Open()) return -1;
  if (declared) *declared = reader->FrameCount();
  int64_t n = 1;
  while (reader->Next()) ++n;
  return n;
}

// An ID3v2 tag whose body contains bytes that look like frame headers.
std::vector<uint8_t> Id3v2Tag(int bodyBytes) {
  std::vector<uint8_t> tag = {'I', 'D', '3', 3, 0, 0};
  tag.push_back(uint8_t((bodyBytes >> 21) & 0x7F));
  tag.push_back(uint8_t((bodyBytes >> 14) & 0x7F));
  tag.push_back(uint8_t((bodyBytes >> 7) & 0x7F));
  tag.push_back(uint8_t(bodyBytes & 0x7F));
  for (int i = 0; i < bodyBytes; ++i)
    tag.push_back(i % 97 == 0 ? 0xFF : (i % 97 == 1 ? 0xFB : 'x'));
  return tag;
}

TEST(FrameReader, SkipsId3v2TagAndJunkWithoutCountingThem) {
  std::vector<uint8_t> song = Id3v2Tag(5000);
  std::vector<uint8_t> junk = {0xFF, 0xFB, 0x90, 0xC0, 1, 2, 3, 0xFF, 0xE3, 0};  // false syncs
  song.insert(song.end(), junk.begin(), junk.end());
  std::vector<uint8_t> frames = SilentStream(100);
  song.insert(song.end(), frames.begin(), frames.end());
  int64_t declared = 0;
  EXPECT_EQ(CountFrames(song, &declared), 100);
  EXPECT_EQ(declared, 100);
}

TEST(FrameReader, IgnoresId3v1TagAtTheEnd) {
  std::vector<uint8_t> song = SilentStream(10);
  std::vector<uint8_t> tag(128, 0);
  std::memcpy(tag.data(), "TAG", 3);
  tag[3] = 0xFF;  // a sync byte inside the tag
  tag[4] = 0xFB;
  song.insert(song.end(), tag.begin(), tag.end());
  int64_t declared = 0;
  EXPECT_EQ(CountFrames(song, &declared), 10);
  EXPECT_EQ(declared, 10);
}

TEST(FrameReader, TakesLengthFromXingHeader) {
  std::vector<uint8_t> song = SilentStream(101);
  // The first frame becomes the header frame: "Xing", flags (frames, bytes, TOC), 100 frames.
  uint8_t* x = song.data() + 4 + 17;
  std::memcpy(x, "Xing", 4);
  x[7] = 7;
  x[11] = 100;
  uint32_t bytes = uint32_t(song.size());
  x[12] = uint8_t(bytes >> 24), x[13] = uint8_t(bytes >> 16), x[14] = uint8_t(bytes >> 8),
  x[15] = uint8_t(bytes);
  for (int i = 0; i < 100; ++i) x[16 + i] = uint8_t(i * 256 / 100);
  MemoryStream stream(song.data(), song.size());
  auto reader = std::make_unique<FrameReader>(stream);
  ASSERT_TRUE(reader->Open());
  EXPECT_TRUE(reader->HasVbrHeader());
  EXPECT_EQ(reader->FrameCount(), 100);
  EXPECT_EQ(reader->FrameNumber(), 0);
  ASSERT_TRUE(reader->SeekToFrame(50));
  EXPECT_EQ(reader->FrameNumber(), 50);
  int64_t n = 1;
  while (reader->Next()) ++n;
  EXPECT_EQ(n, 50);  // frames 50..99: the header frame is not audio
}

TEST(FrameReader, CutOffFileEndsAfterTheLastWholeFrame) {
  std::vector<uint8_t> song = SilentStream(50);
  song.resize(song.size() - 200);
  EXPECT_EQ(CountFrames(song), 49);
}

TEST(FrameReader, RegainsSyncAfterDamage) {
  std::vector<uint8_t> song = SilentStream(100);
  for (int i = 0; i < 1000; ++i) song[417 * 40 + 100 + i] = uint8_t(i * 7);
  int64_t n = CountFrames(song);
  EXPECT_GE(n, 95);
  EXPECT_LE(n, 100);
}

TEST(FrameReader, RefusesBytesWithoutFrames) {
  std::vector<uint8_t> noise(100000);
  std::mt19937 random(1);
  for (uint8_t& b : noise) b = uint8_t(random() & 0xFF);
  EXPECT_EQ(CountFrames(noise), -1);
  EXPECT_EQ(CountFrames({}), -1);
  EXPECT_EQ(CountFrames({0xFF, 0xFB, 0x90}), -1);
}

TEST(FrameDecoder, SurvivesRandomFrameBodies) {
  std::mt19937 random(2);
  auto decoder = std::make_unique<FrameDecoder>();
  int16_t pcm[FrameDecoder::kMaxSamples];
  const uint8_t headers[][4] = {{0xFF, 0xFB, 0x90, 0x00}, {0xFF, 0xFB, 0x90, 0x40},
                                {0xFF, 0xF3, 0x90, 0x64}, {0xFF, 0xFD, 0x90, 0x00},
                                {0xFF, 0xFF, 0x90, 0x40}, {0xFF, 0xFA, 0x90, 0x00}};
  for (int round = 0; round < 300; ++round) {
    uint8_t frame[2000];
    for (uint8_t& b : frame) b = uint8_t(random() & 0xFF);
    std::memcpy(frame, headers[round % 6], 4);
    FrameHeader h;
    ASSERT_TRUE(h.Parse(frame));
    int bytes = std::min(h.FrameBytes(), int(sizeof frame));
    int n = decoder->Decode(h, frame, bytes, pcm);
    EXPECT_EQ(n, h.SamplesPerFrame());
  }
}

TEST(FrameHeader, SizesAndDurations) {
  FrameHeader h;
  const uint8_t l3[4] = {0xFF, 0xFB, 0x92, 0x00};  // 128 kbit/s, 44.1 kHz, padded
  ASSERT_TRUE(h.Parse(l3));
  EXPECT_EQ(h.FrameBytes(), 418);
  EXPECT_DOUBLE_EQ(h.DurationMs(), 26.12245);
  const uint8_t l1[4] = {0xFF, 0xFF, 0x14, 0x00};  // Layer I, 32 kbit/s, 48 kHz, CRC off
  ASSERT_TRUE(h.Parse(l1));
  EXPECT_EQ(h.layer, 1);
  EXPECT_EQ(h.FrameBytes(), 32);
  EXPECT_DOUBLE_EQ(h.DurationMs(), 8.0);
  const uint8_t lsf[4] = {0xFF, 0xF3, 0x48, 0xC0};  // MPEG-2 Layer III, 32 kbit/s, 32->16 kHz
  ASSERT_TRUE(h.Parse(lsf));
  EXPECT_EQ(h.SampleRate(), 16000);
  EXPECT_EQ(h.FrameBytes(), 144);
  EXPECT_DOUBLE_EQ(h.DurationMs(), 36.0);
  const uint8_t bad[4] = {0xFF, 0xFB, 0xF0, 0x00};  // bit-rate index 15
  EXPECT_FALSE(h.Parse(bad));
  const uint8_t mpeg25[4] = {0xFF, 0xE3, 0x90, 0x00};
  EXPECT_FALSE(h.Parse(mpeg25));
}

}  // namespace
}  // namespace kelvaro

namespace kelvaro {
namespace {

// Inputs the fuzz target found faults with, run the way the fuzz target runs them (under the
// sanitizers in the asan build).
TEST(FrameDecoder, ReplaysFuzzFindings) {
  const char* const findings[] = {"mpeg1-intensity-position-above-7"};
  for (const char* name : findings) {
    SCOPED_TRACE(name);
    std::vector<uint8_t> input =
        test::ReadFile(std::string(VARDEX_SOURCE_DIR) + "/tests/fuzz/corpus/fuzz_decoder/" + name);
    ASSERT_GT(input.size(), 1u);
    EXPECT_GT(fuzz::RunDecoderInput(input.data(), input.size()), 0);
  }
}

}  // namespace
}  // namespace kelvaro
