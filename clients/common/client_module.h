// The module definition of a client, built from its string table: module
// name, service class identifier and display name (the discovery entry's
// "Name" unless the module registers another).
#pragma once

#include <string>

#include "clients/common/string_table.h"
#include "contract/module.h"

namespace bkvp::clients {

// The service class is registered as "<module>.<serviceClassName>" with the
// description "<serviceClassName> Class".
// registeredName is the discovery entry's "Name"; empty means the display name.
ModuleDefinition MakeClientModule(const StringTable& strings, const GUID& typeLibrary,
                                  const std::string& serviceClassName, IUnknown* (*createService)(),
                                  const std::string& registeredName = "");

// The client's companion page module "<module>Pages.so" with its two page
// classes: the identifiers of strings 101 and 102, registered as
// "<module>.<class name>" with the description "<class name> Class". The
// service module declares it with null create functions, so that registering
// the client registers its pages; the page module lists the same classes
// with their create functions.
PageModule MakeClientPages(const StringTable& strings, const std::string& backupPageClass,
                           IUnknown* (*createBackupPage)(), const std::string& restorePageClass,
                           IUnknown* (*createRestorePage)());

}  // namespace bkvp::clients
