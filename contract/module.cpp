#include "contract/module.h"

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <new>

#include "contract/component_error.h"
#include "contract/identifiers.h"
#include "contract/interfaces.h"
#include "platform/registry.h"

namespace bkvp {
namespace {

using component_detail::Fail;

// Class factories alive and server locks held, per module. Objects manage
// their own lifetime (DispatchObject) and are not counted; modules are never
// unloaded in this system, so the answer of DllCanUnloadNow is advisory.
struct ModuleCounters {
  std::atomic<long> factories{0};
  std::atomic<long> locks{0};
};

ModuleCounters& CountersOf(const std::string& moduleName) {
  static std::mutex mutex;
  static auto* table = new std::map<std::string, std::unique_ptr<ModuleCounters>>;
  std::lock_guard lock(mutex);
  auto& counters = (*table)[moduleName];
  if (!counters) counters = std::make_unique<ModuleCounters>();
  return *counters;
}

class ClassFactory final : public UnknownObject<IClassFactory> {
 public:
  ClassFactory(ClassEntry entry, ModuleCounters& counters)
      : entry_(std::move(entry)), counters_(counters) {
    ++counters_.factories;
  }
  ~ClassFactory() override { --counters_.factories; }

  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    IUnknown* created = nullptr;
    // No exception may leave a factory call into the caller's module.
    try {
      if (entry_.create) created = entry_.create();
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_FAIL;
    }
    if (!created) return E_OUTOFMEMORY;
    const HRESULT hr = created->QueryInterface(iid, object);
    created->Release();  // the caller's reference, if any, keeps it alive
    return hr;
  }

  HRESULT LockServer(BOOL lock) override {
    if (lock) {
      ++counters_.locks;
      return S_OK;
    }
    long held = counters_.locks.load();
    while (held > 0 && !counters_.locks.compare_exchange_weak(held, held - 1)) {
    }
    return held > 0 ? S_OK : E_UNEXPECTED;
  }

 private:
  ClassEntry entry_;  // a copy: the definition may be a temporary
  ModuleCounters& counters_;
};

// A ProgID names one key right below HKEY_CLASSES_ROOT. An empty one, or
// one with a backslash, would make unregistration delete other keys.
bool IsValidProgId(const std::string& progId) {
  return !progId.empty() && progId.size() <= platform::kMaxRegistryName - 2 &&
         progId.find('\\') == std::string::npos;
}

std::string ClassKey(const CLSID& clsid) {
  return "HKEY_CLASSES_ROOT\\CLSID\\" + GuidToString(clsid);
}
std::string ProgIdKey(const std::string& progId) { return "HKEY_CLASSES_ROOT\\" + progId; }
std::string DiscoveryKey(const CLSID& serviceClsid) {
  return std::string(kDiscoveryKey) + "\\" + GuidToString(serviceClsid);
}

// Applies registry changes and keeps the first failure, with the key it
// happened on; later changes are skipped once one has failed.
class RegistryChanges {
 public:
  void Write(const std::string& key, std::string_view valueName, std::string_view text) {
    if (failed_) return;
    Check(key, platform::RegWriteString(key, valueName, text));
  }
  // Removing a key that does not exist is no failure.
  void RemoveTree(const std::string& key) {
    if (failed_) return;
    auto path = platform::SplitKeyPath(key);
    if (!path || path->subKey.empty()) {
      failed_ = true;
      reason_ = "refusing to remove " + key;
      return;
    }
    const platform::LSTATUS status = platform::RegDeleteTree(path->root, path->subKey.c_str());
    if (status != static_cast<platform::LSTATUS>(platform::ERROR_FILE_NOT_FOUND))
      Check(key, status);
  }
  void Refuse(std::string reason) {
    if (failed_) return;
    failed_ = true;
    reason_ = std::move(reason);
  }
  // S_OK, or SELFREG_E_CLASS with the reason recorded.
  HRESULT Result() const {
    if (!failed_) return S_OK;
    return Fail(SELFREG_E_CLASS, reason_);
  }

 private:
  void Check(const std::string& key, platform::LSTATUS status) {
    if (status == 0) return;
    failed_ = true;
    reason_ = "cannot change " + key + ": " + platform::ErrorMessage(static_cast<uint32_t>(status));
  }

  bool failed_ = false;
  std::string reason_;
};

void RegisterClass(RegistryChanges& changes, const ClassEntry& entry, const GUID& typeLibrary,
                   const std::string& modulePath) {
  if (!IsValidProgId(entry.progId)) {
    changes.Refuse("invalid ProgID \"" + entry.progId + "\" for class " +
                   GuidToString(entry.clsid));
    return;
  }
  const std::string clsidText = GuidToString(entry.clsid);
  const std::string versioned = entry.progId + ".1";
  const std::string classKey = ClassKey(entry.clsid);
  // Entries left by an older registration of the class go first.
  changes.RemoveTree(classKey);
  changes.Write(classKey, "", entry.description);
  changes.Write(classKey + "\\InprocServer32", "", modulePath);
  changes.Write(classKey + "\\InprocServer32", "ThreadingModel", "Apartment");
  changes.Write(classKey + "\\ProgID", "", versioned);
  changes.Write(classKey + "\\VersionIndependentProgID", "", entry.progId);
  changes.Write(classKey + "\\TypeLib", "", GuidToString(typeLibrary));

  const std::string progKey = ProgIdKey(entry.progId);
  changes.Write(progKey, "", entry.description);
  changes.Write(progKey + "\\CLSID", "", clsidText);
  changes.Write(progKey + "\\CurVer", "", versioned);
  changes.Write(ProgIdKey(versioned), "", entry.description);
  changes.Write(ProgIdKey(versioned) + "\\CLSID", "", clsidText);
}

void RemoveClass(RegistryChanges& changes, const ClassEntry& entry) {
  changes.RemoveTree(ClassKey(entry.clsid));
  if (!IsValidProgId(entry.progId)) return;  // never registered
  changes.RemoveTree(ProgIdKey(entry.progId));
  changes.RemoveTree(ProgIdKey(entry.progId + ".1"));
}

// The page classes point at the companion file beside the module; without
// that file an older registration of them would name a missing module.
void RegisterPageClasses(RegistryChanges& changes, const PageModule& pages, const GUID& typeLibrary,
                         const std::string& modulePath) {
  const std::string pagesPath =
      (std::filesystem::path(modulePath).parent_path() / pages.fileName).string();
  std::error_code ec;
  const bool present = std::filesystem::is_regular_file(pagesPath, ec);
  for (const ClassEntry& entry : pages.classes) {
    if (present)
      RegisterClass(changes, entry, typeLibrary, pagesPath);
    else
      RemoveClass(changes, entry);
  }
}

}  // namespace

bool IsPageModuleFile(const std::string& fileName) {
  const std::string_view suffix = kPageModuleSuffix;
  return fileName.size() > suffix.size() && fileName.ends_with(suffix);
}

HRESULT ModuleGetClassObject(const ModuleDefinition& module, const CLSID& clsid, const IID& iid,
                             void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  for (const ClassEntry& entry : module.classes) {
    if (!(entry.clsid == clsid)) continue;
    auto* factory = new (std::nothrow) ClassFactory(entry, CountersOf(module.name));
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(iid, object);
    factory->Release();
    return hr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT RegisterModule(const ModuleDefinition& module, const std::string& modulePath) {
  component_detail::ClearError();
  RegistryChanges changes;
  if (modulePath.empty() || modulePath.front() != '/')
    changes.Refuse("the file of module " + module.name + " is unknown");
  for (const ClassEntry& entry : module.classes)
    RegisterClass(changes, entry, module.typeLibrary, modulePath);
  if (module.discovery) {
    // Recreated from nothing, so values of an older version do not linger.
    const std::string key = DiscoveryKey(module.discovery->serviceClsid);
    changes.RemoveTree(key);
    changes.Write(key, "Name", module.discovery->displayName);
  }
  if (module.pages) RegisterPageClasses(changes, *module.pages, module.typeLibrary, modulePath);
  return changes.Result();
}

HRESULT UnregisterModule(const ModuleDefinition& module) {
  component_detail::ClearError();
  RegistryChanges changes;
  for (const ClassEntry& entry : module.classes) RemoveClass(changes, entry);
  if (module.discovery) changes.RemoveTree(DiscoveryKey(module.discovery->serviceClsid));
  if (module.pages)
    for (const ClassEntry& entry : module.pages->classes) RemoveClass(changes, entry);
  return changes.Result();
}

HRESULT ModuleCanUnloadNow(const ModuleDefinition& module) {
  const ModuleCounters& counters = CountersOf(module.name);
  return counters.factories == 0 && counters.locks == 0 ? S_OK : S_FALSE;
}

}  // namespace bkvp
