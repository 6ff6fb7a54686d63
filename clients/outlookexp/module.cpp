// The component module BkVpOutlookExp. Its two page classes live in the
// companion module BkVpOutlookExpPages, which links Qt; registering this
// module registers them too.
#include "clients/common/client_module.h"
#include "clients/outlookexp/outlookexp_service.h"
#include "clients/outlookexp/outlookexp_strings.h"

namespace bkvp::outlookexp {
namespace {

const ModuleDefinition& Definition() {
  static const ModuleDefinition module =
      clients::MakeClientModule(Strings(), kClasses, &CreateObject<OutlookExpService>);
  return module;
}

}  // namespace
}  // namespace bkvp::outlookexp

BKVP_EXPORT_MODULE(bkvp::outlookexp::Definition)
