// The archive's block checksum: a CRC-32-table check whose table is looked up by
// byte offset (not by entry index). Archives written by every earlier version of
// the component carry it, so it must stay bit for bit as it is.
#pragma once
#include <cstddef>
#include <cstdint>

namespace archive {

// The running value c after the given bytes, starting from `c`.
uint32_t BlockChecksumUpdate(uint32_t c, const uint8_t* data, size_t size);

// The value stored in a block header: NOT of the checksum over the bytes.
uint32_t BlockCheck(const void* data, size_t size);

// The checks of several blocks at once (at most kMaxParallelChecks): the checksum
// is one long chain of dependent table look-ups, so independent blocks are
// interleaved to keep the processor busy while each chain waits.
constexpr int kMaxParallelChecks = 8;
void BlockChecks(const uint8_t* const* data, const size_t* sizes, int count, uint32_t* checks);

}  // namespace archive
