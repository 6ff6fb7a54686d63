// bkvp tick: one pass of the scheduler's timer, for cron or a systemd timer.
#include <iostream>

#include "app/engine/run_log.h"
#include "app/engine/scheduler.h"
#include "cli/command.h"
#include "cli/engine_cli.h"
#include "cli/run_summary.h"
#include "platform/time.h"

namespace bkvp::cli {
namespace {

using namespace bkvp::engine;
constexpr const char* kName = "tick";

std::string Moment(std::time_t t) { return platform::FormatLongDateTime(platform::LocalTime(t)); }

int RunTick(const std::vector<std::string>& args) {
  front::Options options;
  // Scheduled runs never ask: --unattended is accepted for symmetry.
  if (!options.Parse(kName, args, {{"--unattended"}})) return 2;
  if (!options.positional().empty()) return front::Fail(kName, "takes no arguments", 2);

  Scheduler scheduler;
  const TickReport tick = scheduler.Tick();
  switch (tick.outcome) {
    case TickOutcome::kDisabled:
      std::cout << "Scheduled backups are off.\n";
      return 0;
    case TickOutcome::kBusy:
      std::cout << "A run is in progress; nothing to do.\n";
      return 0;
    case TickOutcome::kNotDue:
      std::cout << "Not due; next run " << Moment(tick.taskTime) << ".\n";
      return 0;
    case TickOutcome::kInterruptedFound:
      return front::Fail(kName, "the last scheduled run did not complete; see " + LogPath(), 1);
    case TickOutcome::kRunFailed:
      return front::Fail(kName, "the scheduled run did not complete: " + tick.run.problem, 1);
    case TickOutcome::kRunCompleted:
      break;
  }
  const int status = front::FinishRun({kName}, tick.run);
  std::cout << "Next run " << Moment(tick.taskTime) << ".\n";
  if (!tick.nextRunStored.ok())
    return front::Fail(kName, "the next run could not be stored: " + tick.nextRunStored.message(),
                       1);
  return status;
}

const CommandRegistrar registrar({
    kName,
    "run one pass of the scheduler (for cron or a systemd timer)",
    "usage: bkvp tick\n"
    "\n"
    "Does what the tray program's one-minute timer does: when a scheduled backup is\n"
    "due, runs it unattended, prunes the destination to the kept number of archives\n"
    "and computes the next run. Run it every minute, for example from cron:\n"
    "  * * * * * bkvp tick >/dev/null\n"
    "Exit status 1 when a run failed or the last one was found cut off.\n",
    RunTick,
});

}  // namespace
}  // namespace bkvp::cli
