#include <zlib.h>

#include "archive/BlockCodec.h"

namespace archive {

// The reading half lives apart from deflate, so that the player links no compressor.
TBlockInflater::TBlockInflater() : stream_(new z_stream()) {}

TBlockInflater::~TBlockInflater() { Release(); }

void TBlockInflater::Release() {
  if (ready_) inflateEnd(stream_.get());
  ready_ = false;
}

bool TBlockInflater::Inflate(const uint8_t* src, int32_t srcSize, uint8_t* dst, int32_t dstCapacity,
                             int32_t& dstSize) {
  if (srcSize < 0 || dstCapacity < 0) return false;
  z_stream& z = *stream_;
  if (ready_ && inflateReset(&z) != Z_OK) Release();
  if (!ready_) {
    z = z_stream();
    if (inflateInit(&z) != Z_OK) return false;
    ready_ = true;
  }
  z.next_in = const_cast<Bytef*>(src);
  z.avail_in = uInt(srcSize);
  z.next_out = dst;
  z.avail_out = uInt(dstCapacity);
  const int result = inflate(&z, Z_FINISH);
  dstSize = int32_t(z.total_out);
  return result == Z_STREAM_END;
}

}  // namespace archive
