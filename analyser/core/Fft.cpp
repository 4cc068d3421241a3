#include "analyser/core/Fft.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "analyser/core/FftSimd.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessel {

int16_t LevelOfPower(double p) {
  double level = 40.0 * std::log10(p);
  level = std::clamp(level, -32767.0, 32767.0);  // zero power gives -infinity
  return static_cast<int16_t>(level);
}

int16_t LevelOf(double re, double im) { return LevelOfPower(re * re + im * im); }

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
int16_t FastLevelOfPower(double p) {
  if (!(p >= 1e-300 && p <= 1e300)) return LevelOfPower(p);
  uint64_t bits;
  std::memcpy(&bits, &p, sizeof bits);
  const int exponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
  const uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
  const int i = static_cast<int>(mantissa >> 44);  // top 8 bits
  const double f =
      static_cast<double>(mantissa & ((uint64_t{1} << 44) - 1)) / double(uint64_t{1} << 44);
  const double log2p = exponent + table.v[i] + f * (table.v[i + 1] - table.v[i]);
  const double estimate = log2p * (40.0 * 0.30102999566398119521);
  if (!(estimate > -32000 && estimate < 32000)) return LevelOfPower(p);
  // Conversions truncate toward zero, as the level does.
  const int low = static_cast<int>(estimate - 2e-3), high = static_cast<int>(estimate + 2e-3);
  if (low != high) return LevelOfPower(p);
  return static_cast<int16_t>(low);
}

int16_t FastLevelOf(double re, double im) { return FastLevelOfPower(re * re + im * im); }

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
    power_.assign(n / 2, 0.0);
    windowRe_.assign(n / 2, 0.0);
    windowIm_.assign(n / 2, 0.0);
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
  for (int m = 0; m < n / 2; ++m) {
    windowRe_[m] = window_[2 * m];
    windowIm_[m] = window_[2 * m + 1];
  }
  return 0;
}

void FftEngine::FftRelease() {
  n_ = l_ = 0;
  std::vector<int16_t>().swap(rev_);
  std::vector<double>().swap(twiddle_);
  std::vector<double>().swap(window_);
  for (std::vector<double>* v : {&re_, &im_, &tw0_, &tw1_, &power_, &windowRe_, &windowIm_})
    std::vector<double>().swap(*v);
  std::vector<SplitStep>().swap(steps_);
  planFirst_ = planEnd_ = -1;
}

void FftEngine::Transform(const int16_t* frame) {
  const int half = n_ / 2;  // complex elements
  double* re = re_.data();
  double* im = im_.data();
  const double* wre = windowRe_.data();
  const double* wim = windowIm_.data();
  int m = 0;
#if defined(__SSE2__)
  // Four pairs at a time: the even sample of a pair is the low half of its 32-bit word.
  for (; m + 4 <= half; m += 4) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(frame + 2 * m));
    const __m128i even = _mm_srai_epi32(_mm_slli_epi32(x, 16), 16), odd = _mm_srai_epi32(x, 16);
    _mm_storeu_pd(re + m, _mm_mul_pd(_mm_cvtepi32_pd(even), _mm_loadu_pd(wre + m)));
    _mm_storeu_pd(re + m + 2, _mm_mul_pd(_mm_cvtepi32_pd(_mm_unpackhi_epi64(even, even)),
                                         _mm_loadu_pd(wre + m + 2)));
    _mm_storeu_pd(im + m, _mm_mul_pd(_mm_cvtepi32_pd(odd), _mm_loadu_pd(wim + m)));
    _mm_storeu_pd(im + m + 2, _mm_mul_pd(_mm_cvtepi32_pd(_mm_unpackhi_epi64(odd, odd)),
                                         _mm_loadu_pd(wim + m + 2)));
  }
#endif
  for (; m < half; ++m) {
    re[m] = frame[2 * m] * wre[m];
    im[m] = frame[2 * m + 1] * wim[m];
  }
  // Butterflies: every stage halves; group g uses twiddle pair g for all its butterflies.
  fft_kernels::BestKernel()(re, im, tw0_.data(), tw1_.data(), half);
}

// Step i of the split gives bins i and N/2 - i from the elements at rev[i] and rev[N/2 - i].
// The steps are independent: they are listed in the order of their first element in memory
// (the reversal table is its own inverse), and only those for the bins asked for.
void FftEngine::PlanSplit(int first, int end) {
  if (first == planFirst_ && end == planEnd_) return;
  const int half = n_ / 2;
  steps_.clear();
  for (int a = 1; a < half; ++a) {
    const int i = rev_[a] >> 1, j = half - i;
    if (i > j || ((i < first || i >= end) && (j < first || j >= end))) continue;
    steps_.push_back({twiddle_[2 * a] / 32768.0, twiddle_[2 * a + 1] / 32768.0, a, rev_[j] >> 1,
                      i});  // b = a when i = j
  }
  planFirst_ = first, planEnd_ = end;
}

void FftEngine::FftRun(int16_t* frame, bool complexOutput, int first, int end) {
  const int half = n_ / 2;
  first = std::clamp(first, 0, half);
  end = std::clamp(end, first, half);
  Transform(frame);
  PlanSplit(first, end);
  double* re = re_.data();
  double* im = im_.data();
  double* power = power_.data();
  // A bin's result goes straight to the frame (complex output) or to its power.
  auto put = [&](int k, double r, double i) {
    if (k < first || k >= end) return;
    if (complexOutput) {
      frame[2 * k] = static_cast<int16_t>(std::clamp(std::trunc(r), -32768.0, 32767.0));
      frame[2 * k + 1] = static_cast<int16_t>(std::clamp(std::trunc(i), -32768.0, 32767.0));
    } else {
      power[k] = r * r + i * i;
    }
  };
  for (const SplitStep& st : steps_) {
    const int a = st.a, b = st.b;
    double dre = re[a] - re[b], sre = re[a] + re[b];
    double dim = im[a] - im[b], sim = im[a] + im[b];
    double u = st.s * dre - st.c * sim;
    double v = st.c * dre + st.s * sim;
    re[a] = (sre + u) / 2.0;
    re[b] = re[a] - u;
    im[a] = (dim + v) / 2.0;
    im[b] = im[a] - dim;
    put(st.bin, re[a], im[a]);
    if (b != a) put(half - st.bin, re[b], im[b]);
  }
  re[0] = re[0] + im[0];  // bin 0 (at rev[0] = 0); the Nyquist value is dropped
  im[0] = 0.0;
  put(0, re[0], im[0]);
  if (!complexOutput)
    for (int k = first; k < end; ++k) frame[k] = FastLevelOfPower(power[k]);
}

}  // namespace tessel
