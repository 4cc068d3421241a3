// The MPEG-1 compliance streams decode within the standard's accuracy: no sample more than 1
// from the reference and a PSNR of at least 108 dB.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "TestSupport.h"

namespace kelvaro::test {
namespace {

const char* const kStreams[] = {
    "l1-fl1",      "l1-fl2",      "l1-fl3",      "l1-fl4",     "l1-fl5",      "l1-fl6",
    "l1-fl7",      "l1-fl8",      "l2-fl10",     "l2-fl11",    "l2-fl12",     "l2-fl13",
    "l2-fl14",     "l2-fl15",     "l2-fl16",     "l2-test32",  "l3-compl",    "l3-he_32khz",
    "l3-he_44khz", "l3-he_48khz", "l3-he_free",  "l3-he_mode", "l3-hecommon", "l3-si",
    "l3-si_block", "l3-si_huff",  "l3-sin1k0db", "l3-test45",  "l3-test46"};

class Compliance : public ::testing::TestWithParam<const char*> {};

TEST_P(Compliance, MatchesReference) {
  std::string dir = TestDataDir();
  if (dir.empty())
    GTEST_SKIP() << "compliance streams not found beside the project (../shared/testdata/mpeg)";
  std::string name = GetParam();
  std::vector<uint8_t> bits = ReadFile(dir + "/" + name + ".bit");
  std::vector<int16_t> reference = ReadPcm(dir + "/" + name + ".pcm");
  if (bits.empty() || reference.empty()) GTEST_SKIP() << name << " is not in " << dir;

  Decoded ours = DecodeBytes(bits);
  ASSERT_GT(ours.frames, 0);
  const size_t frameSamples = size_t(ours.samplesPerFrame) * ours.channels;
  Comparison c = Compare(reference, ours.pcm, frameSamples);
  std::printf("%-12s ref %7zu ours %7zu compared %7zu dropped %d  max|diff| %d  PSNR %.1f dB\n",
              name.c_str(), reference.size(), ours.pcm.size(), c.compared, c.framesDropped,
              c.maxDiff, c.psnr);

  // Sample counts: the reference may be longer by its filter flush and zero padding, or
  // shorter by a leading or trailing frame that it did not output.
  if (reference.size() > ours.pcm.size()) {
    const size_t flush = 16 * 32 * size_t(ours.channels);
    for (size_t i = ours.pcm.size() + flush; i < reference.size(); ++i)
      ASSERT_EQ(reference[i], 0) << "reference has sound beyond our end at sample " << i;
  } else {
    EXPECT_LE(ours.pcm.size() - reference.size(), 2 * frameSamples);
  }
  EXPECT_GE(c.compared, std::min(reference.size(), ours.pcm.size()) - 2 * frameSamples);
  EXPECT_LE(c.maxDiff, 1);
  EXPECT_GE(c.psnr, 108.0);
}

INSTANTIATE_TEST_SUITE_P(Streams, Compliance, ::testing::ValuesIn(kStreams),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string n = info.param;
                           for (char& ch : n)
                             if (ch == '-') ch = '_';
                           return n;
                         });

}  // namespace
}  // namespace kelvaro::test
