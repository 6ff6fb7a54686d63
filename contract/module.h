// What a component module declares about itself, and the four exported entry
// points every module has. A module defines one ModuleDefinition and writes
// BKVP_EXPORT_MODULE(function returning it) in one source file.
//
// Registration writes, for each class:
//   HKCR\CLSID\{clsid}                  default = description
//   HKCR\CLSID\{clsid}\InprocServer32   default = module path, ThreadingModel = "Apartment"
//   HKCR\CLSID\{clsid}\ProgID           default = "<progId>.1"
//   HKCR\CLSID\{clsid}\VersionIndependentProgID  default = progId
//   HKCR\CLSID\{clsid}\TypeLib          default = {typelib}
//   HKCR\<progId>    default = description, CLSID = {clsid}, CurVer = "<progId>.1"
//   HKCR\<progId>.1  default = description, CLSID = {clsid}
// and, for a client module, the discovery entry
//   HKLM\SOFTWARE\Tarvik Systems\Backup Vopal\{service clsid}  Name = display name
// removed and recreated each time, and the classes of its companion page
// module (PageModule below). Unregistration removes all of these.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "contract/com_types.h"
#include "contract/component.h"  // ModulePathOf, used by BKVP_EXPORT_MODULE
#include "contract/guid.h"
#include "contract/unknown.h"

#pragma GCC visibility push(default)

namespace bkvp {

struct ClassEntry {
  CLSID clsid;
  std::string progId;       // version-independent form, e.g. "BkVpSrv.Backuper"
  std::string description;  // e.g. "Backuper Class"
  // Creates a new object with one reference, as its IUnknown; null on failure.
  IUnknown* (*create)();
};

struct ClientDiscovery {
  CLSID serviceClsid;
  std::string displayName;  // "Files and folders", "Outlook Express", ...
};

// A client's page classes live in a companion module that links Qt, in the
// same folder as the client's service module (BkVpFiles.so beside
// BkVpFilesPages.so). The service module registers them with the companion's
// path, so that registering every module never loads Qt into the registering
// process; when the companion file is missing, the page classes are left
// unregistered and the program hosts no page for the client.
struct PageModule {
  std::string fileName;             // "BkVpFilesPages.so"
  std::vector<ClassEntry> classes;  // `create` is not used here
};

// Companion page modules are named "<service module>Pages.so"; tools that
// register every module of a folder leave them to their service module.
constexpr const char* kPageModuleSuffix = "Pages.so";
bool IsPageModuleFile(const std::string& fileName);

struct ModuleDefinition {
  std::string name;  // "BkVpSrv"
  GUID typeLibrary;
  std::vector<ClassEntry> classes;
  std::optional<ClientDiscovery> discovery;
  std::optional<PageModule> pages;
};

HRESULT ModuleGetClassObject(const ModuleDefinition& module, const CLSID& clsid, const IID& iid,
                             void** object);
HRESULT RegisterModule(const ModuleDefinition& module, const std::string& modulePath);
HRESULT UnregisterModule(const ModuleDefinition& module);
// Counts live objects and server locks of the module's factories.
HRESULT ModuleCanUnloadNow(const ModuleDefinition& module);

// Implements ClassEntry::create for a DispatchObject-derived class.
template <class T>
IUnknown* CreateObject() {
  return static_cast<IUnknown*>(new T());
}

}  // namespace bkvp

#pragma GCC visibility pop

#define BKVP_EXPORT_MODULE(definitionFunction)                                              \
  extern "C" __attribute__((visibility("default"))) ::bkvp::HRESULT DllGetClassObject(      \
      const ::bkvp::CLSID& clsid, const ::bkvp::IID& iid, void** object) {                  \
    return ::bkvp::ModuleGetClassObject(definitionFunction(), clsid, iid, object);          \
  }                                                                                         \
  extern "C" __attribute__((visibility("default"))) ::bkvp::HRESULT DllRegisterServer() {   \
    return ::bkvp::RegisterModule(                                                          \
        definitionFunction(),                                                               \
        ::bkvp::ModulePathOf(reinterpret_cast<const void*>(&DllRegisterServer)));           \
  }                                                                                         \
  extern "C" __attribute__((visibility("default"))) ::bkvp::HRESULT DllUnregisterServer() { \
    return ::bkvp::UnregisterModule(definitionFunction());                                  \
  }                                                                                         \
  extern "C" __attribute__((visibility("default"))) ::bkvp::HRESULT DllCanUnloadNow() {     \
    return ::bkvp::ModuleCanUnloadNow(definitionFunction());                                \
  }
