#include "decoder/core/LayerThree.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "decoder/core/Huffman.h"
#include "decoder/core/Imdct.h"

namespace kelvaro {
namespace {

// Scale-factor band boundaries by [lower sampling frequency][sampling-frequency index].
const int kLongBands[2][3][23] = {{{0,  4,  8,   12,  16,  20,  24,  30,  36,  44,  52, 62,
                                    74, 90, 110, 134, 162, 196, 238, 288, 342, 418, 576},
                                   {0,  4,  8,   12,  16,  20,  24,  30,  36,  42,  50, 60,
                                    72, 88, 106, 128, 156, 190, 230, 276, 330, 384, 576},
                                   {0,  4,   8,   12,  16,  20,  24,  30,  36,  44,  54, 66,
                                    82, 102, 126, 156, 194, 240, 296, 364, 448, 550, 576}},
                                  {{0,   6,   12,  18,  24,  30,  36,  44,  54,  66,  80, 96,
                                    116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
                                   {0,   6,   12,  18,  24,  30,  36,  44,  54,  66,  80, 96,
                                    114, 136, 162, 194, 232, 278, 332, 394, 464, 540, 576},
                                   {0,   6,   12,  18,  24,  30,  36,  44,  54,  66,  80, 96,
                                    116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576}}};
const int kShortBands[2][3][14] = {{{0, 4, 8, 12, 16, 22, 30, 40, 52, 66, 84, 106, 136, 192},
                                    {0, 4, 8, 12, 16, 22, 28, 38, 50, 64, 80, 100, 126, 192},
                                    {0, 4, 8, 12, 16, 22, 30, 42, 58, 78, 104, 138, 180, 192}},
                                   {{0, 4, 8, 12, 18, 24, 32, 42, 56, 74, 100, 132, 174, 192},
                                    {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 136, 180, 192},
                                    {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}}};

const int kPretab[22] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};
const int kSlen[2][16] = {{0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4},
                          {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3}};

// Scale factors per partition for the lower sampling frequencies, by
// [table][long, short, mixed][partition].
const int kPartitions[6][3][4] = {{{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}},
                                  {{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}},
                                  {{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}},
                                  {{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}},
                                  {{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}},
                                  {{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}}};

const double kAliasCoefficients[8] = {-0.6,   -0.535, -0.33,   -0.185,
                                      -0.095, -0.041, -0.0142, -0.0037};

constexpr int kGainOffset = 512;
constexpr int kMaxQuantised = 15 + 8191;  // the largest escape value with 13 linbits

struct Tables {
  float pow43[2 * kMaxQuantised + 1];  // sign(v) |v|^(4/3), v = -kMaxQuantised.. kMaxQuantised
  float gain[kGainOffset + 128];       // 2^(e/4), e = -512..127
  float cs[8], ca[8];
  float isRatio[7][2];  // MPEG-1 intensity positions: left, right factor

  Tables() {
    const double pi = std::acos(-1.0);
    for (int v = -kMaxQuantised; v <= kMaxQuantised; ++v)
      pow43[v + kMaxQuantised] = float(std::copysign(std::pow(std::abs(v), 4.0 / 3.0), v));
    for (int e = -kGainOffset; e < 128; ++e) gain[e + kGainOffset] = float(std::pow(2.0, e / 4.0));
    for (int i = 0; i < 8; ++i) {
      double c = kAliasCoefficients[i];
      cs[i] = float(1 / std::sqrt(1 + c * c));
      ca[i] = float(c / std::sqrt(1 + c * c));
    }
    for (int p = 0; p < 7; ++p) {
      if (p == 6) {
        isRatio[p][0] = 1, isRatio[p][1] = 0;
        continue;
      }
      double r = std::tan(p * pi / 12);
      isRatio[p][0] = float(r / (1 + r));
      isRatio[p][1] = float(1 / (1 + r));
    }
  }
};

// Computed when the program or library is loaded, before any of its threads decodes.
const Tables tables;

const Tables& Shared() { return tables; }

inline float Gain(int exponent) {
  exponent = std::max(-kGainOffset, std::min(127, exponent));
  return Shared().gain[exponent + kGainOffset];
}

inline bool IsShort(const GranuleInfo& g) { return g.windowSwitching && g.blockType == 2; }

// A non-zero value is followed by its sign bit (1: negative). The sign is applied without a
// branch, as it is as good as random.
inline int WithSign(BitReader& br, int value) {
  if (value == 0) return 0;
  const int negative = br.ReadBit();
  return value * (1 - 2 * negative);
}

}  // namespace

bool LayerThreeSideInfoFits(const FrameHeader& h, const uint8_t* frame, int bytes) {
  const int mainStart = 4 + (h.hasCrc ? 2 : 0) + h.SideInfoBytes();
  if (bytes < mainStart) return false;
  BitReader br(frame, bytes);
  br.Skip(h.hasCrc ? 48 : 32);
  const int channels = h.Channels();
  int begin;
  if (h.lsf) {
    begin = br.Read(8);
    br.Skip(channels == 1 ? 1 : 2);
  } else {
    begin = br.Read(9);
    br.Skip((channels == 1 ? 5 : 3) + 4 * channels);
  }
  long bits = 0;
  for (int gr = 0; gr < (h.lsf ? 1 : 2); ++gr) {
    for (int ch = 0; ch < channels; ++ch) {
      bits += br.Read(12);
      if (br.Read(9) > 288) return false;
      br.Skip(8 + (h.lsf ? 9 : 4));
      if (br.ReadBit()) {
        if (br.Read(2) == 0) return false;
        br.Skip(1 + 10 + 9);
      } else {
        br.Skip(15 + 4 + 3);
      }
      br.Skip(h.lsf ? 2 : 3);
    }
  }
  return bits <= 8L * (begin + bytes - mainStart);
}

void LayerThreeDecoder::Reset() {
  std::memset(overlap_, 0, sizeof overlap_);
  std::memset(scale_, 0, sizeof scale_);
  nonzero_[0] = nonzero_[1] = 0;
  reservoirBytes_ = 0;
}

bool LayerThreeDecoder::ReadSideInfo(const FrameHeader& h, BitReader& br) {
  const int channels = h.Channels();
  const int granules = h.lsf ? 1 : 2;
  if (h.lsf) {
    mainDataBegin_ = br.Read(8);
    br.Skip(channels == 1 ? 1 : 2);
  } else {
    mainDataBegin_ = br.Read(9);
    br.Skip(channels == 1 ? 5 : 3);
    for (int ch = 0; ch < channels; ++ch)
      for (int band = 0; band < 4; ++band) scfsi_[ch][band] = br.Read(1);
  }
  bool valid = true;
  for (int gr = 0; gr < granules; ++gr) {
    for (int ch = 0; ch < channels; ++ch) {
      GranuleInfo& g = granule_[gr][ch];
      g = GranuleInfo();
      g.part23Length = br.Read(12);
      g.bigValues = std::min<int>(br.Read(9), 288);
      g.globalGain = br.Read(8);
      g.scalefacCompress = br.Read(h.lsf ? 9 : 4);
      g.windowSwitching = br.ReadBit();
      if (g.windowSwitching) {
        g.blockType = br.Read(2);
        g.mixed = br.ReadBit();
        for (int r = 0; r < 2; ++r) g.tableSelect[r] = br.Read(5);
        for (int w = 0; w < 3; ++w) g.subblockGain[w] = br.Read(3);
        if (g.blockType == 0) valid = false;  // forbidden combination
        g.region0Count = (g.blockType == 2 && !g.mixed) ? 8 : 7;
        g.region1Count = 20 - g.region0Count;
      } else {
        for (int r = 0; r < 3; ++r) g.tableSelect[r] = br.Read(5);
        g.region0Count = br.Read(4);
        g.region1Count = br.Read(3);
      }
      if (!h.lsf) g.preflag = br.ReadBit();
      g.scalefacScale = br.ReadBit();
      g.count1Table = br.ReadBit();
    }
  }
  return valid;
}

void LayerThreeDecoder::ReadScalefactorsMpeg1(BitReader& br, int gr, int ch) {
  const GranuleInfo& g = granule_[gr][ch];
  Scalefactors& sf = scale_[ch];
  const int slen1 = kSlen[0][g.scalefacCompress];
  const int slen2 = kSlen[1][g.scalefacCompress];
  if (IsShort(g)) {
    int sfb = 0;
    if (g.mixed) {
      for (; sfb < 8; ++sfb) sf.l[sfb] = br.Read(slen1);
      sfb = 3;
    }
    for (; sfb < 12; ++sfb)
      for (int w = 0; w < 3; ++w) sf.s[sfb][w] = br.Read(sfb < 6 ? slen1 : slen2);
    for (int w = 0; w < 3; ++w) sf.s[12][w] = 0;
    return;
  }
  static const int kBands[5] = {0, 6, 11, 16, 21};
  for (int band = 0; band < 4; ++band) {
    if (gr == 1 && scfsi_[ch][band]) continue;  // kept from the first granule
    for (int sfb = kBands[band]; sfb < kBands[band + 1]; ++sfb)
      sf.l[sfb] = br.Read(band < 2 ? slen1 : slen2);
  }
  sf.l[21] = sf.l[22] = 0;
}

void LayerThreeDecoder::ReadScalefactorsLsf(const FrameHeader& h, BitReader& br, int ch) {
  GranuleInfo& g = granule_[0][ch];
  Scalefactors& sf = scale_[ch];
  const int kind = IsShort(g) ? (g.mixed ? 2 : 1) : 0;
  const bool intensityRight =
      h.mode == ChannelMode::kJointStereo && (h.modeExtension & 1) && ch == 1;
  int sfc = g.scalefacCompress;
  int slen[4] = {};
  int table;
  g.preflag = false;
  if (!intensityRight) {
    if (sfc < 400) {
      slen[0] = (sfc >> 4) / 5, slen[1] = (sfc >> 4) % 5, slen[2] = (sfc & 15) >> 2,
      slen[3] = sfc & 3;
      table = 0;
    } else if (sfc < 500) {
      sfc -= 400;
      slen[0] = (sfc >> 2) / 5, slen[1] = (sfc >> 2) % 5, slen[2] = sfc & 3;
      table = 1;
    } else {
      sfc -= 500;
      slen[0] = sfc / 3, slen[1] = sfc % 3;
      table = 2;
      g.preflag = true;
    }
  } else {
    int isc = sfc >> 1;
    if (isc < 180) {
      slen[0] = isc / 36, slen[1] = (isc % 36) / 6, slen[2] = isc % 6;
      table = 3;
    } else if (isc < 244) {
      isc -= 180;
      slen[0] = (isc & 63) >> 4, slen[1] = (isc & 15) >> 2, slen[2] = isc & 3;
      table = 4;
    } else {
      isc -= 244;
      slen[0] = isc / 3, slen[1] = isc % 3;
      table = 5;
    }
  }
  int values[40] = {};
  int maxima[40] = {};
  int n = 0;
  for (int p = 0; p < 4; ++p) {
    for (int i = 0; i < kPartitions[table][kind][p] && n < 40; ++i, ++n) {
      values[n] = br.Read(slen[p]);
      maxima[n] = (1 << slen[p]) - 1;
    }
  }
  int k = 0;
  int longCount = kind == 0 ? 21 : (kind == 2 ? 6 : 0);
  for (int sfb = 0; sfb < longCount; ++sfb, ++k) {
    sf.l[sfb] = values[k];
    sf.isMax[sfb] = maxima[k];
  }
  if (kind != 0) {
    for (int sfb = kind == 2 ? 3 : 0; sfb < 12; ++sfb) {
      for (int w = 0; w < 3; ++w, ++k) sf.s[sfb][w] = values[k];
      sf.isMaxS[sfb] = maxima[k - 1];
    }
  }
  sf.l[21] = sf.l[22] = 0;
  sf.isMax[21] = sf.isMax[20];
  for (int w = 0; w < 3; ++w) sf.s[12][w] = 0;
  sf.isMaxS[12] = sf.isMaxS[11];
}

void LayerThreeDecoder::ReadSpectrum(const FrameHeader& h, BitReader& br, int ch,
                                     const GranuleInfo& g, size_t end) {
  (void)h;
  int* q = quantised_[ch];
  const HuffmanSet& huffman = Huffman();
  const int bigEnd = g.bigValues * 2;
  int region1, region2;
  if (g.windowSwitching) {
    region1 = (g.blockType == 2 && !g.mixed) ? shortBands_[3] * 3 : longBands_[8];
    region2 = 576;
  } else {
    region1 = longBands_[std::min(g.region0Count + 1, 22)];
    region2 = longBands_[std::min(g.region0Count + g.region1Count + 2, 22)];
  }
  const int limits[3] = {std::min(region1, bigEnd), std::min(region2, bigEnd), bigEnd};
  int i = 0;
  for (int region = 0; region < 3; ++region) {
    const int limit = std::max(i, limits[region]);
    const int t = g.tableSelect[region];
    const HuffmanSource& src = kBigValueTables[t];
    if (!src.codes) {
      for (; i < limit; ++i) q[i] = 0;
      continue;
    }
    const HuffmanDecoder& dec = huffman.big[t];
    const int linbits = src.linbits;
    for (; i < limit; i += 2) {
      int symbol = dec.Decode(br);
      int x = symbol >> 4;
      int y = symbol & 15;
      if (linbits && x == 15) x += br.Read(linbits);
      q[i] = WithSign(br, x);
      if (linbits && y == 15) y += br.Read(linbits);
      q[i + 1] = WithSign(br, y);
    }
  }
  const HuffmanDecoder& quad = huffman.quad[g.count1Table];
  while (i <= 572 && br.Position() < end) {
    int symbol = quad.Decode(br);
    int v[4] = {(symbol >> 3) & 1, (symbol >> 2) & 1, (symbol >> 1) & 1, symbol & 1};
    for (int& value : v) value = WithSign(br, value);
    if (br.Position() > end) break;  // the last quadruple overran the granule: not coded
    for (int j = 0; j < 4; ++j) q[i + j] = v[j];
    i += 4;
  }
  nonzero_[ch] = i;
  for (; i < 576; ++i) q[i] = 0;
}

void LayerThreeDecoder::Requantise(const GranuleInfo& g, int ch) {
  const Tables& t = Shared();
  const int* q = quantised_[ch];
  float* xr = xr_[ch];
  const Scalefactors& sf = scale_[ch];
  const int shift = g.scalefacScale ? 4 : 2;  // in quarter powers of two
  const int base = g.globalGain - 210;
  const float* pow43 = t.pow43 + kMaxQuantised;
  // Lines from the last non-zero one on are zero whatever their band's gain.
  const int end = nonzero_[ch];
  std::fill(xr + end, xr + 576, 0.0f);
  auto fill = [&](int from, int to, int exponent) {
    to = std::min(to, end);
    if (from >= to) return;
    const float factor = Gain(exponent);
    for (int i = from; i < to; ++i) xr[i] = pow43[q[i]] * factor;
  };
  if (IsShort(g)) {
    int sfb = 0;
    if (g.mixed) {
      for (; longBands_[sfb] < 36; ++sfb)
        fill(longBands_[sfb], longBands_[sfb + 1],
             base - shift * (sf.l[sfb] + (g.preflag ? kPretab[sfb] : 0)));
      sfb = 3;
    }
    for (; sfb < 13; ++sfb) {
      int width = shortBands_[sfb + 1] - shortBands_[sfb];
      for (int w = 0; w < 3; ++w) {
        int start = shortBands_[sfb] * 3 + w * width;
        fill(start, start + width, base - 8 * g.subblockGain[w] - shift * sf.s[sfb][w]);
      }
    }
    return;
  }
  for (int sfb = 0; sfb < 22; ++sfb)
    fill(longBands_[sfb], longBands_[sfb + 1],
         base - shift * (sf.l[sfb] + (g.preflag ? kPretab[sfb] : 0)));
}

void LayerThreeDecoder::Stereo(const FrameHeader& h, int gr) {
  if (h.mode != ChannelMode::kJointStereo) return;
  const bool ms = (h.modeExtension & 2) != 0;
  const bool intensity = (h.modeExtension & 1) != 0;
  float* l = xr_[0];
  float* r = xr_[1];
  const float invSqrt2 = float(1 / std::sqrt(2.0));
  auto midSide = [&](int from, int to) {
    if (!ms) return;
    for (int i = from; i < to; ++i) {
      float m = l[i], s = r[i];
      l[i] = (m + s) * invSqrt2;
      r[i] = (m - s) * invSqrt2;
    }
  };
  // Either channel's lines may now be non-zero up to the higher of the two bounds.
  nonzero_[0] = nonzero_[1] = std::max(nonzero_[0], nonzero_[1]);
  if (!intensity) {
    midSide(0, nonzero_[0]);
    return;
  }
  const GranuleInfo& g = granule_[gr][1];
  const Scalefactors& sf = scale_[1];
  const Tables& t = Shared();
  const bool lsf = h.lsf;
  const float io = float((g.scalefacCompress & 1) ? std::sqrt(0.5) : std::pow(2.0, -0.25));
  // Applies intensity position `pos` to a run of lines, or mid/side when the position is
  // not a valid one.
  auto apply = [&](int from, int to, int pos, int illegal) {
    // MPEG-1 defines positions 0..6 only; larger scale factors are not intensity-coded.
    if (pos == illegal || (!lsf && pos > 6)) {
      midSide(from, to);
      return;
    }
    float kl, kr;
    if (!lsf) {
      kl = t.isRatio[pos][0], kr = t.isRatio[pos][1];
    } else if (pos == 0) {
      kl = kr = 1;
    } else if (pos & 1) {
      kl = std::pow(io, float((pos + 1) / 2)), kr = 1;
    } else {
      kl = 1, kr = std::pow(io, float(pos / 2));
    }
    for (int i = from; i < to; ++i) {
      float v = l[i];
      l[i] = v * kl;
      r[i] = v * kr;
    }
  };
  auto zero = [&](int from, int to) {
    for (int i = from; i < to; ++i)
      if (r[i] != 0) return false;
    return true;
  };

  if (!IsShort(g)) {
    int bound = 22;  // first band above the right channel's last non-zero line
    while (bound > 0 && zero(longBands_[bound - 1], longBands_[bound])) --bound;
    for (int sfb = 0; sfb < 22; ++sfb) {
      if (sfb < bound) {
        midSide(longBands_[sfb], longBands_[sfb + 1]);
        continue;
      }
      if (sfb == 21 && bound > 20) {
        // The last band follows band 20, which lies below the bound here: it has no
        // position of its own (the lower sampling frequencies take position 0).
        apply(longBands_[sfb], longBands_[sfb + 1], 0, lsf ? -1 : 0);
        continue;
      }
      int src = sfb == 21 ? 20 : sfb;
      apply(longBands_[sfb], longBands_[sfb + 1], sf.l[src], lsf ? sf.isMax[src] : 7);
    }
    return;
  }

  const int firstShort = g.mixed ? 3 : 0;
  bool shortNonzero = false;
  for (int w = 0; w < 3; ++w) {
    int bound = 13;
    while (bound > firstShort) {
      int width = shortBands_[bound] - shortBands_[bound - 1];
      int start = shortBands_[bound - 1] * 3 + w * width;
      if (!zero(start, start + width)) break;
      --bound;
    }
    if (bound > firstShort) shortNonzero = true;
    for (int sfb = firstShort; sfb < 13; ++sfb) {
      int width = shortBands_[sfb + 1] - shortBands_[sfb];
      int start = shortBands_[sfb] * 3 + w * width;
      if (sfb < bound) {
        midSide(start, start + width);
        continue;
      }
      if (sfb == 12 && bound > 11) {
        apply(start, start + width, 0, lsf ? -1 : 0);
        continue;
      }
      int src = sfb == 12 ? 11 : sfb;
      apply(start, start + width, sf.s[src][w], lsf ? sf.isMaxS[src] : 7);
    }
  }
  if (g.mixed) {
    int longCount = 0;
    while (longBands_[longCount] < 36) ++longCount;
    int bound = longCount;
    if (!shortNonzero)
      while (bound > 0 && zero(longBands_[bound - 1], longBands_[bound])) --bound;
    for (int sfb = 0; sfb < longCount; ++sfb) {
      if (shortNonzero || sfb < bound)
        midSide(longBands_[sfb], longBands_[sfb + 1]);
      else
        apply(longBands_[sfb], longBands_[sfb + 1], sf.l[sfb], lsf ? sf.isMax[sfb] : 7);
    }
  }
}

void LayerThreeDecoder::Reorder(const GranuleInfo& g, int ch) {
  if (!IsShort(g)) return;
  float* xr = xr_[ch];
  float tmp[576];
  int first = g.mixed ? 3 : 0;
  int from = shortBands_[first] * 3;
  for (int sfb = first; sfb < 13; ++sfb) {
    int width = shortBands_[sfb + 1] - shortBands_[sfb];
    int start = shortBands_[sfb] * 3;
    for (int w = 0; w < 3; ++w)
      for (int i = 0; i < width; ++i) tmp[start + i * 3 + w] = xr[start + w * width + i];
  }
  std::memcpy(xr + from, tmp + from, (576 - from) * sizeof(float));
}

void LayerThreeDecoder::Antialias(const GranuleInfo& g, int ch) {
  const Tables& t = Shared();
  int limit = IsShort(g) ? (g.mixed ? 2 : 0) : 32;
  float* xr = xr_[ch];
  // A butterfly reaches 8 lines below its boundary: those above the last non-zero line have
  // nothing to mix.
  int sb = 1;
  for (; sb < limit && 18 * sb - 8 < nonzero_[ch]; ++sb) {
    for (int i = 0; i < 8; ++i) {
      float a = xr[18 * sb - 1 - i];
      float b = xr[18 * sb + i];
      xr[18 * sb - 1 - i] = a * t.cs[i] - b * t.ca[i];
      xr[18 * sb + i] = b * t.cs[i] + a * t.ca[i];
    }
  }
  // and carries values up to 8 lines above it.
  if (sb > 1) nonzero_[ch] = std::max(nonzero_[ch], 18 * (sb - 1) + 8);
}

void LayerThreeDecoder::Hybrid(const GranuleInfo& g, int ch, int slot0, SubbandBlock& out) {
  using namespace simd;
  const float* xr = xr_[ch];
  const int type = g.windowSwitching ? g.blockType : 0;
  // Frequency inversion: odd time samples of odd subbands change sign.
  const F4 inversion[2] = {Splat(1), _mm_setr_ps(1, -1, 1, -1)};
  // Four subbands at a time.
  for (int sb = 0; sb < 32; sb += 4) {
    F4 y[36];
    if (type != 2 && 18 * sb >= nonzero_[ch]) {
      // Above the last non-zero line (antialiasing included) all lines are zero; a short
      // block's reordering moves lines within their band, past that bound.
      for (F4& v : y) v = Zero();
    } else {
      if (type == 2)
        ImdctShort(xr + 18 * sb, y);
      else
        ImdctLong(xr + 18 * sb, type, y);
      if (g.windowSwitching && g.mixed && sb == 0 && type != 0) {
        // The two lowest subbands of a mixed block take the normal window.
        F4 normal[36];
        ImdctLong(xr, 0, normal);
        for (int i = 0; i < 36; ++i)
          y[i] = _mm_shuffle_ps(normal[i], y[i], _MM_SHUFFLE(3, 2, 1, 0));
      }
    }
    for (int i = 0; i < 18; ++i) {
      float* keep = overlap_[ch][i] + sb;
      const F4 v = Add(y[i], Load(keep));
      Store(keep, y[18 + i]);
      Store(out[ch][slot0 + i] + sb, Mul(v, inversion[i & 1]));
    }
  }
}

int LayerThreeDecoder::Decode(const FrameHeader& h, const uint8_t* frame, int bytes,
                              SubbandBlock& out) {
  const int channels = h.Channels();
  const int granules = h.lsf ? 1 : 2;
  longBands_ = kLongBands[h.lsf][h.sampleRateIndex];
  shortBands_ = kShortBands[h.lsf][h.sampleRateIndex];

  BitReader br(frame, bytes);
  br.Skip(h.hasCrc ? 48 : 32);
  bool valid = ReadSideInfo(h, br);
  const int sideBits = h.SideInfoBytes() * 8;
  if (h.hasCrc && bytes >= 6 + h.SideInfoBytes()) {
    uint16_t crc = Crc16Bits(frame, 16, 16);
    crc = Crc16Bits(frame, 48, sideBits, crc);
    if (crc != ((frame[4] << 8) | frame[5])) valid = false;
  }

  // The bit reservoir: main data may begin up to 511 bytes before this frame's own.
  const int mainStart = 4 + (h.hasCrc ? 2 : 0) + h.SideInfoBytes();
  int count = std::max(0, bytes - mainStart);
  int keep = std::min(reservoirBytes_, 511);
  std::memmove(reservoir_, reservoir_ + reservoirBytes_ - keep, keep);
  reservoirBytes_ = keep;
  const bool available = valid && mainDataBegin_ <= reservoirBytes_;
  const int start = reservoirBytes_ - mainDataBegin_;
  count = std::min<int>(count, sizeof reservoir_ - reservoirBytes_);
  if (count > 0) std::memcpy(reservoir_ + reservoirBytes_, frame + mainStart, count);
  reservoirBytes_ += count;
  hadMainData_ = valid && available;
  if (!valid) return 0;

  if (!available) {
    // The frame refers to main data that was never received (after a seek or a cut):
    // its granules are silent, but the overlap of the previous frame still decays.
    GranuleInfo silent;
    for (int ch = 0; ch < channels; ++ch) {
      std::memset(xr_[ch], 0, sizeof xr_[ch]);
      nonzero_[ch] = 0;
      for (int gr = 0; gr < granules; ++gr) Hybrid(silent, ch, gr * 18, out);
    }
    return 18 * granules;
  }

  BitReader md(reservoir_ + start, reservoirBytes_ - start);
  for (int gr = 0; gr < granules; ++gr) {
    for (int ch = 0; ch < channels; ++ch) {
      const GranuleInfo& g = granule_[gr][ch];
      const size_t part2Start = md.Position();
      const size_t end = part2Start + g.part23Length;
      if (h.lsf)
        ReadScalefactorsLsf(h, md, ch);
      else
        ReadScalefactorsMpeg1(md, gr, ch);
      ReadSpectrum(h, md, ch, g, end);
      md.SetPosition(end);
      Requantise(g, ch);
    }
    if (channels == 2) Stereo(h, gr);
    for (int ch = 0; ch < channels; ++ch) {
      const GranuleInfo& g = granule_[gr][ch];
      Reorder(g, ch);
      Antialias(g, ch);
      Hybrid(g, ch, gr * 18, out);
    }
  }
  return 18 * granules;
}

}  // namespace kelvaro
