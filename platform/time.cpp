#include "platform/time.h"

#include <cmath>
#include <limits>
#include <vector>

namespace bkvp::platform {

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;  // FILETIME ticks are 100 ns
constexpr int64_t kSecondsPerDay = 86'400;
constexpr int64_t kUnixEpochSeconds1601 = 11'644'473'600;  // 1601-01-01 to 1970-01-01

// The range of dates automation accepts: 0100-01-01 to 9999-12-31 23:59:59.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958465.99998842;

constexpr int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
constexpr int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  const int64_t era = FloorDiv(year, 400);
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

struct CivilDate {
  int64_t year;
  int month;  // 1..12
  int day;    // 1..31
};

CivilDate CivilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = FloorDiv(days, 146097);
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yearOfEra + era * 400 + (month <= 2), month, day};
}

constexpr int64_t kDateEpochDays = DaysFromCivil(1899, 12, 30);

// A DATE is not linear below zero: the integer part counts days (towards
// zero) and the fraction is always a positive time of day, so -1.25 is
// 1899-12-29 06:00. "Linear" days below are plain days since 1899-12-30.
DATE DateFromLinear(double linear) {
  if (linear >= 0) return linear;
  const double day = std::floor(linear);
  const double timeOfDay = linear - day;
  return day - timeOfDay;
}

// Days since 1970-01-01 of a broken-down date; fields out of their range
// carry over (month 12 is January of the next year, day 0 the last of the
// month before).
int64_t UnixDaysOfTm(const std::tm& tm) {
  const int64_t monthIndex = static_cast<int64_t>(tm.tm_year) * 12 + tm.tm_mon;
  const int64_t year = 1900 + FloorDiv(monthIndex, 12);
  const int64_t month = monthIndex - FloorDiv(monthIndex, 12) * 12 + 1;
  return DaysFromCivil(year, month, 1) + tm.tm_mday - 1;
}

double LinearFromTm(const std::tm& local) {
  const int64_t days = UnixDaysOfTm(local) - kDateEpochDays;
  const int64_t seconds = static_cast<int64_t>(local.tm_hour) * 3600 +
                          static_cast<int64_t>(local.tm_min) * 60 + local.tm_sec;
  return static_cast<double>(days) + static_cast<double>(seconds) / kSecondsPerDay;
}

// Weekday and day of the year from the date fields, as strftime needs them.
void FillWeekdayAndDayOfYear(std::tm& tm) {
  const int64_t unixDays = UnixDaysOfTm(tm);
  tm.tm_wday =
      static_cast<int>(unixDays + 4 - FloorDiv(unixDays + 4, 7) * 7);  // 1970-01-01 was a Thursday
  tm.tm_yday = static_cast<int>(unixDays - DaysFromCivil(CivilFromDays(unixDays).year, 1, 1));
}

std::tm TmFromLocalSeconds(int64_t secondsSince1899) {
  const int64_t days = FloorDiv(secondsSince1899, kSecondsPerDay);
  const int64_t secondOfDay = secondsSince1899 - days * kSecondsPerDay;
  const CivilDate civil = CivilFromDays(days + kDateEpochDays);
  std::tm tm{};
  tm.tm_year = static_cast<int>(civil.year - 1900);
  tm.tm_mon = civil.month - 1;
  tm.tm_mday = civil.day;
  tm.tm_hour = static_cast<int>(secondOfDay / 3600);
  tm.tm_min = static_cast<int>(secondOfDay / 60 % 60);
  tm.tm_sec = static_cast<int>(secondOfDay % 60);
  FillWeekdayAndDayOfYear(tm);
  tm.tm_isdst = -1;
  return tm;
}

// Replaces every "%#c" by the long date and time form; "%%" stays as it is so
// that a literal percent sign before "#c" is not mistaken for it.
std::string ExpandLongForm(const std::string& format) {
  static const std::string kLongForm = "%A, %B %d, %Y %H:%M:%S";
  std::string out;
  out.reserve(format.size());
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && format.compare(i, 3, "%#c") == 0) {
      out += kLongForm;
      i += 2;
    } else if (format[i] == '%' && i + 1 < format.size()) {
      out += format.substr(i, 2);
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}

}  // namespace

FILETIME FileTimeFromTimePoint(TimePoint t) {
  const int64_t nanoseconds =
      std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
  // Every time point the clock can hold lies after 1601, so this never goes
  // below zero.
  return static_cast<FILETIME>(static_cast<int64_t>(kFileTimeUnixEpoch) +
                               FloorDiv(nanoseconds, 100));
}

TimePoint TimePointFromFileTime(FILETIME ft) {
  // The clock counts nanoseconds in 64 bits (1677 to 2262); FILETIMEs outside
  // that span give the nearest time point the clock can hold.
  using Nanoseconds = std::chrono::nanoseconds;
  constexpr int64_t kMinTicks = std::numeric_limits<int64_t>::min() / 100;
  constexpr int64_t kMaxTicks = std::numeric_limits<int64_t>::max() / 100;
  const int64_t sinceUnix =
      ft > static_cast<FILETIME>(std::numeric_limits<int64_t>::max())
          ? kMaxTicks + 1
          : static_cast<int64_t>(ft) - static_cast<int64_t>(kFileTimeUnixEpoch);
  if (sinceUnix < kMinTicks) return TimePoint::min();
  if (sinceUnix > kMaxTicks) return TimePoint::max();
  return TimePoint(std::chrono::duration_cast<Clock::duration>(Nanoseconds(sinceUnix * 100)));
}

std::time_t TimeFromFileTime(FILETIME ft) {
  return static_cast<std::time_t>(ft / kTicksPerSecond) - kUnixEpochSeconds1601;
}

FILETIME FileTimeFromTimespec(const struct timespec& ts) {
  const int64_t seconds = static_cast<int64_t>(ts.tv_sec) + FloorDiv(ts.tv_nsec, 1'000'000'000);
  const int64_t nanoseconds = ts.tv_nsec - FloorDiv(ts.tv_nsec, 1'000'000'000) * 1'000'000'000;
  if (seconds < -kUnixEpochSeconds1601) return 0;
  const uint64_t since1601 = static_cast<uint64_t>(seconds + kUnixEpochSeconds1601);
  if (since1601 > (std::numeric_limits<uint64_t>::max() - kTicksPerSecond) / kTicksPerSecond)
    return std::numeric_limits<FILETIME>::max();
  return since1601 * kTicksPerSecond + static_cast<uint64_t>(nanoseconds / 100);
}

struct timespec TimespecFromFileTime(FILETIME ft) {
  struct timespec ts {};
  ts.tv_sec =
      static_cast<time_t>(static_cast<int64_t>(ft / kTicksPerSecond) - kUnixEpochSeconds1601);
  ts.tv_nsec = static_cast<long>(ft % kTicksPerSecond) * 100;
  return ts;
}

DATE DateFromTm(const std::tm& local) { return DateFromLinear(LinearFromTm(local)); }

std::tm TmFromDate(DATE date) {
  if (std::isnan(date)) date = 0;
  if (date < kMinDate) date = kMinDate;
  if (date > kMaxDate) date = kMaxDate;
  const double day = std::trunc(date);
  const auto secondOfDay = std::llround(std::fabs(date - day) * kSecondsPerDay);
  return TmFromLocalSeconds(static_cast<int64_t>(day) * kSecondsPerDay + secondOfDay);
}

DATE DateFromTimePoint(TimePoint t) {
  const auto sinceEpoch = t.time_since_epoch();
  const auto seconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
  const double fraction = std::chrono::duration<double>(sinceEpoch - seconds).count();
  const std::tm local = LocalTime(static_cast<std::time_t>(seconds.count()));
  return DateFromLinear(LinearFromTm(local) + fraction / kSecondsPerDay);
}

TimePoint TimePointFromDate(DATE date) {
  return Clock::from_time_t(MakeLocalTime(TmFromDate(date)));
}

DATE NowAsDate() { return DateFromTimePoint(Clock::now()); }

std::tm LocalTime(std::time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  return local;
}

std::time_t MakeLocalTime(std::tm local) {
  local.tm_isdst = -1;
  return mktime(&local);
}

long UtcOffsetSeconds(std::time_t t) { return LocalTime(t).tm_gmtoff; }

std::string TimeZoneName(std::time_t t) {
  const std::tm local = LocalTime(t);
  return local.tm_zone ? local.tm_zone : "";
}

std::string FormatTime(const std::tm& local, const std::string& format) {
  const std::string expanded = ExpandLongForm(format);
  if (expanded.empty()) return {};
  // The weekday is derived from the date rather than trusted, so that a
  // broken-down time filled in by hand still names the right day.
  std::tm complete = local;
  FillWeekdayAndDayOfYear(complete);
  // strftime gives 0 both for "too small" and for an empty result; the
  // buffer grows a bounded number of times, then the result counts as empty.
  std::vector<char> buffer(expanded.size() * 4 + 128);
  for (int attempt = 0; attempt < 6; ++attempt) {
    const size_t length = strftime(buffer.data(), buffer.size(), expanded.c_str(), &complete);
    if (length > 0) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 4);
  }
  return {};
}

std::string FormatLongDateTime(const std::tm& local) { return FormatTime(local, "%#c"); }

}  // namespace bkvp::platform
