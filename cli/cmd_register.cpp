// bkvp register / bkvp unregister: run the registration entry points of
// component modules, by default of every module shipped beside the tool.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/engine/module_registration.h"
#include "cli/command.h"

namespace bkvp::cli {
namespace {

namespace fs = std::filesystem;

struct Action {
  const char* verb;  // "register"
  const char* done;  // "registered"
  Status (*apply)(const std::string& path);
  Status (*applyToProgram)(const std::string& programPath);
};

// One line per module; failures name the file and the reason, and the
// remaining modules are still processed.
int Apply(const Action& action, const std::vector<std::string>& args) {
  const std::vector<std::string> modules = args.empty() ? engine::ModulesBesideThisProgram() : args;
  if (modules.empty()) {
    std::cout << "no modules to " << action.verb << "\n";
    return 0;
  }
  int status = 0;
  for (const std::string& module : modules) {
    if (const Status applied = action.apply(module); applied.ok()) {
      std::error_code ec;
      std::cout << action.done << " " << fs::absolute(module, ec).lexically_normal().string()
                << "\n";
    } else {
      std::cerr << "bkvp: " << applied.message() << "\n";
      status = 1;
    }
  }
  return status;
}

const Action kRegister{"register", "registered", engine::RegisterModule, engine::RegisterProgram};
const Action kUnregister{"unregister", "unregistered", engine::UnregisterModule,
                         [](const std::string&) { return engine::UnregisterProgram(); }};

// Without arguments the program's own component (its progress object, served
// in-process from the tool's own file) is registered or removed as well.
int ApplyToProgram(const Action& action) {
  const std::string tool = engine::ThisProgramFile();
  if (const Status applied = action.applyToProgram(tool); !applied.ok()) {
    std::cerr << "bkvp: " << applied.message() << "\n";
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
