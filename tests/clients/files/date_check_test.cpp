// Calendar arithmetic and the seven date rules.
#include <gtest/gtest.h>

#include <cstdlib>

#include "clients/files/first_weekday.h"
#include "tests/clients/files/tree_fixture.h"

namespace bkvp::files {
namespace {

using testing::ContextOn;

int64_t Day(int y, int m, int d) { return DayNumber({y, m, d}); }

TEST(Calendar, DaysRoundTripAndOutOfRangeFieldsRollOver) {
  EXPECT_EQ(Day(2000, 3, 1) - Day(2000, 2, 28), 2);  // 2000 is a leap year, 1900 is not
  EXPECT_EQ(Day(1900, 3, 1) - Day(1900, 2, 28), 1);
  for (int64_t day = Day(1599, 1, 1); day < Day(2401, 1, 1); day += 37)
    ASSERT_EQ(DayNumber(DateFromDayNumber(day)), day);
  EXPECT_EQ(NormalizeDate(2003, 13, 1), (CalendarDate{2004, 1, 1}));
  EXPECT_EQ(NormalizeDate(2003, 3, 0), (CalendarDate{2003, 2, 28}));
  EXPECT_LE(NormalizeDate(INT64_MAX / 2, INT64_MAX / 2, INT64_MAX / 2).year, 1000000);
  // File days are UTC dates, also before 1970.
  const platform::FILETIME epoch = platform::kFileTimeUnixEpoch, second = 10000000;
  EXPECT_EQ(UtcDayOf(epoch + 86399 * second), 0);
  EXPECT_EQ(UtcDayOf(epoch - second), -1);
}

TEST(DateRules, TodayAndLastDaysCountBackFromToday) {
  const DateContext ctx = ContextOn();
  EXPECT_TRUE(RuleHolds({kRuleToday, -1, {}}, ctx.today, ctx));
  EXPECT_FALSE(RuleHolds({kRuleToday, -1, {}}, ctx.today - 1, ctx));
  EXPECT_FALSE(RuleHolds({kRuleLastDays, 1, {}}, ctx.today - 1, ctx));
  EXPECT_TRUE(RuleHolds({kRuleLastDays, 3, {}}, ctx.today - 2, ctx));
  EXPECT_FALSE(RuleHolds({kRuleLastDays, 3, {}}, ctx.today - 3, ctx));
}

TEST(DateRules, LastWeeksStartOnTheLocaleFirstWeekday) {
  const DateRule one{kRuleLastWeeks, 1, {}}, two{kRuleLastWeeks, 2, {}};
  // Today Wednesday 5 March; a Monday-first week began on the 3rd.
  EXPECT_TRUE(RuleHolds(one, Day(2003, 3, 3), ContextOn({2003, 3, 5}, 0)));
  EXPECT_FALSE(RuleHolds(one, Day(2003, 3, 2), ContextOn({2003, 3, 5}, 0)));
  EXPECT_FALSE(RuleHolds(two, Day(2003, 2, 23), ContextOn({2003, 3, 5}, 0)));
  // Sunday-first: the 2nd; Thursday-first: the Thursday before.
  EXPECT_TRUE(RuleHolds(one, Day(2003, 3, 2), ContextOn({2003, 3, 5}, 6)));
  EXPECT_FALSE(RuleHolds(one, Day(2003, 3, 1), ContextOn({2003, 3, 5}, 6)));
  EXPECT_TRUE(RuleHolds(one, Day(2003, 2, 27), ContextOn({2003, 3, 5}, 3)));
  EXPECT_FALSE(RuleHolds(one, Day(2003, 2, 26), ContextOn({2003, 3, 5}, 3)));
  // On the first weekday itself one week is today only.
  EXPECT_FALSE(RuleHolds(one, Day(2003, 3, 2), ContextOn({2003, 3, 3}, 0)));
}

TEST(DateRules, LastMonthsStepBackAcrossTheYear) {
  const DateContext january = ContextOn({2003, 1, 15});
  EXPECT_TRUE(RuleHolds({kRuleLastMonths, 2, {}}, Day(2002, 12, 1), january));
  EXPECT_FALSE(RuleHolds({kRuleLastMonths, 2, {}}, Day(2002, 11, 30), january));
  EXPECT_FALSE(RuleHolds({kRuleLastMonths, 1, {}}, Day(2002, 12, 31), january));
  EXPECT_FALSE(RuleHolds({kRuleLastMonths, 36, {}}, Day(2000, 1, 31), january));
  // A huge stored count reaches far back without looping month by month.
  EXPECT_TRUE(RuleHolds({kRuleLastMonths, 2147483647, {}}, Day(1601, 1, 1), january));
}

TEST(DateRules, BeforeAndAfterAreStrictAndUnknownKindsAreHarmless) {
  const DateContext ctx = ContextOn();
  const CalendarDate tenth{2003, 1, 10};
  EXPECT_TRUE(RuleHolds({kRuleBefore, -1, tenth}, Day(2003, 1, 9), ctx));
  EXPECT_FALSE(RuleHolds({kRuleBefore, -1, tenth}, Day(2003, 1, 10), ctx));
  EXPECT_FALSE(RuleHolds({kRuleAfter, -1, tenth}, Day(2003, 1, 10), ctx));
  EXPECT_TRUE(RuleHolds({kRuleAfter, -1, tenth}, Day(2003, 1, 11), ctx));
  // An unknown include kind drops the file, an unknown exclude kind removes nothing.
  const DateRule always{}, unknown{9, 1, {}}, today{kRuleToday, -1, {}};
  EXPECT_TRUE(DateAccepted(always, always, ctx.today, ctx));
  EXPECT_FALSE(DateAccepted(unknown, always, ctx.today, ctx));
  EXPECT_TRUE(DateAccepted(always, unknown, ctx.today, ctx));
  EXPECT_FALSE(DateAccepted(always, today, ctx.today, ctx));
}

TEST(FirstWeekday, LocaleFieldsGiveMondayBasedNumbersAndSundayWhenUnreadable) {
  EXPECT_EQ(FirstWeekdayFromLangInfo(19971130, 1), 6);  // Sunday
  EXPECT_EQ(FirstWeekdayFromLangInfo(19971130, 2), 0);  // Monday, counted from Sunday
  EXPECT_EQ(FirstWeekdayFromLangInfo(19971201, 1), 0);  // Monday as day 1
  EXPECT_FALSE(FirstWeekdayFromLangInfo(19971130, 8));
  EXPECT_FALSE(FirstWeekdayFromLangInfo(19971300, 1));

  const char* saved = std::getenv("LC_ALL");
  const std::string previous = saved ? saved : "";
  setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);  // no such locale
  EXPECT_EQ(UserFirstWeekday(), 6);
  setenv("LC_ALL", "C", 1);
  EXPECT_EQ(UserFirstWeekday(), 6);
  saved ? setenv("LC_ALL", previous.c_str(), 1) : unsetenv("LC_ALL");
}

}  // namespace
}  // namespace bkvp::files
