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

PageModule MakeClientPages(const StringTable& strings, const std::string& backupPageClass,
                           IUnknown* (*createBackupPage)(), const std::string& restorePageClass,
                           IUnknown* (*createRestorePage)()) {
  const std::string moduleName = strings.ModuleName();
  auto page = [&](int id, const std::string& className, IUnknown* (*create)()) {
    return ClassEntry{GuidFromString(strings.Load(id)).value_or(GUID{}),
                      moduleName + "." + className, className + " Class", create};
  };
  return PageModule{moduleName + kPageModuleSuffix,
                    {page(kStrBackupPageClsid, backupPageClass, createBackupPage),
                     page(kStrRestorePageClsid, restorePageClass, createRestorePage)}};
}

}  // namespace bkvp::clients
