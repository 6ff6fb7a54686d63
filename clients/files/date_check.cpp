#include "clients/files/date_check.h"

#include <algorithm>

#include "clients/files/first_weekday.h"

namespace bkvp::files {

namespace {

constexpr int64_t kFileTimePerDay = 864000000000;  // 100 ns units in a day
// Counts far beyond any file date; keeps the arithmetic below from overflowing.
constexpr int64_t kMaxCount = 10000000;

int64_t ClampedCount(int32_t count) { return std::clamp<int64_t>(count, -kMaxCount, kMaxCount); }

// First day of the current week, moved back n - 1 weeks.
int64_t WeekStart(int64_t n, const DateContext& context) {
  int k = context.firstWeekday + 2;  // 1 = Sunday ... 7 = Saturday
  if (k == 8) k = 1;
  const int w = WeekdayOf(context.today) + 1;
  const int64_t offset = w < k ? 7 * n - k + w : 7 * n - k + w - 7;
  return context.today - offset;
}

// The 1st of the month that lies n - 1 months before the current one.
int64_t MonthStart(int64_t n, const DateContext& context) {
  const CalendarDate today = DateFromDayNumber(context.today);
  const int64_t back = std::max<int64_t>(n - 1, 0);
  return DayNumber(NormalizeDate(today.year, int64_t{today.month} - back, 1));
}

}  // namespace

DateContext CurrentDateContext() {
  DateContext context;
  context.today = UtcDayOf(platform::FileTimeFromTimePoint(platform::Clock::now()));
  context.firstWeekday = UserFirstWeekday();
  return context;
}

int64_t UtcDayOf(platform::FILETIME time) {
  const int64_t sinceUnix =
      static_cast<int64_t>(time) - static_cast<int64_t>(platform::kFileTimeUnixEpoch);
  return sinceUnix / kFileTimePerDay - (sinceUnix % kFileTimePerDay < 0 ? 1 : 0);
}

bool RuleHolds(const DateRule& rule, int64_t fileDay, const DateContext& context) {
  const int64_t n = ClampedCount(rule.count);
  switch (rule.kind) {
    case kRuleAlways:
      return true;
    case kRuleToday:
      return fileDay == context.today;
    case kRuleLastDays:
      return fileDay >= context.today - (n - 1);
    case kRuleLastWeeks:
      return fileDay >= WeekStart(n, context);
    case kRuleLastMonths:
      return fileDay >= MonthStart(n, context);
    case kRuleBefore:
      return fileDay < DayNumber(rule.date);
    case kRuleAfter:
      return fileDay > DayNumber(rule.date);
    default:
      return false;
  }
}

bool DateAccepted(const DateRule& include, const DateRule& exclude, int64_t fileDay,
                  const DateContext& context) {
  if (!RuleHolds(include, fileDay, context)) return false;
  return exclude.kind == kRuleAlways || !RuleHolds(exclude, fileDay, context);
}

}  // namespace bkvp::files
