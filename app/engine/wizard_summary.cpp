#include "app/engine/wizard_summary.h"

#include "platform/text.h"

namespace bkvp::engine {
namespace {

constexpr const char* kReadyToBackUp =
    "Backup Vopal is now ready to begin backup\nItems to back up:";
constexpr const char* kReadyToRestore =
    "Backup Vopal is now ready to restore data from archive\n\nData to restore:";
constexpr const char* kDestination = "Destination:";
constexpr const char* kSchedule = "Schedule:";
constexpr const char* kNow = "Now";
constexpr const char* kNone = "None";

std::string Items(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += "\n\t" + name;
  return text;
}

}  // namespace

std::string BackupSummary(const BackupChoices& choices,
                          const std::vector<std::string>& clientNames) {
  std::vector<std::string> when;
  if (choices.runImmediately) when.push_back(kNow);
  if (choices.schedule) when.push_back(ScheduleSentence(choices.record));
  if (when.empty()) when.push_back(kNone);
  return kReadyToBackUp + Items(clientNames) + "\n\n" + kDestination +
         Items({choices.destination}) + "\n\n" + kSchedule + Items(when);
}

std::string RestoreSummary(const std::vector<std::string>& clientNames) {
  return kReadyToRestore + Items(clientNames);
}

std::string RestorePlan(const ArchiveEntry& archive, const ClientList& clients,
                        const FilesRestorePlan& files) {
  std::string text = "\n\nArchive:\n\t" +
                     (archive.label.empty() ? std::string("(no label)") : archive.label) + "\n\t" +
                     archive.path + "\n\nWhere the data goes:";
  for (const ClientEntry& entry : clients.entries()) {
    if (!entry.selected) continue;
    const ClientEntry* client = &entry;
    text += "\n\t" + client->name + ": ";
    if (!platform::EqualsIgnoreCase(client->clsid, files.clsid)) {
      text += "back to its own places on this machine";
      continue;
    }
    if (files.chosen > 0)
      text += "only the " + std::to_string(files.chosen) + " chosen file(s) and folder(s), ";
    text += files.folder.empty() ? "back to the original places" : "into " + files.folder;
    text += files.overwrite ? "; existing files are replaced"
                            : "; an existing file is replaced only if you say so";
  }
  return text;
}

std::string RunNotice(const RunOutcome& outcome, WizardRun run) {
  const std::string what = run == WizardRun::kBackup ? "The backup" : "The restore";
  switch (outcome.result) {
    case RunResult::kCouldNotStart:
      return what + " could not start: " + outcome.problem + ".";
    case RunResult::kStopped:
      return what + " did not complete: " + outcome.problem +
             (run == WizardRun::kBackup ? "; the archive was discarded." : ".") +
             " The log tells more.";
    case RunResult::kNothingWritten:
      return "Nothing was saved, so no archive was written. The log tells more.";
    default:
      return "";
  }
}

}  // namespace bkvp::engine
