// Time representations: FILETIME (100 ns since 1601-01-01 UTC), automation
// DATE (days since 1899-12-30 local wall-clock time, fraction = time of day)
// and the program's date formats.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <string>

#pragma GCC visibility push(default)

namespace bkvp::platform {

using FILETIME = uint64_t;
using DATE = double;
using Clock = std::chrono::system_clock;
using TimePoint = Clock::time_point;

// 100 ns intervals between 1601-01-01 and 1970-01-01.
constexpr uint64_t kFileTimeUnixEpoch = 116444736000000000ULL;

FILETIME FileTimeFromTimePoint(TimePoint t);
TimePoint TimePointFromFileTime(FILETIME ft);
// Whole seconds since 1970, for any FILETIME (1601 to 30828): time_t holds
// them all where the clock's time points do not.
std::time_t TimeFromFileTime(FILETIME ft);
FILETIME FileTimeFromTimespec(const struct timespec& ts);
struct timespec TimespecFromFileTime(FILETIME ft);

// DATE <-> broken-down local time. DateFromTm ignores tm_wday/tm_yday/tm_isdst;
// TmFromDate fills every field (tm_isdst = -1), rounding to the nearest second.
DATE DateFromTm(const std::tm& local);
std::tm TmFromDate(DATE date);
// Through the local time zone.
DATE DateFromTimePoint(TimePoint t);
TimePoint TimePointFromDate(DATE date);
DATE NowAsDate();

std::tm LocalTime(std::time_t t);
std::time_t MakeLocalTime(std::tm local);  // mktime with tm_isdst = -1
// Seconds east of UTC at that moment, and the zone's abbreviation.
long UtcOffsetSeconds(std::time_t t);
std::string TimeZoneName(std::time_t t);

// strftime in the current locale, plus the long "%#c" form that strftime lacks
// here: "%A, %B %d, %Y %H:%M:%S" ("Friday, March 07, 2003 14:05:00").
std::string FormatTime(const std::tm& local, const std::string& format);
std::string FormatLongDateTime(const std::tm& local);

}  // namespace bkvp::platform

#pragma GCC visibility pop
