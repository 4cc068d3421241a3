// The exact decimal text of a double rounded to a number of decimals, as "%.*f" prints it
// (ties to even), without the C library's printf: the player must stay small, and that
// printf brings a whole floating-point formatter with it.
#pragma once
#include <string>

namespace archive {

// "-"? digits ("." digits)?; `decimals` from 0 to 18. The value must be finite.
std::string FixedDecimalText(double value, int decimals);

}  // namespace archive
