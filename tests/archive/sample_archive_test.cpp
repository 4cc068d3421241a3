// An archive built by hand with the layout of the decoder archive the builder
// carries: header fields, the entry at 273, one compressed block at 329 that
// ends exactly at DataEnd.
#include <gtest/gtest.h>

#include "ArchiveBuilder.h"
#include "TestFolder.h"
#include "archive/Archiver.h"
#include "archive/Extended.h"

namespace {

using namespace archive;
using testutil::TestFolder;

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
         uint32_t(b[at + 3]) << 24;
}

std::vector<uint8_t> LibraryLikeData() {
  std::vector<uint8_t> data(149504);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t((i * 7) ^ (i >> 5) ^ (i % 251));
  return data;
}

TEST(SampleArchive, LayoutMatchesTheDecoderArchive) {
  const std::vector<uint8_t> library = LibraryLikeData();
  const std::vector<uint8_t> bytes = testutil::BuildArchive({{"kelvaro.dll", library}});

  EXPECT_EQ(U32At(bytes, 0), 4664u);
  EXPECT_EQ(U32At(bytes, 4), 1u);
  EXPECT_EQ(U32At(bytes, 8), 0x00EA4AF1u);
  EXPECT_EQ(U32At(bytes, 12), 262144u);
  EXPECT_EQ(U32At(bytes, 16), bytes.size());  // DataEnd = the whole archive
  EXPECT_EQ(U32At(bytes, 20), 1u);
  EXPECT_EQ(bytes[24], 0x12);
  EXPECT_EQ(U32At(bytes, 269), 0u);  // no comment: header length 273
  // Entry at 273.
  EXPECT_EQ(U32At(bytes, 273), 11u);
  EXPECT_EQ(std::string(bytes.begin() + 277, bytes.begin() + 288), "kelvaro.dll");
  EXPECT_NEAR(ExtendedToDouble(&bytes[288]), 35838.43, 0.01);
  EXPECT_EQ(U32At(bytes, 298), 0x20u);
  EXPECT_EQ(U32At(bytes, 304), 273u);  // Offset
  EXPECT_EQ(bytes[312], 0x05);
  EXPECT_EQ(U32At(bytes, 313), 149504u);
  const uint32_t compressedSize = U32At(bytes, 317);
  EXPECT_EQ(U32At(bytes, 321), 149504u);
  EXPECT_EQ(U32At(bytes, 325), compressedSize);
  // Block at 329: a zlib stream at level 9 that ends exactly at DataEnd.
  const int32_t length = int32_t(U32At(bytes, 329));
  EXPECT_GT(length, 0);
  EXPECT_EQ(329u + 8u + uint32_t(length), bytes.size());
  EXPECT_EQ(uint32_t(length) + 8, compressedSize);
  EXPECT_EQ(bytes[337], 0x78);
  EXPECT_EQ(bytes[338], 0xDA);
  EXPECT_EQ(U32At(bytes, 333), BlockCheck(&bytes[337], size_t(length)));
}

TEST(SampleArchive, ReadsAndExtractsWithDateAndAttributes) {
  TestFolder dir;
  const std::vector<uint8_t> library = LibraryLikeData();
  ASSERT_TRUE(
      testutil::WriteAll(dir / "decoder.arc", testutil::BuildArchive({{"kelvaro.dll", library}})));

  TExtractor x;
  x.SetLanguage(lgEnglish);
  x.SetFileName(dir / "decoder.arc");
  x.List();
  const TArchiveHeader& h = x.Header();
  EXPECT_EQ(h.ArchiveID, 0x00EA4AF1);
  EXPECT_EQ(h.BlockSize, 262144);
  EXPECT_EQ(h.ArchiveFlag, 0x12);
  EXPECT_EQ(h.Totals.FileCount, 1);
  EXPECT_EQ(h.Totals.Size, 149504.0);
  ASSERT_EQ(x.FileList().size(), 1u);
  const TFileEntry& e = x.FileList()[0];
  EXPECT_EQ(e.Name, "kelvaro.dll");
  EXPECT_EQ(e.Offset, 273);
  EXPECT_EQ(e.Segment, 1);
  EXPECT_EQ(e.Size, 149504);
  EXPECT_EQ(e.FileFlag, 0x05);
  EXPECT_EQ(x.TestFiles(), 0);

  x.SetExtractPath(dir / "out");
  x.ExtractFiles();
  EXPECT_EQ(testutil::ReadAll(dir / "out" + platform::kPathDelim + "kelvaro.dll"), library);
  const std::string out = dir / "out" + platform::kPathDelim + "kelvaro.dll";
  EXPECT_NEAR(platform::GetFileDate(out), 35838.4270833333, 1.0 / 86400);
  EXPECT_EQ(platform::GetAttributes(out) & 0x21, 0x20);
}

}  // namespace
