#include "decoder/core/Imdct.h"

#include <cmath>

namespace kelvaro {
namespace {

using namespace simd;

struct Tables {
  F4 dct4Scale[18];  // 1 / (2 cos((2k + 1) pi / 72)): the 18-point DCT-IV from a DCT-II
  F4 dct18Scale[9];  // 1 / (2 cos((2k + 1) pi / 36)): the 18-point DCT-II by halving
  F4 dct9Cos[9][5];  // cos(m (2k + 1) pi / 18), k = 0..4
  F4 shortCos[12][6];
  F4 window[4][36];
  F4 shortWindow[12];

  Tables() {
    const double pi = std::acos(-1.0);
    auto splat = [](double v) { return Splat(static_cast<float>(v)); };
    for (int k = 0; k < 18; ++k) dct4Scale[k] = splat(1 / (2 * std::cos((2 * k + 1) * pi / 72)));
    for (int k = 0; k < 9; ++k) dct18Scale[k] = splat(1 / (2 * std::cos((2 * k + 1) * pi / 36)));
    for (int m = 0; m < 9; ++m)
      for (int k = 0; k < 5; ++k) dct9Cos[m][k] = splat(std::cos(m * (2 * k + 1) * pi / 18));
    for (int i = 0; i < 12; ++i)
      for (int k = 0; k < 6; ++k)
        shortCos[i][k] = splat(std::cos(pi / 24 * (2 * i + 1 + 6) * (2 * k + 1)));
    for (int i = 0; i < 36; ++i) {
      const double normal = std::sin(pi / 36 * (i + 0.5));
      double start, stop;  // block types 1 and 3
      if (i < 18)
        start = normal;
      else if (i < 24)
        start = 1;
      else if (i < 30)
        start = std::sin(pi / 12 * (i - 18 + 0.5));
      else
        start = 0;
      if (i < 6)
        stop = 0;
      else if (i < 12)
        stop = std::sin(pi / 12 * (i - 6 + 0.5));
      else if (i < 18)
        stop = 1;
      else
        stop = normal;
      window[0][i] = splat(normal);
      window[1][i] = splat(start);
      window[2][i] = Zero();
      window[3][i] = splat(stop);
    }
    for (int i = 0; i < 12; ++i) shortWindow[i] = splat(std::sin(pi / 12 * (i + 0.5)));
  }
};

// Computed when the program or library is loaded, before any of its threads decodes.
const Tables tables;

const Tables& Shared() { return tables; }

// x[k] = lines[18 l + k] in lane l, for the 18 lines of four subbands.
void Gather(const float* lines, F4* x) {
  for (int k = 0; k < 16; k += 4) {
    F4 r0 = Load(lines + k), r1 = Load(lines + 18 + k), r2 = Load(lines + 36 + k),
       r3 = Load(lines + 54 + k);
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    x[k] = r0, x[k + 1] = r1, x[k + 2] = r2, x[k + 3] = r3;
  }
  for (int k = 16; k < 18; ++k)
    x[k] = _mm_setr_ps(lines[k], lines[18 + k], lines[36 + k], lines[54 + k]);
}

inline F4 Dot(const F4* a, const F4* c, int n) {
  F4 sum = Mul(a[0], c[0]);
  for (int k = 1; k < n; ++k) sum = Add(sum, Mul(a[k], c[k]));
  return sum;
}

// X[m] = sum x[k] cos(m (2k + 1) pi / 18), k = 0..8, given the pairs sums[k] = x[k] + x[8 - k]
// and diffs[k] = x[k] - x[8 - k], k = 0..3, and the middle x[4]: the cosines of k and 8 - k
// agree for even m and are opposite for odd m, where the middle term vanishes.
void Dct9(const Tables& t, const F4* sums, const F4* diffs, F4 middle, F4* out) {
  for (int m = 0; m < 9; m += 2)
    out[m] = Add(Mul(middle, t.dct9Cos[m][4]), Dot(sums, t.dct9Cos[m], 4));
  for (int m = 1; m < 9; m += 2) out[m] = Dot(diffs, t.dct9Cos[m], 4);
}

// X[m] = sum x[k] cos(m (2k + 1) pi / 36), k = 0..17, by halving (as in the synthesis filter):
// the even outputs are the 9-point transform of x[k] + x[17 - k], the odd ones sums of
// neighbours in the transform of the scaled differences. The pairs of the 9-point transforms
// are formed here at once.
void Dct18(const Tables& t, const F4* x, F4* out) {
  F4 evenSums[4], evenDiffs[4], oddSums[4], oddDiffs[4];
  for (int k = 0; k < 4; ++k) {
    const F4 a = Add(x[k], x[17 - k]), b = Add(x[8 - k], x[9 + k]);
    const F4 c = Mul(Sub(x[k], x[17 - k]), t.dct18Scale[k]);
    const F4 d = Mul(Sub(x[8 - k], x[9 + k]), t.dct18Scale[8 - k]);
    evenSums[k] = Add(a, b);
    evenDiffs[k] = Sub(a, b);
    oddSums[k] = Add(c, d);
    oddDiffs[k] = Sub(c, d);
  }
  F4 even[9], odd[10];
  Dct9(t, evenSums, evenDiffs, Add(x[4], x[13]), even);
  Dct9(t, oddSums, oddDiffs, Mul(Sub(x[4], x[13]), t.dct18Scale[4]), odd);
  odd[9] = Zero();
  for (int m = 0; m < 9; ++m) {
    out[2 * m] = even[m];
    out[2 * m + 1] = Add(odd[m], odd[m + 1]);
  }
}

}  // namespace

// y[i] = sum x[k] cos((2i + 19)(2k + 1) pi / 72), windowed. Its 18 distinct values are the
// DCT-IV z[n] = sum x[k] cos((2n + 1)(2k + 1) pi / 72), which is C[n] + C[n + 1] for the
// DCT-II C of the lines divided by 2 cos((2k + 1) pi / 72).
void ImdctLong(const float* lines, int blockType, F4* y) {
  const Tables& t = Shared();
  F4 x[18], c[19];
  Gather(lines, x);
  for (int k = 0; k < 18; ++k) x[k] = Mul(x[k], t.dct4Scale[k]);
  Dct18(t, x, c);
  c[18] = Zero();
  const F4* window = t.window[blockType];
  for (int i = 0; i < 9; ++i) {
    const F4 upper = Add(c[9 + i], c[10 + i]);  // z[9 + i]
    const F4 lower = Add(c[8 - i], c[9 - i]);   // z[8 - i]
    y[i] = Mul(upper, window[i]);
    y[17 - i] = Neg(Mul(upper, window[17 - i]));
    y[18 + i] = Neg(Mul(lower, window[18 + i]));
    y[35 - i] = Neg(Mul(lower, window[35 - i]));
  }
}

// Window w takes the lines 3k + w: y[6 + 6w + i] += sum x[3k + w] cos((2i + 7)(2k + 1) pi / 24)
// times the short window.
void ImdctShort(const float* lines, F4* y) {
  const Tables& t = Shared();
  F4 x[18];
  Gather(lines, x);
  for (int i = 0; i < 36; ++i) y[i] = Zero();
  for (int w = 0; w < 3; ++w) {
    const F4 in[6] = {x[w], x[3 + w], x[6 + w], x[9 + w], x[12 + w], x[15 + w]};
    for (int i = 0; i < 12; ++i)
      y[6 + 6 * w + i] = Add(y[6 + 6 * w + i], Mul(Dot(in, t.shortCos[i], 6), t.shortWindow[i]));
  }
}

}  // namespace kelvaro
