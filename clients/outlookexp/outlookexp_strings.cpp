#include "clients/outlookexp/outlookexp_strings.h"

namespace bkvp::outlookexp {

const clients::StringTable& Strings() {
  static const clients::StringTable table = {
      {100, "BkVpOutlookExp"},
      {101, "{6EA388AA-195C-4FC1-A82B-013D1B5409A9}"},
      {102, "{1EA54D38-5BF2-44D2-A201-AB6EBFE95C00}"},
      {103, "Outlook Express"},
      {104, "{045DAD87-41B3-41FF-8B2E-357B39E46F77}"},
      {120, "SOFTWARE\\Microsoft\\Outlook Express"},
      {121, "SOFTWARE\\Microsoft\\Outlook Express\\5.0"},
      {122, "SOFTWARE\\Microsoft\\Internet Account Manager"},
      {123, "SOFTWARE\\Microsoft\\Internet Connection Wizard"},
      {124, "SOFTWARE\\Microsoft\\WAB"},
      {125, "Store Root"},
      {126, "Identities"},
      {127, "HKEY_CURRENT_USER"},
      {128, "Username"},
      {129, "Main Identity"},
      {130, " (* old *)"},
      {140, "Application Data/Microsoft/Outlook Express"},
      {141, "Application Data/Microsoft/Outlook Express/Mail"},
      {142, "Application Data/Microsoft/Address Book"},
      {143, "Local Settings/Application Data/Identities"},
      {144, "Microsoft/Outlook Express"},
      {300, "Unknown object type"},
      {301, "Installed mail client possibly have improper version.\r\n Continue anyway?"},
      {302,
       "One or more instances of Outlook Express are running.\r\nClose Outlook Express and press "
       "OK to try again, or press Cancel to abort operation."},
      {303, "Running"},
      {304, "Operation canceled"},
  };
  return table;
}

}  // namespace bkvp::outlookexp
