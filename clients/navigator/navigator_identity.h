// The class identifiers and class names of Navigator4x and its page module,
// and the name it registers under.
#pragma once

#include "clients/common/client_module.h"
#include "contract/guid.h"

namespace bkvp::navigator {

constexpr GUID kTypeLibrary = MakeGuid("{5FCAA27E-D5C1-4B4E-837E-4B7921B37FE1}");
constexpr CLSID CLSID_BkVpNavigator4xSrv = MakeGuid("{2A6219FC-7154-49C0-B62D-CB8B1CB43937}");
constexpr CLSID CLSID_BkVpAxBkNavigator4x = MakeGuid("{777EBB6D-8982-4BF3-8478-2E8C744C3EB7}");
constexpr CLSID CLSID_BkVpAxRsNetscape = MakeGuid("{43F653EA-5337-4316-A854-48870CC22CF0}");

// The service and, in the page module Navigator4xPages, the two pages.
inline const clients::ClientClasses kClasses{kTypeLibrary, "BkVpNavigator4xSrv",
                                             "BkVpAxBkNavigator4x", "BkVpAxRsNetscape"};

// The discovery entry's "Name". The service itself answers "ClientName"
// with its string 103, "Netscape 4x".
constexpr const char* kRegisteredName = "Netscape 4.x";

}  // namespace bkvp::navigator
