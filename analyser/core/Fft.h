// The analyser's transform: a Hann-windowed, zero-padded real FFT of N = 2^9 .. 2^14 points,
// computed as N/2 complex points with halving radix-2 butterflies and Q15 twiddles, then split
// into the spectrum of the real input. Bin k of the result equals
// (2/N) * sum w[n] x[n] e^(-2 pi i k n / N), apart from the rounding of the twiddles.
//
// Tables (built once per analysis by FftSetup):
//   bit reversal: N/2 entries, entry k = 2 * (k with its log2(N/2) bits reversed), an index
//                 into an array of doubles holding (re, im) pairs;
//   twiddles:     N/2 pairs in bit-reversed order: the pair at index rev[k] holds
//                 floor(0.5 - 32768 sin(2 pi k / N)), floor(0.5 - 32768 cos(2 pi k / N));
//   window:       N doubles, a Hann window of length 2h (h = L/2) at the start of the frame,
//                 zeros behind it.
// The data is never reordered: the output is read through the reversal table. It is held as
// two arrays, real and imaginary parts, so that the butterflies run several lanes at once
// (FftSimd.h); the order of the arithmetic is that of the plain transform.
#pragma once
#include <cstdint>
#include <vector>

namespace tessel {

// Level of a bin in quarter-decibels: trunc(40 log10(re^2 + im^2)), within -32767..32767.
int16_t LevelOf(double re, double im);
// The same value, mostly without calling the logarithm (the transform's hot loop).
int16_t FastLevelOf(double re, double im);
// The same two from the power re^2 + im^2.
int16_t LevelOfPower(double power);
int16_t FastLevelOfPower(double power);

class FftEngine {
 public:
  // Builds the tables for N = 2^e (e = 9..14). The window covers
  // L = trunc(sampleRateHz * windowMs * 0.001) samples (cut to N), or N when either argument
  // is -1. Returns 0, or -1 when memory runs out (nothing is then held).
  int FftSetup(int e, int sampleRateHz, double windowMs);
  // Transforms N samples in place. complexOutput false: entries 0 .. N/2-1 receive the levels
  // of bins 0 .. N/2-1. complexOutput true: entries 2k, 2k+1 receive trunc(re), trunc(im) of
  // bin k (held within the 16-bit range).
  void FftRun(int16_t* frame, bool complexOutput) { FftRun(frame, complexOutput, 0, n_ / 2); }
  // The same for the bins first .. end - 1 only (a display shows a band of them); the entries
  // of other bins keep what they held, and so may Re and Im of other bins.
  void FftRun(int16_t* frame, bool complexOutput, int first, int end);
  void FftRelease();

  int N() const { return n_; }
  int L() const { return l_; }
  const std::vector<int16_t>& BitReversal() const { return rev_; }
  const std::vector<double>& Twiddles() const { return twiddle_; }
  const std::vector<double>& Window() const { return window_; }
  // The (re, im) of bin k after the last FftRun.
  double Re(int k) const { return re_[rev_[k] >> 1]; }
  double Im(int k) const { return im_[rev_[k] >> 1]; }

 private:
  // The split of the N/2 complex values into the spectrum of the real input, step by step.
  struct SplitStep {
    double s, c;  // twiddle pair rev[i] divided by 32768
    int a, b;     // the elements of bins i and N/2 - i
    int bin;      // i
  };
  void Transform(const int16_t* frame);
  void PlanSplit(int first, int end);

  int n_ = 0;
  int l_ = 0;
  std::vector<int16_t> rev_;
  std::vector<double> twiddle_;
  std::vector<double> window_;
  std::vector<double> re_, im_;              // the N/2 complex values
  std::vector<double> tw0_, tw1_;            // twiddle pair g divided by 32768, for the butterflies
  std::vector<double> power_;                // per bin, for the levels
  std::vector<double> windowRe_, windowIm_;  // the window at the even and the odd samples
  std::vector<SplitStep> steps_;  // the split steps for the bins planFirst_ .. planEnd_ - 1
  int planFirst_ = -1, planEnd_ = -1;
};

}  // namespace tessel
