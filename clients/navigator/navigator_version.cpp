#include "clients/navigator/navigator_version.h"

#include <charconv>
#include <string>

#include "clients/common/registry_access.h"
#include "clients/navigator/navigator_strings.h"

namespace bkvp::navigator {

namespace {

std::string CurrentVersionText() {
  return clients::ReadString(Strings().Load(kStrNavigatorKey), Strings().Load(kStrCurrentVersion));
}

}  // namespace

std::optional<double> LeadingVersionNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  double number = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), number, std::chars_format::fixed);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  return number;
}

std::optional<NavigatorVersion> InstalledNavigator4x() {
  const auto number = LeadingVersionNumber(CurrentVersionText());
  if (!number || !(*number >= 4.0 && *number < 5.0)) return std::nullopt;
  return NavigatorVersion{*number};
}

bool NavigatorInstalled() { return !CurrentVersionText().empty(); }

}  // namespace bkvp::navigator
