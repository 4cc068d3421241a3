#include "archive/Checksum.h"

#include <array>

#include "platform/LittleEndian.h"

namespace archive {
namespace {

// The standard reflected CRC-32 table (polynomial 0xEDB88320), laid out as the
// 1024 little-endian bytes that the look-up indexes into.
std::array<uint8_t, 1024> MakeTableBytes() {
  std::array<uint8_t, 1024> bytes{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    platform::PutLe32(&bytes[n * 4], c);
  }
  return bytes;
}

// t[i] = the 32-bit little-endian word at byte offset i of the table (i < 256).
std::array<uint32_t, 256> MakeOffsetTable() {
  const auto bytes = MakeTableBytes();
  std::array<uint32_t, 256> t{};
  for (size_t i = 0; i < 256; ++i) t[i] = platform::GetLe32(&bytes[i]);
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

// Runs `count` chains side by side over the next `length` bytes of each.
template <int count>
void Interleaved(const uint8_t* const* data, size_t length, uint32_t* c) {
  uint32_t v[count];
  for (int k = 0; k < count; ++k) v[k] = c[k];
  for (size_t i = 0; i < length; ++i)
    for (int k = 0; k < count; ++k) v[k] = Step(v[k], data[k][i]);
  for (int k = 0; k < count; ++k) c[k] = v[k];
}

using InterleavedRun = void (*)(const uint8_t* const*, size_t, uint32_t*);
constexpr InterleavedRun kInterleaved[] = {Interleaved<1>, Interleaved<2>, Interleaved<3>,
                                           Interleaved<4>, Interleaved<5>, Interleaved<6>,
                                           Interleaved<7>, Interleaved<8>};
static_assert(sizeof kInterleaved / sizeof kInterleaved[0] == kMaxParallelChecks);

}  // namespace

void BlockChecks(const uint8_t* const* data, const size_t* sizes, int count, uint32_t* checks) {
  if (count > kMaxParallelChecks) count = kMaxParallelChecks;
  uint32_t c[kMaxParallelChecks];
  size_t done[kMaxParallelChecks] = {};
  for (int k = 0; k < count; ++k) c[k] = 0xFFFFFFFFu;
  // Blocks differ in length: run the unfinished chains together until the shortest
  // of them ends, then go on with the others.
  for (;;) {
    int active[kMaxParallelChecks], n = 0;
    size_t length = 0;
    for (int k = 0; k < count; ++k) {
      const size_t left = sizes[k] - done[k];
      if (left == 0) continue;
      length = n == 0 || left < length ? left : length;
      active[n++] = k;
    }
    if (n == 0) break;
    const uint8_t* at[kMaxParallelChecks];
    uint32_t v[kMaxParallelChecks];
    for (int j = 0; j < n; ++j) at[j] = data[active[j]] + done[active[j]], v[j] = c[active[j]];
    kInterleaved[n - 1](at, length, v);
    for (int j = 0; j < n; ++j) c[active[j]] = v[j], done[active[j]] += length;
  }
  for (int k = 0; k < count; ++k) checks[k] = ~c[k];
}

}  // namespace archive
