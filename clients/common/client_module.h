// The module definition of a client, built from its string table: module
// name, service class identifier and display name (the discovery entry's
// "Name" unless the module registers another).
#pragma once

#include <string>

#include "clients/common/string_table.h"
#include "contract/module.h"

namespace bkvp::clients {

// The service class is registered as "<module>.<serviceClassName>" with the
// description "<serviceClassName> Class". Page classes are appended to
// the definition's classes by the caller when the module has them.
// registeredName is the discovery entry's "Name"; empty means the display name.
ModuleDefinition MakeClientModule(const StringTable& strings, const GUID& typeLibrary,
                                  const std::string& serviceClassName, IUnknown* (*createService)(),
                                  const std::string& registeredName = "");

}  // namespace bkvp::clients
