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

namespace {

inline uint32_t Step(uint32_t c, uint8_t b) { return (c >> 8) ^ kOffsetTable[(c ^ b) & 0xFF]; }

// Runs `count` chains (2 or 4) side by side over their first `common` bytes.
template <int count>
void Interleaved(const uint8_t* const* data, size_t common, uint32_t* c) {
  uint32_t v[count];
  for (int k = 0; k < count; ++k) v[k] = c[k];
  for (size_t i = 0; i < common; ++i)
    for (int k = 0; k < count; ++k) v[k] = Step(v[k], data[k][i]);
  for (int k = 0; k < count; ++k) c[k] = v[k];
}

}  // namespace

void BlockChecks(const uint8_t* const* data, const size_t* sizes, int count, uint32_t* checks) {
  uint32_t c[kMaxParallelChecks] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
  size_t done[kMaxParallelChecks] = {};
  const int together = count >= 4 ? 4 : count >= 2 ? 2 : 0;
  size_t common = together ? sizes[0] : 0;
  for (int k = 1; k < together; ++k) common = sizes[k] < common ? sizes[k] : common;
  if (together == 4) Interleaved<4>(data, common, c);
  if (together == 2) Interleaved<2>(data, common, c);
  for (int k = 0; k < together; ++k) done[k] = common;
  for (int k = 0; k < count; ++k)
    checks[k] = ~BlockChecksumUpdate(c[k], data[k] + done[k], sizes[k] - done[k]);
}

}  // namespace archive
