// Damaged streams, junk that looks like a stream, and free-format
// frames whose channel mode alternates.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "TestSupport.h"
#include "decoder/core/FrameReader.h"
#include "decoder/core/Library.h"

namespace kelvaro::test {
namespace {

int Peak(const std::vector<int16_t>& pcm, size_t from, size_t to) {
  int peak = 0;
  for (size_t i = from; i < to && i < pcm.size(); ++i) peak = std::max(peak, std::abs(int(pcm[i])));
  return peak;
}

// Fault 3: a frame whose header is damaged is dropped, and the frames after it must not
// decode from the bit reservoir of the frames before it (their main data pointer then points
// into the wrong bytes: full-scale clicks). Each kind of damage, in a lame stream of a loud
// signal: no frame after the gap may be louder than the clean decode of the same frame.
TEST(Damage, NoClicksAfterADroppedFrame) {
  const auto clean = LameEncode(44100, 2, "synth 4 sine 300 sine 2000-6000 vol 0.7", "-t -b 128");
  if (clean.empty()) GTEST_SKIP() << "sox and lame are needed";
  const std::vector<FrameInfo> frames = Frames(clean);
  ASSERT_GT(frames.size(), 150u);
  const Wave reference = DecodeWithLibrary(clean);
  ASSERT_EQ(reference.pcm.size(), frames.size() * 2304);

  struct Damage {
    const char* name;
    uint8_t mask1, set1, mask2, set2;  // header bytes 1 and 2: (b & mask) | set
  };
  const Damage kinds[] = {{"bit-rate index 15", 0xFF, 0, 0x0F, 0xF0},
                          {"reserved sampling rate", 0xFF, 0, 0xF3, 0x0C},
                          {"reserved layer", 0xF9, 0, 0xFF, 0},
                          {"free-format bits in a constant-rate stream", 0xFF, 0, 0x0F, 0}};
  for (const Damage& d : kinds) {
    for (size_t k : {size_t(60), size_t(61), size_t(97)}) {  // frames that use the reservoir
      std::vector<uint8_t> damaged = clean;
      uint8_t* h = damaged.data() + frames[k].offset;
      h[1] = uint8_t((h[1] & d.mask1) | d.set1);
      h[2] = uint8_t((h[2] & d.mask2) | d.set2);
      const Wave wave = DecodeWithLibrary(damaged);
      ASSERT_EQ(wave.pcm.size(), (frames.size() - 1) * 2304) << d.name << ": one frame dropped";
      // Frame j of ours from k on is frame j + 1 of the clean decode. Sample by sample, nothing
      // is louder than the clean decode there; a few frames on, the sound is the clean one.
      size_t louder = 0, lastDifferent = 0;
      for (size_t i = k * 2304; i < wave.pcm.size(); ++i) {
        const int ours = wave.pcm[i], theirs = reference.pcm[i + 2304];
        if (std::abs(ours) > std::abs(theirs)) ++louder;
        if (ours != theirs) lastDifferent = i;
      }
      const int peakAfter = Peak(wave.pcm, k * 2304, (k + 8) * 2304);
      std::printf("%-43s frame %3zu dropped: samples louder than clean %zu, clean again %.1f "
                  "frames later, peak of the next 8 frames %d (clean %d)\n",
                  d.name, k, louder, double(lastDifferent + 1) / 2304 - k, peakAfter,
                  Peak(reference.pcm, (k + 1) * 2304, (k + 9) * 2304));
      EXPECT_EQ(louder, 0u) << d.name << " at frame " << k;
      EXPECT_LT(lastDifferent, (k + 6) * 2304) << d.name << " at frame " << k;
      // Before the gap nothing changes.
      EXPECT_TRUE(std::equal(wave.pcm.begin(), wave.pcm.begin() + k * 2304, reference.pcm.begin()));
    }
  }
}

bool Opens(const std::vector<uint8_t>& data) {
  MemoryStream stream(data.data(), data.size());
  auto reader = std::make_unique<FrameReader>(stream);
  return reader->Open();
}

std::vector<uint8_t> Repeated(std::initializer_list<uint8_t> pattern, size_t bytes) {
  std::vector<uint8_t> data;
  while (data.size() < bytes) data.insert(data.end(), pattern.begin(), pattern.end());
  return data;
}

// Fault 7: four bytes repeated make valid headers 36 bytes apart, so the reader took 4 MB of
// FF FB 00 44 for a free-format stream and "decoded" 536 MB of silence. The criterion: at
// least half of the first (up to eight) frames must be plausible; a Layer III frame is not
// when its side information asks for more main data than it can have (main_data_begin bytes
// before its own main data, and its own) or for more than 288 big values; a Layer I or II
// frame is not when its allocation codes ask for more bits than the frame holds or use the
// forbidden code.
TEST(Junk, RepeatedHeaderBytesAreRefused) {
  const std::vector<uint8_t> layer3 = Repeated({0xFF, 0xFB, 0x00, 0x44}, 4 << 20);
  EXPECT_FALSE(Opens(layer3));
  EXPECT_FALSE(Opens(Repeated({0xFF, 0xFD, 0x00, 0x44}, 1 << 20)));  // Layer II
  EXPECT_FALSE(Opens(Repeated({0xFF, 0xFF, 0x00, 0x44}, 1 << 20)));  // Layer I
  EXPECT_FALSE(Opens(Repeated({0xFF, 0xFB, 0x90, 0x44}, 1 << 20)));  // 128 kbit/s

  // Through the library: the specified error for an unreadable stream, at Open.
  const std::string junk = TempPath(".mp3");
  ASSERT_TRUE(WriteFile(junk, layer3));
  namespace lib = library;
  ASSERT_TRUE(lib::Init());
  EXPECT_FALSE(lib::Open(junk.c_str(), false, nullptr));
  EXPECT_EQ(lib::LastError(), 3);
  EXPECT_EQ(lib::GetPlayerMode(), 0);
  lib::Deinit();
#if !defined(_WIN32) && defined(KELVARO_TOOL)
  const std::string out = TempPath(".wav");
  EXPECT_NE(std::system((std::string(KELVARO_TOOL) + " " + junk + " " + out + " 2>/dev/null").c_str()),
            0);
  EXPECT_TRUE(ReadFile(out).empty());
  std::remove(out.c_str());
#endif
  std::remove(junk.c_str());
}

// The criterion keeps real streams: silence, lame's output, and a stream cut anywhere (its
// first frame's main data lies before the cut) or damaged in one of its first frames.
TEST(Junk, RealStreamsStillOpen) {
  EXPECT_TRUE(Opens(SilentStream(3)));
  EXPECT_TRUE(Opens(SilentStream(1)));
  const auto song = LameEncode(44100, 2, "synth 2 sine 300 sine 2000-6000 vol 0.7", "-b 128");
  if (song.empty()) GTEST_SKIP() << "sox and lame are needed";
  EXPECT_TRUE(Opens(song));
  const std::vector<FrameInfo> frames = Frames(song);
  for (size_t cut : {size_t(1000), size_t(4177), size_t(20000)}) {
    std::vector<uint8_t> tail(song.begin() + cut, song.end());
    EXPECT_TRUE(Opens(tail)) << cut;
  }
  // One of the first frames has side information that cannot fit: the others carry it.
  std::vector<uint8_t> damaged = song;
  uint8_t* side = damaged.data() + frames[2].offset + 4;
  side[4] = 0xFF;  // big_values of the first granule's left channel: 511, above 288
  side[5] |= 0x80;
  FrameHeader h;
  ASSERT_TRUE(h.Parse(damaged.data() + frames[2].offset));
  EXPECT_FALSE(FrameReader::Plausible(h, damaged.data() + frames[2].offset, frames[2].bytes));
  EXPECT_TRUE(Opens(damaged));
}

// Fault 8: a free-format Layer II stream whose headers alternate between stereo and joint
// stereo. The frame size is the distance to the next free-format header of the same stream
// (whatever its channel mode), confirmed by the header after it, so that a sync word inside a
// frame does not pass for the next frame.
TEST(FreeFormat, SizeFoundWhenTheChannelModeAlternates) {
  const int kSize = 500, kFrames = 60;
  std::mt19937 random(11);
  std::vector<uint8_t> stream;
  for (int f = 0; f < kFrames; ++f) {
    std::vector<uint8_t> frame(kSize, 0);
    frame[0] = 0xFF, frame[1] = 0xFD, frame[2] = 0x00;  // Layer II, free format, 44.1 kHz
    frame[3] = (f & 1) ? 0x40 : 0x00;                   // joint stereo / stereo
    // Allocation: subband 0 of the left channel (a 3-step quantiser), the rest zero.
    frame[4] = 0x10;
    // Behind the coded part, bytes that the decoder does not read, with a false sync word of
    // the same stream in each frame.
    for (int i = 64; i < kSize; ++i) frame[i] = uint8_t(random() & 0xFF);
    const uint8_t decoy[4] = {0xFF, 0xFD, 0x00, uint8_t((f & 1) ? 0x00 : 0x40)};
    std::memcpy(frame.data() + 200 + f, decoy, 4);
    stream.insert(stream.end(), frame.begin(), frame.end());
  }
  const std::vector<FrameInfo> frames = Frames(stream);
  ASSERT_EQ(frames.size(), size_t(kFrames));
  for (int f = 0; f < kFrames; ++f) {
    EXPECT_EQ(frames[f].offset, size_t(f) * kSize);
    EXPECT_EQ(frames[f].bytes, kSize);
    EXPECT_EQ(frames[f].channels, 2);
  }
  int error = -1;
  const Wave wave = DecodeWithLibrary(stream, &error);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(wave.channels, 2);
  EXPECT_EQ(wave.pcm.size(), size_t(kFrames) * 1152 * 2);
}

}  // namespace
}  // namespace kelvaro::test
