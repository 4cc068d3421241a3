#include "archive/Checksum.h"

#include <array>

namespace archive {
namespace {

// The standard reflected CRC-32 table (polynomial 0xEDB88320), laid out as the
// 1024 little-endian bytes that the look-up indexes into.
std::array<uint8_t, 1024> MakeTableBytes() {
  std::array<uint8_t, 1024> bytes{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    for (int b = 0; b < 4; ++b) bytes[n * 4 + b] = uint8_t(c >> (8 * b));
  }
  return bytes;
}

// t[i] = the 32-bit little-endian word at byte offset i of the table (i < 256).
std::array<uint32_t, 256> MakeOffsetTable() {
  const auto bytes = MakeTableBytes();
  std::array<uint32_t, 256> t{};
  for (size_t i = 0; i < 256; ++i)
    t[i] = uint32_t(bytes[i]) | uint32_t(bytes[i + 1]) << 8 | uint32_t(bytes[i + 2]) << 16 |
           uint32_t(bytes[i + 3]) << 24;
  return t;
}

const std::array<uint32_t, 256> kOffsetTable = MakeOffsetTable();

}  // namespace

uint32_t BlockChecksumUpdate(uint32_t c, const uint8_t* data, size_t size) {
  for (size_t k = 0; k < size; ++k) c = (c >> 8) ^ kOffsetTable[(c ^ data[k]) & 0xFF];
  return c;
}

uint32_t BlockCheck(const void* data, size_t size) {
  return ~BlockChecksumUpdate(0xFFFFFFFFu, static_cast<const uint8_t*>(data), size);
}

}  // namespace archive
