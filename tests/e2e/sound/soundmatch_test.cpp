// The recording checker must see what the end-to-end tests rely on it to see: where a
// window lies in the song, a gap or repeat of a few milliseconds, where playback really
// starts and stops, and the gain of each channel.
#include "sound/SoundMatch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace soundcheck {
namespace {

constexpr size_t kWindow = 11025;  // 250 ms at 44.1 kHz

std::vector<float> Noise(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<float> normal(0.0f, 0.2f);
  std::vector<float> v(n);
  for (auto& x : v) x = normal(random);
  return v;
}

// `reference` played from `from` for `length` frames, behind `lead` frames of silence.
std::vector<float> Played(const std::vector<float>& reference, size_t lead, size_t from,
                          size_t length) {
  std::vector<float> out(lead, 0.0f);
  out.insert(out.end(), reference.begin() + long(from), reference.begin() + long(from + length));
  return out;
}

TEST(SoundMatch, LocatesAWindowAnywhereAndNearAnExpectedOffset) {
  const std::vector<float> reference = Noise(44100 * 3, 1);
  const Locator locator(reference);
  const Match full = locator.Find(reference.data() + 70001, kWindow);
  EXPECT_EQ(full.offset, 70001);
  EXPECT_GT(full.correlation, 0.999);
  const Match near = locator.FindNear(reference.data() + 70001, kWindow, 70300, 400);
  EXPECT_EQ(near.offset, 70001);
  // Outside the radius it cannot be found.
  EXPECT_LT(locator.FindNear(reference.data() + 70001, kWindow, 72000, 400).correlation, 0.2);
}

TEST(SoundMatch, UninterruptedPlaybackIsOneRunAtOneOffset) {
  const std::vector<float> reference = Noise(44100 * 4, 2);
  const Locator locator(reference);
  const std::vector<float> recording = Played(reference, 3000, 0, reference.size());
  const auto tracked = Track(recording, locator, kWindow, 1000);
  const auto runs = Stretches(tracked, 441);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].offsetShift, -3000);
  EXPECT_GT(runs[0].worstCorrelation, 0.99);
}

TEST(SoundMatch, AGapOrARepeatOfTwelveMillisecondsSplitsTheRun) {
  const std::vector<float> reference = Noise(44100 * 4, 3);
  const Locator locator(reference);
  for (long jump : {529L, -529L}) {  // 12 ms skipped, or 12 ms played twice
    std::vector<float> recording = Played(reference, 0, 0, 80000);
    const std::vector<float> rest = Played(reference, 0, size_t(80000 + jump), 60000);
    recording.insert(recording.end(), rest.begin(), rest.end());
    const auto runs = Stretches(Track(recording, locator, kWindow, 1000), 441);
    ASSERT_GE(runs.size(), 2u) << "jump " << jump;
    EXPECT_EQ(runs.back().offsetShift, jump);
  }
}

TEST(SoundMatch, FindsWherePlaybackStopsAndResumesToABlock) {
  const std::vector<float> reference = Noise(44100 * 4, 4);
  const Locator locator(reference);
  // Played from 0 to 50000, a second of silence, then on from 50000 (a pause and resume).
  std::vector<float> recording = Played(reference, 0, 0, 50000);
  const std::vector<float> after = Played(reference, 44100, 50000, 60000);
  recording.insert(recording.end(), after.begin(), after.end());
  const size_t end = ExtendRun(recording, locator, 0, 22050, +1);
  EXPECT_NEAR(double(end), 50000.0, 220.0);
  const size_t resume = ExtendRun(recording, locator, 50000 - 94100, 120000, -1);
  EXPECT_NEAR(double(resume), 94100.0, 220.0);
}

TEST(SoundMatch, GainOfEachChannel) {
  const std::vector<float> left = Noise(20000, 5), right = Noise(20000, 6);
  Pcm reference{44100, 2, {}}, recording{44100, 2, {}};
  for (size_t i = 0; i < left.size(); ++i) {
    reference.samples.push_back(int16_t(left[i] * 30000));
    reference.samples.push_back(int16_t(right[i] * 30000));
  }
  recording.samples.assign(200, 0);  // 100 frames late
  for (size_t i = 0; i < left.size(); ++i) {
    recording.samples.push_back(int16_t(std::lround(left[i] * 15000)));
    recording.samples.push_back(int16_t(right[i] * 30000));
  }
  EXPECT_NEAR(Gain(recording, reference, 0, 100, 20100, -100), 0.5, 0.001);
  EXPECT_NEAR(Gain(recording, reference, 1, 100, 20100, -100), 1.0, 0.001);
  EXPECT_NEAR(20 * std::log10(Gain(recording, reference, 0, 100, 20100, -100)), -6.02, 0.01);
}

TEST(SoundMatch, SilenceIsNotLocated) {
  const std::vector<float> reference = Noise(44100 * 2, 7);
  const Locator locator(reference);
  const std::vector<float> silence(kWindow * 2, 0.0f);
  const auto tracked = Track(silence, locator, kWindow, 1000);
  ASSERT_EQ(tracked.size(), 2u);
  EXPECT_TRUE(tracked[0].silent);
  EXPECT_TRUE(Stretches(tracked, 441).empty());
}

// The sound server running dry shows as exact digital silence between sounds; silence
// before the first sound, a long pause and quiet sound are not that.
TEST(SoundMatch, AnUnderrunIsShortExactSilenceBetweenSounds) {
  auto recording = [](size_t lead, size_t gap, int16_t inGap) {
    Pcm pcm{44100, 2, std::vector<int16_t>(2 * lead, 0)};
    for (size_t part = 0; part < 2; ++part) {
      pcm.samples.insert(pcm.samples.end(), 2 * 4410, 1000);
      if (part == 0) pcm.samples.insert(pcm.samples.end(), 2 * gap, inGap);
    }
    return pcm;
  };
  EXPECT_TRUE(HasUnderrun(recording(0, 4410, 0)));    // 100 ms
  EXPECT_TRUE(HasUnderrun(recording(0, 90, 0)));      // 2 ms
  EXPECT_FALSE(HasUnderrun(recording(0, 60, 0)));     // shorter
  EXPECT_FALSE(HasUnderrun(recording(0, 13230, 0)));  // 300 ms: a pause
  EXPECT_FALSE(HasUnderrun(recording(0, 4410, 1)));   // quiet, not silent
  EXPECT_FALSE(HasUnderrun(recording(4410, 0, 0)));   // silence before the first sound
}

}  // namespace
}  // namespace soundcheck
