// Creation of components by class identifier, and module (un)registration.
//
// CoCreateInstance reads HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32 (default
// value: the module's path), loads the module with dlopen (once per process;
// modules stay loaded), calls its exported DllGetClassObject and asks the
// class factory for the interface.
#pragma once

#include <string>

#include "contract/com_types.h"
#include "contract/guid.h"
#include "contract/unknown.h"

#pragma GCC visibility push(default)

namespace bkvp {

HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, const IID& iid, void** object);

template <class T>
HRESULT CreateInstance(const CLSID& clsid, ComPtr<T>& result) {
  return CoCreateInstance(clsid, nullptr, T::kIid, result.out());
}

// Why the last creation or module call of this thread failed, in words
// ("class {...} is not registered", "cannot load /x.so: <dlerror>", ...).
std::string LastComponentError();

// Loads the module file and calls its DllRegisterServer / DllUnregisterServer.
// On failure LastComponentError() says why.
HRESULT RegisterModuleFile(const std::string& path);
HRESULT UnregisterModuleFile(const std::string& path);

// The path of the loaded file (module or program) that holds the address.
std::string ModulePathOf(const void* address);

}  // namespace bkvp

#pragma GCC visibility pop
