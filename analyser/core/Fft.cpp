#include "analyser/core/Fft.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

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
    work_.assign(2 * size_t(n), 0.0);  // room for N complex values
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
  std::vector<double>().swap(work_);
}

void FftEngine::Transform(const int16_t* frame) {
  const int n = n_;
  double* d = work_.data();
  const double* w = window_.data();
  for (int i = 0; i < n; ++i) d[i] = frame[i] * w[i];

  // Butterflies: every stage halves; group g uses twiddle pair g for all its butterflies.
  const int half = n / 2;  // complex elements
  for (int h = half / 2; h >= 1; h >>= 1) {
    for (int start = 0, g = 0; start < half; start += 2 * h, ++g) {
      const double w0 = twiddle_[2 * g];
      const double w1 = twiddle_[2 * g + 1];
      for (int i = start; i < start + h; ++i) {
        double* p = d + 2 * i;
        double* q = d + 2 * (i + h);
        double t1 = (w0 * q[1] + w1 * q[0]) / 32768.0;
        double t2 = (w0 * q[0] - w1 * q[1]) / 32768.0;
        q[0] = (p[0] + t1) / 2.0;
        p[0] = q[0] - t1;
        q[1] = (p[1] - t2) / 2.0;
        p[1] = q[1] + t2;
      }
    }
  }

  // Split the N/2 complex values into the spectrum of the N real samples.
  const int16_t* rev = rev_.data();
  for (int i = 1, j = half - 1; i <= j; ++i, --j) {
    double* p = d + rev[i];
    double* q = d + rev[j];
    const double s = twiddle_[rev[i]] / 32768.0;
    const double c = twiddle_[rev[i] + 1] / 32768.0;
    double dre = p[0] - q[0], sre = p[0] + q[0];
    double dim = p[1] - q[1], sim = p[1] + q[1];
    double u = s * dre - c * sim;
    double v = c * dre + s * sim;
    p[0] = (sre + u) / 2.0;
    q[0] = p[0] - u;
    p[1] = (dim + v) / 2.0;
    q[1] = p[1] - dim;
  }
  d[0] = d[0] + d[1];  // bin 0 (at rev[0] = 0); the Nyquist value is dropped
  d[1] = 0.0;
}

void FftEngine::FftRun(int16_t* frame, bool complexOutput) {
  Transform(frame);
  const int half = n_ / 2;
  if (!complexOutput) {
    for (int k = 0; k < half; ++k) frame[k] = FastLevelOf(Re(k), Im(k));
    return;
  }
  auto to16 = [](double x) {
    return static_cast<int16_t>(std::clamp(std::trunc(x), -32768.0, 32767.0));
  };
  for (int k = 0; k < half; ++k) {
    frame[2 * k] = to16(Re(k));
    frame[2 * k + 1] = to16(Im(k));
  }
}

}  // namespace tessel
