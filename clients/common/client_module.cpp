#include "clients/common/client_module.h"

namespace bkvp::clients {

ModuleDefinition MakeClientModule(const StringTable& strings, const GUID& typeLibrary,
                                  const std::string& serviceClassName, IUnknown* (*createService)(),
                                  const std::string& registeredName) {
  const std::string moduleName = strings.ModuleName();
  const CLSID service = GuidFromString(strings.ServiceClsid()).value_or(GUID{});
  ModuleDefinition module;
  module.name = moduleName;
  module.typeLibrary = typeLibrary;
  module.classes.push_back(
      {service, moduleName + "." + serviceClassName, serviceClassName + " Class", createService});
  module.discovery =
      ClientDiscovery{service, registeredName.empty() ? strings.DisplayName() : registeredName};
  return module;
}

}  // namespace bkvp::clients
