// The AVX2 copy of the butterflies. This file alone is compiled for AVX2, and it is called
// only after the processor was seen to have it (FftSimd.cpp).
#include "analyser/core/FftSimd.h"

#if defined(__SSE2__)
#include <immintrin.h>

#include "analyser/core/FftKernels.h"

namespace tessel {
namespace fft_kernels {
namespace {

struct Avx2 {
  using T = __m256d;
  static constexpr int kWidth = 4;
  static T Load(const double* p) { return _mm256_loadu_pd(p); }
  static void Store(double* p, T v) { _mm256_storeu_pd(p, v); }
  static T Set1(double v) { return _mm256_set1_pd(v); }
  static T Add(T a, T b) { return _mm256_add_pd(a, b); }
  static T Sub(T a, T b) { return _mm256_sub_pd(a, b); }
  static T Mul(T a, T b) { return _mm256_mul_pd(a, b); }

  // Half-spans 2 and 1: the butterflies of two (h = 2) or four (h = 1) groups side by side,
  // each lane with the twiddle of its group.
  static void NarrowStage(double* re, double* im, const double* tw0, const double* tw1, int begin,
                          int end, int h) {
    for (int i = begin; i < end; i += 8) {
      const T ar = Load(re + i), br = Load(re + i + 4), ai = Load(im + i), bi = Load(im + i + 4);
      T pr, qr, pi, qi, w0, w1;
      if (h == 2) {  // lanes: groups g, g, g + 1, g + 1
        const int g = i / 4;
        w0 = _mm256_permute4x64_pd(_mm256_castpd128_pd256(_mm_loadu_pd(tw0 + g)), 0x50);
        w1 = _mm256_permute4x64_pd(_mm256_castpd128_pd256(_mm_loadu_pd(tw1 + g)), 0x50);
        pr = _mm256_permute2f128_pd(ar, br, 0x20), qr = _mm256_permute2f128_pd(ar, br, 0x31);
        pi = _mm256_permute2f128_pd(ai, bi, 0x20), qi = _mm256_permute2f128_pd(ai, bi, 0x31);
        Butterfly<Avx2>(pr, pi, qr, qi, w0, w1);
        Store(re + i, _mm256_permute2f128_pd(pr, qr, 0x20));
        Store(re + i + 4, _mm256_permute2f128_pd(pr, qr, 0x31));
        Store(im + i, _mm256_permute2f128_pd(pi, qi, 0x20));
        Store(im + i + 4, _mm256_permute2f128_pd(pi, qi, 0x31));
      } else {  // lanes: groups g, g + 2, g + 1, g + 3
        const int g = i / 2;
        w0 = _mm256_permute4x64_pd(Load(tw0 + g), 0xD8);
        w1 = _mm256_permute4x64_pd(Load(tw1 + g), 0xD8);
        pr = _mm256_unpacklo_pd(ar, br), qr = _mm256_unpackhi_pd(ar, br);
        pi = _mm256_unpacklo_pd(ai, bi), qi = _mm256_unpackhi_pd(ai, bi);
        Butterfly<Avx2>(pr, pi, qr, qi, w0, w1);
        Store(re + i, _mm256_unpacklo_pd(pr, qr)), Store(re + i + 4, _mm256_unpackhi_pd(pr, qr));
        Store(im + i, _mm256_unpacklo_pd(pi, qi)), Store(im + i + 4, _mm256_unpackhi_pd(pi, qi));
      }
    }
  }
};

}  // namespace

void ButterfliesAvx2(double* re, double* im, const double* tw0, const double* tw1, int half) {
  Butterflies<Avx2>(re, im, tw0, tw1, half);
}

}  // namespace fft_kernels
}  // namespace tessel
#endif
