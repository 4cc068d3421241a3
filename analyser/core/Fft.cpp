#include "analyser/core/Fft.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "analyser/core/FftSimd.h"

namespace tessel {

int16_t LevelOf(double re, double im) {
  double level = 40.0 * std::log10(re * re + im * im);
  level = std::clamp(level, -32767.0, 32767.0);  // zero power gives -infinity
  return static_cast<int16_t>(level);
}

namespace {

// log2(1 + i/256) for linear interpolation of the mantissa's logarithm.
struct Log2Table {
  double v[257];
  Log2Table() {
    for (int i = 0; i <= 256; ++i) v[i] = std::log2(1.0 + i / 256.0);
  }
};

const Log2Table table;

}  // namespace

// LevelOf without a logarithm call for most powers. An estimate of 40 log10(p) within 1e-4
// decides the level whenever the interval estimate +- 2e-3 truncates to one value; near a
// level boundary the exact formula decides, so the result is always that of LevelOf.
int16_t FastLevelOf(double re, double im) {
  const double p = re * re + im * im;
  if (!(p >= 1e-300 && p <= 1e300)) return LevelOf(re, im);
  uint64_t bits;
  std::memcpy(&bits, &p, sizeof bits);
  const int exponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
  const uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
  const int i = static_cast<int>(mantissa >> 44);  // top 8 bits
  const double f =
      static_cast<double>(mantissa & ((uint64_t{1} << 44) - 1)) / double(uint64_t{1} << 44);
  const double log2p = exponent + table.v[i] + f * (table.v[i + 1] - table.v[i]);
  const double estimate = log2p * (40.0 * 0.30102999566398119521);
  if (!(estimate > -32000 && estimate < 32000)) return LevelOf(re, im);
  // Conversions truncate toward zero, as the level does.
  const int low = static_cast<int>(estimate - 2e-3), high = static_cast<int>(estimate + 2e-3);
  if (low != high) return LevelOf(re, im);
  return static_cast<int16_t>(low);
}

int FftEngine::FftSetup(int e, int sampleRateHz, double windowMs) {
  FftRelease();
  const int n = 1 << e;
  int l = n;
  if (sampleRateHz != -1 && windowMs != -1.0) {
    // A window meant to be a whole number of samples is not cut short by rounding noise.
    double length = std::trunc(sampleRateHz * windowMs * 0.001 + 1e-6);
    l = length >= n ? n : length > 0 ? static_cast<int>(length) : 0;
  }
  try {
    rev_.assign(n / 2, 0);
    twiddle_.assign(n, 0.0);
    window_.assign(n, 0.0);
    re_.assign(n / 2, 0.0);
    im_.assign(n / 2, 0.0);
    tw0_.assign(n / 4, 0.0);
    tw1_.assign(n / 4, 0.0);
  } catch (const std::bad_alloc&) {
    FftRelease();
    return -1;
  }
  n_ = n;
  l_ = l;
  for (int k = 0; k < n / 2; ++k) {
    int v = 0;
    for (int mask = n / 4; mask >= 1; mask >>= 1) v = (v >> 1) + ((k & mask) ? n / 2 : 0);
    rev_[k] = static_cast<int16_t>(v);
  }
  // Twiddles are rounded from extended-precision sines and cosines.
  const long double pi = 3.141592653589793238462643383279502884L;
  for (int k = 0; k < n / 2; ++k) {
    long double angle = 2.0L * pi * k / n;
    twiddle_[rev_[k]] = static_cast<double>(std::floor(0.5L - 32768.0L * std::sin(angle)));
    twiddle_[rev_[k] + 1] = static_cast<double>(std::floor(0.5L - 32768.0L * std::cos(angle)));
  }
  for (int g = 0; g < n / 4; ++g) {
    tw0_[g] = twiddle_[2 * g] / 32768.0;
    tw1_[g] = twiddle_[2 * g + 1] / 32768.0;
  }
  const int h = l / 2;
  const double twoPi = 2.0 * 3.14159265358979323846;
  for (int j = -h; j < h; ++j) window_[h + j] = (std::cos(twoPi * j / (2 * h)) + 1.0) * 0.5;
  return 0;
}

void FftEngine::FftRelease() {
  n_ = l_ = 0;
  std::vector<int16_t>().swap(rev_);
  std::vector<double>().swap(twiddle_);
  std::vector<double>().swap(window_);
  for (std::vector<double>* v : {&re_, &im_, &tw0_, &tw1_}) std::vector<double>().swap(*v);
}

void FftEngine::Transform(const int16_t* frame, int first, int end) {
  const int half = n_ / 2;  // complex elements
  double* re = re_.data();
  double* im = im_.data();
  const double* w = window_.data();
  for (int m = 0; m < half; ++m) {
    re[m] = frame[2 * m] * w[2 * m];
    im[m] = frame[2 * m + 1] * w[2 * m + 1];
  }
  // Butterflies: every stage halves; group g uses twiddle pair g for all its butterflies.
  fft_kernels::BestKernel()(re, im, tw0_.data(), tw1_.data(), half);
  Split(first, end);
}

// Splits the N/2 complex values into the spectrum of the N real samples. Step i gives bins i
// and N/2 - i from the elements at rev[i] and rev[N/2 - i]; the steps are independent, so they
// are taken in the order of their first element in memory (the reversal table is its own
// inverse), and only those for the bins asked for.
void FftEngine::Split(int first, int end) {
  const int half = n_ / 2;
  double* re = re_.data();
  double* im = im_.data();
  const int16_t* rev = rev_.data();
  for (int a = 1; a < half; ++a) {
    const int i = rev[a] >> 1, j = half - i;
    if (i > j || ((i < first || i >= end) && (j < first || j >= end))) continue;
    const int b = rev[j] >> 1;  // a itself when i = j
    const double s = twiddle_[2 * a] / 32768.0;
    const double c = twiddle_[2 * a + 1] / 32768.0;
    double dre = re[a] - re[b], sre = re[a] + re[b];
    double dim = im[a] - im[b], sim = im[a] + im[b];
    double u = s * dre - c * sim;
    double v = c * dre + s * sim;
    re[a] = (sre + u) / 2.0;
    re[b] = re[a] - u;
    im[a] = (dim + v) / 2.0;
    im[b] = im[a] - dim;
  }
  re[0] = re[0] + im[0];  // bin 0 (at rev[0] = 0); the Nyquist value is dropped
  im[0] = 0.0;
}

void FftEngine::FftRun(int16_t* frame, bool complexOutput, int first, int end) {
  const int half = n_ / 2;
  first = std::clamp(first, 0, half);
  end = std::clamp(end, first, half);
  Transform(frame, first, end);
  if (!complexOutput) {
    for (int k = first; k < end; ++k) frame[k] = FastLevelOf(Re(k), Im(k));
    return;
  }
  auto to16 = [](double x) {
    return static_cast<int16_t>(std::clamp(std::trunc(x), -32768.0, 32767.0));
  };
  for (int k = first; k < end; ++k) {
    frame[2 * k] = to16(Re(k));
    frame[2 * k + 1] = to16(Im(k));
  }
}

}  // namespace tessel
