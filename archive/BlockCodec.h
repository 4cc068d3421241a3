// zlib compression and decompression of the blocks, as the archive stores them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

struct z_stream_s;

namespace archive {

// zlib levels of TCompressionLevel clMaximum, clNormal, clFast, clSuperFast, clNone.
constexpr int kZlibLevels[5] = {9, -1, 5, 1, 0};

enum class DeflateResult { Ok, TooLong, Failed };

// Deflates blocks, each into one complete zlib stream, through one compressor that is
// kept between blocks: deflateReset gives every block the state of a new stream, so the
// bytes are those of one-shot compression, without allocating and clearing the
// compressor's tables (about 270 KB) for each block.
class TBlockDeflater {
 public:
  TBlockDeflater();
  ~TBlockDeflater();
  TBlockDeflater(const TBlockDeflater&) = delete;
  TBlockDeflater& operator=(const TBlockDeflater&) = delete;

  // Deflates `src` into `dst`. TooLong: the stream would not fit (the block is then
  // stored); Failed: zlib refused (bad level, no memory).
  DeflateResult Deflate(const uint8_t* src, size_t srcSize, uint8_t* dst, size_t dstCapacity,
                        size_t& dstSize, int level);
  // Frees the compressor; the next block makes a new one.
  void Release();

 private:
  std::unique_ptr<z_stream_s> stream_;
  bool ready_ = false;
  int level_ = 0;
};

// Inflates blocks, each one complete zlib stream, through one decompressor that is
// kept between blocks (inflateReset instead of a new decompressor for each block).
class TBlockInflater {
 public:
  TBlockInflater();
  ~TBlockInflater();
  TBlockInflater(const TBlockInflater&) = delete;
  TBlockInflater& operator=(const TBlockInflater&) = delete;

  // False when the stream is damaged or would be longer than `dstCapacity`.
  bool Inflate(const uint8_t* src, int32_t srcSize, uint8_t* dst, int32_t dstCapacity,
               int32_t& dstSize);
  // Frees the decompressor; the next block makes a new one.
  void Release();

 private:
  std::unique_ptr<z_stream_s> stream_;
  bool ready_ = false;
};

}  // namespace archive
