// The component module Navigator4x. Its page classes (BkVpAxBkNavigator4x,
// BkVpAxRsNetscape, see navigator_identity.h) join the service's class entry
// here when they come.
#include "clients/common/client_module.h"
#include "clients/navigator/navigator_identity.h"
#include "clients/navigator/navigator_service.h"
#include "clients/navigator/navigator_strings.h"

namespace bkvp::navigator {
namespace {

const ModuleDefinition& Definition() {
  // Discovery lists the client under a name that differs from its
  // "ClientName" answer (string 103).
  static const ModuleDefinition module = clients::MakeClientModule(
      Strings(), kTypeLibrary, kServiceClassName, &CreateObject<NavigatorService>, kRegisteredName);
  return module;
}

}  // namespace
}  // namespace bkvp::navigator

BKVP_EXPORT_MODULE(bkvp::navigator::Definition)
