// The module definitions of a client, built from its string table: the
// service module (module name, service class identifier, display name, the
// discovery entry's "Name" unless the module registers another) and its
// companion page module.
#pragma once

#include <string>

#include "clients/common/string_table.h"
#include "contract/module.h"

namespace bkvp::clients {

// What a client's two modules register besides its string table: the type
// library and the class names of the service and the two pages.
struct ClientClasses {
  GUID typeLibrary;
  std::string service;      // "BkVpOutlookSrv"
  std::string backupPage;   // "BkVpAxBkOutlook"
  std::string restorePage;  // "BkVpAxRsOutlook"
};

// Classes are registered as "<module>.<class name>" with the description
// "<class name> Class". The service module also declares the page classes,
// without create functions, so that registering the client registers its
// pages from "<module>Pages.so".
// registeredName is the discovery entry's "Name"; empty means the display name.
ModuleDefinition MakeClientModule(const StringTable& strings, const ClientClasses& classes,
                                  IUnknown* (*createService)(),
                                  const std::string& registeredName = "");

// The page module "<module>Pages" with its two page classes, the identifiers
// of strings 101 and 102.
ModuleDefinition MakePageModule(const StringTable& strings, const ClientClasses& classes,
                                IUnknown* (*createBackupPage)(), IUnknown* (*createRestorePage)());

}  // namespace bkvp::clients
