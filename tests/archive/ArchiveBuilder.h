// Builds archive bytes by hand, field by field, for tests that need archives
// the components would never write (hostile names, damaged fields).
#pragma once
#include <zlib.h>

#include <string>
#include <vector>

#include "archive/Checksum.h"
#include "archive/Format.h"

namespace testutil {

struct HandEntry {
  std::string name;
  std::vector<uint8_t> data;
  bool compress = true;
  double date = 35838.4270833333;
  int32_t attributes = 0x20;
  uint8_t flags = archive::efFile | archive::efLastPart;
  int32_t size = -1;  // the Size field when not -1 (the data decides otherwise)
};

inline void AppendBytes(std::vector<uint8_t>& out, const std::vector<uint8_t>& b) {
  out.insert(out.end(), b.begin(), b.end());
}

// One segment, one block per entry (BlockSize is made large enough).
inline std::vector<uint8_t> BuildArchive(const std::vector<HandEntry>& entries,
                                         int32_t archiveID = 0x00EA4AF1) {
  using namespace archive;
  TArchiveHeader h;
  h.ArchiveID = archiveID;
  h.BlockSize = 262144;
  h.Segment = 1;
  h.ArchiveFlag = afCompressed | afFinalSegment;
  std::vector<uint8_t> body;
  int32_t position = kHeaderFixedSize;
  for (const HandEntry& he : entries) {
    TFileEntry e;
    e.Name = he.name;
    e.Date = he.date;
    e.Attributes = he.attributes;
    e.Segment = 1;
    e.Offset = position;
    e.FileFlag = he.flags;
    e.Size = e.PartSize = int32_t(he.data.size());
    if (he.size != -1) e.Size = he.size;
    std::vector<uint8_t> block;
    if (!he.data.empty()) {
      std::vector<uint8_t> packed(compressBound(uLong(he.data.size())));
      uLongf packedSize = uLongf(packed.size());
      compress2(packed.data(), &packedSize, he.data.data(), uLong(he.data.size()), 9);
      packed.resize(packedSize);
      const bool keep = he.compress && packed.size() < he.data.size();
      const std::vector<uint8_t>& kept = keep ? packed : he.data;
      uint8_t bh[kBlockHeaderSize];
      const int32_t length = keep ? int32_t(kept.size()) : -int32_t(kept.size());
      EncodeBlockHeader(length, BlockCheck(kept.data(), kept.size()), bh);
      block.assign(bh, bh + kBlockHeaderSize);
      AppendBytes(block, kept);
    }
    e.CompressedSize = e.PartCompressedSize = int32_t(block.size());
    const std::vector<uint8_t> record = EncodeEntry(e);
    AppendBytes(body, record);
    AppendBytes(body, block);
    position += int32_t(record.size() + block.size());
    h.Totals.FileCount++;
    h.Totals.Size += e.Size;
    h.Totals.CompressedSize += e.CompressedSize;
  }
  h.SegmentTotals = h.Totals;
  h.DataEnd = position;
  std::vector<uint8_t> out = EncodeHeader(h);
  AppendBytes(out, body);
  return out;
}

}  // namespace testutil
