// The component module Navigator4x. Its two page classes live in the
// companion module Navigator4xPages, which links Qt; registering this module
// registers them too.
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
      Strings(), kClasses, &CreateObject<NavigatorService>, kRegisteredName);
  return module;
}

}  // namespace
}  // namespace bkvp::navigator

BKVP_EXPORT_MODULE(bkvp::navigator::Definition)
