#include "archive/Format.h"

#include "archive/Extended.h"
#include "archive/Paths.h"
#include "platform/LittleEndian.h"
#include "platform/System.h"

namespace archive {
namespace {

void PutExtended(platform::LeWriter& w, double v) {
  uint8_t bytes[kExtendedSize];
  DoubleToExtended(v, bytes);
  w.Bytes(bytes, kExtendedSize);
}

double GetExtended(platform::LeReader& r) {
  const double v = ExtendedToFiniteDouble(r.At());
  r.Skip(kExtendedSize);
  return v;
}

void PutTotals(platform::LeWriter& w, const TTotals& t) {
  w.I32(t.FileCount);
  PutExtended(w, t.Size);
  PutExtended(w, t.CompressedSize);
}

TTotals GetTotals(platform::LeReader& r) {
  TTotals t;
  t.FileCount = r.I32();
  t.Size = GetExtended(r);
  t.CompressedSize = GetExtended(r);
  return t;
}

}  // namespace

std::vector<uint8_t> EncodeHeader(const TArchiveHeader& h) {
  std::vector<uint8_t> out(size_t(HeaderLength(h)));
  platform::LeWriter w(out.data());
  w.I32(h.Signature);
  w.I32(h.Version);
  w.I32(h.ArchiveID);
  w.I32(h.BlockSize);
  w.I32(h.DataEnd);
  w.I32(h.Segment);
  w.U8(h.ArchiveFlag);
  PutTotals(w, h.Totals);
  PutTotals(w, h.SegmentTotals);
  w.Bytes(h.UserData.data(), h.UserData.size());
  w.Bytes(h.Reserved.data(), h.Reserved.size());
  w.I32(int32_t(h.Comment.size()));
  w.Bytes(h.Comment.data(), h.Comment.size());
  return out;
}

int32_t DecodeHeaderFixed(const uint8_t* bytes, TArchiveHeader& h) {
  platform::LeReader r(bytes);
  h.Signature = r.I32();
  h.Version = r.I32();
  h.ArchiveID = r.I32();
  h.BlockSize = r.I32();
  h.DataEnd = r.I32();
  h.Segment = uint16_t(r.I32());
  h.ArchiveFlag = r.U8();
  h.Totals = GetTotals(r);
  h.SegmentTotals = GetTotals(r);
  r.Bytes(h.UserData.data(), h.UserData.size());
  r.Bytes(h.Reserved.data(), h.Reserved.size());
  h.Comment.clear();
  return r.I32();
}

std::vector<uint8_t> EncodeEntry(const TFileEntry& e) {
  const std::string name = platform::Utf8ToAnsi(e.Name);
  std::vector<uint8_t> out(kEntryFixedSize + name.size());
  platform::LeWriter w(out.data());
  w.I32(int32_t(name.size()));
  w.Bytes(name.data(), name.size());
  PutExtended(w, e.Date);
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
  platform::LeReader r(tail);
  e.Date = GetExtended(r);
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
  platform::LeWriter w(out);
  w.I32(length);
  w.U32(check);
}

void DecodeBlockHeader(const uint8_t in[kBlockHeaderSize], int32_t& length, uint32_t& check) {
  platform::LeReader r(in);
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
