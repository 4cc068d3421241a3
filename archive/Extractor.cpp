// TExtractor, the reading component, apart from TArchiver so that a program that
// only reads (the player) links neither the writer nor deflate.
#include "archive/Archiver.h"

namespace archive {

bool DecipherBlock(const TBlowfish& cipher, uint8_t* data, int32_t size, int32_t& plainSize) {
  if (size < 1 || (size - 1) % 8 != 0) return false;
  const int32_t padding = data[size - 1];
  if (padding > 7 || padding > size - 1) return false;
  cipher.DecryptECB(data, size_t(size - 1));
  plainSize = size - 1 - padding;
  return true;
}

bool TExtractor::UncompressBlock(const uint8_t* src, int32_t srcSize, uint8_t* dst,
                                 int32_t dstCapacity, int32_t& dstSize) {
  if (OnUncompressBlock)
    return TCustomExtractor::UncompressBlock(src, srcSize, dst, dstCapacity, dstSize);
  return inflater_.Inflate(src, srcSize, dst, dstCapacity, dstSize);
}

void TExtractor::ReleaseWorkingMemory() {
  TCustomExtractor::ReleaseWorkingMemory();
  inflater_.Release();
}

bool TExtractor::DecryptBlock(uint8_t* data, int32_t size, int32_t& plainSize) {
  if (OnDecryptBlock) return TCustomExtractor::DecryptBlock(data, size, plainSize);
  return DecipherBlock(cipher_.Cipher(), data, size, plainSize);
}

}  // namespace archive
