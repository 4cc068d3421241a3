#pragma once
#include <cstdint>
#include <memory>

#include "decoder/core/BitReader.h"
#include "decoder/core/HuffmanData.h"

namespace kelvaro {

// A Huffman code turned into nested lookup tables, built once.
class HuffmanDecoder {
 public:
  HuffmanDecoder() = default;
  // The code table has `symbols` entries in rows of `columns`.
  HuffmanDecoder(const HuffmanSource& source, int symbols, int columns);
  // Returns the symbol as its row times 16 plus its column (x * 16 + y of a big-value pair).
  int Decode(BitReader& br) const {
    int base = 0;
    int width = kRootBits;
    for (;;) {
      const Entry& e = entries_[base + br.Peek(width)];
      if (!e.subtable) {
        br.Skip(e.bits);
        return e.value;
      }
      br.Skip(width);
      base = e.value;
      width = e.bits;
    }
  }

 private:
  static constexpr int kRootBits = 6;
  static constexpr int kMaxWidth = 6;  // of a subtable
  struct Entry {
    uint16_t value;  // symbol, or the offset of the subtable
    uint8_t bits;    // bits used by the symbol at this level, or the subtable's width
    bool subtable;
  };
  struct Code {
    uint32_t bits;
    int length;
    int symbol;
  };
  static constexpr int kMaxSymbols = 256;  // 16 x 16, the largest table
  static int Build(Entry* table, int base, int width, int consumed, const Code* codes, int count,
                   int end);

  std::unique_ptr<Entry[]> entries_;
};

// The big-value tables 0..31 and the two count-1 tables.
struct HuffmanSet {
  HuffmanDecoder big[32];
  HuffmanDecoder quad[2];
};
const HuffmanSet& Huffman();

}  // namespace kelvaro
