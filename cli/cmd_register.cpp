// bkvp register / bkvp unregister: run the registration entry points of
// component modules, by default of every module shipped beside the tool.
#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/engine/progress_indicator.h"
#include "cli/command.h"
#include "contract/component.h"
#include "contract/module.h"

namespace bkvp::cli {
namespace {

namespace fs = std::filesystem;

// The contract library lies beside the tool but is no module.
constexpr const char* kContractLibrary = "libbkvp_contract.so";

// Other shared objects beside the tool are helpers, not modules; a file that
// does not load at all is kept so that its failure gets reported.
bool MayBeModule(const fs::path& file) {
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return true;
  // Left loaded: registration loads the same file again right away.
  return dlsym(handle, "DllRegisterServer") != nullptr;
}

// Every module shipped with the running tool, in name order: beside it in a
// build, in lib/backupvopal/ beside its bin/ folder when installed.
std::vector<std::string> ModulesBesideTool() {
  std::error_code ec;
  const fs::path folder = fs::read_symlink("/proc/self/exe", ec).parent_path();
  std::vector<std::string> modules;
  if (ec) return modules;
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

struct Action {
  const char* verb;  // "register"
  const char* done;  // "registered"
  HRESULT (*apply)(const std::string& path);
};

// One line per module; failures name the file and the reason, and the
// remaining modules are still processed.
int Apply(const Action& action, const std::vector<std::string>& args) {
  const std::vector<std::string> modules = args.empty() ? ModulesBesideTool() : args;
  if (modules.empty()) {
    std::cout << "no modules to " << action.verb << "\n";
    return 0;
  }
  int status = 0;
  for (const std::string& module : modules) {
    if (Succeeded(action.apply(module))) {
      std::error_code ec;
      std::cout << action.done << " " << fs::absolute(module, ec).lexically_normal().string()
                << "\n";
    } else {
      std::cerr << "bkvp: cannot " << action.verb << " " << module << ": " << LastComponentError()
                << "\n";
      status = 1;
    }
  }
  return status;
}

const Action kRegister{"register", "registered", RegisterModuleFile};
const Action kUnregister{"unregister", "unregistered", UnregisterModuleFile};

// Without arguments the program's own component (its progress object, served
// in-process from the tool's own file) is registered or removed as well.
int ApplyToProgram(const Action& action) {
  std::error_code ec;
  const std::string tool = fs::read_symlink("/proc/self/exe", ec).string();
  const HRESULT hr = action.apply == RegisterModuleFile ? engine::RegisterProgramComponent(tool)
                                                        : engine::UnregisterProgramComponent();
  if (Failed(hr)) {
    std::cerr << "bkvp: cannot " << action.verb
              << " the program component: " << LastComponentError() << "\n";
    return 1;
  }
  std::cout << action.done << " BackupVopalLib.ProgressIndicator (" << tool << ")\n";
  return 0;
}

int Run(const Action& action, const std::vector<std::string>& args) {
  for (const std::string& arg : args)
    if (arg.size() > 1 && arg[0] == '-') {
      std::cerr << "bkvp " << action.verb << ": unknown option " << arg << "\n";
      return 2;
    }
  const int status = Apply(action, args);
  return args.empty() ? std::max(status, ApplyToProgram(action)) : status;
}

int RunRegister(const std::vector<std::string>& args) { return Run(kRegister, args); }
int RunUnregister(const std::vector<std::string>& args) { return Run(kUnregister, args); }

const CommandRegistrar registerCommand(
    {"register", "register component modules (default: every module beside the tool)",
     "usage: bkvp register [MODULE...]\n\n"
     "Makes the parts of Backup Vopal known to this user's settings, so that the\n"
     "clients (files and folders, the mail and browser programs) can be found.\n"
     "Run it once after installing or building. Without MODULE, every part that\n"
     "lies beside the tool is registered; MODULE names a part's file.\n"
     "Exit status: 0 when all succeeded, 1 when any part failed.\n",
     RunRegister});

const CommandRegistrar unregisterCommand(
    {"unregister",
     "remove the registration of component modules (default: every module beside the tool)",
     "usage: bkvp unregister [MODULE...]\n\n"
     "Removes what bkvp register wrote: without MODULE for every part beside the\n"
     "tool, else for the parts named.\n"
     "Exit status: 0 when all succeeded, 1 when any part failed.\n",
     RunUnregister});

}  // namespace
}  // namespace bkvp::cli
