// bkvp log: shows the log of the last run and turns the error state off, as
// the tray's "View Log" does.
#include <iostream>

#include "app/engine/error_state.h"
#include "app/engine/run_log.h"
#include "cli/command.h"
#include "cli/engine_cli.h"
#include "platform/files.h"

namespace bkvp::cli {
namespace {

using namespace bkvp::engine;
constexpr const char* kName = "log";

bool Print(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  char buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
    std::cout.write(buffer, static_cast<std::streamsize>(n));
  std::fclose(file);
  return true;
}

int RunLogCommand(const std::vector<std::string>& args) {
  front::Options options;
  if (!options.Parse(kName, args, {{"--path"}})) return front::kExitCannotStart;
  if (!options.positional().empty())
    return front::Fail(kName, "takes no arguments", front::kExitCannotStart);
  if (options.Has("--path")) {
    std::cout << LogPath() << "\n";
    return 0;
  }
  if (!platform::FileExists(LogPath()))
    return front::Fail(kName, "there is no log yet: no backup or restore has run", 1);
  if (platform::FileExists(EarlierLogPath())) {
    std::cout << "=== The earlier run that failed (" << EarlierLogPath() << ") ===\n";
    Print(EarlierLogPath());
    std::cout << "\n=== The last run (" << LogPath() << ") ===\n";
  }
  if (!Print(LogPath())) return front::Fail(kName, "cannot read " + LogPath(), 1);
  std::cout.flush();
  SetErrorState(false);
  return 0;
}

const CommandRegistrar registrar({
    kName,
    "show the log of the last run and turn the error state off",
    "usage: bkvp log [--path]\n"
    "\n"
    "Prints the log of the last backup or restore (and, while one is kept, the log\n"
    "of an earlier run that failed), then turns the error state off, as the tray's\n"
    "\"View Log\" does.\n"
    "\n"
    "  --path  print only where the log is, and leave the error state as it is\n",
    RunLogCommand,
});

}  // namespace
}  // namespace bkvp::cli
