#include "decoder/core/SubbandLayers.h"

#include <cmath>
#include <cstring>

#include "decoder/core/BitReader.h"

namespace kelvaro {
namespace {

// Scale factor i is 2^(1 - i/3); index 63 is not allowed and decodes as silence.
struct ScaleTable {
  float value[64];
  ScaleTable() {
    for (int i = 0; i < 63; ++i) value[i] = static_cast<float>(std::pow(2.0, 1.0 - i / 3.0));
    value[63] = 0;
  }
};

// Computed when the program or library is loaded, before any of its threads decodes.
const ScaleTable scaleTable;

const float* Scales() { return scaleTable.value; }

// A sample code c of a quantiser with L steps stands for (2c - (L - 1)) / L, times the scale
// factor: c * step + offset, with both terms scaled once for all samples that share them.
struct Dequantiser {
  float step = 0, offset = 0;
  Dequantiser() = default;
  explicit Dequantiser(int levels)
      : step(float(2.0 / levels)), offset(float(-double(levels - 1) / levels)) {}
  Dequantiser(const Dequantiser& unit, float factor)
      : step(unit.step * factor), offset(unit.offset * factor) {}
  float operator()(uint32_t code) const { return float(code) * step + offset; }
};

// Checks the frame's CRC over the header's last 16 bits and the protected bits that follow
// the check word.
bool CrcMatches(const FrameHeader& h, const uint8_t* frame, int bytes, size_t protectedEnd) {
  if (!h.hasCrc) return true;
  if (bytes < 6 || protectedEnd > static_cast<size_t>(bytes) * 8) return false;
  uint16_t crc = Crc16Bits(frame, 16, 16);
  crc = Crc16Bits(frame, 48, protectedEnd - 48, crc);
  return crc == ((frame[4] << 8) | frame[5]);
}

// Layer II quantiser classes: steps, bits per code word (grouped: bits for three samples).
struct QuantClass {
  int levels;
  int bits;
  bool grouped;
};

const QuantClass kClasses[17] = {
    {3, 5, true},       {5, 7, true},      {7, 3, false},     {9, 10, true},     {15, 4, false},
    {31, 5, false},     {63, 6, false},    {127, 7, false},   {255, 8, false},   {511, 9, false},
    {1023, 10, false},  {2047, 11, false}, {4095, 12, false}, {8191, 13, false}, {16383, 14, false},
    {32767, 15, false}, {65535, 16, false}};

// The unscaled dequantisers: Layer I by allocation (2^(a+1) - 1 steps), Layer II by class.
struct Units {
  Dequantiser layerOne[15], layerTwo[17];
  Units() {
    for (int a = 1; a < 15; ++a) layerOne[a] = Dequantiser((2 << a) - 1);
    for (int c = 0; c < 17; ++c) layerTwo[c] = Dequantiser(kClasses[c].levels);
  }
};

const Units units;

const Units& Unit() { return units; }

// The three codes of a grouped code word (3, 5 or 9 steps), the first in the lowest place:
// looked up rather than divided out.
struct Ungrouping {
  uint8_t by3[1 << 5][3], by5[1 << 7][3], by9[1 << 10][3];
  Ungrouping() {
    Fill(by3, 3, 1 << 5);
    Fill(by5, 5, 1 << 7);
    Fill(by9, 9, 1 << 10);
  }
  static void Fill(uint8_t (*table)[3], int levels, int words) {
    for (int w = 0; w < words; ++w)
      for (int i = 0, v = w; i < 3; ++i, v /= levels) table[w][i] = uint8_t(v % levels);
  }
  const uint8_t* Codes(int levels, uint32_t word) const {
    return levels == 3 ? by3[word] : levels == 5 ? by5[word] : by9[word];
  }
};

const Ungrouping ungrouping;

const Ungrouping& Groups() { return ungrouping; }

// Reads the three sample codes of one subband in one group.
inline void ReadCodes(BitReader& br, const QuantClass& q, uint32_t* codes) {
  if (q.grouped) {
    const uint8_t* c = Groups().Codes(q.levels, br.Read(q.bits));
    codes[0] = c[0], codes[1] = c[1], codes[2] = c[2];
  } else {
    for (int i = 0; i < 3; ++i) codes[i] = br.Read(q.bits);
  }
}

// Allocation rows: classes selectable by allocation codes 1.. (index into kClasses).
const int8_t kRowA[] = {0, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};  // 4 bits, low bands
const int8_t kRowB[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16};    // 4 bits, middle
const int8_t kRowC[] = {0, 1, 2, 3, 4, 5, 16};                                // 3 bits
const int8_t kRowD[] = {0, 1, 16};                                            // 2 bits
const int8_t kRowE[] = {0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};   // 4 bits, low rate
const int8_t kRowF[] = {0, 1, 3, 4, 5, 6, 7};                                 // 3 bits, low rate
const int8_t kRowG[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};    // 4 bits, LSF
const int8_t kRowH[] = {0, 1, 3};                                             // 2 bits, LSF

struct AllocRow {
  int bits;
  const int8_t* classes;
};

struct AllocTable {
  int subbands;
  AllocRow rows[30];
};

AllocTable MakeTable(int subbands, int n4a, const int8_t* a, int n4b, const int8_t* b, int n3,
                     const int8_t* c, const int8_t* d, int bitsD) {
  AllocTable t{};
  t.subbands = subbands;
  for (int sb = 0; sb < subbands; ++sb) {
    if (sb < n4a)
      t.rows[sb] = {4, a};
    else if (sb < n4a + n4b)
      t.rows[sb] = {4, b};
    else if (sb < n4a + n4b + n3)
      t.rows[sb] = {3, c};
    else
      t.rows[sb] = {bitsD, d};
  }
  return t;
}

struct AllocTables {
  AllocTable a, b, c, d, lsf;
  AllocTables()
      : a(MakeTable(27, 3, kRowA, 8, kRowB, 12, kRowC, kRowD, 2)),
        b(MakeTable(30, 3, kRowA, 8, kRowB, 12, kRowC, kRowD, 2)),
        c(MakeTable(8, 2, kRowE, 0, kRowE, 6, kRowF, kRowF, 3)),
        d(MakeTable(12, 2, kRowE, 0, kRowE, 10, kRowF, kRowF, 3)),
        lsf(MakeTable(30, 4, kRowG, 0, kRowG, 7, kRowF, kRowH, 2)) {}
};

const AllocTables allocTables;

const AllocTable& SelectTable(const FrameHeader& h) {
  const AllocTables& tables = allocTables;
  if (h.lsf) return tables.lsf;
  int perChannel = h.Bitrate() / 1000 / h.Channels();
  int rate = h.SampleRate();
  // Free format: the rate is not known from the header; the high-rate tables fit best.
  if (h.bitrateIndex == 0) return rate == 48000 ? tables.a : tables.b;
  if (perChannel <= 48) return rate == 32000 ? tables.d : tables.c;
  if (perChannel <= 80) return tables.a;
  return rate == 48000 ? tables.a : tables.b;
}

// The Layer II bit allocation: the quantisation class of every subband and channel (null:
// no samples); above the bound both channels share channel 0's.
void ReadAllocation(BitReader& br, const AllocTable& table, int channels, int bound,
                    const QuantClass* cls[2][32]) {
  for (int sb = 0; sb < table.subbands; ++sb) {
    const AllocRow& row = table.rows[sb];
    for (int ch = 0; ch < channels; ++ch) {
      if (sb < bound || ch == 0) {
        const int code = br.Read(row.bits);
        cls[ch][sb] = code ? &kClasses[row.classes[code - 1]] : nullptr;
      } else {
        cls[ch][sb] = cls[0][sb];
      }
    }
  }
}

}  // namespace

int SubbandFrameBits(const FrameHeader& h, const uint8_t* frame, int bytes) {
  BitReader br(frame, bytes);
  br.Skip(h.hasCrc ? 48 : 32);
  const int channels = h.Channels();
  int bits = h.hasCrc ? 48 : 32;
  if (h.layer == 1) {
    const int bound = h.Bound();
    for (int sb = 0; sb < 32; ++sb) {
      int shared = -1;
      for (int ch = 0; ch < channels; ++ch) {
        int a = shared;
        if (sb < bound || ch == 0) {
          a = br.Read(4);
          bits += 4;
          if (a == 15) return -1;
        }
        if (ch == 0) shared = a;
        if (a == 0) continue;
        bits += 6;                                        // scale factor
        if (sb < bound || ch == 0) bits += 12 * (a + 1);  // samples
      }
    }
    return bits;
  }
  const AllocTable& table = SelectTable(h);
  const int limit = table.subbands;
  const int bound = h.Bound() < limit ? h.Bound() : limit;
  const QuantClass* cls[2][32] = {};
  ReadAllocation(br, table, channels, bound, cls);
  for (int sb = 0; sb < limit; ++sb)
    for (int ch = 0; ch < channels; ++ch)
      if (sb < bound || ch == 0) {
        bits += table.rows[sb].bits;
        if (cls[ch][sb])
          bits += 12 * (cls[ch][sb]->grouped ? cls[ch][sb]->bits : 3 * cls[ch][sb]->bits);
      }
  for (int sb = 0; sb < limit; ++sb) {
    for (int ch = 0; ch < channels; ++ch) {
      if (!cls[ch][sb]) continue;
      static const int kScales[4] = {3, 2, 1, 2};
      bits += 2 + 6 * kScales[br.Read(2)];
    }
  }
  return bits;
}

int DecodeLayerOne(const FrameHeader& h, const uint8_t* frame, int bytes, SubbandBlock& out) {
  BitReader br(frame, bytes);
  br.Skip(h.hasCrc ? 48 : 32);
  const int channels = h.Channels();
  const int bound = h.Bound();
  int alloc[2][32];
  int scale[2][32];
  for (int sb = 0; sb < 32; ++sb) {
    for (int ch = 0; ch < channels; ++ch) {
      if (sb < bound || ch == 0)
        alloc[ch][sb] = br.Read(4);
      else
        alloc[ch][sb] = alloc[0][sb];
      if (alloc[ch][sb] == 15) alloc[ch][sb] = 0;  // forbidden code
    }
  }
  if (!CrcMatches(h, frame, bytes, br.Position())) return 0;
  const float* scales = Scales();
  const Units& units = Unit();
  for (int sb = 0; sb < 32; ++sb)
    for (int ch = 0; ch < channels; ++ch) scale[ch][sb] = alloc[ch][sb] ? br.Read(6) : 63;

  for (int slot = 0; slot < 12; ++slot) {
    for (int sb = 0; sb < 32; ++sb) {
      uint32_t code = 0;
      for (int ch = 0; ch < channels; ++ch) {
        const int a = alloc[ch][sb];
        if (a == 0) {
          out[ch][slot][sb] = 0;
          continue;
        }
        // Above the bound both channels share one sample, each with its own scale factor.
        if (ch == 0 || sb < bound) code = br.Read(a + 1);
        out[ch][slot][sb] = Dequantiser(units.layerOne[a], scales[scale[ch][sb]])(code);
      }
    }
  }
  return 12;
}

int DecodeLayerTwo(const FrameHeader& h, const uint8_t* frame, int bytes, SubbandBlock& out) {
  BitReader br(frame, bytes);
  br.Skip(h.hasCrc ? 48 : 32);
  const AllocTable& table = SelectTable(h);
  const int channels = h.Channels();
  const int limit = table.subbands;
  const int bound = h.Bound() < limit ? h.Bound() : limit;
  const QuantClass* cls[2][32] = {};
  ReadAllocation(br, table, channels, bound, cls);
  int scfsi[2][32] = {};
  for (int sb = 0; sb < limit; ++sb)
    for (int ch = 0; ch < channels; ++ch)
      if (cls[ch][sb]) scfsi[ch][sb] = br.Read(2);
  if (!CrcMatches(h, frame, bytes, br.Position())) return 0;

  int scale[2][32][3];
  for (int sb = 0; sb < limit; ++sb) {
    for (int ch = 0; ch < channels; ++ch) {
      int* s = scale[ch][sb];
      if (!cls[ch][sb]) {
        s[0] = s[1] = s[2] = 63;
        continue;
      }
      switch (scfsi[ch][sb]) {
        case 0:
          s[0] = br.Read(6), s[1] = br.Read(6), s[2] = br.Read(6);
          break;
        case 1:
          s[0] = s[1] = br.Read(6), s[2] = br.Read(6);
          break;
        case 2:
          s[0] = s[1] = s[2] = br.Read(6);
          break;
        default:
          s[0] = br.Read(6), s[1] = s[2] = br.Read(6);
          break;
      }
    }
  }

  const float* scales = Scales();
  const Units& units = Unit();
  for (int group = 0; group < 12; ++group) {
    const int part = group / 4;
    for (int sb = 0; sb < 32; ++sb) {
      uint32_t codes[3] = {};
      for (int ch = 0; ch < channels; ++ch) {
        const QuantClass* q = sb < limit ? cls[ch][sb] : nullptr;
        if (!q) {
          for (int i = 0; i < 3; ++i) out[ch][group * 3 + i][sb] = 0;
          continue;
        }
        // Above the bound both channels share channel 0's codes.
        if (ch == 0 || sb < bound) ReadCodes(br, *q, codes);
        const Dequantiser value(units.layerTwo[q - kClasses], scales[scale[ch][sb][part]]);
        for (int i = 0; i < 3; ++i) out[ch][group * 3 + i][sb] = value(codes[i]);
      }
    }
  }
  return 36;
}

}  // namespace kelvaro
