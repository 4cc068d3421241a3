#pragma once
#include <cstddef>
#include <cstdint>

namespace kelvaro {

// Reads bits most significant first from a byte buffer. Reading past the end yields zero bits,
// so damaged frames decode to something bounded instead of reading foreign memory.
class BitReader {
 public:
  BitReader() = default;
  BitReader(const uint8_t* data, size_t bytes) : data_(data), bits_(bytes * 8) {}

  uint32_t Read(int n) {
    uint32_t value = Peek(n);
    pos_ += n;
    return value;
  }
  // Up to 24 bits.
  uint32_t Peek(int n) const {
    if (n == 0) return 0;
    size_t byte = pos_ >> 3;
    uint32_t word =
        (Byte(byte) << 24) | (Byte(byte + 1) << 16) | (Byte(byte + 2) << 8) | Byte(byte + 3);
    word <<= pos_ & 7;
    return word >> (32 - n);
  }
  bool ReadBit() { return Read(1) != 0; }
  void Skip(size_t n) { pos_ += n; }
  size_t Position() const { return pos_; }
  void SetPosition(size_t pos) { pos_ = pos; }
  size_t Size() const { return bits_; }
  bool Overrun() const { return pos_ > bits_; }

 private:
  uint32_t Byte(size_t i) const { return i < (bits_ >> 3) ? data_[i] : 0; }

  const uint8_t* data_ = nullptr;
  size_t bits_ = 0;
  size_t pos_ = 0;
};

// CRC-16 of the frame check (generator x^16 + x^15 + x^2 + 1), over a run of bits.
uint16_t Crc16Bits(const uint8_t* data, size_t firstBit, size_t bitCount, uint16_t crc = 0xFFFF);

}  // namespace kelvaro
