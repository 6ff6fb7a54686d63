// bkvp backup: a backup now, as the wizard's "Run immediately" does it.
#include <iostream>

#include "app/engine/discovery.h"
#include "app/engine/program_settings.h"
#include "app/engine/run_backup.h"
#include "app/engine/run_lock.h"
#include "app/engine/run_log.h"
#include "app/engine/scheduler.h"
#include "cli/command.h"
#include "cli/engine_cli.h"
#include "cli/terminal_ui.h"
#include "platform/files.h"
#include "platform/sysinfo.h"

namespace bkvp::cli {
namespace {

using namespace bkvp::engine;
constexpr const char* kName = "backup";
constexpr int kCannotStart = 2;

// Without a stored or given selection: every present client that has
// something to save.
void SelectEverythingSavable(ClientList& clients) {
  for (ClientEntry& c : clients.entries())
    c.selected = IsClientPresent(c.service.get()) &&
                 ClientInfoText(c.service.get(), "HasBackup").value_or("x").empty();
}

int RunBackupCommand(const std::vector<std::string>& args) {
  front::Options options;
  if (!options.Parse(kName, args,
                     {{"--to", 1}, {"--client", 1, true}, {"--label", 1}, {"--unattended"}}))
    return kCannotStart;
  if (!options.positional().empty())
    return front::Fail(kName, "unexpected argument " + options.positional().front(), kCannotStart);

  std::string why;
  auto lock = RunLock::TryAcquire(&why);
  if (!lock) return front::Fail(kName, why, kCannotStart);

  const std::time_t now = SystemNow();
  const ProgramSettings settings = ProgramSettings::Load(now);
  ClientList clients = DiscoverClients();
  if (options.Has("--client")) {
    for (const std::string& wanted : options.Values("--client")) {
      ClientEntry* client = front::ResolveClient(clients, wanted);
      if (!client)
        return front::Fail(kName, "no installed client " + wanted + " (see bkvp clients)",
                           kCannotStart);
      client->selected = true;
    }
  } else if (!settings.clients.empty()) {
    clients.Select(settings.clients);
  } else {
    SelectEverythingSavable(clients);
  }
  if (clients.Selected().empty())
    return front::Fail(kName, "no client to back up (see bkvp clients)", kCannotStart);

  const std::string folder = options.Value("--to").value_or(settings.storePath);
  if (folder.empty()) return front::Fail(kName, "no destination: give --to DIR", kCannotStart);
  const std::string destination = WithTrailingSlash(front::AbsolutePath(folder));
  if (!platform::CreateFolders(destination))
    return front::Fail(kName, "cannot create the destination " + destination, kCannotStart);

  front::TerminalFrontEnd frontEnd(options.Has("--unattended"));
  const BackupJob job = ImmediateJob(now, platform::UserName(), platform::ComputerName(),
                                     options.Value("--label").value_or(DefaultLabel(now)));
  BackupRunReport report;
  SetTaskStatus(kTaskRunning);
  const HRESULT result = RunBackup(job, clients, destination, frontEnd.display(), &report);
  SetTaskStatus(kTaskCompleted);
  if (Failed(result))
    return front::Fail(kName, "the run could not start: " + report.problem, kCannotStart);

  if (platform::FileExists(report.archivePath))
    std::cout << report.archivePath << "\n";
  else
    front::Fail(kName, "no archive was written: the clients saved nothing (see " + LogPath() + ")",
                0);
  if (report.errorStateSet)
    return front::Fail(kName,
                       report.stopped ? "the run was stopped; see " + LogPath()
                                      : std::to_string(report.clientsFailed) +
                                            " client(s) failed; see " + LogPath(),
                       1);
  return 0;
}

const CommandRegistrar registrar({
    kName,
    "back up now into a destination folder",
    "usage: bkvp backup [--to DIR] [--client ID|NAME]... [--label TEXT] [--unattended]\n"
    "\n"
    "Backs up the selected clients into one new archive and prints its path.\n"
    "Without options the stored destination and client selection are used; with\n"
    "no stored selection, every present client that has something to save.\n"
    "\n"
    "  --to DIR          destination folder (created when missing)\n"
    "  --client ID|NAME  a client by class identifier or name; repeatable\n"
    "  --label TEXT      archive label (default: the date and time)\n"
    "  --unattended      answer every question automatically, no progress bar\n"
    "\n"
    "Exit status: 0 every client succeeded, 1 the error state was set (a client\n"
    "failed; see the log), 2 the run could not start.\n",
    RunBackupCommand,
});

}  // namespace
}  // namespace bkvp::cli
