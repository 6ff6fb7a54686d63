// The two browser generations served by one source: everything that differs
// between the Netscape 6 and Netscape 7 modules.
#pragma once

#include <string>

#include "clients/common/client_module.h"
#include "clients/common/string_table.h"
#include "contract/guid.h"

namespace bkvp::netscape {

// String numbers of these modules beyond the shared 100-104.
constexpr int kStrRunningWithProfile = 105;  // question before a restore
constexpr int kStrUnknownObject = 106;
constexpr int kStrRunningBackupStopped = 107;
constexpr int kStrBackuper = 201;
constexpr int kStrRestorer = 202;
constexpr int kStrRestoreCanceled = 300;

struct NetscapeEdition {
  int generation = 0;  // 6 or 7
  CLSID serviceClsid;
  CLSID backupPageClsid;
  CLSID restorePageClsid;
  // The type library, the service BkVpNetscape<n>Srv and, in the page module
  // BkVpNetscape<n>Pages, the pages BkVpAxBkNetscape<n> and BkVpAxRsNetscape<n>.
  clients::ClientClasses classes;
  std::string programModule;       // the program file searched among running processes
  bool chromeStyleSheets = false;  // Netscape 7 keeps theme style sheets in chrome/
  clients::StringTable strings;
  // Whether this generation of the browser is installed.
  bool (*installed)() = nullptr;

  std::string Text(int id) const { return strings.Load(id); }
  std::string DisplayName() const { return strings.DisplayName(); }
  std::string ModuleName() const { return strings.ModuleName(); }
  std::string ServiceClsidText() const { return strings.ServiceClsid(); }
  // The action name given with every backed up file.
  std::string ActionName() const { return DisplayName() + " Backup"; }
};

const NetscapeEdition& Netscape6Edition();
const NetscapeEdition& Netscape7Edition();

// The installation tests, also used directly by the tests.
// Netscape 7: the program named by the current version's "PathToExe" carries
// a file version whose major number is 7.
bool Netscape7Installed();
// Netscape 6: "netscp6.exe" lies in the recorded install directory.
bool Netscape6Installed();

}  // namespace bkvp::netscape
