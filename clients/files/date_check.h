// Whether a file's modification date satisfies a backup list entry's rules.
#pragma once

#include <cstdint>

#include "clients/files/date_rule.h"
#include "platform/time.h"

namespace bkvp::files {

struct DateContext {
  int64_t today = 0;     // the current UTC date as a day number
  int firstWeekday = 6;  // 0 = Monday ... 6 = Sunday
};

// Now, and the user's locale.
DateContext CurrentDateContext();

// The UTC calendar date of a file time, as a day number.
int64_t UtcDayOf(platform::FILETIME time);

// Whether the rule holds for a file written on fileDay. kRuleAlways always
// holds; kinds outside -1...5 never do.
bool RuleHolds(const DateRule& rule, int64_t fileDay, const DateContext& context);

// The include rule must hold and the exclude rule (unless kRuleAlways) must not.
bool DateAccepted(const DateRule& include, const DateRule& exclude, int64_t fileDay,
                  const DateContext& context);

}  // namespace bkvp::files
