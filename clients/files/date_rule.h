// Modification-date conditions of the backup list, and the calendar
// arithmetic they need. Dates are whole days without a time zone: a rule's
// reference date is what the user picked, a file's date is taken in UTC.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

namespace bkvp::files {

struct CalendarDate {
  int32_t year = 1970;
  int32_t month = 1;  // 1-12
  int32_t day = 1;    // 1-31
  friend auto operator<=>(const CalendarDate&, const CalendarDate&) = default;
};

// Days since 1970-01-01 (negative before it).
int64_t DayNumber(const CalendarDate& date);
CalendarDate DateFromDayNumber(int64_t days);
// Builds a date from fields that may be out of range the way mktime does:
// month 13 is January of the next year, day 0 the last day of the month
// before. Years are clamped to a range far beyond any real file date.
CalendarDate NormalizeDate(int64_t year, int64_t month, int64_t day);
// 0 = Sunday ... 6 = Saturday.
int WeekdayOf(int64_t days);

constexpr int32_t kRuleAlways = -1;
constexpr int32_t kRuleToday = 0;
constexpr int32_t kRuleLastDays = 1;
constexpr int32_t kRuleLastWeeks = 2;
constexpr int32_t kRuleLastMonths = 3;
constexpr int32_t kRuleBefore = 4;
constexpr int32_t kRuleAfter = 5;

struct DateRule {
  int32_t kind = kRuleAlways;  // one of the kRule values; others may come from stored text
  int32_t count = -1;          // days, weeks or months for kinds 1-3, else -1
  CalendarDate date;           // reference date for kinds 4 and 5
  bool HasDate() const { return kind == kRuleBefore || kind == kRuleAfter; }
  friend bool operator==(const DateRule&, const DateRule&) = default;
};

// The rule as the backup list shows it ("modified for last 2 weeks",
// "modified before 07 Mar 2003"); "" for kRuleAlways and unknown kinds.
std::string RuleText(const DateRule& rule);

}  // namespace bkvp::files
