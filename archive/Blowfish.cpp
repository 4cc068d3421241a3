#include "archive/Blowfish.h"

#include <stdexcept>
#include <utility>

namespace archive {
namespace {

uint32_t LoadBigEndian(const uint8_t* b) {
  return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | uint32_t(b[3]);
}

void StoreBigEndian(uint32_t v, uint8_t* b) {
  b[0] = uint8_t(v >> 24);
  b[1] = uint8_t(v >> 16);
  b[2] = uint8_t(v >> 8);
  b[3] = uint8_t(v);
}

void RequireWholeGroups(size_t size) {
  if (size % TBlowfish::kBlockBytes != 0)
    throw std::invalid_argument("Blowfish ECB needs a multiple of 8 bytes");
}

}  // namespace

TBlowfish::~TBlowfish() {
  // The subkeys reveal the key: wipe them in a way the optimiser keeps.
  volatile uint32_t* p = p_;
  for (size_t i = 0; i < kBlowfishPWords; ++i) p[i] = 0;
  volatile uint32_t* s = &s_[0][0];
  for (size_t i = 0; i < 4 * 256; ++i) s[i] = 0;
}

void TBlowfish::SetKey(const uint8_t* key, size_t len) {
  if (key == nullptr || len == 0 || len > kMaxKeyBytes)
    throw std::invalid_argument("Blowfish key must have 1 to 56 bytes");
  const uint32_t* pi = kBlowfishPiWords;
  for (size_t i = 0; i < kBlowfishPWords; ++i) p_[i] = *pi++;
  for (auto& box : s_)
    for (uint32_t& word : box) word = *pi++;

  // XOR the key, cycled, into the P-array.
  size_t k = 0;
  for (uint32_t& word : p_) {
    uint32_t data = 0;
    for (int b = 0; b < 4; ++b, k = (k + 1) % len) data = data << 8 | key[k];
    word ^= data;
  }
  // Replace P and S, in order, by the encipherment chain starting from the zero block.
  uint32_t l = 0, r = 0;
  for (size_t i = 0; i < kBlowfishPWords; i += 2) {
    Encipher(l, r);
    p_[i] = l;
    p_[i + 1] = r;
  }
  for (auto& box : s_) {
    for (size_t i = 0; i < 256; i += 2) {
      Encipher(l, r);
      box[i] = l;
      box[i + 1] = r;
    }
  }
  keyed_ = true;
}

void TBlowfish::SetPassword(const std::string& password) {
  if (password.empty()) throw std::invalid_argument("empty Blowfish password");
  uint8_t key[kMaxKeyBytes] = {};
  for (size_t i = 0; i < password.size(); ++i)
    key[i % kMaxKeyBytes] ^= static_cast<uint8_t>(password[i]);
  SetKey(key, password.size() < kMaxKeyBytes ? password.size() : kMaxKeyBytes);
  volatile uint8_t* wipe = key;
  for (size_t i = 0; i < kMaxKeyBytes; ++i) wipe[i] = 0;
}

uint32_t TBlowfish::F(uint32_t x) const {
  return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
}

void TBlowfish::Encipher(uint32_t& l, uint32_t& r) const {
  for (size_t i = 0; i < kBlowfishRounds; ++i) {
    l ^= p_[i];
    r ^= F(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= p_[kBlowfishRounds];
  l ^= p_[kBlowfishRounds + 1];
}

void TBlowfish::Decipher(uint32_t& l, uint32_t& r) const {
  for (size_t i = kBlowfishRounds + 1; i > 1; --i) {
    l ^= p_[i];
    r ^= F(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= p_[1];
  l ^= p_[0];
}

void TBlowfish::RequireKey() const {
  if (!keyed_) throw std::logic_error("Blowfish used before a key was set");
}

void TBlowfish::EncryptBlock(uint32_t& l, uint32_t& r) const {
  RequireKey();
  Encipher(l, r);
}

void TBlowfish::DecryptBlock(uint32_t& l, uint32_t& r) const {
  RequireKey();
  Decipher(l, r);
}

void TBlowfish::EncryptECB(uint8_t* data, size_t size) const {
  RequireWholeGroups(size);
  RequireKey();
  for (size_t k = 0; k < size; k += kBlockBytes) {
    uint32_t l = LoadBigEndian(data + k), r = LoadBigEndian(data + k + 4);
    Encipher(l, r);
    StoreBigEndian(l, data + k);
    StoreBigEndian(r, data + k + 4);
  }
}

void TBlowfish::DecryptECB(uint8_t* data, size_t size) const {
  RequireWholeGroups(size);
  RequireKey();
  for (size_t k = 0; k < size; k += kBlockBytes) {
    uint32_t l = LoadBigEndian(data + k), r = LoadBigEndian(data + k + 4);
    Decipher(l, r);
    StoreBigEndian(l, data + k);
    StoreBigEndian(r, data + k + 4);
  }
}

}  // namespace archive
