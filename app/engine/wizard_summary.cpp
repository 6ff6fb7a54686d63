#include "app/engine/wizard_summary.h"

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
