// Blowfish (Schneier, 1993): 64-bit blocks, 16 rounds, keys of 1 to 56 bytes. The archive
// enciphers the blocks of encrypted entries with it in ECB mode.
//
// Byte order: an 8-byte group is the two 32-bit halves L and R, each big-endian (bytes 0..3
// are L), as in the published test vectors.
//
// Password key schedule (ours; no archive written by the builder or read by the player holds
// encrypted entries): the password's bytes are the key. A password longer than 56 bytes, the
// longest Blowfish key, is folded: byte i is XORed into key byte i mod 56, so every character
// counts. An empty password or key is refused with std::invalid_argument.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/BlowfishTables.h"

namespace archive {

class TBlowfish {
 public:
  static constexpr size_t kMaxKeyBytes = 56;
  static constexpr size_t kBlockBytes = 8;

  TBlowfish() = default;
  ~TBlowfish();
  TBlowfish(const TBlowfish&) = default;
  TBlowfish& operator=(const TBlowfish&) = default;

  // len must be 1..kMaxKeyBytes, else std::invalid_argument.
  void SetKey(const uint8_t* key, size_t len);
  void SetPassword(const std::string& password);

  // Both throw std::logic_error before a key has been set.
  void EncryptBlock(uint32_t& l, uint32_t& r) const;
  void DecryptBlock(uint32_t& l, uint32_t& r) const;

  // In place over size / 8 groups; size must be a multiple of 8, else std::invalid_argument.
  void EncryptECB(uint8_t* data, size_t size) const;
  void DecryptECB(uint8_t* data, size_t size) const;

 private:
  uint32_t F(uint32_t x) const;
  void Encipher(uint32_t& l, uint32_t& r) const;
  void Decipher(uint32_t& l, uint32_t& r) const;
  void RequireKey() const;

  bool keyed_ = false;
  uint32_t p_[kBlowfishPWords] = {};
  uint32_t s_[4][256] = {};
};

}  // namespace archive
