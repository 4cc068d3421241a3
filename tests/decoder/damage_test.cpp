// Issue 11, faults 3, 7 and 8: damaged streams, junk that looks like a stream, and free-format
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

}  // namespace
}  // namespace kelvaro::test
