// The string table of BkVpOutlookExp.
#pragma once

#include "clients/common/client_module.h"
#include "clients/common/string_table.h"

namespace bkvp::outlookexp {

enum StringId {
  kStrMainKey = 120,       // SOFTWARE\Microsoft\Outlook Express
  kStrVersion5Key = 121,   // ...\5.0
  kStrAccountsKey = 122,   // SOFTWARE\Microsoft\Internet Account Manager
  kStrWabKey = 124,        // SOFTWARE\Microsoft\WAB
  kStrStoreRoot = 125,     // "Store Root"
  kStrIdentities = 126,    // "Identities"
  kStrUserRoot = 127,      // HKEY_CURRENT_USER
  kStrUsername = 128,      // "Username"
  kStrMainIdentity = 129,  // "Main Identity"
  kStrOldSuffix = 130,     // " (* old *)"
  kStrUnknownType = 300,
  kStrImproperVersion = 301,  // restore onto a machine without identities
  kStrRunning = 302,          // restore while the program runs
  kStrRunningValue = 303,     // "Running"
  kStrCanceled = 304,
};

const clients::StringTable& Strings();

// The service BkVpOutlookXSrv and, in the page module BkVpOutlookExpPages,
// the pages BkVpAxBkOutlukX and BkVpAxRsOutlookX.
inline const clients::ClientClasses kClasses{MakeGuid("{5C0E2B7A-8F31-4E59-9A6D-3B1F0C7D2E41}"),
                                             "BkVpOutlookXSrv", "BkVpAxBkOutlukX",
                                             "BkVpAxRsOutlookX"};

// The program's module name and the key below WAB whose default value names
// the address-book file.
constexpr const char* kModuleName = "msimn.exe";
constexpr const char* kWabFileKey = "WAB4\\Wab File Name";

}  // namespace bkvp::outlookexp
