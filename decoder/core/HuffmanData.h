#pragma once
#include <cstdint>

namespace kelvaro {

// One Huffman code of the standard: size*size code words (size*size = 16 for count-1 tables).
struct HuffmanSource {
  const uint16_t* codes;
  const uint8_t* lengths;
  int size;
  int linbits;
};

extern const HuffmanSource kBigValueTables[32];
extern const HuffmanSource kCount1Tables[2];

}  // namespace kelvaro
