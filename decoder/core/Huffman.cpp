#include "decoder/core/Huffman.h"

#include <algorithm>

namespace kelvaro {

HuffmanDecoder::HuffmanDecoder(const HuffmanSource& source, int symbols, int columns) {
  Code codes[kMaxSymbols];
  const int count = std::min(symbols, kMaxSymbols);
  for (int i = 0; i < count; ++i)
    codes[i] = {source.codes[i], source.lengths[i], (i / columns) * 16 + i % columns};
  // The first pass only measures the tables, the second fills them.
  const int size = Build(nullptr, 0, kRootBits, 0, codes, count, 1 << kRootBits);
  entries_.reset(new Entry[size]);
  Build(entries_.get(), 0, kRootBits, 0, codes, count, 1 << kRootBits);
}

// Fills the table at `base` (2^width entries) with the codes, whose first `consumed` bits
// were taken by the levels above. Longer codes go to subtables laid out from `end` on; returns
// the end of the last of them. With `table` null, only the layout is computed.
int HuffmanDecoder::Build(Entry* table, int base, int width, int consumed, const Code* codes,
                          int count, int end) {
  if (table)
    for (int i = 0; i < (1 << width); ++i)
      table[base + i] = {0, static_cast<uint8_t>(width), false};
  for (int i = 0; i < count; ++i) {
    const Code& c = codes[i];
    int rest = c.length - consumed;
    if (rest > width || !table) continue;
    uint32_t tail = c.bits & ((1u << rest) - 1);
    uint32_t first = tail << (width - rest);
    for (uint32_t j = 0; j < (1u << (width - rest)); ++j)
      table[base + first + j] = {static_cast<uint16_t>(c.symbol), static_cast<uint8_t>(rest),
                                 false};
  }
  // The codes that continue beyond this level, grouped by their slot here (in their order).
  auto slotOf = [&](const Code& c) -> int {  // -1: the code ends at this level
    int rest = c.length - consumed;
    return rest > width ? int((c.bits & ((1u << rest) - 1)) >> (rest - width)) : -1;
  };
  int groupStart[(1 << kMaxWidth) + 1] = {};
  for (int i = 0; i < count; ++i)
    if (int slot = slotOf(codes[i]); slot >= 0) ++groupStart[slot + 1];
  for (int slot = 0; slot < (1 << width); ++slot) groupStart[slot + 1] += groupStart[slot];
  Code longer[kMaxSymbols];
  int filled[1 << kMaxWidth];
  for (int slot = 0; slot < (1 << width); ++slot) filled[slot] = groupStart[slot];
  for (int i = 0; i < count; ++i)
    if (int slot = slotOf(codes[i]); slot >= 0) longer[filled[slot]++] = codes[i];
  for (int slot = 0; slot < (1 << width); ++slot) {
    const int n = groupStart[slot + 1] - groupStart[slot];
    if (n == 0) continue;
    const Code* group = longer + groupStart[slot];
    int deepest = 0;
    for (int i = 0; i < n; ++i) deepest = std::max(deepest, group[i].length - consumed - width);
    int subWidth = std::min(deepest, kMaxWidth);
    int subBase = end;
    end += 1 << subWidth;
    if (table)
      table[base + slot] = {static_cast<uint16_t>(subBase), static_cast<uint8_t>(subWidth), true};
    end = Build(table, subBase, subWidth, consumed + width, group, n, end);
  }
  return end;
}

namespace {

HuffmanSet MakeSet() {
  HuffmanSet s;
  for (int t = 0; t < 32; ++t) {
    const HuffmanSource& src = kBigValueTables[t];
    if (src.codes) s.big[t] = HuffmanDecoder(src, src.size * src.size, src.size);
  }
  for (int t = 0; t < 2; ++t) s.quad[t] = HuffmanDecoder(kCount1Tables[t], 16, 16);
  return s;
}

// Built when the program or library is loaded, before any of its threads decodes.
const HuffmanSet set = MakeSet();

}  // namespace

const HuffmanSet& Huffman() { return set; }

}  // namespace kelvaro
