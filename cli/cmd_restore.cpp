// bkvp restore: gives an archive's data back to the clients that saved it.
#include <iostream>

#include "app/engine/archive_list.h"
#include "app/engine/discovery.h"
#include "app/engine/program_settings.h"
#include "app/engine/run_lock.h"
#include "app/engine/run_log.h"
#include "app/engine/run_restore.h"
#include "cli/command.h"
#include "cli/engine_cli.h"
#include "cli/terminal_ui.h"
#include "platform/files.h"
#include "platform/registry.h"

namespace bkvp::cli {
namespace {

using namespace bkvp::engine;
constexpr const char* kName = "restore";
constexpr int kCannotStart = 2;
constexpr const char* kFilesClient = "{8EF0498D-1F92-406D-9C2D-CD35883C6581}";

// What the files client's restore page stores: its values replaced by the
// destination (empty: original locations) and the overwrite choice.
bool StoreFilesRestoreChoices(const std::string& destination, bool overwrite) {
  const std::string key = ProgramKey() + "\\" + kFilesClient + "\\restorer";
  platform::RegKeyHandle handle;
  if (platform::RegCreateKeyPath(key, handle.out()) != platform::ERROR_SUCCESS) return false;
  platform::RegDeleteTree(handle.get(), nullptr);
  return platform::RegWriteString(key, "Destination", destination) == platform::ERROR_SUCCESS &&
         platform::RegWriteDword(key, "Overwrite", overwrite ? 1 : 0) == platform::ERROR_SUCCESS;
}

int RunRestoreCommand(const std::vector<std::string>& args) {
  front::Options options;
  if (!options.Parse(kName, args,
                     {{"--client", 1, true}, {"--to", 1}, {"--overwrite"}, {"--unattended"}}))
    return kCannotStart;
  if (options.positional().size() != 1)
    return front::Fail(kName, "give exactly one archive (see bkvp restore --help)", kCannotStart);

  std::string why;
  auto lock = RunLock::TryAcquire(&why);
  if (!lock) return front::Fail(kName, why, kCannotStart);

  const std::string path = front::AbsolutePath(options.positional().front());
  ClientList clients = DiscoverClients();
  ArchiveEntry archive;
  if (!OpenArchive(path, archive))
    return front::Fail(kName, path + " cannot be opened as a backup archive", kCannotStart);
  const std::vector<ArchiveClient> matched = MatchClients(archive, clients);

  clients.ClearSelection();
  if (options.Has("--client")) {
    for (const std::string& wanted : options.Values("--client")) {
      const ArchiveClient* client = front::ResolveArchiveClient(matched, wanted);
      if (!client) return front::Fail(kName, "the archive holds no client " + wanted, kCannotStart);
      if (!client->restorable())
        return front::Fail(kName, client->name + " is not installed or not present here",
                           kCannotStart);
      client->installed->selected = true;
    }
  } else {
    for (const ArchiveClient& client : matched)
      if (client.restorable()) client.installed->selected = true;
  }
  if (clients.Selected().empty())
    return front::Fail(kName, "no client of the archive can be restored here", kCannotStart);

  if (ClientEntry* files = clients.Find(kFilesClient); files && files->selected) {
    std::string destination;
    if (auto to = options.Value("--to")) {
      destination = front::AbsolutePath(*to);
      if (!platform::CreateFolders(destination))
        return front::Fail(kName, "cannot create " + destination, kCannotStart);
    }
    if (!StoreFilesRestoreChoices(destination, options.Has("--overwrite")))
      return front::Fail(kName, "cannot store the restore choices", kCannotStart);
  } else if (options.Has("--to") || options.Has("--overwrite")) {
    front::Fail(kName, "--to and --overwrite apply to files and folders only; ignored", 0);
  }

  front::TerminalFrontEnd frontEnd(options.Has("--unattended"));
  RestoreRunReport report;
  if (Failed(RunRestore(archive, clients, frontEnd.display(), &report)))
    return front::Fail(kName, "the run could not start", kCannotStart);
  std::cout << "restored " << report.clientsRun - report.clientsFailed << " of "
            << report.clientsRun << " client(s) from " << path << "\n";
  if (report.errorStateSet)
    return front::Fail(kName, "the restore had failures; see " + LogPath(), 1);
  return 0;
}

const CommandRegistrar registrar({
    kName,
    "restore an archive",
    "usage: bkvp restore ARCHIVE [--client ID|NAME]... [--to DIR] [--overwrite] [--unattended]\n"
    "\n"
    "Restores the clients recorded in ARCHIVE that are installed and present here\n"
    "(or only those named with --client).\n"
    "\n"
    "  --client ID|NAME  a client of the archive by class identifier or name; repeatable\n"
    "  --to DIR          files and folders: restore every file into DIR instead of\n"
    "                    its original location\n"
    "  --overwrite       files and folders: replace files that already exist\n"
    "  --unattended      answer every question automatically, no progress bar\n"
    "\n"
    "Exit status: 0 success, 1 a client failed (see the log), 2 the run could not start.\n",
    RunRestoreCommand,
});

}  // namespace
}  // namespace bkvp::cli
