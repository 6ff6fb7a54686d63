// The texts of the wizard's finish pages: before a run, what will be saved
// where and when, or what will be restored; after it, what went wrong.
#pragma once

#include <string>
#include <vector>

#include "app/engine/archive_list.h"
#include "app/engine/backup_choices.h"
#include "app/engine/run_outcome.h"

namespace bkvp::engine {

// "Backup Vopal is now ready to begin backup", the clients, the destination
// and the schedule ("Now", the schedule sentence, both, or "None"), each
// item on its own tab-indented line.
std::string BackupSummary(const BackupChoices& choices,
                          const std::vector<std::string>& clientNames);

// "Backup Vopal is now ready to restore data from archive" and the clients.
std::string RestoreSummary(const std::vector<std::string>& clientNames);

// Where a restore puts things, added to the restore summary: the archive,
// and for each selected client where its data goes; the files client
// (`filesClsid`) into `folder` (empty: the original places), replacing
// existing files or keeping them.
struct FilesRestorePlan {
  std::string clsid;
  std::string folder;
  bool overwrite = false;
  int chosen = 0;  // files and folders chosen for this run; 0: all
};
std::string RestorePlan(const ArchiveEntry& archive, const ClientList& clients,
                        const FilesRestorePlan& files);

// What a finish page says after its run when the run did not do what the
// user asked for; empty when it did, when the user cancelled it, or when
// clients failed (the error state and the log tell about those).
enum class WizardRun { kBackup, kRestore };
std::string RunNotice(const RunOutcome& outcome, WizardRun run);

}  // namespace bkvp::engine
