#include "archive/Format.h"

#include "archive/Extended.h"
#include "archive/Paths.h"
#include "platform/System.h"

namespace archive {
namespace {

class ByteWriter {
 public:
  explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}
  void U8(uint8_t v) { out_.push_back(v); }
  void I16(int16_t v) { U32Bytes(uint16_t(v), 2); }
  void I32(int32_t v) { U32Bytes(uint32_t(v), 4); }
  void U32(uint32_t v) { U32Bytes(v, 4); }
  void Ext(double v) {
    uint8_t bytes[kExtendedSize];
    DoubleToExtended(v, bytes);
    Bytes(bytes, kExtendedSize);
  }
  void Bytes(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    out_.insert(out_.end(), b, b + n);
  }
  void Totals(const TTotals& t) {
    I32(t.FileCount);
    Ext(t.Size);
    Ext(t.CompressedSize);
  }

 private:
  void U32Bytes(uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out_.push_back(uint8_t(v >> (8 * i)));
  }
  std::vector<uint8_t>& out_;
};

class ByteReader {
 public:
  explicit ByteReader(const uint8_t* p) : p_(p) {}
  uint8_t U8() { return *p_++; }
  int16_t I16() { return int16_t(U(2)); }
  int32_t I32() { return int32_t(U(4)); }
  uint32_t U32() { return U(4); }
  double Ext() {
    const double v = ExtendedToFiniteDouble(p_);
    p_ += kExtendedSize;
    return v;
  }
  void Bytes(uint8_t* out, size_t n) {
    for (size_t i = 0; i < n; ++i) out[i] = *p_++;
  }
  TTotals Totals() {
    TTotals t;
    t.FileCount = I32();
    t.Size = Ext();
    t.CompressedSize = Ext();
    return t;
  }

 private:
  uint32_t U(int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v |= uint32_t(*p_++) << (8 * i);
    return v;
  }
  const uint8_t* p_;
};

}  // namespace

std::vector<uint8_t> EncodeHeader(const TArchiveHeader& h) {
  std::vector<uint8_t> out;
  out.reserve(size_t(HeaderLength(h)));
  ByteWriter w(out);
  w.I32(h.Signature);
  w.I32(h.Version);
  w.I32(h.ArchiveID);
  w.I32(h.BlockSize);
  w.I32(h.DataEnd);
  w.I32(h.Segment);
  w.U8(h.ArchiveFlag);
  w.Totals(h.Totals);
  w.Totals(h.SegmentTotals);
  w.Bytes(h.UserData.data(), h.UserData.size());
  w.Bytes(h.Reserved.data(), h.Reserved.size());
  w.I32(int32_t(h.Comment.size()));
  w.Bytes(h.Comment.data(), h.Comment.size());
  return out;
}

int32_t DecodeHeaderFixed(const uint8_t* bytes, TArchiveHeader& h) {
  ByteReader r(bytes);
  h.Signature = r.I32();
  h.Version = r.I32();
  h.ArchiveID = r.I32();
  h.BlockSize = r.I32();
  h.DataEnd = r.I32();
  h.Segment = uint16_t(r.I32());
  h.ArchiveFlag = r.U8();
  h.Totals = r.Totals();
  h.SegmentTotals = r.Totals();
  r.Bytes(h.UserData.data(), h.UserData.size());
  r.Bytes(h.Reserved.data(), h.Reserved.size());
  h.Comment.clear();
  return r.I32();
}

std::vector<uint8_t> EncodeEntry(const TFileEntry& e) {
  const std::string name = platform::Utf8ToAnsi(e.Name);
  std::vector<uint8_t> out;
  out.reserve(kEntryFixedSize + name.size());
  ByteWriter w(out);
  w.I32(int32_t(name.size()));
  w.Bytes(name.data(), name.size());
  w.Ext(e.Date);
  w.I32(e.Attributes);
  w.I16(e.Segment);
  w.I32(e.Offset);
  w.I32(e.PartStart);
  w.U8(e.FileFlag);
  w.I32(e.Size);
  w.I32(e.CompressedSize);
  w.I32(e.PartSize);
  w.I32(e.PartCompressedSize);
  return out;
}

void DecodeEntry(const uint8_t* name, int32_t nameLength, const uint8_t* tail, TFileEntry& e) {
  e.Name =
      platform::AnsiToUtf8(std::string(reinterpret_cast<const char*>(name), size_t(nameLength)));
  ByteReader r(tail);
  e.Date = r.Ext();
  e.Attributes = r.I32();
  e.Segment = r.I16();
  e.Offset = r.I32();
  e.PartStart = r.I32();
  e.FileFlag = r.U8();
  e.Size = r.I32();
  e.CompressedSize = r.I32();
  e.PartSize = r.I32();
  e.PartCompressedSize = r.I32();
}

void EncodeBlockHeader(int32_t length, uint32_t check, uint8_t out[kBlockHeaderSize]) {
  std::vector<uint8_t> bytes;
  ByteWriter w(bytes);
  w.I32(length);
  w.U32(check);
  for (int i = 0; i < kBlockHeaderSize; ++i) out[i] = bytes[size_t(i)];
}

void DecodeBlockHeader(const uint8_t in[kBlockHeaderSize], int32_t& length, uint32_t& check) {
  ByteReader r(in);
  length = r.I32();
  check = r.U32();
}

std::string SegmentBaseName(const std::string& archiveFileName) {
  std::string base = ExtractFileName(archiveFileName);
  base = base.substr(0, base.size() - ExtractFileExt(base).size());
  size_t digits = base.size();
  while (digits > 0 && base[digits - 1] >= '0' && base[digits - 1] <= '9') --digits;
  if (digits > 0 && base[digits - 1] == '-') base.erase(digits - 1);
  return base;
}

std::string SegmentFileName(const std::string& archiveFileName, int segment) {
  if (segment <= 1) return archiveFileName;
  std::string number = std::to_string(segment);
  if (number.size() < 3) number.insert(0, 3 - number.size(), '0');
  return ExtractFilePath(archiveFileName) + SegmentBaseName(archiveFileName) + "-" + number +
         ".mmm";
}

int64_t StartOffsetFor(const std::string& fileName, int segment, int32_t executableCodeSize,
                       int32_t segment1Offset) {
  if (segment != 1) return 0;
  if (segment1Offset > 0) return segment1Offset;
  if (executableCodeSize > 0 && UpperAscii(ExtractFileExt(fileName)) == ".EXE")
    return executableCodeSize;
  return 0;
}

}  // namespace archive
