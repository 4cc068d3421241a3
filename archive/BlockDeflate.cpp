#include <zlib.h>

#include "archive/BlockCodec.h"

namespace archive {

DeflateResult DeflateBlock(const uint8_t* src, size_t srcSize, uint8_t* dst, size_t dstCapacity,
                           size_t& dstSize, int level) {
  z_stream z = {};
  if (deflateInit(&z, level) != Z_OK) return DeflateResult::Failed;
  z.next_in = const_cast<Bytef*>(src);
  z.avail_in = uInt(srcSize);
  z.next_out = dst;
  z.avail_out = uInt(dstCapacity);
  const int result = deflate(&z, Z_FINISH);
  dstSize = z.total_out;
  deflateEnd(&z);
  if (result == Z_STREAM_END) return DeflateResult::Ok;
  return result == Z_OK || result == Z_BUF_ERROR ? DeflateResult::TooLong : DeflateResult::Failed;
}

}  // namespace archive
