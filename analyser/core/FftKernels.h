// The butterfly stages of the transform, written once over a small vector type V so that each
// instruction set gets its own copy (FftSimd.cpp, FftAvx2.cpp). Every lane performs exactly
// the operations of the scalar butterfly, in the same order, so all copies give the same bits.
//
// The data is held as two arrays of N/2 doubles, real parts and imaginary parts. A twiddle
// pair is used divided by 32768: the division of an integer by a power of two is exact, and
// so is that of every product and sum formed from it, so (W0 q.im + W1 q.re) / 32768 and
// (W0 / 32768) q.im + (W1 / 32768) q.re round to the same double.
//
// V provides: a vector type T, kWidth doubles per vector, Load, Store, Set1, Add, Sub, Mul,
// and NarrowStage(re, im, tw0, tw1, begin, end, h) for the stages whose half-span h is below
// kWidth. Only templates live here: each file that includes it instantiates its own copies.
#pragma once

namespace tessel {
namespace fft_kernels {

// One butterfly per lane: t = q e^(-i theta); p' = (p + t) / 2, q' = (p - t) / 2.
template <class V, class T>
inline void Butterfly(T& pr, T& pi, T& qr, T& qi, T w0, T w1) {
  const T half = V::Set1(0.5);
  const T t1 = V::Add(V::Mul(w0, qi), V::Mul(w1, qr));
  const T t2 = V::Sub(V::Mul(w0, qr), V::Mul(w1, qi));
  qr = V::Mul(V::Add(pr, t1), half);
  pr = V::Sub(qr, t1);
  qi = V::Mul(V::Sub(pi, t2), half);
  pi = V::Add(qi, t2);
}

// The butterflies of half-span h over the complex elements begin .. end - 1 (whole groups of
// 2h elements); group g, counted from element 0, uses twiddle pair g.
template <class V>
void WideStage(double* re, double* im, const double* tw0, const double* tw1, int begin, int end,
               int h) {
  using T = typename V::T;
  for (int start = begin, g = begin / (2 * h); start < end; start += 2 * h, ++g) {
    const T w0 = V::Set1(tw0[g]), w1 = V::Set1(tw1[g]);
    for (int i = start; i < start + h; i += V::kWidth) {
      T pr = V::Load(re + i), pi = V::Load(im + i);
      T qr = V::Load(re + i + h), qi = V::Load(im + i + h);
      Butterfly<V>(pr, pi, qr, qi, w0, w1);
      V::Store(re + i, pr), V::Store(im + i, pi);
      V::Store(re + i + h, qr), V::Store(im + i + h, qi);
    }
  }
}

// Two stages in one pass, half-spans h and h / 2 (h / 2 at least kWidth): the four elements
// a, b, c, d that are h / 2 apart go through both stages in registers. Stage h pairs (a, c)
// and (b, d) with twiddle g; stage h / 2 pairs (a, b) with twiddle 2g and (c, d) with 2g + 1,
// exactly as two separate passes would.
template <class V>
void WideStagePair(double* re, double* im, const double* tw0, const double* tw1, int begin, int end,
                   int h) {
  using T = typename V::T;
  const int q = h / 2;
  for (int start = begin, g = begin / (2 * h); start < end; start += 2 * h, ++g) {
    const T w0 = V::Set1(tw0[g]), w1 = V::Set1(tw1[g]);
    const T x0 = V::Set1(tw0[2 * g]), x1 = V::Set1(tw1[2 * g]);
    const T y0 = V::Set1(tw0[2 * g + 1]), y1 = V::Set1(tw1[2 * g + 1]);
    for (int i = start; i < start + q; i += V::kWidth) {
      T ar = V::Load(re + i), ai = V::Load(im + i);
      T br = V::Load(re + i + q), bi = V::Load(im + i + q);
      T cr = V::Load(re + i + h), ci = V::Load(im + i + h);
      T dr = V::Load(re + i + h + q), di = V::Load(im + i + h + q);
      Butterfly<V>(ar, ai, cr, ci, w0, w1);
      Butterfly<V>(br, bi, dr, di, w0, w1);
      Butterfly<V>(ar, ai, br, bi, x0, x1);
      Butterfly<V>(cr, ci, dr, di, y0, y1);
      V::Store(re + i, ar), V::Store(im + i, ai);
      V::Store(re + i + q, br), V::Store(im + i + q, bi);
      V::Store(re + i + h, cr), V::Store(im + i + h, ci);
      V::Store(re + i + h + q, dr), V::Store(im + i + h + q, di);
    }
  }
}

// Stage h over the elements begin .. end - 1, fused with stage h / 2 where both are wide.
// Returns the next half-span.
template <class V>
int Stages(double* re, double* im, const double* tw0, const double* tw1, int begin, int end,
           int h) {
  if (h / 2 >= V::kWidth) {
    WideStagePair<V>(re, im, tw0, tw1, begin, end, h);
    return h / 4;
  }
  if (h >= V::kWidth)
    WideStage<V>(re, im, tw0, tw1, begin, end, h);
  else
    V::NarrowStage(re, im, tw0, tw1, begin, end, h);
  return h / 2;
}

// All stages over `half` complex elements. The first stages span the whole array; once the
// groups are no larger than a block that stays in the first-level cache, each block goes
// through all of its remaining stages before the next one is touched.
template <class V>
void Butterflies(double* re, double* im, const double* tw0, const double* tw1, int half) {
  const int block = half < 1024 ? half : 1024;  // 16 KB of data
  int h = half / 2;
  while (h >= 1 && 2 * h > block) h = Stages<V>(re, im, tw0, tw1, 0, half, h);
  for (int begin = 0; begin < half; begin += block)
    for (int s = h; s >= 1;) s = Stages<V>(re, im, tw0, tw1, begin, begin + block, s);
}

}  // namespace fft_kernels
}  // namespace tessel
