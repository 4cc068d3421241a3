// Little-endian fields of the suite's file formats (the archive records, the player settings
// record, RIFF/WAVE and BMP headers, the analyser's settings file), read and written byte by
// byte so that a file comes out the same whatever the byte order of the machine.
// Header-only and without the C++ standard library: the decoder library uses it too.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace platform {

constexpr uint16_t GetLe16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
constexpr uint32_t GetLe32(const uint8_t* p) {
  return uint32_t(GetLe16(p)) | uint32_t(GetLe16(p + 2)) << 16;
}
constexpr uint64_t GetLe64(const uint8_t* p) {
  return uint64_t(GetLe32(p)) | uint64_t(GetLe32(p + 4)) << 32;
}

constexpr void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
constexpr void PutLe32(uint8_t* p, uint32_t v) {
  PutLe16(p, uint16_t(v));
  PutLe16(p + 2, uint16_t(v >> 16));
}
constexpr void PutLe64(uint8_t* p, uint64_t v) {
  PutLe32(p, uint32_t(v));
  PutLe32(p + 4, uint32_t(v >> 32));
}

// Writes a record's fields one after the other from `at` on. The caller provides room for
// the whole record.
class LeWriter {
 public:
  constexpr explicit LeWriter(uint8_t* at) : at_(at) {}
  constexpr void U8(uint8_t v) { *at_++ = v; }
  constexpr void U16(uint16_t v) {
    PutLe16(at_, v);
    at_ += 2;
  }
  constexpr void U32(uint32_t v) {
    PutLe32(at_, v);
    at_ += 4;
  }
  constexpr void I16(int16_t v) { U16(uint16_t(v)); }
  constexpr void I32(int32_t v) { U32(uint32_t(v)); }
  // A Boolean as one byte, 0 or 1.
  constexpr void Flag(bool v) { U8(v ? 1 : 0); }
  void Bytes(const void* p, size_t n) {
    for (size_t i = 0; i < n; ++i) U8(static_cast<const uint8_t*>(p)[i]);
  }
  constexpr uint8_t* At() const { return at_; }

 private:
  uint8_t* at_;
};

// Reads a record's fields one after the other from `at` on. The caller makes sure that the
// whole record is there.
class LeReader {
 public:
  constexpr explicit LeReader(const uint8_t* at) : at_(at) {}
  constexpr uint8_t U8() { return *at_++; }
  constexpr uint16_t U16() {
    at_ += 2;
    return GetLe16(at_ - 2);
  }
  constexpr uint32_t U32() {
    at_ += 4;
    return GetLe32(at_ - 4);
  }
  constexpr int16_t I16() { return int16_t(U16()); }
  constexpr int32_t I32() { return int32_t(U32()); }
  // A Boolean byte: anything but 0 is true.
  constexpr bool Flag() { return U8() != 0; }
  void Bytes(void* out, size_t n) {
    for (size_t i = 0; i < n; ++i) static_cast<uint8_t*>(out)[i] = U8();
  }
  constexpr void Skip(size_t n) { at_ += n; }
  constexpr const uint8_t* At() const { return at_; }

 private:
  const uint8_t* at_;
};

}  // namespace platform
