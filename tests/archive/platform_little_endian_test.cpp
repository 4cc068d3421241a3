#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/LittleEndian.h"

namespace {

using platform::GetLe16;
using platform::GetLe32;
using platform::GetLe64;

TEST(LittleEndian, FieldsReadLowByteFirst) {
  const uint8_t b[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
  EXPECT_EQ(GetLe16(b), 0x0201);
  EXPECT_EQ(GetLe32(b), 0x04030201u);
  EXPECT_EQ(GetLe64(b), 0x0807060504030201u);
  // The top bits come through unsigned, whatever the promotions in between.
  const uint8_t high[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x80};
  EXPECT_EQ(GetLe16(high), 0xFFFF);
  EXPECT_EQ(GetLe32(high + 4), 0x80FFFFFFu);
  EXPECT_EQ(GetLe64(high), 0x80FFFFFFFFFFFFFFu);
  static constexpr uint8_t kWord[] = {0x02, 0x03};
  static_assert(GetLe16(kWord) == 0x0302, "usable in constant expressions");
}

TEST(LittleEndian, FieldsWriteLowByteFirstAndTouchOnlyTheirBytes) {
  uint8_t b[10];
  for (uint8_t& x : b) x = 0xAA;
  platform::PutLe16(b, 0xBEEF);
  platform::PutLe32(b + 2, 0xDEADBEEF);
  EXPECT_EQ(std::vector<uint8_t>(b, b + 7),
            (std::vector<uint8_t>{0xEF, 0xBE, 0xEF, 0xBE, 0xAD, 0xDE, 0xAA}));
  platform::PutLe64(b + 1, 0x8877665544332211u);
  EXPECT_EQ(b[0], 0xEF);
  EXPECT_EQ(GetLe64(b + 1), 0x8877665544332211u);
  EXPECT_EQ(b[1], 0x11);
  EXPECT_EQ(b[9], 0xAA);
}

// A record written field by field comes back field by field, negative numbers included.
TEST(LittleEndian, RecordCursorsWriteAndReadTheSameLayout) {
  uint8_t record[18] = {};
  platform::LeWriter w(record);
  w.U8(7);
  w.I16(-2);
  w.I32(-100000);
  w.U32(0xCAFEF00D);
  w.Flag(true);
  w.Flag(false);
  w.Bytes("abcd", 4);
  EXPECT_EQ(w.At(), record + 17);
  EXPECT_EQ(std::vector<uint8_t>(record, record + 7),
            (std::vector<uint8_t>{7, 0xFE, 0xFF, 0x60, 0x79, 0xFE, 0xFF}));

  record[11] = 5;  // any non-zero byte is true
  platform::LeReader r(record);
  EXPECT_EQ(r.U8(), 7);
  EXPECT_EQ(r.I16(), -2);
  EXPECT_EQ(r.I32(), -100000);
  EXPECT_EQ(r.U32(), 0xCAFEF00Du);
  EXPECT_TRUE(r.Flag());
  EXPECT_FALSE(r.Flag());
  char text[4];
  r.Bytes(text, 4);
  EXPECT_EQ(std::string(text, 4), "abcd");
  EXPECT_EQ(r.At(), record + 17);
  r.Skip(1);
  EXPECT_EQ(r.At(), record + 18);
}

}  // namespace
