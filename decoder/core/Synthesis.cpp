#include "decoder/core/Synthesis.h"

#include <cmath>
#include <cstring>

#include "decoder/core/Simd.h"

namespace kelvaro {
namespace {

// The synthesis window D[0..256] (ISO/IEC 11172-3, table 3-B.3) in units of 2^-16; the rest
// follows from the symmetry D[512 - i] = -D[i], except D[512 - i] = D[i] at multiples of 64.
const int kWindowHalf[257] = {
    0,      -1,     -1,     -1,     -1,     -1,     -1,     -2,     -2,     -2,     -2,     -3,
    -3,     -4,     -4,     -5,     -5,     -6,     -7,     -7,     -8,     -9,     -10,    -11,
    -13,    -14,    -16,    -17,    -19,    -21,    -24,    -26,    -29,    -31,    -35,    -38,
    -41,    -45,    -49,    -53,    -58,    -63,    -68,    -73,    -79,    -85,    -91,    -97,
    -104,   -111,   -117,   -125,   -132,   -139,   -147,   -154,   -161,   -169,   -176,   -183,
    -190,   -196,   -202,   -208,   213,    218,    222,    225,    227,    228,    228,    227,
    224,    221,    215,    208,    200,    189,    177,    163,    146,    127,    106,    83,
    57,     29,     -2,     -36,    -72,    -111,   -153,   -197,   -244,   -294,   -347,   -401,
    -459,   -519,   -581,   -645,   -711,   -779,   -848,   -919,   -991,   -1064,  -1137,  -1210,
    -1283,  -1356,  -1428,  -1498,  -1567,  -1634,  -1698,  -1759,  -1817,  -1870,  -1919,  -1962,
    -2001,  -2032,  -2057,  -2075,  -2085,  -2087,  -2080,  -2063,  2037,   2000,   1952,   1893,
    1822,   1739,   1644,   1535,   1414,   1280,   1131,   970,    794,    605,    402,    185,
    -45,    -288,   -545,   -814,   -1095,  -1388,  -1692,  -2006,  -2330,  -2663,  -3004,  -3351,
    -3705,  -4063,  -4425,  -4788,  -5153,  -5517,  -5879,  -6237,  -6589,  -6935,  -7271,  -7597,
    -7910,  -8209,  -8491,  -8755,  -8998,  -9219,  -9416,  -9585,  -9727,  -9838,  -9916,  -9959,
    -9966,  -9935,  -9863,  -9750,  -9592,  -9389,  -9139,  -8840,  -8492,  -8092,  -7640,  -7134,
    6574,   5959,   5288,   4561,   3776,   2935,   2037,   1082,   70,     -998,   -2122,  -3300,
    -4533,  -5818,  -7154,  -8540,  -9975,  -11455, -12980, -14548, -16155, -17799, -19478, -21189,
    -22929, -24694, -26482, -28289, -30112, -31947, -33791, -35640, -37489, -39336, -41176, -43006,
    -44821, -46617, -48390, -50137, -51853, -53534, -55178, -56778, -58333, -59838, -61289, -62684,
    -64019, -65290, -66494, -67629, -68692, -69679, -70590, -71420, -72169, -72835, -73415, -73908,
    -74313, -74630, -74856, -74992, 75038};

using namespace simd;

struct Tables {
  float window[512];
  // 1 / (2 cos((2k + 1) pi / (2n))) for the DCT stages of length n = 32, 16, 8, 4, 2.
  F4 scale32[4], scale16[2], scale8;
  F4 scale4[2], scale2;

  Tables() {
    for (int i = 0; i < 512; ++i) {
      int v;
      if (i <= 256) {
        v = kWindowHalf[i];
      } else {
        v = kWindowHalf[512 - i];
        if (i % 64 != 0) v = -v;
      }
      window[i] = static_cast<float>(v / 65536.0);
    }
    const double pi = std::acos(-1.0);
    auto scale = [pi](int n, int k) {
      return float(1 / (2 * std::cos((2 * k + 1) * pi / (2 * n))));
    };
    auto scales = [&](int n, int k0) {
      return _mm_setr_ps(scale(n, k0), scale(n, k0 + 1), scale(n, k0 + 2), scale(n, k0 + 3));
    };
    for (int q = 0; q < 4; ++q) scale32[q] = scales(32, 4 * q);
    for (int q = 0; q < 2; ++q) scale16[q] = scales(16, 4 * q);
    scale8 = scales(8, 0);
    for (int k = 0; k < 2; ++k) scale4[k] = Splat(scale(4, k));
    scale2 = Splat(scale(2, 0));
  }
};

// Computed when the program or library is loaded, before any of its threads decodes.
const Tables tables;

const Tables& Shared() { return tables; }

// The DCT X[m] = sum x[k] cos(m (2k + 1) pi / (2n)) of length n by halving: the even outputs
// are the transform of x[k] + x[n-1-k], the odd ones sums of neighbours in the transform of
// the differences scaled by 1 / (2 cos((2k + 1) pi / (2n))). Here for n = 32, flat, four
// values at a time.

// One halving of the runs in[0..2h) into the sums and the scaled differences (h vectors each).
inline void Halve(const F4* in, int h, const F4* scale, F4* sums, F4* diffs) {
  for (int q = 0; q < h; ++q) {
    const F4 mirror = Reverse(in[2 * h - 1 - q]);
    sums[q] = Add(in[q], mirror);
    diffs[q] = Mul(Sub(in[q], mirror), scale[q]);
  }
}

// Four 4-point transforms at once, one in each lane: y[k] holds value k of each.
inline void Dct4Lanes(const Tables& t, F4* y) {
  const F4 s0 = Add(y[0], y[3]), s1 = Add(y[1], y[2]);
  const F4 d0 = Mul(Sub(y[0], y[3]), t.scale4[0]), d1 = Mul(Sub(y[1], y[2]), t.scale4[1]);
  const F4 odd1 = Mul(Sub(d0, d1), t.scale2);
  y[0] = Add(s0, s1);
  y[1] = Add(Add(d0, d1), odd1);
  y[2] = Mul(Sub(s0, s1), t.scale2);
  y[3] = odd1;
}

// Joins the transforms of the sums (even) and of the differences (odd), n vectors each, into
// the transform of twice the length: out[2m] = even[m], out[2m + 1] = odd[m] + odd[m + 1].
inline void Join(const F4* even, const F4* odd, int n, F4* out) {
  for (int q = 0; q < n; ++q) {
    const F4 sum = Add(odd[q], Next(odd[q], q + 1 < n ? odd[q + 1] : Zero()));
    out[2 * q] = _mm_unpacklo_ps(even[q], sum);
    out[2 * q + 1] = _mm_unpackhi_ps(even[q], sum);
  }
}

void Dct32(const Tables& t, const float* s, F4* x) {
  F4 in[8], a[4], b[4], p[8];
  for (int q = 0; q < 8; ++q) in[q] = Load(s + 4 * q);
  Halve(in, 4, t.scale32, a, b);
  // Four runs of 8 at length 16: p[0..1] and p[2..3] from a, p[4..5] and p[6..7] from b.
  Halve(a, 2, t.scale16, p, p + 2);
  Halve(b, 2, t.scale16, p + 4, p + 6);
  // Eight runs of 4 at length 8; the 4-point transforms run across lanes after a transpose.
  F4 sums[4], diffs[4];
  for (int g = 0; g < 4; ++g) Halve(p + 2 * g, 1, &t.scale8, sums + g, diffs + g);
  _MM_TRANSPOSE4_PS(sums[0], sums[1], sums[2], sums[3]);
  _MM_TRANSPOSE4_PS(diffs[0], diffs[1], diffs[2], diffs[3]);
  Dct4Lanes(t, sums);
  Dct4Lanes(t, diffs);
  // Length 8, still across lanes: e[m] holds value m of the four runs.
  F4 e[8];
  for (int m = 0; m < 4; ++m) {
    e[2 * m] = sums[m];
    e[2 * m + 1] = m < 3 ? Add(diffs[m], diffs[m + 1]) : diffs[3];
  }
  _MM_TRANSPOSE4_PS(e[0], e[1], e[2], e[3]);
  _MM_TRANSPOSE4_PS(e[4], e[5], e[6], e[7]);
  // Run g is now e[g] (values 0..3) and e[4 + g] (values 4..7).
  const F4 run[4][2] = {{e[0], e[4]}, {e[1], e[5]}, {e[2], e[6]}, {e[3], e[7]}};
  F4 evenHalf[4], oddHalf[4];
  Join(run[0], run[1], 2, evenHalf);
  Join(run[2], run[3], 2, oddHalf);
  Join(evenHalf, oddHalf, 4, x);
}

}  // namespace

void SynthesisFilter::Reset() {
  std::memset(v_, 0, sizeof v_);
  newest_ = 0;
  Shared();
}

void SynthesisFilter::Process(const float* s, float* out) {
  const Tables& t = Shared();
  newest_ = (newest_ + 15) & 15;
  // Matrixing: V[i] = sum cos((16 + i)(2k + 1) pi / 64) s[k], i = 0..63, from the 32 sums
  // X[m] = sum cos(m (2k + 1) pi / 64) s[k] by the symmetries of the cosine:
  // V[i] = X[16 + i] (i < 16), -X[48 - i] (16 <= i < 48, X[32] = 0), -X[i - 48] (i >= 48).
  F4 x[8];
  Dct32(t, s, x);
  float* v = v_[newest_];
  for (int q = 0; q < 4; ++q) Store(v + 4 * q, x[4 + q]);
  v[16] = 0;
  for (int q = 0; q < 8; ++q) Store(v + 17 + 4 * q, Neg(Reverse(x[7 - q])));
  for (int q = 0; q < 4; ++q) Store(v + 48 + 4 * q, Neg(x[q]));

  // Windowing of the vector U with D, summed over 16 taps: U takes the first half of the
  // blocks 0, 2, .. 14 and the second half of the blocks 1, 3, .. 15 (by age).
  const float* v0[8];
  const float* v1[8];
  for (int i = 0; i < 8; ++i) {
    v0[i] = v_[(newest_ + 2 * i) & 15];
    v1[i] = v_[(newest_ + 2 * i + 1) & 15] + 32;
  }
  for (int j = 0; j < 32; j += 8) {
    F4 sum0 = Zero(), sum1 = Zero();
    for (int i = 0; i < 8; ++i) {
      const float* d = t.window + 64 * i + j;
      sum0 = Add(sum0, Add(Mul(Load(d), Load(v0[i] + j)), Mul(Load(d + 32), Load(v1[i] + j))));
      sum1 = Add(
          sum1, Add(Mul(Load(d + 4), Load(v0[i] + j + 4)), Mul(Load(d + 36), Load(v1[i] + j + 4))));
    }
    Store(out + j, sum0);
    Store(out + j + 4, sum1);
  }
}

}  // namespace kelvaro
