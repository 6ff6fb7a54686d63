#include "app/engine/module_registration.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>

#include "app/engine/progress_indicator.h"
#include "contract/component.h"
#include "contract/module.h"

namespace bkvp::engine {
namespace {

namespace fs = std::filesystem;

// The contract library lies beside the program but is no module.
constexpr const char* kContractLibrary = "libbkvp_contract.so";

// Other shared objects beside the program are helpers, not modules; a file
// that does not load at all is kept so that its failure gets reported.
bool MayBeModule(const fs::path& file) {
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return true;
  // Left loaded: registration loads the same file again right away.
  return dlsym(handle, "DllRegisterServer") != nullptr;
}

Status Registered(HRESULT hr, const std::string& what) {
  if (Succeeded(hr)) return {};
  return {Status::Code::kNotRegistered, what + ": " + LastComponentError()};
}

}  // namespace

std::string ThisProgramFile() {
  std::error_code ec;
  return fs::read_symlink("/proc/self/exe", ec).string();
}

std::vector<std::string> ModulesBesideThisProgram() {
  const fs::path folder = fs::path(ThisProgramFile()).parent_path();
  std::vector<std::string> modules;
  if (folder.empty()) return modules;
  std::error_code ec;
  for (const fs::path& where : {folder, folder.parent_path() / "lib" / "backupvopal"}) {
    for (const fs::directory_entry& entry : fs::directory_iterator(where, ec)) {
      const fs::path& file = entry.path();
      if (file.extension() != ".so" || file.filename() == kContractLibrary) continue;
      // A page module links Qt; its client's module registers its classes.
      if (IsPageModuleFile(file.filename().string())) continue;
      if (!entry.is_regular_file(ec) || !MayBeModule(file)) continue;
      modules.push_back(file.string());
    }
  }
  std::sort(modules.begin(), modules.end());
  return modules;
}

Status RegisterModule(const std::string& modulePath) {
  return Registered(RegisterModuleFile(modulePath), "cannot register " + modulePath);
}

Status UnregisterModule(const std::string& modulePath) {
  return Registered(UnregisterModuleFile(modulePath), "cannot unregister " + modulePath);
}

Status RegisterProgram(const std::string& programPath) {
  return Registered(bkvp::RegisterModule(ProgramComponent(), programPath),
                    "cannot register the program component");
}

Status UnregisterProgram() {
  return Registered(bkvp::UnregisterModule(ProgramComponent()),
                    "cannot unregister the program component");
}

}  // namespace bkvp::engine
