#include "archive/Archiver.h"

namespace archive {

int32_t EncipherBlock(const TBlowfish& cipher, uint8_t* data, int32_t size) {
  const int32_t padding = (8 - size % 8) % 8;
  for (int32_t i = 0; i < padding; ++i) data[size + i] = 0;
  cipher.EncryptECB(data, size_t(size + padding));
  data[size + padding] = uint8_t(padding);
  return size + padding + 1;
}

TArchiver::~TArchiver() {
  try {
    Close();
  } catch (...) {  // a destructor cannot report; Close() reports when called
  }
}

bool TArchiver::CompressBlock(const uint8_t* src, int32_t srcSize, uint8_t* dst,
                              int32_t dstCapacity, int32_t& dstSize, int level) {
  if (OnCompressBlock)
    return TCustomArchiver::CompressBlock(src, srcSize, dst, dstCapacity, dstSize, level);
  size_t produced = 0;
  switch (deflater_.Deflate(src, size_t(srcSize), dst, size_t(dstCapacity), produced, level)) {
    case DeflateResult::Ok:
      dstSize = int32_t(produced);
      return true;
    case DeflateResult::TooLong:
      return false;
    case DeflateResult::Failed:
      break;
  }
  throw EArchiverCompress(messages_.CouldNotCompressBlock);
}

void TArchiver::ReleaseWorkingMemory() {
  TCustomArchiver::ReleaseWorkingMemory();
  deflater_.Release();
  inflater_.Release();
}

int32_t TArchiver::CryptBlock(uint8_t* data, int32_t size, int32_t capacity) {
  if (OnCryptBlock) return TCustomArchiver::CryptBlock(data, size, capacity);
  return EncipherBlock(cipher_.Cipher(), data, size);
}

bool TArchiver::UncompressBlock(const uint8_t* src, int32_t srcSize, uint8_t* dst,
                                int32_t dstCapacity, int32_t& dstSize) {
  if (OnUncompressBlock)
    return TCustomArchiver::UncompressBlock(src, srcSize, dst, dstCapacity, dstSize);
  return inflater_.Inflate(src, srcSize, dst, dstCapacity, dstSize);
}

bool TArchiver::DecryptBlock(uint8_t* data, int32_t size, int32_t& plainSize) {
  if (OnDecryptBlock) return TCustomArchiver::DecryptBlock(data, size, plainSize);
  return DecipherBlock(cipher_.Cipher(), data, size, plainSize);
}

}  // namespace archive
