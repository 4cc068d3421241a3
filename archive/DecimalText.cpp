#include "archive/DecimalText.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace archive {
namespace {

// An unsigned integer of any size, least significant 32-bit word first.
using Big = std::vector<uint32_t>;

void Trim(Big& n) {
  while (!n.empty() && n.back() == 0) n.pop_back();
}

void MultiplySmall(Big& n, uint32_t factor) {
  uint64_t carry = 0;
  for (uint32_t& word : n) {
    const uint64_t product = uint64_t(word) * factor + carry;
    word = uint32_t(product);
    carry = product >> 32;
  }
  if (carry) n.push_back(uint32_t(carry));
}

void ShiftLeft(Big& n, int bits) {
  if (n.empty() || bits <= 0) return;
  n.insert(n.begin(), size_t(bits / 32), 0u);
  const int rest = bits % 32;
  if (rest == 0) return;
  uint32_t carry = 0;
  for (uint32_t& word : n) {
    const uint32_t next = word >> (32 - rest);
    word = (word << rest) | carry;
    carry = next;
  }
  if (carry) n.push_back(carry);
}

bool BitSet(const Big& n, int bit) {
  const size_t word = size_t(bit / 32);
  return word < n.size() && ((n[word] >> (bit % 32)) & 1u);
}

// Whether any of the bits below `bit` is set.
bool AnyBitBelow(const Big& n, int bit) {
  for (int b = 0; b < bit; ++b)
    if (BitSet(n, b)) return true;
  return false;
}

// n >> bits, rounded to nearest with ties to even.
Big ShiftRightRounded(const Big& n, int bits) {
  Big q;
  const int total = int(n.size()) * 32;
  for (int b = bits; b < total; b += 32) {
    uint32_t word = 0;
    for (int k = 0; k < 32 && b + k < total; ++k)
      if (BitSet(n, b + k)) word |= 1u << k;
    q.push_back(word);
  }
  Trim(q);
  const bool half = BitSet(n, bits - 1);
  const bool aboveHalf = half && AnyBitBelow(n, bits - 1);
  const bool odd = !q.empty() && (q[0] & 1u);
  if (aboveHalf || (half && odd)) {
    size_t i = 0;
    while (i < q.size() && ++q[i] == 0) ++i;
    if (i == q.size()) q.push_back(1);
  }
  return q;
}

// Decimal digits of n (at least "0").
std::string DecimalDigits(Big n) {
  std::string digits;
  Trim(n);
  while (!n.empty()) {
    uint64_t remainder = 0;
    for (size_t i = n.size(); i-- > 0;) {
      const uint64_t part = (remainder << 32) | n[i];
      n[i] = uint32_t(part / 1000000000u);
      remainder = part % 1000000000u;
    }
    Trim(n);
    for (int k = 0; k < 9 && (remainder != 0 || !n.empty()); ++k) {
      digits.insert(digits.begin(), char('0' + remainder % 10));
      remainder /= 10;
    }
  }
  return digits.empty() ? std::string("0") : digits;
}

}  // namespace

std::string FixedDecimalText(double value, int decimals) {
  int exponent = 0;
  const double mantissa = std::frexp(std::fabs(value), &exponent);
  // |value| = m * 2^(exponent - 53) with m a 53-bit integer.
  const uint64_t m = uint64_t(std::ldexp(mantissa, 53));
  Big n{uint32_t(m), uint32_t(m >> 32)};
  Trim(n);
  for (int i = 0; i < decimals; ++i) MultiplySmall(n, 10);
  const int shift = exponent - 53;
  if (shift >= 0)
    ShiftLeft(n, shift);
  else
    n = ShiftRightRounded(n, -shift);
  std::string digits = DecimalDigits(n);
  if (int(digits.size()) <= decimals) digits.insert(0, size_t(decimals + 1 - digits.size()), '0');
  std::string text = std::signbit(value) ? "-" : "";
  text += digits.substr(0, digits.size() - size_t(decimals));
  if (decimals > 0) text += "." + digits.substr(digits.size() - size_t(decimals));
  return text;
}

}  // namespace archive
