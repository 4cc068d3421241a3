// Streams made with lame at test time decode like mpg123 decodes them, through the native
// command-line tool: the same sample count, no sample more than 1 apart, PSNR >= 96 dB.
// Both decoders output every frame (mpg123 with --no-gapless) and skip lame's Info/Xing
// frame, so no alignment is needed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "TestSupport.h"

namespace kelvaro::test {
namespace {

#if defined(_WIN32) || !defined(KELVARO_TOOL)

TEST(Reference, LameAndMpg123) {
  GTEST_SKIP() << "lame, mpg123 and the native tool run on the native build only";
}

#else

struct Case {
  const char* name;
  const char* lameOptions;
  int channels;
  int rate;
};

class Reference : public ::testing::TestWithParam<Case> {};

TEST_P(Reference, MatchesMpg123) {
  for (const char* tool : {"sox", "lame", "mpg123"})
    if (!HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
  const Case& c = GetParam();
  std::string source = TempPath(".wav"), mp3 = TempPath(".mp3"), ref = TempPath(".raw"),
              ours = TempPath(".wav");
  std::string synth = "sox -n -r 44100 -c " + std::to_string(c.channels) + " -b 16 " + source +
                      " synth 3 sine 200-5000 sine 440 vol 0.6 2>/dev/null";
  ASSERT_EQ(std::system(synth.c_str()), 0);
  ASSERT_EQ(std::system(
                ("lame --quiet " + std::string(c.lameOptions) + " " + source + " " + mp3).c_str()),
            0);
  ASSERT_EQ(std::system(("mpg123 -q --no-gapless -s " + mp3 + " >" + ref + " 2>/dev/null").c_str()),
            0);
  ASSERT_EQ(
      std::system((std::string(KELVARO_TOOL) + " " + mp3 + " " + ours + " >/dev/null").c_str()), 0);

  std::vector<int16_t> reference = ReadPcm(ref);
  Wave wave = ReadWave(ours);
  ASSERT_TRUE(wave.valid);
  ASSERT_FALSE(reference.empty());
  Comparison cmp = Compare(reference, wave.pcm, 0);
  std::printf("%-14s %d Hz %d ch: samples %zu / %zu  max|diff| %d  PSNR %.1f dB\n", c.name,
              wave.rate, wave.channels, reference.size(), wave.pcm.size(), cmp.maxDiff, cmp.psnr);
  EXPECT_EQ(wave.rate, c.rate);
  EXPECT_EQ(wave.channels, c.channels);
  EXPECT_EQ(wave.pcm.size(), reference.size());
  EXPECT_LE(cmp.maxDiff, 1);
  EXPECT_GE(cmp.psnr, 96.0);
  for (const std::string& f : {source, mp3, ref, ours}) std::remove(f.c_str());
}

const Case kCases[] = {
    {"lsf16_mono", "--resample 16 -b 24 -m m", 1, 16000},
    {"lsf16_stereo", "--resample 16 -b 48", 2, 16000},
    {"lsf22_mono", "--resample 22.05 -b 32 -m m", 1, 22050},
    {"lsf22_stereo", "--resample 22.05 -b 64", 2, 22050},
    {"lsf24_mono", "--resample 24 -b 40 -m m", 1, 24000},
    {"lsf24_stereo", "--resample 24 -b 96", 2, 24000},
    {"mpeg1_32k", "--resample 32 -b 32", 2, 32000},
    {"mpeg1_128k", "-b 128", 2, 44100},
    {"mpeg1_320k", "-b 320", 2, 44100},
    {"vbr", "-V 2", 2, 44100},
};

INSTANTIATE_TEST_SUITE_P(Lame, Reference, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return info.param.name;
                         });

TEST(Tool, DecodesLikeTheCore) {
  std::string dir = TestDataDir();
  if (dir.empty()) GTEST_SKIP() << "compliance streams not found";
  std::string out = TempPath(".wav");
  std::string stream = dir + "/l3-test45.bit";
  ASSERT_EQ(
      std::system((std::string(KELVARO_TOOL) + " " + stream + " " + out + " >/dev/null").c_str()),
      0);
  Wave wave = ReadWave(out);
  Decoded direct = DecodeBytes(ReadFile(stream));
  EXPECT_EQ(wave.rate, 22050);
  EXPECT_EQ(wave.channels, 2);
  EXPECT_EQ(wave.pcm, direct.pcm);
  std::remove(out.c_str());
}

#endif

}  // namespace
}  // namespace kelvaro::test
