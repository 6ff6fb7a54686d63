// The first day of the week from the user's LC_TIME locale.
#pragma once

#include <optional>

namespace bkvp::files {

// 0 = Monday ... 6 = Sunday; 6 when the locale cannot be read.
int UserFirstWeekday();

// The locale's two week fields: week1stDay, a date written as YYYYMMDD that
// names weekday 1, and firstWeekday (1-7) counting from that day. nullopt
// when either is out of range.
std::optional<int> FirstWeekdayFromLangInfo(unsigned week1stDay, int firstWeekday);

}  // namespace bkvp::files
