#include "clients/common/client_module.h"

namespace bkvp::clients {

namespace {

ClassEntry Class(const std::string& moduleName, const GUID& clsid, const std::string& className,
                 IUnknown* (*create)()) {
  return ClassEntry{clsid, moduleName + "." + className, className + " Class", create};
}

std::vector<ClassEntry> PageClasses(const StringTable& strings, const ClientClasses& classes,
                                    IUnknown* (*createBackupPage)(),
                                    IUnknown* (*createRestorePage)()) {
  const std::string moduleName = strings.ModuleName();
  const auto clsid = [&](int id) { return GuidFromString(strings.Load(id)).value_or(GUID{}); };
  return {Class(moduleName, clsid(kStrBackupPageClsid), classes.backupPage, createBackupPage),
          Class(moduleName, clsid(kStrRestorePageClsid), classes.restorePage, createRestorePage)};
}

}  // namespace

ModuleDefinition MakeClientModule(const StringTable& strings, const ClientClasses& classes,
                                  IUnknown* (*createService)(), const std::string& registeredName) {
  const std::string moduleName = strings.ModuleName();
  const CLSID service = GuidFromString(strings.ServiceClsid()).value_or(GUID{});
  ModuleDefinition module;
  module.name = moduleName;
  module.typeLibrary = classes.typeLibrary;
  module.classes.push_back(Class(moduleName, service, classes.service, createService));
  module.discovery =
      ClientDiscovery{service, registeredName.empty() ? strings.DisplayName() : registeredName};
  module.pages =
      PageModule{moduleName + kPageModuleSuffix, PageClasses(strings, classes, nullptr, nullptr)};
  return module;
}

ModuleDefinition MakePageModule(const StringTable& strings, const ClientClasses& classes,
                                IUnknown* (*createBackupPage)(), IUnknown* (*createRestorePage)()) {
  ModuleDefinition module;
  module.name = strings.ModuleName() + "Pages";
  module.typeLibrary = classes.typeLibrary;
  module.classes = PageClasses(strings, classes, createBackupPage, createRestorePage);
  return module;
}

}  // namespace bkvp::clients
