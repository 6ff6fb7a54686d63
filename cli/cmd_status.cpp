// bkvp status: the error state, the outcome of the last run, and the log.
#include <iostream>

#include "app/engine/discovery.h"
#include "app/engine/error_state.h"
#include "app/engine/last_run.h"
#include "app/engine/program_settings.h"
#include "app/engine/run_log.h"
#include "app/engine/scheduler.h"
#include "cli/command.h"
#include "cli/engine_cli.h"
#include "platform/files.h"
#include "platform/time.h"

namespace bkvp::cli {
namespace {

using namespace bkvp::engine;
constexpr const char* kName = "status";

void PrintJson(const ProgramSettings& s, bool errorState) {
  std::cout << "{\"errorState\":" << (errorState ? "true" : "false")
            << ",\"lastBackup\":" << front::JsonString(DescribeLastRun(RunKind::kBackup))
            << ",\"lastRestore\":" << front::JsonString(DescribeLastRun(RunKind::kRestore))
            << ",\"schedule\":"
            << (s.scheduleEnabled ? front::JsonString(ScheduleSentence(s.schedule)) : "null")
            << ",\"nextRun\":" << (s.scheduleEnabled ? front::JsonTime(s.taskTime) : "null")
            << ",\"clients\":[";
  if (s.scheduleEnabled) {
    const char* separator = "";
    for (const std::string& name : ClientNamesOf(s.scheduleClients)) {
      std::cout << separator << front::JsonString(name);
      separator = ",";
    }
  }
  std::cout << "],\"log\":" << front::JsonString(LogPath()) << "}\n";
}

int RunStatus(const std::vector<std::string>& args) {
  front::Options options;
  if (!options.Parse(kName, args, {{"--json"}})) return 2;
  if (!options.positional().empty()) return front::Fail(kName, "takes no arguments", 2);
  CheckForInterruptedRun();
  const ProgramSettings s = ProgramSettings::Load(SystemNow());
  const bool errorState = ErrorStateOn();
  // Scripts and monitors read the error state from the exit status.
  const int exitStatus = errorState ? front::kExitFailures : 0;
  if (options.Has("--json")) {
    PrintJson(s, errorState);
    return exitStatus;
  }
  std::cout << "Error state:  " << (errorState ? "on (something failed; read the log)" : "off")
            << "\n"
            << "Last backup:  " << DescribeLastRun(RunKind::kBackup) << "\n"
            << "Last restore: " << DescribeLastRun(RunKind::kRestore) << "\n"
            << "Schedule:     " << (s.scheduleEnabled ? ScheduleSentence(s.schedule) : "off")
            << "\n";
  if (s.scheduleEnabled) {
    std::cout << "Next run:     " << platform::FormatLongDateTime(platform::LocalTime(s.taskTime))
              << "\n";
    std::string names;
    for (const std::string& name : ClientNamesOf(s.scheduleClients))
      names += (names.empty() ? "" : ", ") + name;
    std::cout << "Clients:      " << names << "\n";
  }
  std::cout << "Log:          " << LogPath()
            << (platform::FileExists(LogPath()) ? "" : " (none yet)") << "\n";
  return exitStatus;
}

const CommandRegistrar registrar({
    kName,
    "show the error state, the last run's outcome and the log's path",
    "usage: bkvp status [--json]\n"
    "\n"
    "Shows whether the error state is on (a client failed, or a scheduled run failed\n"
    "or was cut off), how the last run ended, the schedule, and where the log is.\n"
    "\n"
    "  --json  print the same as one JSON object, for scripts\n"
    "\n"
    "Exit status: 0 the error state is off, 1 it is on.\n",
    RunStatus,
});

}  // namespace
}  // namespace bkvp::cli
