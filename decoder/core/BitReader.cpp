#include "decoder/core/BitReader.h"

namespace kelvaro {

uint16_t Crc16Bits(const uint8_t* data, size_t firstBit, size_t bitCount, uint16_t crc) {
  for (size_t i = firstBit; i < firstBit + bitCount; ++i) {
    int bit = (data[i >> 3] >> (7 - (i & 7))) & 1;
    bool top = (crc & 0x8000) != 0;
    crc = static_cast<uint16_t>(crc << 1);
    if (top != (bit != 0)) crc ^= 0x8005;
  }
  return crc;
}

}  // namespace kelvaro
