// bkvp backup: a backup now, as the wizard's "Run immediately" does it.
#include <iostream>

#include "app/engine/backup_now.h"
#include "app/engine/discovery.h"
#include "app/engine/program_settings.h"
#include "app/engine/remote_place.h"
#include "app/engine/scheduler.h"
#include "cli/command.h"
#include "cli/engine_cli.h"
#include "cli/run_summary.h"
#include "cli/signals.h"
#include "cli/terminal_ui.h"
#include "platform/sysinfo.h"

namespace bkvp::cli {
namespace {

using namespace bkvp::engine;
constexpr const char* kName = "backup";

int RunBackupCommand(const std::vector<std::string>& args) {
  front::Options options;
  std::vector<front::OptionDefinition> definitions = {
      {"--to", 1}, {"--client", 1, true}, {"--label", 1}, {"--unattended"}};
  for (const auto& d : front::SummaryOptions()) definitions.push_back(d);
  if (!options.Parse(kName, args, definitions)) return front::kExitCannotStart;
  const front::SummaryStyle style = front::SummaryStyleOf(options);
  if (!options.positional().empty())
    return front::Fail(kName, "unexpected argument " + options.positional().front(),
                       front::kExitCannotStart);

  CheckForInterruptedRun();
  const std::time_t now = SystemNow();
  const ProgramSettings settings = ProgramSettings::Load(now);
  ClientList clients = DiscoverClients();
  if (Status selected =
          SelectClientsForBackup(clients, options.Values("--client"), settings.clients);
      !selected.ok())
    return front::Fail(kName, selected.message() + front::kClientHint, front::kExitCannotStart);

  const std::string folder = options.Value("--to").value_or(settings.storePath);
  if (folder.empty())
    return front::Fail(kName, "no destination: give --to DIR or --to rclone:REMOTE:PATH",
                       front::kExitCannotStart);
  if (!options.Has("--to") && style == front::SummaryStyle::kLine)
    std::cerr << "bkvp backup: backing up into the last destination, " << folder << "\n";

  const BackupJob job = ImmediateJob(now, platform::UserName(), platform::ComputerName(),
                                     options.Value("--label").value_or(DefaultLabel(now)));
  front::RunSignals signals;
  constexpr auto kind = front::TerminalFrontEnd::Kind::kBackup;
  front::TerminalFrontEnd frontEnd(options.Has("--unattended"), kind);
  const auto origin = options.Has("--to") ? DestinationOrigin::kNamed : DestinationOrigin::kStored;
  const RunOutcome outcome = BackupNow(job, clients, ResolveDestination(folder), frontEnd.display(),
                                       signals.cancel(), {}, origin);
  frontEnd.Finish(outcome.carriedOut());
  return front::FinishRun({kName, kind, style}, outcome);
}

const CommandRegistrar registrar({
    kName,
    "back up now into a destination folder or onto another machine",
    "usage: bkvp backup [--to DIR|rclone:REMOTE:PATH] [--client ID|NAME]... [--label TEXT]\n"
    "                   [--unattended] [--quiet | --json]\n"
    "\n"
    "Backs up the selected clients into one new archive and says what it saved.\n"
    "Without options the last destination and client selection are used; with\n"
    "no stored selection, every present client that has something to save. A\n"
    "destination that took the archive becomes the last destination. The last\n"
    "destination is refused when the drive it was on is no longer connected.\n"
    "\n"
    "  --to DIR          destination folder (created when missing)\n"
    "  --to rclone:REMOTE:PATH\n"
    "                    a folder on another machine, through a remote of your rclone\n"
    "                    configuration (see rclone config); the archive is written into\n"
    "                    the cache folder first, sent, checked, and then named\n"
    "  --client ID|NAME  a client by name (as bkvp clients lists it) or identifier; repeatable\n"
    "  --label TEXT      archive label (default: the date and time)\n"
    "  --unattended      answer every question automatically, no progress bar\n"
    "  --quiet           print only the new archive's path\n"
    "  --json            print the outcome as one JSON object, for scripts (with the\n"
    "                    remote and the bytes sent there)\n"
    "\n"
    "Ctrl-C stops the run and discards the unfinished archive.\n"
    "\n"
    "Exit status: 0 everything was saved, 1 something failed (see the log), 2 the\n"
    "run could not start, 130/143/129 stopped by SIGINT/SIGTERM/SIGHUP.\n",
    RunBackupCommand,
});

}  // namespace
}  // namespace bkvp::cli
