#include "archive/Checksum.h"

#include <gtest/gtest.h>

#include <string>

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
