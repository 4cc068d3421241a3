#pragma once
// Four floats at a time with SSE2, which every x86-64 CPU and every 32-bit CPU that runs a
// supported Windows has. Memory is read and written unaligned: on current CPUs that costs
// nothing on aligned data, and no caller has to promise an alignment.
#include <emmintrin.h>

#include <cstdint>

namespace kelvaro::simd {

using F4 = __m128;

inline F4 Load(const float* p) { return _mm_loadu_ps(p); }
inline void Store(float* p, F4 v) { _mm_storeu_ps(p, v); }
inline F4 Splat(float c) { return _mm_set1_ps(c); }
inline F4 Zero() { return _mm_setzero_ps(); }
inline F4 Add(F4 a, F4 b) { return _mm_add_ps(a, b); }
inline F4 Sub(F4 a, F4 b) { return _mm_sub_ps(a, b); }
inline F4 Mul(F4 a, F4 b) { return _mm_mul_ps(a, b); }
inline F4 Neg(F4 a) { return _mm_sub_ps(_mm_setzero_ps(), a); }
// [a3, a2, a1, a0]
inline F4 Reverse(F4 a) { return _mm_shuffle_ps(a, a, _MM_SHUFFLE(0, 1, 2, 3)); }
// [a1, a2, a3, b0]: the four values one place further on in a run held by a and b.
inline F4 Next(F4 a, F4 b) {
  const F4 t = _mm_move_ss(a, b);  // [b0, a1, a2, a3]
  return _mm_shuffle_ps(t, t, _MM_SHUFFLE(0, 3, 2, 1));
}

// Rounds to the nearest 16-bit values, limited to the 16-bit range (a NaN gives the lowest),
// and stores eight: the four of a, then those of b.
inline void StorePcm(int16_t* dst, F4 a, F4 b) {
  const F4 lo = _mm_set1_ps(-32768.0f), hi = _mm_set1_ps(32767.0f);
  // max returns its second operand for a NaN.
  a = _mm_min_ps(_mm_max_ps(a, lo), hi);
  b = _mm_min_ps(_mm_max_ps(b, lo), hi);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                   _mm_packs_epi32(_mm_cvtps_epi32(a), _mm_cvtps_epi32(b)));
}

}  // namespace kelvaro::simd
