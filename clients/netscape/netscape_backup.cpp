#include "clients/netscape/netscape_backup.h"

#include <fcntl.h>
#include <unistd.h>

#include <optional>

#include "clients/common/client_options.h"
#include "clients/common/collect_files.h"
#include "clients/common/progress_calls.h"
#include "clients/common/registry_access.h"
#include "clients/common/running_program.h"
#include "clients/netscape/profile_file_rules.h"
#include "clients/netscape/profile_registry.h"
#include "clients/netscape/staged_profile_swap.h"
#include "contract/errors.h"
#include "platform/files.h"
#include "platform/processes.h"

namespace bkvp::netscape {

namespace {

struct BackupSettings {
  std::string profileFolder;  // without a trailing "/"
  std::string profileName;
  clients::CloseRestartOptions closeRestart;
};

BackupSettings ReadBackupSettings(const NetscapeEdition& edition) {
  const std::string clsid = edition.ServiceClsidText();
  const std::string key = clients::ClientOptionKey(clsid, edition.Text(kStrBackuper));
  return {WithoutTrailingSeparators(clients::ReadString(key, clients::kOptPath)),
          clients::ReadString(key, clients::kOptProfileName),
          clients::ReadCloseRestartOptions(clsid, clients::SwitchRule::ExactlyOne)};
}

void ReportFailure(const NetscapeEdition& edition, IProgress* progress, std::string_view text) {
  clients::SendMessage(progress, edition.DisplayName());
  clients::SendMessage(progress, text);
}

// The browser to start again after the backup, when this run closed it.
struct Restart {
  bool due = false;
  std::string modulePath;
  std::string parameters;  // opens the mail window of the saved profile

  void IfDue() const {
    if (due) platform::ShellOpen(modulePath, parameters);
  }
};

enum class CloseStep { NotInTheWay, Closed, Refused, Failed };

// The browser holds the profile's files only when it runs with that very
// profile; a browser on another profile, or one whose current profile is
// unknown, is left alone.
CloseStep CloseBrowserUsingProfile(const NetscapeEdition& edition, const clients::FrameWaits& waits,
                                   const BackupSettings& settings, Restart& restart) {
  const std::optional<clients::ProcessMatch> running =
      clients::FindRunningProgram(edition.programModule);
  if (!running) return CloseStep::NotInTheWay;
  const ProfileRegistry profiles = LoadProfileRegistry();
  if (profiles.currentIndex < 0 ||
      profiles.profileNames[static_cast<size_t>(profiles.currentIndex)] != settings.profileName)
    return CloseStep::NotInTheWay;
  if (!settings.closeRestart.autoClose) return CloseStep::Refused;
  if (!clients::CloseRunningProgram(*running, waits.close)) return CloseStep::Failed;
  restart.due = settings.closeRestart.autoRestart;
  restart.modulePath = running->modulePath;
  return CloseStep::Closed;
}

enum class MarkerResult { Written, CannotCreate, CannotWrite };

// Writes the profile folder, without a terminator, into the marker file.
MarkerResult WriteMarker(const std::string& markerPath, const std::string& profileFolder) {
  const int fd = ::open(markerPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return MarkerResult::CannotCreate;
  const ssize_t written = ::write(fd, profileFolder.data(), profileFolder.size());
  const bool closed = ::close(fd) == 0;
  if (written == static_cast<ssize_t>(profileFolder.size()) && closed) return MarkerResult::Written;
  ::unlink(markerPath.c_str());
  return MarkerResult::CannotWrite;
}

// Removes the marker however the backup ends, a cancelled disk prompt too.
class MarkerFile {
 public:
  explicit MarkerFile(std::string path) : path_(std::move(path)) {}
  MarkerFile(const MarkerFile&) = delete;
  MarkerFile& operator=(const MarkerFile&) = delete;
  ~MarkerFile() { ::unlink(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Offers the marker, then every file; missing files are passed over. The
// first failing call ends the pass.
bool OfferFiles(const NetscapeEdition& edition, IBackuper* backuper, const std::string& marker,
                const std::vector<std::string>& files) {
  const Bstr action(edition.ActionName());
  auto offer = [&](const std::string& path) {
    if (!platform::FileExists(path)) return true;
    const Bstr name(path);
    const Bstr localName(platform::FileNameOf(path));
    return backuper->BackupFile(name.get(), localName.get(), action.get(), 1, 0) >= 0;
  };
  if (!offer(marker)) return false;
  for (const std::string& file : files)
    if (!offer(file)) return false;
  return true;
}

}  // namespace

HRESULT BackupProfile(const NetscapeEdition& edition, const clients::FrameWaits& waits,
                      IBackuper* backuper, IProgress* progress) {
  if (!backuper) return E_POINTER;
  const BackupSettings settings = ReadBackupSettings(edition);
  Restart restart;
  restart.parameters = "-P \"" + settings.profileName + "\" -mail";

  if (settings.profileFolder.empty() || !platform::DirectoryExists(settings.profileFolder)) {
    ReportFailure(edition, progress, "Profile location is not found!");
    return E_FAIL;
  }
  switch (CloseBrowserUsingProfile(edition, waits, settings, restart)) {
    case CloseStep::Refused:
      clients::SendMessage(progress, edition.Text(kStrRunningBackupStopped));
      return E_FAIL;
    case CloseStep::Failed:
      return E_FAIL;
    case CloseStep::NotInTheWay:
    case CloseStep::Closed:
      break;
  }

  const std::vector<ProfileFileRule> rules = ProfileFileRules(edition.chromeStyleSheets);
  if (FilesOfRule(settings.profileFolder, rules.front()).empty()) {
    ReportFailure(edition, progress, "Invalid Folder content!");
    restart.IfDue();
    return E_FAIL;
  }
  const std::vector<std::string> files = FilesOfRules(settings.profileFolder, rules);

  const std::string markerPath = platform::JoinPath(settings.profileFolder, kOldPathFileName);
  switch (WriteMarker(markerPath, settings.profileFolder)) {
    case MarkerResult::CannotCreate:
      ReportFailure(edition, progress, "Cannot store old location info!");
      restart.IfDue();
      return E_FAIL;
    case MarkerResult::CannotWrite:
      ReportFailure(edition, progress, "Cannot write old location info!");
      restart.IfDue();
      return E_FAIL;
    case MarkerResult::Written:
      break;
  }
  const Bstr displayName(edition.DisplayName());
  const Bstr clsid(edition.ServiceClsidText());
  bool stored = false;
  {
    // Guards the marker from here on: BeginClient may already stop the run
    // with a cancelled disk prompt.
    const MarkerFile marker(markerPath);
    try {
      backuper->BeginClient(displayName.get(), clsid.get(), static_cast<INT>(files.size() + 1));
      stored = OfferFiles(edition, backuper, marker.path(), files);
    } catch (const ComError&) {
      backuper->EndClient(1);  // a section cut off by a cancelled disk prompt is dropped
      throw;
    }
  }
  if (!stored) {
    backuper->EndClient(1);
    return E_FAIL;
  }
  clients::SendMessage(progress, "Successfully Backuped.");
  backuper->EndClient(0);
  restart.IfDue();
  return S_OK;
}

}  // namespace bkvp::netscape
