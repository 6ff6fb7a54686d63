#include "clients/files/list_rules.h"

#include <algorithm>
#include <cstdio>

namespace bkvp::files {

const char* MaskProblemText(MaskProblem problem) {
  switch (problem) {
    case MaskProblem::kNone:
      return "";
    case MaskProblem::kEmpty:
      return "The value cannot be empty.";
    case MaskProblem::kAllFilesNotAllowed:
      return "The mask *.* is not allowed.";
    case MaskProblem::kInvalid:
      return "Invalid mask.";
    case MaskProblem::kDuplicate:
      return "Mask already exist.";
  }
  return "";
}

std::string CompleteMask(std::string_view typed) {
  std::string mask(typed);
  if (!mask.empty() && mask.find('.') == std::string::npos) mask = "*." + mask;
  return mask;
}

MaskProblem CheckMask(std::string_view mask, const std::vector<std::string>& others) {
  if (mask.empty()) return MaskProblem::kEmpty;
  if (mask == "*.*") return MaskProblem::kAllFilesNotAllowed;
  const bool hasControl = std::any_of(mask.begin(), mask.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
  });
  if (hasControl || mask.size() > kMaxMaskLength ||
      mask.find_first_of("\\/:\"<>|") != std::string_view::npos)
    return MaskProblem::kInvalid;
  if (std::find(others.begin(), others.end(), mask) != others.end()) return MaskProblem::kDuplicate;
  return MaskProblem::kNone;
}

std::string CheckRule(const DateRule& rule) {
  const auto countIn = [&](int low, int high, const char* unit) -> std::string {
    if (rule.count >= low && rule.count <= high) return "";
    return std::string("the number of ") + unit + " must be " + std::to_string(low) + " to " +
           std::to_string(high);
  };
  switch (rule.kind) {
    case kRuleAlways:
    case kRuleToday:
      return "";
    case kRuleLastDays:
      return countIn(1, 7, "days");
    case kRuleLastWeeks:
      return countIn(1, 4, "weeks");
    case kRuleLastMonths:
      return countIn(1, 36, "months");
    case kRuleBefore:
    case kRuleAfter: {
      const CalendarDate& d = rule.date;
      if (d.year >= 1 && NormalizeDate(d.year, d.month, d.day) == d) return "";
      char text[32];
      std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
      return std::string(text) + " is not a valid date";
    }
    default:
      return "unknown rule";
  }
}

}  // namespace bkvp::files
