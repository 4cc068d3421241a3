#include "archive/Format.h"

#include <gtest/gtest.h>

#include "archive/Paths.h"
#include "platform/Files.h"

namespace {

using namespace archive;

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
         uint32_t(b[at + 3]) << 24;
}

TEST(ArchiveHeaderBytes, FieldsSitAtTheirOffsets) {
  TArchiveHeader h;
  h.ArchiveID = 0x00EA4AF1;
  h.BlockSize = 262144;
  h.DataEnd = 69172;
  h.Segment = 1;
  h.ArchiveFlag = afCompressed | afFinalSegment;
  h.Totals.FileCount = 1;
  h.Totals.Size = 149504;
  h.Totals.CompressedSize = 68843;
  h.SegmentTotals = h.Totals;
  h.UserData[0] = 0xAB;
  h.Reserved[63] = 0xCD;
  h.Comment = "hi";
  const std::vector<uint8_t> b = EncodeHeader(h);
  ASSERT_EQ(b.size(), 275u);
  EXPECT_EQ(U32At(b, 0), 4664u);
  EXPECT_EQ(U32At(b, 4), 1u);
  EXPECT_EQ(U32At(b, 8), 0x00EA4AF1u);
  EXPECT_EQ(U32At(b, 12), 262144u);
  EXPECT_EQ(U32At(b, 16), 69172u);
  EXPECT_EQ(U32At(b, 20), 1u);
  EXPECT_EQ(b[24], 0x12);
  EXPECT_EQ(U32At(b, 25), 1u);     // Totals.FileCount
  EXPECT_EQ(b[25 + 4 + 7], 0x92);  // Totals.Size 149504, top mantissa byte
  EXPECT_EQ(U32At(b, 49), 1u);     // SegmentTotals.FileCount
  EXPECT_EQ(b[73], 0xAB);          // UserData
  EXPECT_EQ(b[205 + 63], 0xCD);    // Reserved
  EXPECT_EQ(U32At(b, 269), 2u);    // comment length
  EXPECT_EQ(std::string(b.begin() + 273, b.end()), "hi");

  TArchiveHeader back;
  ASSERT_EQ(DecodeHeaderFixed(b.data(), back), 2);
  EXPECT_EQ(back.ArchiveID, h.ArchiveID);
  EXPECT_EQ(back.DataEnd, h.DataEnd);
  EXPECT_EQ(back.Segment, 1);
  EXPECT_EQ(back.ArchiveFlag, 0x12);
  EXPECT_EQ(back.Totals.Size, 149504.0);
  EXPECT_EQ(back.SegmentTotals.CompressedSize, 68843.0);
  EXPECT_EQ(back.UserData, h.UserData);
  EXPECT_EQ(back.Reserved, h.Reserved);
}

TEST(FileEntryBytes, FieldsSitAtTheirOffsets) {
  TFileEntry e;
  e.Name = "kelvaro.dll";
  e.Date = 35838.5;
  e.Attributes = 0x20;
  e.Segment = 1;
  e.Offset = 273;
  e.PartStart = 0;
  e.FileFlag = efFile | efLastPart;
  e.Size = 149504;
  e.CompressedSize = 68843;
  e.PartSize = 149504;
  e.PartCompressedSize = 68843;
  const std::vector<uint8_t> b = EncodeEntry(e);
  const size_t n = 11;
  ASSERT_EQ(b.size(), 45 + n);  // 56: the block of the sample starts at 273 + 56 = 329
  EXPECT_EQ(U32At(b, 0), n);
  EXPECT_EQ(std::string(b.begin() + 4, b.begin() + 4 + long(n)), "kelvaro.dll");
  EXPECT_EQ(U32At(b, 14 + n), 0x20u);
  EXPECT_EQ(b[18 + n] | b[19 + n] << 8, 1);
  EXPECT_EQ(U32At(b, 20 + n), 273u);
  EXPECT_EQ(U32At(b, 24 + n), 0u);
  EXPECT_EQ(b[28 + n], 0x05);
  EXPECT_EQ(U32At(b, 29 + n), 149504u);
  EXPECT_EQ(U32At(b, 33 + n), 68843u);
  EXPECT_EQ(U32At(b, 37 + n), 149504u);
  EXPECT_EQ(U32At(b, 41 + n), 68843u);

  TFileEntry back;
  DecodeEntry(b.data() + 4, int32_t(n), b.data() + 4 + n, back);
  EXPECT_EQ(back.Name, e.Name);
  EXPECT_EQ(back.Date, 35838.5);
  EXPECT_EQ(back.Offset, 273);
  EXPECT_EQ(back.FileFlag, 0x05);
  EXPECT_EQ(back.PartCompressedSize, 68843);
}

TEST(BlockHeaderBytes, NegativeLengthMeansStored) {
  uint8_t b[kBlockHeaderSize];
  EncodeBlockHeader(-1000, 0x6F438684, b);
  int32_t length = 0;
  uint32_t check = 0;
  DecodeBlockHeader(b, length, check);
  EXPECT_EQ(length, -1000);
  EXPECT_EQ(check, 0x6F438684u);
  EXPECT_EQ(b[4], 0x84);
  EXPECT_EQ(b[7], 0x6F);
}

TEST(BlockLayout, EncryptedLengthAddsPaddingAndOneByte) {
  EXPECT_EQ(EncryptedBlockLength(0), 1);
  EXPECT_EQ(EncryptedBlockLength(8), 9);
  EXPECT_EQ(EncryptedBlockLength(9), 17);
  EXPECT_EQ(EncryptedBlockLength(15), 17);
}

TEST(SegmentNames, FollowTheNamingRule) {
  EXPECT_EQ(SegmentFileName("Song.exe", 1), "Song.exe");
  EXPECT_EQ(SegmentFileName("Song.exe", 2), "Song-002.mmm");
  EXPECT_EQ(SegmentFileName("Song.exe", 10), "Song-010.mmm");
  EXPECT_EQ(SegmentFileName("Song.exe", 1000), "Song-1000.mmm");
  EXPECT_EQ(SegmentFileName("C:\\out\\Song.exe", 3), "C:\\out\\Song-003.mmm");
  EXPECT_EQ(SegmentFileName("/out/dir/Song.exe", 3), "/out/dir/Song-003.mmm");
  // Opening a later segment leads back to the same base.
  EXPECT_EQ(SegmentBaseName("Song-002.mmm"), "Song");
  EXPECT_EQ(SegmentFileName("C:\\out\\Song-002.mmm", 3), "C:\\out\\Song-003.mmm");
  // A base that already ends in "-" and digits loses them; "-" alone too.
  EXPECT_EQ(SegmentFileName("Mix-2024.exe", 2), "Mix-002.mmm");
  EXPECT_EQ(SegmentBaseName("Take-.exe"), "Take");
  EXPECT_EQ(SegmentBaseName("Take-2a.exe"), "Take-2a");
  EXPECT_EQ(SegmentBaseName("a.b.exe"), "a.b");
}

TEST(StartOffset, ExecutableCodeSizeAppliesToExeFilesOfSegmentOne) {
  EXPECT_EQ(StartOffsetFor("x.EXE", 1, 423424, 0), 423424);
  EXPECT_EQ(StartOffsetFor("x.exe", 1, 423424, 0), 423424);
  EXPECT_EQ(StartOffsetFor("C:\\dir.d\\x.Exe", 1, 423424, 0), 423424);
  EXPECT_EQ(StartOffsetFor("x.dat", 1, 423424, 0), 0);
  EXPECT_EQ(StartOffsetFor("x.exe.dat", 1, 423424, 0), 0);
  EXPECT_EQ(StartOffsetFor("x-002.mmm", 2, 423424, 0), 0);
  // The segment-1 form applies whatever the file is called.
  EXPECT_EQ(StartOffsetFor("x.dat", 1, 0, 423424), 423424);
  EXPECT_EQ(StartOffsetFor("x.exe", 1, 0, 423424), 423424);
  EXPECT_EQ(StartOffsetFor("x-002.mmm", 2, 0, 423424), 0);
  EXPECT_EQ(StartOffsetFor("x.exe", 1, 0, 0), 0);
}

TEST(Paths, SplitWithBothSeparators) {
  EXPECT_EQ(ExtractFileDrive("C:\\a\\b.txt"), "C:");
  EXPECT_EQ(ExtractFileDrive("/a/b.txt"), "");
  EXPECT_EQ(ExtractFilePath("C:\\a/b.txt"), "C:\\a/");
  EXPECT_EQ(ExtractFileName("C:\\a/b.txt"), "b.txt");
  EXPECT_EQ(ExtractFileName("C:b.txt"), "b.txt");
  EXPECT_EQ(ExtractFileExt("a.dir\\b"), "");
  EXPECT_EQ(ExtractFileExt("b.tar.gz"), ".gz");
  EXPECT_TRUE(MatchesMask("Song.MP3", "*.mp3"));
  EXPECT_TRUE(MatchesMask("anything", "*.*"));
  EXPECT_FALSE(MatchesMask("song.mp2", "*.mp3"));
  EXPECT_TRUE(MatchesMask("Song-012.mmm", "Song*.mmm"));
}

TEST(Paths, StoredFoldersCannotLeaveTheTarget) {
  const std::string d(1, platform::kPathDelim);
  EXPECT_EQ(SafeRelativeFolder("a\\b/"), "a" + d + "b");
  EXPECT_EQ(SafeRelativeFolder("..\\..\\etc\\"), "etc");
  EXPECT_EQ(SafeRelativeFolder("C:\\Windows\\System32\\"), "Windows" + d + "System32");
  EXPECT_EQ(SafeRelativeFolder("/etc/"), "etc");
  EXPECT_EQ(SafeRelativeFolder("\\\\server\\share\\x\\"), "server" + d + "share" + d + "x");
  EXPECT_EQ(SafeRelativeFolder("a/./../b/"), "a" + d + "b");
  EXPECT_EQ(SafeRelativeFolder("c:..\\x\\"), "x");
  EXPECT_EQ(SafeRelativeFolder("...\\"), "");
  EXPECT_EQ(SafeFileName(".."), "");
  EXPECT_EQ(SafeFileName("a:b*c?.txt"), "a_b_c_.txt");
  EXPECT_EQ(SafeFileName("ok.txt"), "ok.txt");
}

TEST(Paths, DeviceNamesBecomeOrdinaryNames) {
  const char* devices[] = {"CON",     "prn",     "Aux",         "nul",         "COM0",
                           "com1",    "COM9",    "LPT0",        "lpt1",        "LPT9",
                           "CONIN$",  "conout$", "COM\xC2\xB9", "LPT\xC2\xB2", "com\xC2\xB3",
                           "COM\xB9", "lpt\xB3"};
  for (const std::string device : devices) {
    for (const std::string& name : {device, device + ".mp3", device + ".tar.gz", device + ".",
                                    device + " . ", device + " .txt", " " + device + ".txt"}) {
      EXPECT_TRUE(IsReservedDeviceName(name)) << name;
      const std::string safe = SafeFileName(name);
      EXPECT_FALSE(IsReservedDeviceName(safe)) << name << " -> " << safe;
      EXPECT_EQ(safe[0], '_') << name;
    }
  }
  // Names that only look like devices are left as they are.
  for (const std::string name : {"CONSOLE", "COM10", "LPT", "COM", "NULL.txt", "AUX1", "xCON",
                                 "CON_", "COM1-backup.mp3", "lpt\xC2\xB4", "con (1).txt"}) {
    EXPECT_FALSE(IsReservedDeviceName(name)) << name;
    EXPECT_EQ(SafeFileName(name), name);
  }
  EXPECT_EQ(SafeFileName("COM1.mp3"), "_COM1.mp3");
  EXPECT_EQ(SafeFileName("nul. . "), "_nul");
  EXPECT_EQ(SafeFileName("CON:"), "CON_");  // the colon is replaced: no device any more
  // At any folder level.
  const std::string d(1, platform::kPathDelim);
  EXPECT_EQ(SafeRelativeFolder("sub\\COM1\\aux.x\\ok\\"),
            "sub" + d + "_COM1" + d + "_aux.x" + d + "ok");
}

}  // namespace
