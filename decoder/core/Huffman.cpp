#include "decoder/core/Huffman.h"

#include <algorithm>

namespace kelvaro {

HuffmanDecoder::HuffmanDecoder(const HuffmanSource& source, int symbols, int columns) {
  std::vector<Code> codes;
  for (int i = 0; i < symbols; ++i)
    codes.push_back({source.codes[i], source.lengths[i], (i / columns) * 16 + i % columns});
  entries_.resize(1u << kRootBits);
  Build(0, kRootBits, 0, codes);
}

// Fills the table at `base` (2^width entries) with the codes, whose first `consumed` bits
// were taken by the levels above. Longer codes go to subtables appended at the end.
void HuffmanDecoder::Build(int base, int width, int consumed, const std::vector<Code>& codes) {
  for (int i = 0; i < (1 << width); ++i)
    entries_[base + i] = {0, static_cast<uint8_t>(width), false};
  std::vector<std::vector<Code>> longer(1u << width);
  for (const Code& c : codes) {
    int rest = c.length - consumed;
    uint32_t tail = c.bits & ((1u << rest) - 1);
    if (rest <= width) {
      uint32_t first = tail << (width - rest);
      for (uint32_t j = 0; j < (1u << (width - rest)); ++j)
        entries_[base + first + j] = {static_cast<uint16_t>(c.symbol), static_cast<uint8_t>(rest),
                                      false};
    } else {
      longer[tail >> (rest - width)].push_back(c);
    }
  }
  for (uint32_t slot = 0; slot < longer.size(); ++slot) {
    if (longer[slot].empty()) continue;
    int deepest = 0;
    for (const Code& c : longer[slot]) deepest = std::max(deepest, c.length - consumed - width);
    int subWidth = std::min(deepest, 6);
    int subBase = static_cast<int>(entries_.size());
    entries_.resize(entries_.size() + (1u << subWidth));
    entries_[base + slot] = {static_cast<uint16_t>(subBase), static_cast<uint8_t>(subWidth), true};
    Build(subBase, subWidth, consumed + width, longer[slot]);
  }
}

const HuffmanSet& Huffman() {
  static const HuffmanSet set = [] {
    HuffmanSet s;
    for (int t = 0; t < 32; ++t) {
      const HuffmanSource& src = kBigValueTables[t];
      if (src.codes) s.big[t] = HuffmanDecoder(src, src.size * src.size, src.size);
    }
    for (int t = 0; t < 2; ++t) s.quad[t] = HuffmanDecoder(kCount1Tables[t], 16, 16);
    return s;
  }();
  return set;
}

}  // namespace kelvaro
