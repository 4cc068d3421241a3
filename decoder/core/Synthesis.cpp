#include "decoder/core/Synthesis.h"

#include <cmath>
#include <cstring>

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

struct Tables {
  double window[512];
  // 1 / (2 cos((2k + 1) pi / (2n))) for the DCT stages of length n = 32, 16, 8, 4, 2.
  double invCos[6][16];

  Tables() {
    for (int i = 0; i < 512; ++i) {
      int v;
      if (i <= 256) {
        v = kWindowHalf[i];
      } else {
        v = kWindowHalf[512 - i];
        if (i % 64 != 0) v = -v;
      }
      window[i] = v / 65536.0;
    }
    const double pi = std::acos(-1.0);
    for (int level = 1; level <= 5; ++level) {
      int n = 1 << level;
      for (int k = 0; k < n / 2; ++k)
        invCos[level][k] = 1 / (2 * std::cos((2 * k + 1) * pi / (2 * n)));
    }
  }
};

const Tables& Shared() {
  static const Tables tables;
  return tables;
}

// X[m] = sum x[k] cos(m (2k + 1) pi / (2n)), n = 2^level, by halving: the even outputs are
// the transform of x[k] + x[n-1-k], the odd ones sums of neighbours in the transform of the
// scaled differences. A template, so that every stage is unrolled for its own length.
template <int level>
void Dct(const Tables& t, const double* x, double* out) {
  constexpr int n = 1 << level, half = n / 2;
  const double* scale = t.invCos[level];
  double sums[half], diffs[half], even[half], odd[half];
  for (int k = 0; k < half; ++k) {
    sums[k] = x[k] + x[n - 1 - k];
    diffs[k] = (x[k] - x[n - 1 - k]) * scale[k];
  }
  Dct<level - 1>(t, sums, even);
  Dct<level - 1>(t, diffs, odd);
  // Downwards with the upper neighbour carried along, rather than loading odd[m + 1] again:
  // a load across two values that were just stored separately would stall.
  double above = 0;
  for (int m = half - 1; m >= 0; --m) {
    out[2 * m] = even[m];
    out[2 * m + 1] = odd[m] + above;
    above = odd[m];
  }
}

template <>
void Dct<0>(const Tables&, const double* x, double* out) {
  out[0] = x[0];
}

}  // namespace

void SynthesisFilter::Reset() {
  std::memset(v_, 0, sizeof v_);
  newest_ = 0;
  Shared();
}

void SynthesisFilter::Process(const double* s, double* out) {
  const Tables& t = Shared();
  newest_ = (newest_ + 15) & 15;
  // Matrixing: V[i] = sum cos((16 + i)(2k + 1) pi / 64) s[k], i = 0..63, from the 32 sums
  // X[m] = sum cos(m (2k + 1) pi / 64) s[k] by the symmetries of the cosine.
  double x[33];
  Dct<5>(t, s, x);
  x[32] = 0;
  double* v = v_[newest_];
  for (int i = 0; i < 16; ++i) v[i] = x[16 + i];
  for (int i = 16; i < 48; ++i) v[i] = -x[48 - i];
  for (int i = 48; i < 64; ++i) v[i] = -x[i - 48];

  // Windowing of the vector U with D, summed over 16 taps: U takes the first half of the
  // blocks 0, 2, .. 14 and the second half of the blocks 1, 3, .. 15 (by age).
  // Eight outputs at a time, so that their sums stay in registers.
  const double* v0[8];
  const double* v1[8];
  for (int i = 0; i < 8; ++i) {
    v0[i] = v_[(newest_ + 2 * i) & 15];
    v1[i] = v_[(newest_ + 2 * i + 1) & 15] + 32;
  }
  for (int j0 = 0; j0 < 32; j0 += 8) {
    double sum[8] = {};
    for (int i = 0; i < 8; ++i) {
      const double* d0 = t.window + 64 * i + j0;
      for (int j = 0; j < 8; ++j) sum[j] += d0[j] * v0[i][j0 + j] + d0[32 + j] * v1[i][j0 + j];
    }
    for (int j = 0; j < 8; ++j) out[j0 + j] = sum[j];
  }
}

}  // namespace kelvaro
