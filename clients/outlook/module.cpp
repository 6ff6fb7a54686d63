// The component module BkVpOutlook. Its two page classes live in the
// companion module BkVpOutlookPages, which links Qt; registering this module
// registers them too.
#include "clients/common/client_module.h"
#include "clients/outlook/outlook_service.h"
#include "clients/outlook/outlook_strings.h"

namespace bkvp::outlook {
namespace {

const ModuleDefinition& Definition() {
  static const ModuleDefinition module =
      clients::MakeClientModule(Strings(), kClasses, &CreateObject<OutlookService>);
  return module;
}

}  // namespace
}  // namespace bkvp::outlook

BKVP_EXPORT_MODULE(bkvp::outlook::Definition)
