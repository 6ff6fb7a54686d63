#include "contract/component.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <stdexcept>

#include "contract/component_error.h"
#include "contract/errors.h"
#include "contract/interfaces.h"
#include "platform/registry.h"

namespace bkvp {

namespace fs = std::filesystem;

namespace component_detail {

namespace {
thread_local std::string lastError;
}

void ClearError() { lastError.clear(); }

HRESULT Fail(HRESULT status, std::string reason) {
  lastError = std::move(reason);
  return status;
}

std::string StatusText(HRESULT status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(status));
  return text;
}

}  // namespace component_detail

namespace {

using namespace component_detail;

// The registry could not be read (a damaged or unreadable hive).
constexpr HRESULT REGDB_E_READREGDB = static_cast<HRESULT>(0x80040150);

using GetClassObjectFunction = HRESULT (*)(const CLSID&, const IID&, void**);
using RegistrationFunction = HRESULT (*)();

// Modules stay loaded for the life of the process: objects, factories and
// type information of a module may outlive any one creation call. The same
// path gives the same handle.
class ModuleCache {
 public:
  // The handle of the loaded module, or null with the reason recorded.
  void* Load(const std::string& path) {
    std::lock_guard lock(mutex_);
    if (auto it = handles_.find(path); it != handles_.end()) return it->second;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      const char* why = dlerror();
      Fail(CO_E_ERRORINDLL, "cannot load " + path + ": " + (why ? why : "unknown reason"));
      return nullptr;
    }
    handles_.emplace(path, handle);
    return handle;
  }

 private:
  std::mutex mutex_;
  std::map<std::string, void*> handles_;
};

ModuleCache& Modules() {
  static ModuleCache* cache = new ModuleCache;  // never destroyed: handles live on
  return *cache;
}

// The entry point `name` of the module at `path`, or null with the reason
// recorded (CO_E_ERRORINDLL).
void* FindEntryPoint(const std::string& path, const char* name) {
  void* handle = Modules().Load(path);
  if (!handle) return nullptr;
  dlerror();
  void* entry = dlsym(handle, name);
  if (!entry)
    Fail(CO_E_ERRORINDLL, path + " is not a component module: it has no " + name + " entry point");
  return entry;
}

// Runs module code; a C++ exception escaping it becomes a status, with a
// reason that begins with `what`.
template <class Call>
HRESULT Guarded(const std::string& what, Call call) {
  try {
    return call();
  } catch (const ComError& e) {
    return Fail(Failed(e.Error()) ? e.Error() : E_FAIL,
                what + ": COM error " + StatusText(e.Error()));
  } catch (const std::bad_alloc&) {
    return Fail(E_OUTOFMEMORY, what + ": out of memory");
  } catch (const std::exception& e) {
    return Fail(E_FAIL, what + ": " + e.what());
  } catch (...) {
    return Fail(E_FAIL, what + ": unknown exception");
  }
}

// The module path registered for the class, or a failure status with the
// reason recorded.
HRESULT RegisteredModulePath(const CLSID& clsid, std::string& path) {
  const std::string name = GuidToString(clsid);
  const std::string keyPath = "HKEY_CLASSES_ROOT\\CLSID\\" + name + "\\InprocServer32";
  platform::RegKeyHandle key;
  const platform::LSTATUS status = platform::RegOpenKeyPath(keyPath, key.out());
  if (status == static_cast<platform::LSTATUS>(platform::ERROR_FILE_NOT_FOUND))
    return Fail(REGDB_E_CLASSNOTREG, "class " + name + " is not registered (no " + keyPath + ")");
  if (status != 0)
    return Fail(REGDB_E_READREGDB, "cannot read " + keyPath + ": " +
                                       platform::ErrorMessage(static_cast<uint32_t>(status)));
  auto value = platform::RegReadString(keyPath, "");
  if (!value || value->empty())
    return Fail(REGDB_E_CLASSNOTREG, "class " + name + " names no module file in " + keyPath);
  // A bare or relative name would make dlopen search the library path and
  // possibly load some other file; registration always writes absolute paths.
  if (value->front() != '/')
    return Fail(CO_E_ERRORINDLL, "class " + name + " names the module \"" + *value +
                                     "\", which is not an absolute path");
  path = *value;
  return S_OK;
}

HRESULT CallRegistration(const std::string& file, const char* entryName) {
  ClearError();
  if (file.empty()) return Fail(E_INVALIDARG, "no module file given");
  // dlopen must not search the library path for a bare file name.
  std::error_code ec;
  const std::string path = fs::absolute(file, ec).lexically_normal().string();
  if (ec) return Fail(E_INVALIDARG, "cannot locate " + file + ": " + ec.message());
  auto entry = reinterpret_cast<RegistrationFunction>(FindEntryPoint(path, entryName));
  if (!entry) return CO_E_ERRORINDLL;
  const std::string what = std::string(entryName) + " of " + path;
  return Guarded(what + " threw", [&] {
    ClearError();
    const HRESULT hr = entry();
    if (Failed(hr)) {
      const std::string inner = bkvp::LastComponentError();
      return Fail(hr,
                  what + " failed with " + StatusText(hr) + (inner.empty() ? "" : ": " + inner));
    }
    ClearError();
    return hr;
  });
}

}  // namespace

HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, const IID& iid, void** object) {
  ClearError();
  if (!object) return Fail(E_POINTER, "no place for the created object");
  *object = nullptr;
  const std::string name = GuidToString(clsid);
  if (outer) return Fail(CLASS_E_NOAGGREGATION, "class " + name + " cannot be aggregated");

  std::string path;
  if (HRESULT hr = RegisteredModulePath(clsid, path); Failed(hr)) return hr;
  auto getClassObject =
      reinterpret_cast<GetClassObjectFunction>(FindEntryPoint(path, "DllGetClassObject"));
  if (!getClassObject) return CO_E_ERRORINDLL;

  return Guarded("creating " + name + " from " + path + " threw", [&]() -> HRESULT {
    bkvp::ComPtr<IClassFactory> factory;
    HRESULT hr = getClassObject(clsid, IClassFactory::kIid, factory.out());
    if (Failed(hr) || !factory)
      return Fail(Failed(hr) ? hr : E_UNEXPECTED,
                  path + " gives no class factory for " + name + " (" + StatusText(hr) + ")");
    hr = factory->CreateInstance(nullptr, iid, object);
    if (Failed(hr)) {
      *object = nullptr;
      return Fail(hr, "class " + name + " of " + path + " gives no object with interface " +
                          GuidToString(iid) + " (" + StatusText(hr) + ")");
    }
    return hr;
  });
}

std::string LastComponentError() { return component_detail::lastError; }

HRESULT RegisterModuleFile(const std::string& path) {
  return CallRegistration(path, "DllRegisterServer");
}

HRESULT UnregisterModuleFile(const std::string& path) {
  return CallRegistration(path, "DllUnregisterServer");
}

std::string ModulePathOf(const void* address) {
  Dl_info info{};
  link_map* map = nullptr;
  if (!dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) || !map) return {};
  std::error_code ec;
  // The main program's link map carries no name.
  if (!map->l_name || !*map->l_name) {
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
  }
  const fs::path file = fs::absolute(map->l_name, ec);
  return ec ? std::string() : file.lexically_normal().string();
}

}  // namespace bkvp
