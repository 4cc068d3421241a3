// zlib one-shot compression of one block, as the archive stores it.
#pragma once
#include <cstddef>
#include <cstdint>

namespace archive {

// zlib levels of TCompressionLevel clMaximum, clNormal, clFast, clSuperFast, clNone.
constexpr int kZlibLevels[5] = {9, -1, 5, 1, 0};

enum class DeflateResult { Ok, TooLong, Failed };

// Deflates `src` into one zlib stream in `dst`. TooLong: the stream would not fit
// (the block is then stored); Failed: zlib refused (bad level, no memory).
DeflateResult DeflateBlock(const uint8_t* src, size_t srcSize, uint8_t* dst, size_t dstCapacity,
                           size_t& dstSize, int level);
// Inflates one complete zlib stream; false when the stream is damaged or would
// be longer than `dstCapacity`.
bool InflateBlock(const uint8_t* src, int32_t srcSize, uint8_t* dst, int32_t dstCapacity,
                  int32_t& dstSize);

}  // namespace archive
