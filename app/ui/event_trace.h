// A line per command and window event, appended to the file named by
// BKVP_UI_TRACE when that is set. Only the tests set it: it lets them watch a
// real program process that has no window they could look at.
#pragma once

#include <QString>

namespace bkvp::ui {

void TraceEvent(const QString& line);

}  // namespace bkvp::ui
