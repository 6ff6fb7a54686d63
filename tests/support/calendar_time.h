// Calendar moments for tests, written the way people read them (month 1 to
// 12, the full year) instead of std::tm's offsets.
#pragma once

#include <ctime>

namespace bkvp::testing {

// The broken-down time of that moment; seconds 0, no daylight-saving hint.
inline std::tm CalendarTime(int year, int month, int day, int hour = 0, int minute = 0) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  return t;
}

}  // namespace bkvp::testing
