#include "analyser/core/Fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "analyser/core/FftSimd.h"

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

namespace {

// The transform step by step as its description reads: interleaved (re, im) pairs, the
// butterflies with the unscaled twiddles, the split pass in the order of i. The engine's
// faster arrangement must give exactly these doubles.
std::vector<double> DescribedTransform(const FftEngine& fft, const int16_t* frame) {
  const int n = fft.N(), half = n / 2;
  const std::vector<double>& tw = fft.Twiddles();
  const std::vector<int16_t>& rev = fft.BitReversal();
  std::vector<double> d(n);
  for (int i = 0; i < n; ++i) d[i] = frame[i] * fft.Window()[i];
  for (int h = half / 2; h >= 1; h >>= 1) {
    for (int start = 0, g = 0; start < half; start += 2 * h, ++g) {
      for (int i = start; i < start + h; ++i) {
        double* p = &d[2 * i];
        double* q = &d[2 * (i + h)];
        double t1 = (tw[2 * g] * q[1] + tw[2 * g + 1] * q[0]) / 32768.0;
        double t2 = (tw[2 * g] * q[0] - tw[2 * g + 1] * q[1]) / 32768.0;
        q[0] = (p[0] + t1) / 2.0;
        p[0] = q[0] - t1;
        q[1] = (p[1] - t2) / 2.0;
        p[1] = q[1] + t2;
      }
    }
  }
  for (int i = 1, j = half - 1; i <= j; ++i, --j) {
    double* p = &d[rev[i]];
    double* q = &d[rev[j]];
    const double s = tw[rev[i]] / 32768.0, c = tw[rev[i] + 1] / 32768.0;
    double dre = p[0] - q[0], sre = p[0] + q[0], dim = p[1] - q[1], sim = p[1] + q[1];
    double u = s * dre - c * sim, v = c * dre + s * sim;
    p[0] = (sre + u) / 2.0;
    q[0] = p[0] - u;
    p[1] = (dim + v) / 2.0;
    q[1] = p[1] - dim;
  }
  d[0] += d[1];
  d[1] = 0;
  return d;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::vector<int16_t> Noise(int n, unsigned seed, int amplitude) {
  std::mt19937 random(seed);
  std::vector<int16_t> x(n);
  for (int16_t& v : x) v = static_cast<int16_t>(int(random() % (2 * amplitude + 1)) - amplitude);
  return x;
}

TEST(Fft, EveryBinHasTheBitsOfTheDescribedTransform) {
  for (int e = 9; e <= 14; ++e) {
    for (double windowMs : {-1.0, 30.0, 3.0}) {  // whole frame, part of it, a tenth or less
      FftEngine fft;
      ASSERT_EQ(fft.FftSetup(e, 44100, windowMs), 0);
      const int n = fft.N();
      for (int amplitude : {32767, 3}) {
        std::vector<int16_t> frame = Noise(n, e * 7 + amplitude, amplitude);
        const std::vector<double> d = DescribedTransform(fft, frame.data());
        fft.FftRun(frame.data(), true);
        for (int k = 0; k < n / 2; ++k) {
          const int at = fft.BitReversal()[k];
          ASSERT_TRUE(SameBits(fft.Re(k), d[at]) && SameBits(fft.Im(k), d[at + 1]))
              << "N=" << n << " window " << windowMs << " k=" << k << ": " << fft.Re(k) << " "
              << d[at];
        }
      }
    }
  }
}

TEST(Fft, EveryKernelOfThisProcessorGivesThePlainKernelsBits) {
  const std::vector<tessel::fft_kernels::Kernel> kernels = tessel::fft_kernels::AvailableKernels();
  if (kernels.size() < 2) GTEST_SKIP() << "only the plain kernel runs here";
  for (int e = 9; e <= 14; ++e) {
    FftEngine fft;
    ASSERT_EQ(fft.FftSetup(e, -1, -1.0), 0);
    const int half = fft.N() / 2;
    std::vector<double> tw0(half / 2), tw1(half / 2);
    for (int g = 0; g < half / 2; ++g) {
      tw0[g] = fft.Twiddles()[2 * g] / 32768;
      tw1[g] = fft.Twiddles()[2 * g + 1] / 32768;
    }
    std::mt19937_64 random(e);
    std::uniform_real_distribution<double> value(-40000, 40000);
    std::vector<double> re(half), im(half);
    for (int m = 0; m < half; ++m) re[m] = value(random), im[m] = value(random);
    std::vector<double> plainRe = re, plainIm = im;
    kernels[0].run(plainRe.data(), plainIm.data(), tw0.data(), tw1.data(), half);
    for (size_t k = 1; k < kernels.size(); ++k) {
      std::vector<double> r = re, i = im;
      kernels[k].run(r.data(), i.data(), tw0.data(), tw1.data(), half);
      EXPECT_EQ(std::memcmp(r.data(), plainRe.data(), half * sizeof(double)), 0)
          << kernels[k].name << " N=" << 2 * half;
      EXPECT_EQ(std::memcmp(i.data(), plainIm.data(), half * sizeof(double)), 0)
          << kernels[k].name << " N=" << 2 * half;
    }
  }
}

TEST(Fft, ABandOfBinsHasTheValuesOfTheWholeSpectrumAndLeavesTheRest) {
  FftEngine fft;
  ASSERT_EQ(fft.FftSetup(12, -1, -1.0), 0);
  const int n = fft.N(), half = n / 2;
  const std::vector<int16_t> x = Noise(n, 11, 20000);
  for (bool complexOutput : {false, true}) {
    std::vector<int16_t> whole = x;
    fft.FftRun(whole.data(), complexOutput);
    // From bin 0, a band of the middle, the middle step (i = N/4) alone, a band past the end.
    for (auto [first, end] :
         {std::pair{0, 5}, {700, 1212}, {half / 2, half / 2 + 1}, {half - 3, half + 50}}) {
      std::vector<int16_t> band = x;
      fft.FftRun(band.data(), complexOutput, first, end);
      const int width = complexOutput ? 2 : 1;
      for (int k = 0; k < half; ++k) {
        const bool inside = k >= first && k < end;
        for (int part = 0; part < width; ++part) {
          const int at = width * k + part;
          ASSERT_EQ(band[at], inside ? whole[at] : x[at])
              << (complexOutput ? "complex" : "levels") << " band " << first << ".." << end
              << " bin " << k;
        }
      }
    }
  }
}

}  // namespace
