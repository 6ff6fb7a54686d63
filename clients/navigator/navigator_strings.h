// The string table of Navigator4x and the names it looks for.
#pragma once

#include "clients/common/string_table.h"

namespace bkvp::navigator {

enum StringId {
  kStrRunningRestore = 105,  // restore while Netscape runs
  kStrBackuperSubkey = 106,
  kStrRestorerSubkey = 107,
  kStrUsersKey45 = 207,    // the key saved for 4.5 and later
  kStrNavigatorKey = 208,  // holds "CurrentVersion"
  kStrCurrentVersion = 209,
  kStrUsersKey = 211,  // the key saved before 4.5; one subkey per user
  kStrInstallDirectory = 213,
  kStrProgramFolder = 214,
  kStrProfileRegistry = 220,  // "nsreg.dat"
  kStrMailFolder = 237,
  kStrNewsFolder = 238,
  kStrProfileLocation = 240,
  kStrUnknownType = 300,
  kStrRunningBackup = 301,  // backup: Netscape will be closed
  kStrTerminationFailed = 400,
  kStrTerminationSucceeded = 401,
  kStrTerminationCanceled = 402,
  kStrRestartSucceeded = 403,
  kStrRestartFailed = 404,
  kStrOperationCanceled = 405,
  // Reasons a backup stops before anything is saved.
  kStrNoWindowsDirectory = 406,
  kStrProfileRegistryUnreadable = 407,
  kStrProfileRegistryDamaged = 408,
};

const clients::StringTable& Strings();

constexpr const char* kModuleName = "netscape.exe";
constexpr const char* kProgramName = "Netscape";  // countdown texts
constexpr const char* kRestartParameters = "-mail";
// Where "Install Directory" is kept (the base of a relative "DirRoot").
constexpr const char* kMainKey = "HKEY_CURRENT_USER\\Software\\Netscape\\Netscape Navigator\\Main";
constexpr const char* kDirRootValue = "DirRoot";

}  // namespace bkvp::navigator
