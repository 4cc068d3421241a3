#include "analyser/core/Fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

using tessel::FftEngine;
const double kPi = 3.14159265358979323846;

std::vector<int16_t> Sine(int n, double bin, double amplitude = 32767) {
  std::vector<int16_t> x(n);
  for (int i = 0; i < n; ++i)
    x[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * kPi * bin * i / n)));
  return x;
}

TEST(Fft, AllZeroFrameGivesTheSilentLevelInEveryBin) {
  for (int e = 9; e <= 14; ++e) {
    FftEngine fft;
    ASSERT_EQ(fft.FftSetup(e, -1, -1.0), 0);
    std::vector<int16_t> frame(fft.N(), 0);
    fft.FftRun(frame.data(), false);
    for (int k = 0; k < fft.N() / 2; ++k)
      ASSERT_EQ(frame[k], -32767) << "N=" << fft.N() << " k=" << k;
  }
}

TEST(Fft, FullScaleSineOnABinGives337AndTheHannLobe24Lower) {
  for (int e = 9; e <= 14; ++e) {
    FftEngine fft;
    ASSERT_EQ(fft.FftSetup(e, -1, -1.0), 0);
    const int n = fft.N(), bin = n / 8 + 3;
    std::vector<int16_t> frame = Sine(n, bin);
    fft.FftRun(frame.data(), false);
    EXPECT_EQ(frame[bin], 337) << "N=" << n;
    EXPECT_NEAR(frame[bin - 1], 337 - 24, 1) << "N=" << n;
    EXPECT_NEAR(frame[bin + 1], 337 - 24, 1) << "N=" << n;
    EXPECT_LT(frame[bin + 3], 0) << "beyond the main lobe the Hann window is quiet";
  }
}

TEST(Fft, BitReversalAndTwiddleTablesFollowTheirFormulas) {
  for (int e = 9; e <= 14; ++e) {
    FftEngine fft;
    ASSERT_EQ(fft.FftSetup(e, -1, -1.0), 0);
    const int n = fft.N(), bits = e - 1;
    ASSERT_EQ(fft.BitReversal().size(), size_t(n / 2));
    ASSERT_EQ(fft.Twiddles().size(), size_t(n));
    std::vector<bool> seen(n / 2);
    for (int k = 0; k < n / 2; ++k) {
      int reversed = 0;
      for (int b = 0; b < bits; ++b)
        if (k & (1 << b)) reversed |= 1 << (bits - 1 - b);
      ASSERT_EQ(fft.BitReversal()[k], 2 * reversed) << "N=" << n << " k=" << k;
      const double angle = 2 * kPi * k / n;
      const double* pair = &fft.Twiddles()[fft.BitReversal()[k]];
      ASSERT_EQ(pair[0], std::floor(0.5 - 32768 * std::sin(angle))) << "N=" << n << " k=" << k;
      ASSERT_EQ(pair[1], std::floor(0.5 - 32768 * std::cos(angle))) << "N=" << n << " k=" << k;
      seen[reversed] = true;
    }
    for (bool s : seen) ASSERT_TRUE(s) << "every pair of the twiddle table is filled";
  }
}

TEST(Fft, WindowIsAHannOfTheRequestedLengthFollowedByZeros) {
  FftEngine fft;
  // p = 100: the window is N/10 long (1024 points at 44100 Hz: bin 43.07 Hz, resolution
  // 430.7 Hz, window 2.3220 ms -> 102 samples).
  const double windowMs = 1000 / (44100.0 / 1024 * 100 * 0.1);
  ASSERT_EQ(fft.FftSetup(10, 44100, windowMs), 0);
  EXPECT_EQ(fft.L(), 102);
  const std::vector<double>& w = fft.Window();
  EXPECT_EQ(w[0], 0.0);
  EXPECT_DOUBLE_EQ(w[51], 1.0);
  for (int j = 1; j < 51; ++j) EXPECT_DOUBLE_EQ(w[51 - j], w[51 + j]);
  for (int i = 102; i < 1024; ++i) ASSERT_EQ(w[i], 0.0);
  // A window longer than the frame is cut to it.
  ASSERT_EQ(fft.FftSetup(9, 44100, 1000.0), 0);
  EXPECT_EQ(fft.L(), 512);
}

TEST(Fft, ComplexOutputEqualsTheScaledDiscreteTransform) {
  for (int e : {9, 12}) {
    FftEngine fft;
    ASSERT_EQ(fft.FftSetup(e, -1, -1.0), 0);
    const int n = fft.N();
    std::mt19937 random(e);
    std::vector<int16_t> x(n);
    for (int16_t& v : x) v = static_cast<int16_t>(int(random() % 65536) - 32768);
    std::vector<int16_t> frame = x;
    fft.FftRun(frame.data(), true);
    for (int k = 1; k < n / 2; k += 13) {
      double re = 0, im = 0;
      for (int m = 0; m < n; ++m) {
        const double a = -2 * kPi * double(k) * m / n;
        re += fft.Window()[m] * x[m] * std::cos(a);
        im += fft.Window()[m] * x[m] * std::sin(a);
      }
      re *= 2.0 / n, im *= 2.0 / n;
      EXPECT_NEAR(fft.Re(k), re, 0.1) << "N=" << n << " k=" << k;
      EXPECT_NEAR(fft.Im(k), im, 0.1) << "N=" << n << " k=" << k;
      EXPECT_EQ(frame[2 * k], static_cast<int16_t>(std::trunc(fft.Re(k))));
      EXPECT_EQ(frame[2 * k + 1], static_cast<int16_t>(std::trunc(fft.Im(k))));
    }
  }
}

TEST(Fft, LevelIsFortyLogOfThePowerTruncated) {
  EXPECT_EQ(tessel::LevelOf(0, 0), -32767);
  EXPECT_EQ(tessel::LevelOf(10, 0), 80);
  EXPECT_EQ(tessel::LevelOf(0.5, 0), -24);  // -24.08 truncates toward zero
  EXPECT_EQ(tessel::LevelOf(3, 4), 55);     // 40 log10(25) = 55.9
}

}  // namespace

namespace {

TEST(Fft, FastLevelEqualsTheFormulaEverywhere) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> exponent(-40, 10);
  for (int i = 0; i < 200000; ++i) {
    const double re = std::pow(10.0, exponent(random)), im = (random() % 3) * re * 0.37;
    ASSERT_EQ(tessel::FastLevelOf(re, im), tessel::LevelOf(re, im)) << re << " " << im;
  }
  // Right on and around the level boundaries 10^(L/40).
  for (int level = -1500; level <= 380; ++level) {
    const double p = std::pow(10.0, level / 40.0);
    for (double scale : {1.0, 1 + 1e-15, 1 - 1e-15, 1 + 1e-9, 1 - 1e-9}) {
      const double re = std::sqrt(p * scale);
      ASSERT_EQ(tessel::FastLevelOf(re, 0), tessel::LevelOf(re, 0)) << level << " " << scale;
    }
  }
  EXPECT_EQ(tessel::FastLevelOf(0, 0), -32767);
  EXPECT_EQ(tessel::FastLevelOf(1e-200, 0), -32767);
}

}  // namespace
