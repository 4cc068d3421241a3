// The block codecs keep one zlib stream between blocks. Every block must still come out
// exactly as a new stream of its level makes it (the archive's bytes stay those of
// one-shot compression, compress2), and read back whatever came before it.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>

#include "TestFolder.h"
#include "archive/Archiver.h"
#include "archive/BlockCodec.h"
#include "archive/Checksum.h"
#include "archive/Format.h"

namespace {

using namespace archive;
using testutil::MixedData;
using testutil::ReadAll;
using testutil::TestFolder;
using testutil::WriteAll;

const std::string kDelim(1, platform::kPathDelim);

// The block as a new zlib stream of `level` makes it.
std::vector<uint8_t> OneShot(const std::vector<uint8_t>& src, int level) {
  std::vector<uint8_t> out(compressBound(uLong(src.size())));
  uLongf size = uLongf(out.size());
  EXPECT_EQ(compress2(out.data(), &size, src.data(), uLong(src.size()), level), Z_OK);
  out.resize(size);
  return out;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& data, size_t from, size_t size) {
  return std::vector<uint8_t>(data.begin() + long(from), data.begin() + long(from + size));
}

TEST(BlockDeflater, EveryBlockIsTheOneShotStreamOfItsLevel) {
  TBlockDeflater deflater;
  const std::vector<uint8_t> mixed = MixedData(200000, 7);
  const std::vector<uint8_t> zeros(70000, 0);
  std::vector<uint8_t> dst(300000);
  int blocks = 0;
  // Levels change between blocks and back; small, large, repetitive and random blocks
  // follow one another, so that nothing of one block may leak into the next.
  for (int round = 0; round < 2; ++round) {
    for (const int level : kZlibLevels) {
      for (const auto& [from, size] : std::vector<std::pair<size_t, size_t>>{
               {0, 1}, {0, 65536}, {100000, 4096}, {3, 100000}, {150000, 50000}}) {
        const std::vector<uint8_t> src = Slice(mixed, from, size);
        size_t produced = 0;
        ASSERT_EQ(deflater.Deflate(src.data(), src.size(), dst.data(), dst.size(), produced, level),
                  DeflateResult::Ok);
        EXPECT_TRUE(std::vector<uint8_t>(dst.begin(), dst.begin() + long(produced)) ==
                    OneShot(src, level))
            << "level " << level << " block " << from << "+" << size;
        ++blocks;
      }
      size_t produced = 0;
      ASSERT_EQ(
          deflater.Deflate(zeros.data(), zeros.size(), dst.data(), dst.size(), produced, level),
          DeflateResult::Ok);
      EXPECT_TRUE(std::vector<uint8_t>(dst.begin(), dst.begin() + long(produced)) ==
                  OneShot(zeros, level));
    }
    deflater.Release();  // and made anew
  }
  EXPECT_EQ(blocks, 50);
}

TEST(BlockDeflater, ABlockThatDoesNotFitLeavesTheNextOneIntact) {
  TBlockDeflater deflater;
  std::vector<uint8_t> random(30000);
  std::mt19937 rng(11);
  for (uint8_t& byte : random) byte = uint8_t(rng());
  const std::vector<uint8_t> text(30000, 'a');
  std::vector<uint8_t> dst(40000);
  size_t produced = 0;
  // The random block does not fit into fewer bytes than its source: it is stored.
  EXPECT_EQ(deflater.Deflate(random.data(), random.size(), dst.data(), 1000, produced, 9),
            DeflateResult::TooLong);
  ASSERT_EQ(deflater.Deflate(text.data(), text.size(), dst.data(), dst.size(), produced, 9),
            DeflateResult::Ok);
  EXPECT_TRUE(std::vector<uint8_t>(dst.begin(), dst.begin() + long(produced)) == OneShot(text, 9));
  EXPECT_EQ(deflater.Deflate(text.data(), text.size(), dst.data(), dst.size(), produced, 12),
            DeflateResult::Failed);  // no such level
  ASSERT_EQ(deflater.Deflate(text.data(), text.size(), dst.data(), dst.size(), produced, 1),
            DeflateResult::Ok);
  EXPECT_TRUE(std::vector<uint8_t>(dst.begin(), dst.begin() + long(produced)) == OneShot(text, 1));
}

TEST(BlockInflater, InflatesEachBlockAfterDamagedAndShortOnes) {
  TBlockInflater inflater;
  const std::vector<uint8_t> a = MixedData(50000, 3), b(40000, 'b');
  const std::vector<uint8_t> packedA = OneShot(a, 9), packedB = OneShot(b, 1);
  std::vector<uint8_t> out(60000);
  int32_t size = 0;
  ASSERT_TRUE(inflater.Inflate(packedA.data(), int32_t(packedA.size()), out.data(),
                               int32_t(out.size()), size));
  EXPECT_TRUE(std::vector<uint8_t>(out.begin(), out.begin() + size) == a);
  // Too little room, then a damaged stream: both refused, neither spoils the next block.
  EXPECT_FALSE(inflater.Inflate(packedA.data(), int32_t(packedA.size()), out.data(), 1000, size));
  std::vector<uint8_t> damaged = packedB;
  damaged[damaged.size() / 2] ^= 0x55;
  damaged[2] ^= 0xFF;
  EXPECT_FALSE(inflater.Inflate(damaged.data(), int32_t(damaged.size()), out.data(),
                                int32_t(out.size()), size));
  ASSERT_TRUE(inflater.Inflate(packedB.data(), int32_t(packedB.size()), out.data(),
                               int32_t(out.size()), size));
  EXPECT_TRUE(std::vector<uint8_t>(out.begin(), out.begin() + size) == b);
  // A stream cut short is no block either.
  EXPECT_FALSE(inflater.Inflate(packedA.data(), int32_t(packedA.size() / 2), out.data(),
                                int32_t(out.size()), size));
  ASSERT_TRUE(inflater.Inflate(packedA.data(), int32_t(packedA.size()), out.data(),
                               int32_t(out.size()), size));
  EXPECT_TRUE(std::vector<uint8_t>(out.begin(), out.begin() + size) == a);
}

// The blocks of every entry of a single-segment archive, with the entries' names.
struct StoredBlock {
  std::string entry;
  int32_t length;  // as stored: negative for a stored block
  std::vector<uint8_t> bytes;
};

std::vector<StoredBlock> Blocks(const std::vector<uint8_t>& a) {
  std::vector<StoredBlock> blocks;
  auto u32 = [&](size_t at) {
    return int32_t(uint32_t(a[at]) | uint32_t(a[at + 1]) << 8 | uint32_t(a[at + 2]) << 16 |
                   uint32_t(a[at + 3]) << 24);
  };
  const size_t dataEnd = size_t(u32(16));
  for (size_t at = size_t(kHeaderFixedSize + u32(269)); at < dataEnd;) {
    const size_t n = size_t(u32(at));
    const std::string name(a.begin() + long(at + 4), a.begin() + long(at + 4 + n));
    const int32_t partCompressed = u32(at + 41 + n);
    at += 45 + n;
    for (int32_t used = 0; used < partCompressed;) {
      const int32_t length = u32(at);
      const size_t stored = size_t(length < 0 ? -length : length);
      blocks.push_back({name, length, Slice(a, at + 8, stored)});
      used += int32_t(8 + stored);
      at += 8 + stored;
    }
  }
  return blocks;
}

// The archive as the writer made it when each block had a zlib stream of its own: every
// block is the one-shot stream of its source bytes, or the source itself when that
// stream is not shorter, with the check of what is stored.
TEST(ArchiveWriter, BlocksAreTheOneShotStreamsOfTheirSources) {
  TestFolder dir;
  const int32_t blockSize = 16384;
  const std::vector<std::vector<uint8_t>> sources = {
      MixedData(100000, 21), std::vector<uint8_t>(40000, 'x'), MixedData(3, 22),
      MixedData(blockSize * 2, 23)};
  for (size_t i = 0; i < sources.size(); ++i)
    ASSERT_TRUE(WriteAll(dir / ("f" + std::to_string(i) + ".bin"), sources[i]));
  const TCompressionLevel levels[] = {clMaximum, clNormal, clFast, clSuperFast, clNone};
  TArchiver a;
  a.SetLanguage(lgEnglish);
  a.SetErrorAction(eaAbort);
  a.SetBlockSize(blockSize);
  a.SetFileName(dir / "a.arc");
  // One component, one stream: the level changes from file to file.
  for (size_t i = 0; i < 2 * sources.size(); ++i) {
    a.SetCompressionLevel(levels[i % 5]);
    ASSERT_TRUE(a.AddFile(dir / ("f" + std::to_string(i % sources.size()) + ".bin")));
  }
  a.Close();

  const std::vector<StoredBlock> blocks = Blocks(ReadAll(dir / "a.arc"));
  size_t k = 0, compressed = 0, stored = 0;
  for (size_t i = 0; i < 2 * sources.size(); ++i) {
    const std::vector<uint8_t>& source = sources[i % sources.size()];
    const int level = kZlibLevels[levels[i % 5]];
    for (size_t from = 0; from < source.size(); from += blockSize, ++k) {
      ASSERT_LT(k, blocks.size());
      const std::vector<uint8_t> block =
          Slice(source, from, std::min<size_t>(blockSize, source.size() - from));
      const std::vector<uint8_t> stream = OneShot(block, level);
      const bool keep = stream.size() < block.size();
      EXPECT_EQ(blocks[k].length, keep ? int32_t(stream.size()) : -int32_t(block.size()))
          << "file " << i << " block at " << from;
      EXPECT_TRUE(blocks[k].bytes == (keep ? stream : block)) << "file " << i << " at " << from;
      (keep ? compressed : stored)++;
    }
  }
  EXPECT_EQ(k, blocks.size());
  EXPECT_GT(compressed, 10u);
  EXPECT_GT(stored, 3u);

  TExtractor x;
  x.SetLanguage(lgEnglish);
  x.SetErrorAction(eaAbort);
  x.SetFileName(dir / "a.arc");
  EXPECT_EQ(x.TestFiles(), 0);
}

}  // namespace
