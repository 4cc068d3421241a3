#include <zlib.h>

#include "archive/BlockCodec.h"

namespace archive {

// The reading half lives apart from deflate, so that the player links no compressor.
bool InflateBlock(const uint8_t* src, int32_t srcSize, uint8_t* dst, int32_t dstCapacity,
                  int32_t& dstSize) {
  z_stream z = {};
  if (srcSize < 0 || dstCapacity < 0 || inflateInit(&z) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(src);
  z.avail_in = uInt(srcSize);
  z.next_out = dst;
  z.avail_out = uInt(dstCapacity);
  const int result = inflate(&z, Z_FINISH);
  dstSize = int32_t(z.total_out);
  inflateEnd(&z);
  return result == Z_STREAM_END;
}

}  // namespace archive
