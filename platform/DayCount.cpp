#include "platform/DayCount.h"

#include <cmath>

namespace platform {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = unsigned(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + int64_t(doe) - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = unsigned(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = int(doy - (153 * mp + 2) / 5 + 1);
  month = int(mp < 10 ? mp + 3 : mp - 9);
  year = int(yoe + era * 400 + (month <= 2));
}

const int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;

}  // namespace

double EncodeDayCount(const CivilTime& t) {
  const double days =
      double(DaysFromCivil(t.year, unsigned(t.month), unsigned(t.day)) - kEpochOffset);
  const double fraction = ((t.hour * 60.0 + t.minute) * 60.0 + t.second) * 1000.0 + t.millisecond;
  // Before the epoch the fraction still counts forward from midnight: -1.25 is
  // 29 December 1899, 06:00.
  return days >= 0 ? days + fraction / kMsPerDay : days - fraction / kMsPerDay;
}

bool DecodeDayCount(double dayCount, CivilTime& t) {
  if (!std::isfinite(dayCount) || dayCount < -657434.0 || dayCount >= 2958466.0) return false;
  const double whole = std::trunc(dayCount);
  int64_t ms = int64_t(std::llround(std::fabs(dayCount - whole) * kMsPerDay));
  int64_t day = int64_t(whole);
  if (ms >= int64_t(kMsPerDay)) {  // rounding reached the next midnight
    ms -= int64_t(kMsPerDay);
    day += dayCount >= 0 ? 1 : -1;
  }
  CivilFromDays(day + kEpochOffset, t.year, t.month, t.day);
  t.millisecond = int(ms % 1000);
  t.second = int(ms / 1000 % 60);
  t.minute = int(ms / 60000 % 60);
  t.hour = int(ms / 3600000);
  return true;
}

}  // namespace platform
