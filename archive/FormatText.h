// Message formatting in the style of the component's message texts ("Adding %s (%.0n)").
//
// Specifier: '%' [index ':'] ['-'] [width] ['.' precision] type, where width and precision may
// be '*' (taken from the next argument). Types (upper or lower case):
//   s  text; an integer prints in plain decimal; precision = most characters kept (never
//      cutting a UTF-8 sequence)
//   d  signed decimal; precision = least digits, zero-padded
//   u  unsigned decimal (a negative value prints as its two's complement of the argument's width)
//   x  upper-case hexadecimal of the argument's width; precision = least digits
//   n  number with thousands separators and `precision` decimals (2 when none is given)
//   f  fixed-point number with `precision` decimals (2 when none is given)
//   %% a literal '%'
// A '%' that does not start a well-formed specifier is kept as it stands, and so is a specifier
// whose argument is missing or cannot be shown by its type (a text for %d): a wrong message
// table or a wrong call then shows up in the text instead of crashing.
#pragma once
#include <string>
#include <vector>

namespace archive {

struct FormatArg {
  enum class Kind { Text, Signed, Unsigned, Real };

  FormatArg(const std::string& value) : kind(Kind::Text), text(value) {}
  FormatArg(const char* value) : kind(Kind::Text), text(value ? value : "") {}
  FormatArg(int value) : kind(Kind::Signed), integer(value), bits(32) {}
  FormatArg(unsigned value) : kind(Kind::Unsigned), uinteger(value), bits(32) {}
  FormatArg(long value) : kind(Kind::Signed), integer(value), bits(8 * sizeof(long)) {}
  FormatArg(unsigned long value)
      : kind(Kind::Unsigned), uinteger(value), bits(8 * sizeof(unsigned long)) {}
  FormatArg(long long value) : kind(Kind::Signed), integer(value), bits(64) {}
  FormatArg(unsigned long long value) : kind(Kind::Unsigned), uinteger(value), bits(64) {}
  FormatArg(double value) : kind(Kind::Real), real(value) {}

  Kind kind;
  std::string text;
  long long integer = 0;
  unsigned long long uinteger = 0;
  double real = 0;
  int bits = 64;  // width of the integer argument, for %x and %u of negative values
};

// Formats `pattern` with `args`. thousandSeparator 0 means no grouping; decimalSeparator is
// used by %n and %f.
std::string FormatText(const std::string& pattern, const std::vector<FormatArg>& args,
                       char thousandSeparator = ',', char decimalSeparator = '.');

}  // namespace archive
