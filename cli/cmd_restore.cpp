// bkvp restore: gives an archive's data back to the clients that saved it.
#include <iostream>

#include "app/engine/backup_now.h"
#include "app/engine/discovery.h"
#include "app/engine/files_restore_choices.h"
#include "app/engine/remote_place.h"
#include "app/engine/restore_now.h"
#include "app/engine/scheduler.h"
#include "cli/command.h"
#include "cli/engine_cli.h"
#include "cli/run_summary.h"
#include "cli/signals.h"
#include "cli/terminal_ui.h"
#include "clients/files/files_identity.h"

namespace bkvp::cli {
namespace {

using namespace bkvp::engine;
constexpr const char* kName = "restore";

int RunRestoreCommand(const std::vector<std::string>& args) {
  front::Options options;
  std::vector<front::OptionDefinition> definitions = {
      {"--client", 1, true}, {"--to", 1},      {"--overwrite"},   {"--flat"},
      {"--only", 1, true},   {"--unattended"}, {"--saved-places"}};
  for (const auto& d : front::SummaryOptions()) definitions.push_back(d);
  if (!options.Parse(kName, args, definitions)) return front::kExitCannotStart;
  if (options.positional().size() != 1)
    return front::Fail(kName, "give exactly one archive (see bkvp restore --help)",
                       front::kExitCannotStart);

  if (options.Has("--flat") && !options.Has("--to"))
    return front::Fail(kName, "--flat goes with --to DIR", front::kExitCannotStart);

  CheckForInterruptedRun();
  const std::string path = ResolvePlace(options.positional().front());
  ClientList clients = DiscoverClients();
  ArchiveEntry archive;
  if (Status opened = OpenArchiveForRestore(path, archive); !opened.ok())
    return front::Fail(kName, opened.message(), front::kExitCannotStart);
  const std::vector<ArchiveClient> sections = MatchClients(archive, clients);
  const std::string filesClsid = files::kFilesServiceClsid;
  // --only picks files of the files client; other clients only when named.
  std::vector<std::string> named = options.Values("--client");
  if (named.empty() && options.Has("--only")) named.push_back(filesClsid);
  if (Status selected = SelectClientsForRestore(sections, named, clients); !selected.ok())
    return front::Fail(kName, selected.message(), front::kExitCannotStart);
  const auto only = front::PathPatternsOf(options.Values("--only"));
  if (!only)
    return front::Fail(kName, "--only needs a pattern of 1 to 4096 characters",
                       front::kExitCannotStart);
  ChosenFiles chosen{filesClsid, *only};
  if (!chosen.patterns.empty())
    if (Status found = CheckChosenFilesExist(archive, chosen); !found.ok())
      return front::Fail(kName, found.message(), front::kExitFailures);

  // The files client takes its restore choices from where its restore page
  // leaves them.
  const ClientEntry* files = clients.Find(filesClsid);
  if (files && files->selected) {
    FilesRestoreRequest request;
    if (auto to = options.Value("--to")) request.folder = front::AbsolutePath(*to);
    request.overwrite = options.Has("--overwrite");
    request.flat = options.Has("--flat");
    if (Status chosen = ChooseFilesRestore(request); !chosen.ok())
      return front::Fail(kName, chosen.message(), front::kExitCannotStart);
  } else if (options.Has("--to") || options.Has("--overwrite") || options.Has("--flat")) {
    front::Fail(kName, "--to, --overwrite and --flat apply to files and folders only; ignored", 0);
  }

  // Only the files go into the folder: the mail and browser clients go back
  // to their own places, and the person should know that before it starts.
  if (auto to = options.Value("--to");
      to && front::SummaryStyleOf(options) == front::SummaryStyle::kLine)
    for (const std::string& line :
         DescribeRestoreTargets(clients, filesClsid, front::AbsolutePath(*to)))
      std::cerr << "bkvp restore: " << line << "\n";

  front::RunSignals signals;
  constexpr auto kind = front::TerminalFrontEnd::Kind::kRestore;
  front::TerminalFrontEnd frontEnd(options.Has("--unattended"), kind);
  const RunOutcome outcome =
      RestoreNow(archive, clients, frontEnd.display(), signals.cancel(),
                 chosen.patterns.empty() ? nullptr : &chosen, options.Has("--saved-places"));
  frontEnd.Finish(outcome.carriedOut());
  front::RunReport report{kName, kind, front::SummaryStyleOf(options), path};
  report.filesReplaced = frontEnd.filesReplaced();
  report.cancelledAtQuestion = frontEnd.cancelledAtQuestion();
  return front::FinishRun(report, outcome);
}

const CommandRegistrar registrar({
    kName,
    "restore an archive",
    "usage: bkvp restore ARCHIVE [--client ID|NAME]... [--to DIR [--flat]] [--overwrite]\n"
    "                    [--only PATTERN]... [--saved-places] [--unattended]\n"
    "                    [--quiet | --json]\n"
    "\n"
    "Restores the clients recorded in ARCHIVE that are installed and present here\n"
    "(or only those named with --client). ARCHIVE may be on another machine,\n"
    "rclone:REMOTE:PATH/NAME: it is downloaded into the cache folder first.\n"
    "\n"
    "  --client ID|NAME  a client of the archive by name or identifier; repeatable;\n"
    "                    restores only the clients named (leave the mail clients out\n"
    "                    with --client \"Files and folders\")\n"
    "  --to DIR          files and folders: restore into DIR instead of the original\n"
    "                    places, each file at its original path below DIR\n"
    "                    (/home/ann/a.txt into /mnt/r is /mnt/r/home/ann/a.txt)\n"
    "  --flat            with --to: put the files side by side in DIR; a name taken\n"
    "                    by another file of the restore gets \" (2)\", \" (3)\", ...\n"
    "  --overwrite       files and folders: replace files that already exist\n"
    "  --only PATTERN    files and folders: restore only the files whose original\n"
    "                    path matches; * and ? within a folder name, ** across\n"
    "                    folders, a folder for all below it; a pattern without a\n"
    "                    slash (\"*.md\") matches names in any folder; repeatable.\n"
    "                    A pattern that matches no file is an error. Other\n"
    "                    clients are restored only when named with --client\n"
    "  --saved-places    mail and browser clients: put files back in the folders the\n"
    "                    archive names also where the client keeps no data on this\n"
    "                    machine (a machine set up anew). Without it you are asked,\n"
    "                    and an unattended restore leaves such files out\n"
    "  --unattended      answer every question automatically, no progress bar\n"
    "  --quiet           print nothing but problems\n"
    "  --json            print the outcome as one JSON object, for scripts\n"
    "\n"
    "Ctrl-C stops the restore after the current file.\n"
    "\n"
    "Exit status: 0 everything was restored, 1 something was not (see the log), 2 the\n"
    "restore could not start, 130/143/129 stopped by SIGINT/SIGTERM/SIGHUP.\n",
    RunRestoreCommand,
});

}  // namespace
}  // namespace bkvp::cli
