#include "archive/Checksum.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

uint32_t CheckOf(const std::string& s) { return archive::BlockCheck(s.data(), s.size()); }

TEST(BlockChecksum, KnownValuesDifferFromStandardCrc32) {
  EXPECT_EQ(CheckOf("123456789"), 0x1B948A57u);  // standard CRC-32 would be 0xCBF43926
  EXPECT_EQ(CheckOf("abc"), 0x932BC606u);
}

TEST(BlockChecksum, EmptyInputIsZero) { EXPECT_EQ(CheckOf(""), 0u); }

TEST(BlockChecksum, IncrementalEqualsWhole) {
  const std::string s = "The quick brown fox jumps over the lazy dog";
  uint32_t c = 0xFFFFFFFFu;
  c = archive::BlockChecksumUpdate(c, reinterpret_cast<const uint8_t*>(s.data()), 10);
  c = archive::BlockChecksumUpdate(c, reinterpret_cast<const uint8_t*>(s.data()) + 10,
                                   s.size() - 10);
  EXPECT_EQ(~c, CheckOf(s));
}

}  // namespace

namespace {

TEST(BlockChecksum, SeveralBlocksAtOnceEqualOneByOne) {
  // Blocks of unequal lengths, so that chains end at different points.
  std::vector<std::string> blocks = {std::string(1000, 'a'), "123456789", "",
                                     std::string(70000, '\x7f')};
  for (size_t i = 0; i < blocks[3].size(); ++i) blocks[3][i] = char(i * 31 + i / 7);
  while (blocks.size() < size_t(archive::kMaxParallelChecks))
    blocks.push_back(blocks[3].substr(blocks.size() * 997));
  for (int count = 1; count <= archive::kMaxParallelChecks; ++count) {
    const uint8_t* data[archive::kMaxParallelChecks];
    size_t sizes[archive::kMaxParallelChecks];
    uint32_t checks[archive::kMaxParallelChecks];
    for (int k = 0; k < count; ++k) {
      data[k] = reinterpret_cast<const uint8_t*>(blocks[size_t(k)].data());
      sizes[k] = blocks[size_t(k)].size();
    }
    archive::BlockChecks(data, sizes, count, checks);
    for (int k = 0; k < count; ++k)
      EXPECT_EQ(checks[k], CheckOf(blocks[size_t(k)])) << count << " " << k;
  }
}

}  // namespace
