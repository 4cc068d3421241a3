// The ready-made components: TArchiver (the builder's: writes and reads) and
// TExtractor (the player's: reads only). Both plug zlib into the block
// (de)compression and Blowfish in ECB mode into the block (de)cipher hooks; an
// assigned On...Block event still takes precedence.
#pragma once
#include "archive/Blowfish.h"
#include "archive/CustomArchiver.h"
#include "archive/CustomExtractor.h"

namespace archive {

class TArchiver : public TCustomArchiver {
 public:
  ~TArchiver() override;

 protected:
  bool CompressBlock(const uint8_t* src, int32_t srcSize, uint8_t* dst, int32_t dstCapacity,
                     int32_t& dstSize, int level) override;
  int32_t CryptBlock(uint8_t* data, int32_t size, int32_t capacity) override;
  bool UncompressBlock(const uint8_t* src, int32_t srcSize, uint8_t* dst, int32_t dstCapacity,
                       int32_t& dstSize) override;
  bool DecryptBlock(uint8_t* data, int32_t size, int32_t& plainSize) override;
  void UseKey(const std::string& key) override { cipher_.SetPassword(key); }

 private:
  TBlowfish cipher_;
};

class TExtractor : public TCustomExtractor {
 protected:
  bool UncompressBlock(const uint8_t* src, int32_t srcSize, uint8_t* dst, int32_t dstCapacity,
                       int32_t& dstSize) override;
  bool DecryptBlock(uint8_t* data, int32_t size, int32_t& plainSize) override;
  void UseKey(const std::string& key) override { cipher_.SetPassword(key); }

 private:
  TBlowfish cipher_;
};

// The encrypted block layout: m bytes padded to a multiple of 8, enciphered,
// then one byte holding the padding count. Returns the stored length.
int32_t EncipherBlock(const TBlowfish& cipher, uint8_t* data, int32_t size);
// Deciphers a stored encrypted block in place; false when its layout is not one.
bool DecipherBlock(const TBlowfish& cipher, uint8_t* data, int32_t size, int32_t& plainSize);

}  // namespace archive
