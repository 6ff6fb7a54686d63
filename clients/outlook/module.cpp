// The component module BkVpOutlook.
#include "clients/common/client_module.h"
#include "clients/outlook/outlook_service.h"
#include "clients/outlook/outlook_strings.h"

namespace bkvp::outlook {
namespace {

const ModuleDefinition& Definition() {
  static const ModuleDefinition module =
      clients::MakeClientModule(Strings(), MakeGuid("{A7D3E1C2-4B6F-4F08-8E25-6C9B1D0F3A72}"),
                                "BkVpOutlookSrv", &CreateObject<OutlookService>);
  return module;
}

}  // namespace
}  // namespace bkvp::outlook

BKVP_EXPORT_MODULE(bkvp::outlook::Definition)
