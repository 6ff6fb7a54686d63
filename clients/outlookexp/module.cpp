// The component module BkVpOutlookExp.
#include "clients/common/client_module.h"
#include "clients/outlookexp/outlookexp_service.h"
#include "clients/outlookexp/outlookexp_strings.h"

namespace bkvp::outlookexp {
namespace {

const ModuleDefinition& Definition() {
  static const ModuleDefinition module =
      clients::MakeClientModule(Strings(), MakeGuid("{5C0E2B7A-8F31-4E59-9A6D-3B1F0C7D2E41}"),
                                "BkVpOutlookXSrv", &CreateObject<OutlookExpService>);
  return module;
}

}  // namespace
}  // namespace bkvp::outlookexp

BKVP_EXPORT_MODULE(bkvp::outlookexp::Definition)
