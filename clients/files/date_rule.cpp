#include "clients/files/date_rule.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "platform/time.h"

namespace bkvp::files {

namespace {

constexpr int64_t kMinYear = -1000000;
constexpr int64_t kMaxYear = 1000000;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

// Civil-from-days and days-from-civil over the proleptic Gregorian calendar
// (eras of 400 years, March-based years so that the leap day comes last).
int64_t DayNumber(const CalendarDate& date) {
  const int64_t y = int64_t{date.year} - (date.month <= 2 ? 1 : 0);
  const int64_t era = FloorDiv(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t m = date.month;
  const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + date.day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CalendarDate DateFromDayNumber(int64_t days) {
  const int64_t z = days + 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  return {static_cast<int32_t>(y), static_cast<int32_t>(m), static_cast<int32_t>(d)};
}

CalendarDate NormalizeDate(int64_t year, int64_t month, int64_t day) {
  // Clamp every field first so that the arithmetic below cannot overflow.
  year = std::clamp(year, kMinYear, kMaxYear);
  month = std::clamp<int64_t>(month, -12 * kMaxYear, 12 * kMaxYear);
  day = std::clamp<int64_t>(day, -400 * kMaxYear, 400 * kMaxYear);
  const int64_t months = year * 12 + (month - 1);
  const int64_t y = std::clamp(FloorDiv(months, 12), kMinYear, kMaxYear);
  const int64_t m = months - FloorDiv(months, 12) * 12 + 1;
  const int64_t first = DayNumber({static_cast<int32_t>(y), static_cast<int32_t>(m), 1});
  const CalendarDate result = DateFromDayNumber(first + day - 1);
  if (result.year < kMinYear) return {static_cast<int32_t>(kMinYear), 1, 1};
  if (result.year > kMaxYear) return {static_cast<int32_t>(kMaxYear), 12, 31};
  return result;
}

int WeekdayOf(int64_t days) {
  // 1970-01-01 was a Thursday.
  return static_cast<int>(((days % 7) + 7 + 4) % 7);
}

std::string RuleText(const DateRule& rule) {
  char text[160];
  const char* plural = rule.count >= 2 ? "s" : "";
  switch (rule.kind) {
    case kRuleToday:
      return "modified today";
    case kRuleLastDays:
      std::snprintf(text, sizeof text, "modified for last %d days", rule.count);
      return text;
    case kRuleLastWeeks:
      std::snprintf(text, sizeof text, "modified for last %d week%s", rule.count, plural);
      return text;
    case kRuleLastMonths:
      std::snprintf(text, sizeof text, "modified for last %d month%s", rule.count, plural);
      return text;
    case kRuleBefore:
    case kRuleAfter: {
      std::tm tm{};
      tm.tm_year = rule.date.year - 1900;
      tm.tm_mon = rule.date.month - 1;
      tm.tm_mday = rule.date.day;
      tm.tm_wday = WeekdayOf(DayNumber(rule.date));
      const std::string date = platform::FormatTime(tm, "%d %b %Y");
      return std::string(rule.kind == kRuleBefore ? "modified before " : "modified after ") + date;
    }
    default:
      return "";
  }
}

}  // namespace bkvp::files
