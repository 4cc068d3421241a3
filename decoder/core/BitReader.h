#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kelvaro {

// Reads bits most significant first from a byte buffer. Reading past the end yields zero bits,
// so damaged frames decode to something bounded instead of reading foreign memory.
class BitReader {
 public:
  BitReader() = default;
  BitReader(const uint8_t* data, size_t bytes) : data_(data), bytes_(bytes), bits_(bytes * 8) {}

  uint32_t Read(int n) {
    uint32_t value = Peek(n);
    pos_ += n;
    return value;
  }
  // Up to 24 bits.
  uint32_t Peek(int n) const {
    if (n == 0) return 0;
    const size_t byte = pos_ >> 3;
    uint32_t word = byte + 4 <= bytes_ ? Word(data_ + byte) : TailWord(byte);
    word <<= pos_ & 7;
    return word >> (32 - n);
  }
  bool ReadBit() {
    const size_t byte = pos_ >> 3;
    const int shift = 7 - static_cast<int>(pos_ & 7);
    ++pos_;
    return byte < bytes_ && ((data_[byte] >> shift) & 1) != 0;
  }
  void Skip(size_t n) { pos_ += n; }
  size_t Position() const { return pos_; }
  void SetPosition(size_t pos) { pos_ = pos; }
  size_t Size() const { return bits_; }
  bool Overrun() const { return pos_ > bits_; }

 private:
  // Four bytes in one load, most significant first.
  static uint32_t Word(const uint8_t* p) {
#if defined(__GNUC__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint32_t word;
    std::memcpy(&word, p, 4);
    return __builtin_bswap32(word);
#else
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
#endif
  }
  // The four bytes from `byte` on near the end, where those past it read as zero.
  uint32_t TailWord(size_t byte) const {
    uint32_t word = 0;
    for (size_t i = byte; i < byte + 4; ++i) word = (word << 8) | (i < bytes_ ? data_[i] : 0);
    return word;
  }

  const uint8_t* data_ = nullptr;
  size_t bytes_ = 0;
  size_t bits_ = 0;
  size_t pos_ = 0;
};

// CRC-16 of the frame check (generator x^16 + x^15 + x^2 + 1), over a run of bits.
uint16_t Crc16Bits(const uint8_t* data, size_t firstBit, size_t bitCount, uint16_t crc = 0xFFFF);

}  // namespace kelvaro
