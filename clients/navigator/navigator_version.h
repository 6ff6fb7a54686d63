// Which Netscape is installed: the "CurrentVersion" value (such as
// "4.79 (en)") read as a decimal number.
#pragma once

#include <optional>
#include <string_view>

namespace bkvp::navigator {

// The number the text begins with (after leading blanks), as a decimal
// fraction: "4.79 (en)" gives 4.79, "4.08" 4.08. nullopt when the text does
// not begin with a number.
std::optional<double> LeadingVersionNumber(std::string_view text);

struct NavigatorVersion {
  double number = 0;
  // From 4.5 on the profiles are listed in the profile registry file
  // ("nsreg.dat"); before that, in the Users key.
  bool UsesProfileRegistry() const { return number >= 4.5; }
};

// The installed version when it is a 4.x one (4 <= version < 5); nullopt
// when "CurrentVersion" is missing, empty or names another version.
std::optional<NavigatorVersion> InstalledNavigator4x();

// Whether "CurrentVersion" is set at all (the client's presence test).
bool NavigatorInstalled();

}  // namespace bkvp::navigator
