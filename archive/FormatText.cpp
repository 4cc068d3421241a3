#include "archive/FormatText.h"

#include <cmath>

#include "archive/DecimalText.h"

namespace archive {
namespace {

// Largest count of decimals for %n and %f; more would only print noise.
constexpr int kMaxDecimals = 18;
// Largest width or precision taken from a pattern; guards against "%999999999s".
constexpr long kMaxField = 4096;

struct Spec {
  bool leftAlign = false;
  int width = -1;
  int precision = -1;
  char type = 0;  // lower case
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

size_t CodePointCount(const std::string& s) {
  size_t count = 0;
  for (char c : s) count += IsContinuationByte(c) ? 0 : 1;
  return count;
}

// The first `count` code points of `s`.
std::string CodePointPrefix(const std::string& s, size_t count) {
  size_t end = 0;
  for (size_t seen = 0; end < s.size(); ++end) {
    if (!IsContinuationByte(s[end]) && seen++ == count) break;
  }
  return s.substr(0, end);
}

std::string Decimal(unsigned long long value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), char('0' + value % 10));
    value /= 10;
  } while (value != 0);
  return digits;
}

std::string Hex(unsigned long long value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[value & 15]);
    value >>= 4;
  } while (value != 0);
  return digits;
}

std::string ZeroPad(std::string digits, int leastDigits) {
  if (leastDigits > 0 && digits.size() < size_t(leastDigits))
    digits.insert(0, size_t(leastDigits) - digits.size(), '0');
  return digits;
}

unsigned long long Magnitude(long long value) {
  return value < 0 ? 0ull - static_cast<unsigned long long>(value)
                   : static_cast<unsigned long long>(value);
}

// The argument's bits as an unsigned number of its own width (two's complement for negatives).
unsigned long long AsUnsigned(const FormatArg& arg) {
  const unsigned long long bits = arg.kind == FormatArg::Kind::Signed
                                      ? static_cast<unsigned long long>(arg.integer)
                                      : arg.uinteger;
  return arg.bits >= 64 ? bits : bits & ((1ull << arg.bits) - 1);
}

std::string GroupThousands(const std::string& digits, char separator) {
  if (separator == 0) return digits;
  std::string grouped;
  for (size_t k = 0; k < digits.size(); ++k) {
    if (k != 0 && (digits.size() - k) % 3 == 0) grouped += separator;
    grouped += digits[k];
  }
  return grouped;
}

// Sign, integer digits and decimals of a real value rounded to `decimals` places.
bool SplitReal(double value, int decimals, bool& negative, std::string& whole,
               std::string& fraction) {
  if (std::isnan(value) || std::isinf(value)) return false;
  const std::string text = FixedDecimalText(value, decimals);
  negative = !text.empty() && text[0] == '-';
  size_t k = negative ? 1 : 0;
  while (k < text.size() && IsDigit(text[k])) whole += text[k++];
  for (++k; k < text.size(); ++k) fraction += text[k];
  if (whole.find_first_not_of('0') == std::string::npos &&
      fraction.find_first_not_of('0') == std::string::npos)
    negative = false;  // no "-0.00"
  return true;
}

bool FormatNumber(const FormatArg& arg, int decimals, char thousands, char point,
                  std::string& out) {
  if (decimals < 0) decimals = 2;
  if (decimals > kMaxDecimals) decimals = kMaxDecimals;
  bool negative = false;
  std::string whole, fraction;
  switch (arg.kind) {
    case FormatArg::Kind::Text:
      return false;
    case FormatArg::Kind::Signed:
      negative = arg.integer < 0;
      whole = Decimal(Magnitude(arg.integer));
      fraction.assign(size_t(decimals), '0');
      break;
    case FormatArg::Kind::Unsigned:
      whole = Decimal(arg.uinteger);
      fraction.assign(size_t(decimals), '0');
      break;
    case FormatArg::Kind::Real:
      if (!SplitReal(arg.real, decimals, negative, whole, fraction)) {
        out = std::isnan(arg.real) ? "NAN" : (arg.real < 0 ? "-INF" : "INF");
        return true;
      }
      break;
  }
  out = negative ? "-" : "";
  out += GroupThousands(whole, thousands);
  if (!fraction.empty()) out += point + fraction;
  return true;
}

// The text of one argument for one specifier; false when the argument does not fit the type.
bool FormatValue(const Spec& spec, const FormatArg& arg, char thousands, char point,
                 std::string& out) {
  using Kind = FormatArg::Kind;
  switch (spec.type) {
    case 's':
      if (arg.kind == Kind::Real) return false;
      out = arg.kind == Kind::Text ? arg.text
            : arg.kind == Kind::Unsigned
                ? Decimal(arg.uinteger)
                : (arg.integer < 0 ? "-" : "") + Decimal(Magnitude(arg.integer));
      if (spec.precision >= 0) out = CodePointPrefix(out, size_t(spec.precision));
      return true;
    case 'd':
      if (arg.kind == Kind::Text || arg.kind == Kind::Real) return false;
      if (arg.kind == Kind::Unsigned) {
        out = ZeroPad(Decimal(arg.uinteger), spec.precision);
      } else {
        out =
            (arg.integer < 0 ? "-" : "") + ZeroPad(Decimal(Magnitude(arg.integer)), spec.precision);
      }
      return true;
    case 'u':
    case 'x':
      if (arg.kind == Kind::Text || arg.kind == Kind::Real) return false;
      out = ZeroPad(spec.type == 'u' ? Decimal(AsUnsigned(arg)) : Hex(AsUnsigned(arg)),
                    spec.precision);
      return true;
    case 'n':
      return FormatNumber(arg, spec.precision, thousands, point, out);
    case 'f':
      return FormatNumber(arg, spec.precision, 0, point, out);
  }
  return false;
}

// Reads digits at `pos`; false when there are none or the number is implausibly large.
bool ReadNumber(const std::string& s, size_t& pos, long& value) {
  if (pos >= s.size() || !IsDigit(s[pos])) return false;
  value = 0;
  while (pos < s.size() && IsDigit(s[pos])) {
    value = value * 10 + (s[pos++] - '0');
    if (value > kMaxField) return false;
  }
  return true;
}

class Formatter {
 public:
  Formatter(const std::vector<FormatArg>& args, char thousands, char point)
      : args_(args), thousands_(thousands), point_(point) {}

  // Formats the specifier starting at pattern[start] == '%'; returns the position after it, or
  // `start` when it is malformed (the caller then keeps the '%' literally).
  size_t Apply(const std::string& pattern, size_t start, std::string& out) {
    Spec spec;
    size_t pos = start + 1;
    bool argsOk = true;
    long number = 0;
    size_t indexEnd = pos;
    if (ReadNumber(pattern, indexEnd, number) && indexEnd < pattern.size() &&
        pattern[indexEnd] == ':') {
      next_ = size_t(number);
      pos = indexEnd + 1;
    }
    if (pos < pattern.size() && pattern[pos] == '-') {
      spec.leftAlign = true;
      ++pos;
    }
    if (!ReadField(pattern, pos, spec.width, argsOk)) return start;
    if (pos < pattern.size() && pattern[pos] == '.') {
      ++pos;
      if (!ReadField(pattern, pos, spec.precision, argsOk)) return start;
    }
    if (pos >= pattern.size()) return start;
    spec.type = char(pattern[pos] | 0x20);
    if (std::string("sduxnf").find(spec.type) == std::string::npos) return start;
    ++pos;

    std::string value;
    if (!argsOk || next_ >= args_.size() ||
        !FormatValue(spec, args_[next_], thousands_, point_, value)) {
      out.append(pattern, start, pos - start);  // show the specifier, do not guess
    } else {
      out += Pad(value, spec);
    }
    ++next_;
    return pos;
  }

 private:
  // A width or precision: digits, '*' (next argument, an integer), or nothing (-1).
  bool ReadField(const std::string& pattern, size_t& pos, int& field, bool& argsOk) {
    long number = 0;
    if (pos < pattern.size() && pattern[pos] == '*') {
      ++pos;
      if (next_ < args_.size() && args_[next_].kind == FormatArg::Kind::Signed &&
          args_[next_].integer >= 0 && args_[next_].integer <= kMaxField) {
        field = int(args_[next_].integer);
      } else if (next_ < args_.size() && args_[next_].kind == FormatArg::Kind::Unsigned &&
                 args_[next_].uinteger <= kMaxField) {
        field = int(args_[next_].uinteger);
      } else {
        argsOk = false;
      }
      ++next_;
      return true;
    }
    if (pos < pattern.size() && IsDigit(pattern[pos])) {
      if (!ReadNumber(pattern, pos, number)) return false;
      field = int(number);
    }
    return true;
  }

  static std::string Pad(const std::string& value, const Spec& spec) {
    const size_t length = CodePointCount(value);
    if (spec.width < 0 || length >= size_t(spec.width)) return value;
    const std::string fill(size_t(spec.width) - length, ' ');
    return spec.leftAlign ? value + fill : fill + value;
  }

  const std::vector<FormatArg>& args_;
  char thousands_;
  char point_;
  size_t next_ = 0;
};

}  // namespace

std::string FormatText(const std::string& pattern, const std::vector<FormatArg>& args,
                       char thousandSeparator, char decimalSeparator) {
  std::string out;
  out.reserve(pattern.size() + 32);
  Formatter formatter(args, thousandSeparator, decimalSeparator);
  size_t pos = 0;
  while (pos < pattern.size()) {
    const size_t percent = pattern.find('%', pos);
    if (percent == std::string::npos) {
      out.append(pattern, pos, std::string::npos);
      break;
    }
    out.append(pattern, pos, percent - pos);
    if (percent + 1 < pattern.size() && pattern[percent + 1] == '%') {
      out += '%';
      pos = percent + 2;
      continue;
    }
    const size_t end = formatter.Apply(pattern, percent, out);
    if (end == percent) {
      out += '%';
      pos = percent + 1;
    } else {
      pos = end;
    }
  }
  return out;
}

}  // namespace archive
