// The string table of BkVpOutlook.
#pragma once

#include "clients/common/client_module.h"
#include "clients/common/string_table.h"

namespace bkvp::outlook {

enum StringId {
  kStrUnknownType = 107,
  kStrRunningRestore = 108,  // restore while the program runs
  kStrRunningBackup = 109,   // backup: the program will be closed
  kStrStoreValue = 200,      // "001e6700": a personal folder file path
  kStrMessagingNt = 202,     // messaging key on NT 4 / 5
  kStrMessaging = 203,       // messaging key elsewhere
  kStrSettings8 = 204,       // Office 8.0 settings
  kStrSettings9 = 205,       // Office 9.0 settings
  kStrSettingsCommon = 206,
  kStrProfilesNt = 207,
  kStrProfiles = 208,
  kStrShellFolders = 209,
  kStrLocalAppData = 210,
  kStrExtendDat = 211,  // relative to the local application-data folder
  kStrTerminationFailed = 212,
  kStrTerminationSucceeded = 213,
  kStrTerminationCanceled = 214,
  kStrRestartSucceeded = 215,
  kStrRestartFailed = 216,
  kStrOperationCanceled = 217,
};

const clients::StringTable& Strings();

// The service BkVpOutlookSrv and, in the page module BkVpOutlookPages, the
// pages BkVpAxBkOutlook and BkVpAxRsOutlook.
inline const clients::ClientClasses kClasses{MakeGuid("{A7D3E1C2-4B6F-4F08-8E25-6C9B1D0F3A72}"),
                                             "BkVpOutlookSrv", "BkVpAxBkOutlook",
                                             "BkVpAxRsOutlook"};

constexpr const char* kModuleName = "Outlook.exe";
constexpr const char* kProgramName = "Outlook";  // countdown texts
constexpr const char* kInstallRoot9 =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Office\\9.0\\Outlook\\InstallRoot";
constexpr const char* kInstallRoot8 =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Office\\8.0\\Common\\InstallRoot";

}  // namespace bkvp::outlook
