// The Huffman tables typed from the standard form complete prefix codes, and the decoder's
// lookup reproduces every code word.
#include <gtest/gtest.h>

#include "decoder/core/Huffman.h"

namespace kelvaro {
namespace {

void CheckCode(const HuffmanSource& src, int symbols, int columns, const HuffmanDecoder& decoder) {
  double kraft = 0;
  for (int i = 0; i < symbols; ++i) kraft += 1.0 / (1u << src.lengths[i]);
  EXPECT_DOUBLE_EQ(kraft, 1.0);
  for (int i = 0; i < symbols; ++i) {
    // Each code word, followed by arbitrary bits, decodes to its own symbol.
    uint32_t word =
        (uint32_t(src.codes[i]) << (24 - src.lengths[i])) | (0x5A5A5A >> src.lengths[i]);
    uint8_t bytes[4] = {uint8_t(word >> 16), uint8_t(word >> 8), uint8_t(word), 0};
    BitReader br(bytes, 4);
    EXPECT_EQ(decoder.Decode(br), (i / columns) * 16 + i % columns);
    EXPECT_EQ(br.Position(), src.lengths[i]);
  }
}

TEST(HuffmanTables, AreCompletePrefixCodesAndDecode) {
  const HuffmanSet& set = Huffman();
  for (int t = 0; t < 32; ++t) {
    const HuffmanSource& src = kBigValueTables[t];
    if (!src.codes) continue;
    SCOPED_TRACE(t);
    CheckCode(src, src.size * src.size, src.size, set.big[t]);
  }
  CheckCode(kCount1Tables[0], 16, 16, set.quad[0]);
  CheckCode(kCount1Tables[1], 16, 16, set.quad[1]);
}

}  // namespace
}  // namespace kelvaro
