// Frames whose channel count differs from the output's (a stream whose
// channel mode changes) reach the output converted: one channel to both, two averaged into
// one. Each comparison goes frame by frame, as the frames have different sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "TestSupport.h"

namespace kelvaro::test {
namespace {

struct Figures {
  double maxDiff = 0;
  double squares = 0;
  size_t compared = 0;
  double Psnr() const {
    const double mean = compared ? squares / compared : 0;
    return mean > 0 ? 10 * std::log10(32767.0 * 32767.0 / mean) : 200;
  }
  void Add(double expected, int ours) {
    const double d = std::abs(expected - ours);
    maxDiff = std::max(maxDiff, d);
    squares += d * d;
    ++compared;
  }
};

// l3-he_mode begins with single-channel frames, so the library's output has one channel; its
// reference holds each frame at the frame's own channel count. A two-channel frame must come
// out as the average of its reference channels.
TEST(ChannelChanges, HeModeFrameByFrameAgainstTheReference) {
  const std::string dir = TestDataDir();
  if (dir.empty()) GTEST_SKIP() << "compliance streams not found (../shared/testdata/mpeg)";
  const std::vector<uint8_t> bits = ReadFile(dir + "/l3-he_mode.bit");
  const std::vector<int16_t> reference = ReadPcm(dir + "/l3-he_mode.pcm");
  const std::vector<FrameInfo> frames = Frames(bits);
  ASSERT_EQ(frames.size(), 128u);
  ASSERT_EQ(frames[0].channels, 1);

  int error = 0;
  const Wave wave = DecodeWithLibrary(bits, &error);
  ASSERT_TRUE(wave.valid);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(wave.channels, 1);
  ASSERT_EQ(wave.pcm.size(), frames.size() * 1152);

  Figures mono, stereo;
  int monoFrames = 0, stereoFrames = 0;
  size_t at = 0;
  for (size_t f = 0; f < frames.size(); ++f) {
    const int16_t* ours = wave.pcm.data() + f * 1152;
    ASSERT_LE(at + 1152 * frames[f].channels, reference.size());
    for (int i = 0; i < 1152; ++i) {
      if (frames[f].channels == 1)
        mono.Add(reference[at + i], ours[i]);
      else
        stereo.Add((reference[at + 2 * i] + reference[at + 2 * i + 1]) / 2.0, ours[i]);
    }
    (frames[f].channels == 1 ? monoFrames : stereoFrames)++;
    at += 1152 * frames[f].channels;
  }
  EXPECT_EQ(at, reference.size());
  std::printf("l3-he_mode: %d mono frames: max|diff| %.1f PSNR %.1f dB; %d stereo frames "
              "against the average: max|diff| %.1f PSNR %.1f dB\n",
              monoFrames, mono.maxDiff, mono.Psnr(), stereoFrames, stereo.maxDiff,
              stereo.Psnr());
  EXPECT_GT(stereoFrames, 0);
  EXPECT_LE(mono.maxDiff, 1);
  EXPECT_GE(mono.Psnr(), 96);
  // Our two channels are each within 1 of theirs; their average, rounded once, within 1.
  EXPECT_LE(stereo.maxDiff, 1);
  EXPECT_GE(stereo.Psnr(), 96);
}

// Two lame encodes, one after the other, without tags: the second starts with an empty bit
// reservoir, so every frame decodes as in its own file.
std::vector<uint8_t> Joined(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  std::vector<uint8_t> joined = a;
  joined.insert(joined.end(), b.begin(), b.end());
  return joined;
}

// Compares the library's output frame by frame with each frame decoded at its own channel
// count, converted as the output must: mono to both channels exactly, stereo to the average
// (within 1 of the average of the rounded channels).
void ExpectConverted(const std::vector<uint8_t>& stream, int outChannels, const char* name) {
  const std::vector<FrameInfo> frames = Frames(stream);
  const Decoded own = DecodeBytes(stream);
  int error = 0;
  const Wave wave = DecodeWithLibrary(stream, &error);
  ASSERT_TRUE(wave.valid);
  EXPECT_EQ(error, 0);
  ASSERT_EQ(wave.channels, outChannels);
  ASSERT_EQ(wave.pcm.size(), frames.size() * 1152 * outChannels);
  Figures converted;
  size_t at = 0;
  int exactFrames = 0;
  for (size_t f = 0; f < frames.size(); ++f) {
    const int16_t* ours = wave.pcm.data() + f * 1152 * outChannels;
    const int16_t* theirs = own.pcm.data() + at;
    if (frames[f].channels == outChannels) {
      ASSERT_TRUE(std::equal(ours, ours + 1152 * outChannels, theirs)) << name << " frame " << f;
      ++exactFrames;
    } else if (outChannels == 2) {
      for (int i = 0; i < 1152; ++i) {
        ASSERT_EQ(ours[2 * i], theirs[i]) << name << " frame " << f << " sample " << i;
        ASSERT_EQ(ours[2 * i + 1], theirs[i]) << name << " frame " << f << " sample " << i;
      }
    } else {
      for (int i = 0; i < 1152; ++i) converted.Add((theirs[2 * i] + theirs[2 * i + 1]) / 2.0, ours[i]);
    }
    at += 1152 * frames[f].channels;
  }
  EXPECT_EQ(at, own.pcm.size());
  EXPECT_GT(exactFrames, 0);
  if (converted.compared) {
    std::printf("%s: averaged frames against the average of their channels: max|diff| %.1f "
                "PSNR %.1f dB\n", name, converted.maxDiff, converted.Psnr());
    EXPECT_LE(converted.maxDiff, 1);
  }
}

TEST(ChannelChanges, StereoThenMonoGivesBothChannelsTheMonoFrames) {
  const auto stereo = LameEncode(44100, 2, "synth 1 sine 300 sine 700 vol 0.6", "-t -b 128");
  const auto mono = LameEncode(44100, 1, "synth 1 sine 500 vol 0.6", "-t -b 64 -m m");
  if (stereo.empty() || mono.empty()) GTEST_SKIP() << "sox and lame are needed";
  ExpectConverted(Joined(stereo, mono), 2, "stereo+mono");
}

TEST(ChannelChanges, MonoThenStereoAveragesTheStereoFrames) {
  const auto stereo = LameEncode(44100, 2, "synth 1 sine 300 sine 700 vol 0.6", "-t -b 128");
  const auto mono = LameEncode(44100, 1, "synth 1 sine 500 vol 0.6", "-t -b 64 -m m");
  if (stereo.empty() || mono.empty()) GTEST_SKIP() << "sox and lame are needed";
  ExpectConverted(Joined(mono, stereo), 1, "mono+stereo");
}

}  // namespace
}  // namespace kelvaro::test
