#include "analyser/core/FftSimd.h"

#include "analyser/core/FftKernels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessel {
namespace fft_kernels {
namespace {

// One double at a time: the reference every other kernel agrees with.
struct Plain {
  using T = double;
  static constexpr int kWidth = 1;
  static T Load(const double* p) { return *p; }
  static void Store(double* p, T v) { *p = v; }
  static T Set1(double v) { return v; }
  static T Add(T a, T b) { return a + b; }
  static T Sub(T a, T b) { return a - b; }
  static T Mul(T a, T b) { return a * b; }
  static void NarrowStage(double*, double*, const double*, const double*, int, int, int) {}
};

void ButterfliesPlain(double* re, double* im, const double* tw0, const double* tw1, int half) {
  Butterflies<Plain>(re, im, tw0, tw1, half);
}

#if defined(__SSE2__)
struct Sse2 {
  using T = __m128d;
  static constexpr int kWidth = 2;
  static T Load(const double* p) { return _mm_loadu_pd(p); }
  static void Store(double* p, T v) { _mm_storeu_pd(p, v); }
  static T Set1(double v) { return _mm_set1_pd(v); }
  static T Add(T a, T b) { return _mm_add_pd(a, b); }
  static T Sub(T a, T b) { return _mm_sub_pd(a, b); }
  static T Mul(T a, T b) { return _mm_mul_pd(a, b); }

  // Half-span 1: the pairs of two groups side by side, each lane with its own twiddle.
  static void NarrowStage(double* re, double* im, const double* tw0, const double* tw1, int begin,
                          int end, int) {
    for (int i = begin; i < end; i += 4) {
      const T w0 = Load(tw0 + i / 2), w1 = Load(tw1 + i / 2);
      const T ar = Load(re + i), br = Load(re + i + 2), ai = Load(im + i), bi = Load(im + i + 2);
      T pr = _mm_unpacklo_pd(ar, br), qr = _mm_unpackhi_pd(ar, br);
      T pi = _mm_unpacklo_pd(ai, bi), qi = _mm_unpackhi_pd(ai, bi);
      Butterfly<Sse2>(pr, pi, qr, qi, w0, w1);
      Store(re + i, _mm_unpacklo_pd(pr, qr)), Store(re + i + 2, _mm_unpackhi_pd(pr, qr));
      Store(im + i, _mm_unpacklo_pd(pi, qi)), Store(im + i + 2, _mm_unpackhi_pd(pi, qi));
    }
  }
};

void ButterfliesSse2(double* re, double* im, const double* tw0, const double* tw1, int half) {
  Butterflies<Sse2>(re, im, tw0, tw1, half);
}

bool HasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}
#endif

}  // namespace

std::vector<Kernel> AvailableKernels() {
  std::vector<Kernel> kernels{{"plain", ButterfliesPlain}};
#if defined(__SSE2__)
  kernels.push_back({"sse2", ButterfliesSse2});
  if (HasAvx2()) kernels.push_back({"avx2", ButterfliesAvx2});
#endif
  return kernels;
}

ButterfliesFn BestKernel() {
  static const ButterfliesFn best = AvailableKernels().back().run;
  return best;
}

}  // namespace fft_kernels
}  // namespace tessel
