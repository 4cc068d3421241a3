// The archive file format, byte by byte. All integers are little-endian; every
// offset is counted from the archive's start offset in its segment file.
//
// Segment file:
//   [start offset bytes of executable code, segment 1 only]
//   0            archive header (273 bytes + comment)
//   header len   entry 1, then the blocks of entry 1
//   ...          entry 2, its blocks, and so on
//   DataEnd      end of the archive data of this segment; later bytes are not read
//
// Archive header:
//   0   int32    signature (4664 unless the application supplies its own)
//   4   int32    version (1)
//   8   int32    ArchiveID (tick count at creation, the same in every segment)
//   12  int32    BlockSize (largest number of source bytes in one block)
//   16  int32    DataEnd
//   20  int32    segment number, from 1
//   24  uint8    flags (afCrypted ... afFinalSegment)
//   25  24       Totals of the whole archive
//   49  24       SegmentTotals of this segment
//   73  132      UserData
//   205 64       reserved
//   269 int32    comment length n
//   273 n        comment
//
// Totals record:
//   0   int32    FileCount
//   4   Extended Size (sum of the file sizes)
//   14  Extended CompressedSize (stored bytes, block headers included)
//
// File entry (stored in front of its blocks):
//   0     int32    name length n
//   4     n        name (ANSI code page; a folder entry's last component is ".")
//   4+n   Extended Date (day count, local time; 0 when unknown)
//   14+n  int32    Attributes (Windows file attributes)
//   18+n  int16    Segment current when the file was added
//   20+n  int32    Offset of this entry record in its segment
//   24+n  int32    PartStart: position in the source file where this part begins
//   28+n  uint8    flags (efFile ... efCrypted)
//   29+n  int32    Size of the whole file
//   33+n  int32    CompressedSize of the whole file, block headers included
//   37+n  int32    PartSize: source bytes in this segment
//   41+n  int32    PartCompressedSize: stored bytes in this segment
//
// Block (repeated until PartCompressedSize bytes are used):
//   0   int32    L: L >= 0 a zlib stream of L bytes; L < 0 -L stored bytes
//   4   uint32   NOT of the block checksum of the bytes before encryption
//   8   |L|      data; encrypted blocks: Blowfish ECB over the data padded with
//                P = (8 - m mod 8) mod 8 bytes, then one byte holding P
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace archive {

constexpr int32_t kDefaultSignature = 4664;
constexpr int32_t kArchiveVersion = 1;
constexpr int32_t kHeaderFixedSize = 273;
constexpr int32_t kEntryFixedSize = 45;
constexpr int32_t kEntryTailSize = 41;  // the fixed fields behind the name
constexpr int32_t kBlockHeaderSize = 8;
constexpr int32_t kTotalsSize = 24;
constexpr int32_t kUserDataSize = 132;
constexpr int32_t kReservedSize = 64;
constexpr int32_t kDefaultBlockSize = 65536;
// Block sizes accepted when reading: larger ones would make the buffers unbounded.
constexpr int32_t kMinBlockSize = 1;
constexpr int32_t kMaxBlockSize = 16 * 1024 * 1024;

// Header flags.
enum : uint8_t {
  afCrypted = 0x01,
  afCompressed = 0x02,
  afSolid = 0x04,
  afReadOnly = 0x08,
  afFinalSegment = 0x10,
};

// Entry flags.
enum : uint8_t {
  efFile = 0x01,
  efEmptyFolder = 0x02,
  efLastPart = 0x04,
  efCrypted = 0x08,
};

struct TTotals {
  int32_t FileCount = 0;
  double Size = 0;
  double CompressedSize = 0;
};

using TUserData = std::array<uint8_t, kUserDataSize>;
using TReserved = std::array<uint8_t, kReservedSize>;

struct TArchiveHeader {
  int32_t Signature = kDefaultSignature;
  int32_t Version = kArchiveVersion;
  int32_t ArchiveID = 0;
  int32_t BlockSize = 0;
  int32_t DataEnd = 0;
  uint16_t Segment = 0;
  uint8_t ArchiveFlag = 0;
  TTotals Totals;
  TTotals SegmentTotals;
  TUserData UserData{};
  TReserved Reserved{};
  std::string Comment;
};

struct TFileEntry {
  std::string Name;  // UTF-8 in memory, ANSI on disk
  double Date = 0;
  int32_t Attributes = 0;
  int16_t Segment = 0;
  int32_t Offset = 0;
  int32_t PartStart = 0;
  uint8_t FileFlag = 0;
  int32_t Size = 0;
  int32_t CompressedSize = 0;
  int32_t PartSize = 0;
  int32_t PartCompressedSize = 0;
};

// A folder entry records an empty folder; one that holds data is damaged, not a folder.
inline bool IsFolderEntry(const TFileEntry& e) {
  return (e.FileFlag & efEmptyFolder) && !(e.FileFlag & efFile);
}
inline bool FolderWithData(const TFileEntry& e) {
  return IsFolderEntry(e) && (e.Size != 0 || e.PartSize != 0 || e.PartCompressedSize != 0);
}

inline int32_t HeaderLength(const TArchiveHeader& h) {
  return kHeaderFixedSize + int32_t(h.Comment.size());
}

// The whole header, comment included.
std::vector<uint8_t> EncodeHeader(const TArchiveHeader& h);
// Decodes the first kHeaderFixedSize bytes (everything but the comment) and
// returns the comment length as stored; the caller checks it and reads the comment.
int32_t DecodeHeaderFixed(const uint8_t* bytes, TArchiveHeader& h);

// The whole entry record, name converted to the ANSI code page.
std::vector<uint8_t> EncodeEntry(const TFileEntry& e);
// Decodes an entry from its stored name (n bytes) and the kEntryTailSize bytes behind it.
void DecodeEntry(const uint8_t* name, int32_t nameLength, const uint8_t* tail, TFileEntry& e);

void EncodeBlockHeader(int32_t length, uint32_t check, uint8_t out[kBlockHeaderSize]);
void DecodeBlockHeader(const uint8_t in[kBlockHeaderSize], int32_t& length, uint32_t& check);

// Bytes of an encrypted block holding m prepared bytes: m + padding + 1.
inline int32_t EncryptedBlockLength(int32_t m) { return m + (8 - m % 8) % 8 + 1; }

// Segment files: segment k >= 2 of "C:\dir\Song.exe" is "C:\dir\Song-002.mmm".
// The base name loses a trailing "-" followed only by digits, so that every
// segment's name leads back to the same base.
std::string SegmentBaseName(const std::string& archiveFileName);
std::string SegmentFileName(const std::string& archiveFileName, int segment);

// Where the archive begins in the file holding `segment`. Only segment 1 has a
// start offset: the segment-1 offset when one is given, otherwise the
// executable code size when the file's extension is ".EXE" in any case.
int64_t StartOffsetFor(const std::string& fileName, int segment, int32_t executableCodeSize,
                       int32_t segment1Offset);

}  // namespace archive
