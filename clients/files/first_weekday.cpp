#include "clients/files/first_weekday.h"

#include <langinfo.h>
#include <locale.h>

#include "clients/files/date_rule.h"

namespace bkvp::files {

namespace {
constexpr int kSunday = 6;
}

std::optional<int> FirstWeekdayFromLangInfo(unsigned week1stDay, int firstWeekday) {
  const int year = static_cast<int>(week1stDay / 10000);
  const int month = static_cast<int>(week1stDay / 100 % 100);
  const int day = static_cast<int>(week1stDay % 100);
  if (firstWeekday < 1 || firstWeekday > 7 || month < 1 || month > 12 || day < 1 || day > 31)
    return std::nullopt;
  const int base = WeekdayOf(DayNumber({year, month, day}));  // 0 = Sunday
  const int sundayBased = (base + firstWeekday - 1) % 7;
  return (sundayBased + 6) % 7;
}

int UserFirstWeekday() {
  // A locale object of its own, so the process's global locale is untouched.
  const locale_t locale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
  if (locale == static_cast<locale_t>(nullptr)) return kSunday;
  // _NL_TIME_WEEK_1STDAY is a number handed out in the pointer's place.
  union {
    const char* string;
    unsigned word;
  } week1st;
  week1st.string = nl_langinfo_l(_NL_TIME_WEEK_1STDAY, locale);
  const char* first = nl_langinfo_l(_NL_TIME_FIRST_WEEKDAY, locale);
  const std::optional<int> result =
      first ? FirstWeekdayFromLangInfo(week1st.word, static_cast<unsigned char>(first[0]))
            : std::nullopt;
  freelocale(locale);
  return result.value_or(kSunday);
}

}  // namespace bkvp::files
