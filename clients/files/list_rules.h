// What may go into the backup list: the checks that the backup page's
// dialogs and `bkvp files` both apply to masks and modification-date rules,
// so that either writes only entries the other accepts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "clients/files/date_rule.h"

namespace bkvp::files {

// The longest mask the mask input box takes.
constexpr size_t kMaxMaskLength = 260;

enum class MaskProblem {
  kNone,
  kEmpty,               // "The value cannot be empty."
  kAllFilesNotAllowed,  // "The mask *.* is not allowed."
  kInvalid,             // "Invalid mask."
  kDuplicate,           // "Mask already exist."
};
// The message the dialogs show for a problem ("" for kNone).
const char* MaskProblemText(MaskProblem problem);

// A mask as typed: text without a "." is an extension, so "txt" becomes
// "*.txt" and "old*" becomes "*.old*".
std::string CompleteMask(std::string_view typed);

// Checks a completed mask that is to join a list holding `others`. "*.*" is
// refused: it enters the include list only as its default. A path, drive or
// quoting character, or a tab or line break (they would split the stored
// entry), makes a mask invalid, and so does one longer than kMaxMaskLength.
MaskProblem CheckMask(std::string_view mask, const std::vector<std::string>& others);

// Checks a modification-date rule: counts of 1 to 7 days (one day is
// "Today"), 1 to 4 weeks, 1 to 36 months, and a date that exists. Returns ""
// or a sentence for the user.
std::string CheckRule(const DateRule& rule);

}  // namespace bkvp::files
