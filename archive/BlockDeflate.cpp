#include <zlib.h>

#include "archive/BlockCodec.h"

namespace archive {

TBlockDeflater::TBlockDeflater() : stream_(new z_stream()) {}

TBlockDeflater::~TBlockDeflater() { Release(); }

void TBlockDeflater::Release() {
  if (ready_) deflateEnd(stream_.get());
  ready_ = false;
}

DeflateResult TBlockDeflater::Deflate(const uint8_t* src, size_t srcSize, uint8_t* dst,
                                      size_t dstCapacity, size_t& dstSize, int level) {
  z_stream& z = *stream_;
  // A stream made for another level is made anew rather than retuned: then every block
  // is compressed exactly as by a new stream of its level.
  if (ready_ && level != level_) Release();
  if (ready_) {
    if (deflateReset(&z) != Z_OK) Release();
  }
  if (!ready_) {
    z = z_stream();
    if (deflateInit(&z, level) != Z_OK) return DeflateResult::Failed;
    ready_ = true;
    level_ = level;
  }
  z.next_in = const_cast<Bytef*>(src);
  z.avail_in = uInt(srcSize);
  z.next_out = dst;
  z.avail_out = uInt(dstCapacity);
  const int result = deflate(&z, Z_FINISH);
  dstSize = z.total_out;
  if (result == Z_STREAM_END) return DeflateResult::Ok;
  if (result == Z_OK || result == Z_BUF_ERROR) return DeflateResult::TooLong;
  Release();  // a stream in an unknown state is not used again
  return DeflateResult::Failed;
}

}  // namespace archive
