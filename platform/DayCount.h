// The day count used for file dates: days since 30 December 1899, the time of
// day as the fraction (day 35838.5 is 12:00 on 12 February 1998).
#pragma once
#include <cstdint>

namespace platform {

struct CivilTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

double EncodeDayCount(const CivilTime& t);
// False for values outside the years 100 to 9999 or not finite.
bool DecodeDayCount(double dayCount, CivilTime& t);

}  // namespace platform
