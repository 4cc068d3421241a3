#include "archive/Blowfish.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/BlowfishTables.h"

namespace {

using archive::TBlowfish;

// Fixed-point numbers as 32-bit limbs, most significant first; limb 0 is the integer part.
using Limbs = std::vector<uint32_t>;

// x /= d for a small divisor; the bits below the last limb are dropped.
void DivideSmall(Limbs& x, uint32_t d, size_t first) {
  uint64_t rem = 0;
  for (size_t i = first; i < x.size(); ++i) {
    const uint64_t cur = rem << 32 | x[i];
    x[i] = uint32_t(cur / d);
    rem = cur % d;
  }
}

void AddTo(Limbs& sum, const Limbs& x) {
  uint64_t carry = 0;
  for (size_t i = sum.size(); i-- > 0;) {
    const uint64_t s = uint64_t(sum[i]) + x[i] + carry;
    sum[i] = uint32_t(s);
    carry = s >> 32;
  }
}

void SubtractFrom(Limbs& sum, const Limbs& x) {
  uint64_t borrow = 0;
  for (size_t i = sum.size(); i-- > 0;) {
    const uint64_t d = uint64_t(sum[i]) - x[i] - borrow;
    sum[i] = uint32_t(d);
    borrow = (d >> 32) & 1;
  }
}

void MultiplySmall(Limbs& x, uint32_t m) {
  uint64_t carry = 0;
  for (size_t i = x.size(); i-- > 0;) {
    const uint64_t p = uint64_t(x[i]) * m + carry;
    x[i] = uint32_t(p);
    carry = p >> 32;
  }
}

// arctan(1/x) by its series, to `limbs` fractional limbs.
Limbs ArctanOfInverse(uint32_t x, size_t limbs) {
  Limbs sum(limbs + 1, 0), power(limbs + 1, 0), term(limbs + 1, 0);
  power[0] = 1;
  DivideSmall(power, x, 0);  // 1/x
  size_t first = 0;          // leading limbs of `power` that are already zero
  for (uint32_t k = 0;; ++k) {
    while (first < power.size() && power[first] == 0) ++first;
    if (first == power.size()) break;
    term = power;
    DivideSmall(term, 2 * k + 1, first);
    if (k % 2 == 0)
      AddTo(sum, term);
    else
      SubtractFrom(sum, term);
    DivideSmall(power, x * x, first);
  }
  return sum;
}

// The first `count` 32-bit words of the fraction of pi (Machin: pi = 16 atan 1/5 - 4 atan 1/239).
std::vector<uint32_t> PiFractionWords(size_t count) {
  const size_t limbs = count + 4;  // guard limbs absorb the rounding of ~10^4 series terms
  Limbs pi = ArctanOfInverse(5, limbs);
  MultiplySmall(pi, 16);
  Limbs second = ArctanOfInverse(239, limbs);
  MultiplySmall(second, 4);
  SubtractFrom(pi, second);
  return std::vector<uint32_t>(pi.begin() + 1, pi.begin() + 1 + count);
}

TEST(BlowfishTables, AreTheHexDigitsOfPi) {
  const std::vector<uint32_t> words = PiFractionWords(archive::kBlowfishPiWordCount);
  for (size_t i = 0; i < words.size(); ++i)
    ASSERT_EQ(archive::kBlowfishPiWords[i], words[i]) << "word " << i;
}

TEST(BlowfishTables, PiDigitsStartAsPublished) {
  // pi = 3.243F6A8885A308D313198A2E03707344A4093822299F31D0...
  const std::vector<uint32_t> words = PiFractionWords(6);
  EXPECT_EQ(words, (std::vector<uint32_t>{0x243F6A88, 0x85A308D3, 0x13198A2E, 0x03707344,
                                          0xA4093822, 0x299F31D0}));
}

// Prints the table source (archive/BlowfishTables.cpp's array body); run on demand only.
TEST(BlowfishTables, DISABLED_PrintSource) {
  const std::vector<uint32_t> words = PiFractionWords(archive::kBlowfishPiWordCount);
  for (size_t i = 0; i < words.size(); ++i)
    std::printf("%s0x%08X,%s", i % 6 == 0 ? "    " : "", unsigned(words[i]),
                i % 6 == 5 || i + 1 == words.size() ? "\n" : " ");
}

uint64_t Hex64(const char* hex) { return std::stoull(hex, nullptr, 16); }

std::vector<uint8_t> BytesOf(uint64_t value) {
  std::vector<uint8_t> bytes(8);
  for (int k = 0; k < 8; ++k) bytes[k] = uint8_t(value >> (56 - 8 * k));
  return bytes;
}

uint64_t EncryptWithKey(const std::vector<uint8_t>& key, uint64_t plain) {
  TBlowfish bf;
  bf.SetKey(key.data(), key.size());
  uint32_t l = uint32_t(plain >> 32), r = uint32_t(plain);
  bf.EncryptBlock(l, r);
  uint32_t dl = l, dr = r;
  bf.DecryptBlock(dl, dr);
  EXPECT_EQ(uint64_t(dl) << 32 | dr, plain);
  return uint64_t(l) << 32 | r;
}

// Eric Young's ECB test vectors: key, plaintext, ciphertext (his list has the first one twice).
TEST(Blowfish, EcbTestVectors) {
  const char* const vectors[][3] = {
      {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
      {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
      {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
      {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
      {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
      {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
      {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
      {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
      {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
      {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
      {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
      {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
      {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
      {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
      {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
      {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
      {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
      {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
      {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
      {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
      {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
      {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
      {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
      {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
      {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
      {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
      {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
      {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
      {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
      {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
      {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
      {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
      {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
  };
  for (const auto& v : vectors)
    EXPECT_EQ(EncryptWithKey(BytesOf(Hex64(v[0])), Hex64(v[1])), Hex64(v[2]))
        << "key " << v[0] << ", plain " << v[1];
}

// Eric Young's variable key length vectors: the first n bytes of one 24-byte key.
TEST(Blowfish, KeyLengthTestVectors) {
  const std::vector<uint8_t> key = {0xF0, 0xE1, 0xD2, 0xC3, 0xB4, 0xA5, 0x96, 0x87,
                                    0x78, 0x69, 0x5A, 0x4B, 0x3C, 0x2D, 0x1E, 0x0F,
                                    0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77};
  const char* const ciphers[] = {
      "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05",
      "B39E44481BDB1E6E", "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82",
      "15750E7A4F4EC577", "122BA70B3AB64AE0", "3A833C9AFFC537F6", "9409DA87A90F6BF2",
      "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F", "93142887EE3BE15C",
      "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
      "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080"};
  for (size_t n = 1; n <= key.size(); ++n) {
    const std::vector<uint8_t> prefix(key.begin(), key.begin() + n);
    EXPECT_EQ(EncryptWithKey(prefix, Hex64("FEDCBA9876543210")), Hex64(ciphers[n - 1]))
        << "key length " << n;
  }
}

TEST(Blowfish, EcbGroupsAreBigEndianHalves) {
  TBlowfish bf;
  const std::vector<uint8_t> key = BytesOf(Hex64("0123456789ABCDEF"));
  bf.SetKey(key.data(), key.size());
  std::vector<uint8_t> data = BytesOf(Hex64("1111111111111111"));
  const std::vector<uint8_t> second = BytesOf(Hex64("0000000000000000"));
  data.insert(data.end(), second.begin(), second.end());
  bf.EncryptECB(data.data(), data.size());
  std::vector<uint8_t> expected = BytesOf(Hex64("61F9C3802281B096"));
  const std::vector<uint8_t> expectedSecond = BytesOf(Hex64("245946885754369A"));
  expected.insert(expected.end(), expectedSecond.begin(), expectedSecond.end());
  EXPECT_EQ(data, expected);
  bf.DecryptECB(data.data(), data.size());
  EXPECT_EQ(data[0], 0x11);
  EXPECT_EQ(data[15], 0x00);
}

TEST(Blowfish, EcbRoundTripOfABlock) {
  std::vector<uint8_t> plain(65536 + 8);
  uint32_t seed = 12345;
  for (uint8_t& b : plain) b = uint8_t((seed = seed * 1103515245u + 12345u) >> 24);
  TBlowfish bf;
  bf.SetPassword("correct horse battery staple");
  std::vector<uint8_t> data = plain;
  bf.EncryptECB(data.data(), data.size());
  EXPECT_NE(data, plain);
  // ECB: equal groups give equal cipher groups, at any position.
  std::vector<uint8_t> twice(16, 0xA5);
  bf.EncryptECB(twice.data(), twice.size());
  EXPECT_TRUE(std::equal(twice.begin(), twice.begin() + 8, twice.begin() + 8));
  bf.DecryptECB(data.data(), data.size());
  EXPECT_EQ(data, plain);
  bf.EncryptECB(nullptr, 0);  // nothing to do
}

TEST(Blowfish, EcbRefusesPartialGroups) {
  TBlowfish bf;
  bf.SetPassword("0123456789");
  uint8_t data[15] = {};
  EXPECT_THROW(bf.EncryptECB(data, 15), std::invalid_argument);
  EXPECT_THROW(bf.DecryptECB(data, 7), std::invalid_argument);
  for (uint8_t b : data) EXPECT_EQ(b, 0);  // untouched
}

TEST(Blowfish, RefusesUseWithoutKeyAndBadKeys) {
  TBlowfish bf;
  uint32_t l = 0, r = 0;
  uint8_t data[8] = {};
  EXPECT_THROW(bf.EncryptBlock(l, r), std::logic_error);
  EXPECT_THROW(bf.DecryptECB(data, 8), std::logic_error);
  const std::vector<uint8_t> tooLong(57, 1);
  EXPECT_THROW(bf.SetKey(tooLong.data(), tooLong.size()), std::invalid_argument);
  EXPECT_THROW(bf.SetKey(tooLong.data(), 0), std::invalid_argument);
  EXPECT_THROW(bf.SetPassword(""), std::invalid_argument);
  EXPECT_NO_THROW(bf.SetKey(tooLong.data(), 56));
}

uint64_t EncryptWithPassword(const std::string& password, uint64_t plain) {
  TBlowfish bf;
  bf.SetPassword(password);
  uint32_t l = uint32_t(plain >> 32), r = uint32_t(plain);
  bf.EncryptBlock(l, r);
  return uint64_t(l) << 32 | r;
}

TEST(Blowfish, PasswordBytesAreTheKey) {
  const std::string password = "\x01\x23\x45\x67\x89\xAB\xCD\xEF";
  EXPECT_EQ(EncryptWithPassword(password, Hex64("1111111111111111")), Hex64("61F9C3802281B096"));
  const std::string text = "a password of some length";
  EXPECT_EQ(EncryptWithPassword(text, 42),
            EncryptWithKey(std::vector<uint8_t>(text.begin(), text.end()), 42));
}

TEST(Blowfish, LongPasswordsAreFoldedSoEveryCharacterCounts) {
  const std::string base(56, 'k');
  const std::string longer = base + "Z";
  const std::string other = base + "Y";
  EXPECT_NE(EncryptWithPassword(longer, 7), EncryptWithPassword(base, 7));
  EXPECT_NE(EncryptWithPassword(longer, 7), EncryptWithPassword(other, 7));
  // Byte 56 is folded into key byte 0.
  std::vector<uint8_t> folded(base.begin(), base.end());
  folded[0] ^= uint8_t('Z');
  EXPECT_EQ(EncryptWithPassword(longer, 7), EncryptWithKey(folded, 7));
  const std::string longest = std::string(113, 'k') + "Q";
  // Key byte 0 = bytes 0, 56, 112 ('k' ^ 'k' ^ 'k'); byte 1 = bytes 1, 57, 113 ('k' ^ 'k' ^ 'Q');
  // the others = two 'k' that cancel out.
  std::vector<uint8_t> folded2(56, 0);
  folded2[0] = uint8_t('k');
  folded2[1] = uint8_t('Q');
  EXPECT_EQ(EncryptWithPassword(longest, 7), EncryptWithKey(folded2, 7));
}

TEST(Blowfish, RekeyingReplacesTheWholeState) {
  TBlowfish bf;
  bf.SetPassword("first password");
  bf.SetPassword("a password of some length");
  uint32_t l = 0, r = 42;
  bf.EncryptBlock(l, r);
  EXPECT_EQ(uint64_t(l) << 32 | r, EncryptWithPassword("a password of some length", 42));
}

}  // namespace
