#include "clients/netscape/netscape_restore.h"

#include <fcntl.h>
#include <unistd.h>

#include <optional>

#include "clients/common/client_options.h"
#include "clients/common/collect_files.h"
#include "clients/common/progress_calls.h"
#include "clients/common/registry_access.h"
#include "clients/common/restore_places.h"
#include "clients/common/running_program.h"
#include "clients/netscape/netscape_backup.h"
#include "clients/netscape/profile_registry.h"
#include "clients/netscape/profile_rewrite.h"
#include "clients/netscape/staged_profile_swap.h"
#include "contract/errors.h"
#include "contract/object_walk.h"
#include "platform/files.h"

namespace bkvp::netscape {

namespace {

// A profile folder path is far shorter; a longer marker is not one of ours.
constexpr size_t kMaxMarkerBytes = 4096;

void ReportFailure(const NetscapeEdition& edition, IProgress* progress, std::string_view text) {
  clients::SendMessage(progress, edition.DisplayName());
  clients::SendMessage(progress, text);
}

// The whole content of a small file; nullopt when unreadable or too long.
std::optional<std::string> ReadMarker(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string content(kMaxMarkerBytes + 1, '\0');
  size_t filled = 0;
  ssize_t n = 0;
  while (filled < content.size() &&
         (n = ::read(fd, content.data() + filled, content.size() - filled)) > 0)
    filled += static_cast<size_t>(n);
  ::close(fd);
  if (n < 0 || filled > kMaxMarkerBytes) return std::nullopt;
  content.resize(filled);
  return content;
}

// The browser is in the way of a restore only while it runs with the target
// profile. Its profile list is read once, when it is first found running.
class BrowserUsingProfile {
 public:
  BrowserUsingProfile(const NetscapeEdition& edition, std::string profileFolder)
      : edition_(edition), profileFolder_(std::move(profileFolder)) {}

  bool operator()() {
    if (!clients::FindRunningProgram(edition_.programModule)) return false;
    if (!current_) {
      const std::optional<std::string> folder = LoadProfileRegistry().CurrentDirectory();
      current_ = folder ? WithoutTrailingSeparators(*folder) : std::string();
    }
    return !current_->empty() && *current_ == profileFolder_;
  }

 private:
  const NetscapeEdition& edition_;
  std::string profileFolder_;
  std::optional<std::string> current_;
};

enum class LoopEnd { Complete, BadObject, RestoreFailed, Cancelled };

// Restores the client's section into the staging folder.
class StagedRestore {
 public:
  StagedRestore(const NetscapeEdition& edition, IRestorer* restorer, IProgress* progress,
                std::string staging)
      : edition_(edition), restorer_(restorer), progress_(progress), staging_(std::move(staging)) {}

  LoopEnd Run() {
    LoopEnd ended = LoopEnd::Complete;
    const SectionWalk walk =
        ForEachObject(restorer_, edition_.ServiceClsidText(), [&](const SectionObject& object) {
          ended = RestoreObject(object.type, object.name);
          return ended == LoopEnd::Complete ? WalkStep::kNext : WalkStep::kStop;
        });
    if (walk.cancelled) return LoopEnd::Cancelled;
    if (Failed(walk.status)) return LoopEnd::BadObject;
    return ended;
  }

  // The profile folder the archive was saved from; nullopt when the section
  // held no marker (then nothing was staged either).
  const std::optional<std::string>& OldFolder() const { return oldFolder_; }
  HRESULT FailedStatus() const { return failedStatus_; }

 private:
  LoopEnd RestoreObject(USHORT type, const std::string& name) {
    if (type != kObjectFile) {
      clients::SendMessage(progress_, name + ": " + edition_.Text(kStrUnknownObject));
      return LoopEnd::Complete;
    }
    if (platform::FileNameOf(name) == kOldPathFileName) return ReadOldFolder(name);
    if (!oldFolder_) return LoopEnd::BadObject;
    const std::optional<std::string> relative = clients::RelativePathBelow(name, *oldFolder_);
    if (!relative) return LoopEnd::BadObject;
    // The reader creates the missing folders, without following links.
    const HRESULT hr = Restore(platform::JoinPath(staging_, *relative));
    if (hr < 0) {
      failedStatus_ = hr;
      return LoopEnd::RestoreFailed;
    }
    return LoopEnd::Complete;
  }

  // The marker tells where the saved profile lived; it must name the folder
  // the marker itself was saved from.
  LoopEnd ReadOldFolder(const std::string& name) {
    const std::string copy = platform::JoinPath(staging_, kOldPathFileName);
    if (Restore(copy) < 0) return LoopEnd::BadObject;
    std::optional<std::string> folder = ReadMarker(copy);
    ::unlink(copy.c_str());
    if (!folder || folder->empty()) return LoopEnd::BadObject;
    *folder = WithoutTrailingSeparators(*folder);
    if (!clients::RelativePathBelow(name, *folder)) return LoopEnd::BadObject;
    oldFolder_ = std::move(*folder);
    return LoopEnd::Complete;
  }

  HRESULT Restore(const std::string& target) {
    const Bstr file(target);
    return restorer_->RestoreFile(file.get(), 1, 0);
  }

  const NetscapeEdition& edition_;
  IRestorer* restorer_;
  IProgress* progress_;
  std::string staging_;
  std::optional<std::string> oldFolder_;
  HRESULT failedStatus_ = E_FAIL;
};

// Removes the staging folder however the restore ends, unless told to keep it.
class StagingFolder {
 public:
  explicit StagingFolder(std::string path) : path_(std::move(path)) {}
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;
  ~StagingFolder() {
    if (!kept_) RemoveTree(path_);
  }
  const std::string& path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  bool kept_ = false;
};

}  // namespace

HRESULT RestoreProfile(const NetscapeEdition& edition, const clients::AskLimits& askLimits,
                       IRestorer* restorer, IProgress* progress) {
  if (!restorer) return E_POINTER;
  const std::string key =
      clients::ClientOptionKey(edition.ServiceClsidText(), edition.Text(kStrRestorer));
  // "Path" normally has no trailing "/"; with one, the staging folder would
  // land inside the very folder it is to replace.
  const std::string profileFolder =
      WithoutTrailingSeparators(clients::ReadString(key, clients::kOptPath));
  if (profileFolder.empty() || !platform::DirectoryExists(profileFolder)) {
    ReportFailure(edition, progress, "Profile location is not found!");
    return E_FAIL;
  }

  BrowserUsingProfile browserInTheWay(edition, profileFolder);
  if (clients::AskWhile(progress, std::ref(browserInTheWay), edition.Text(kStrRunningWithProfile),
                        edition.Text(kStrRestoreCanceled), askLimits) < 0)
    return E_FAIL;

  const std::optional<std::string> stagingPath = StagingFolderFor(profileFolder);
  if (!stagingPath) {
    ReportFailure(edition, progress, "Invalid profile location: " + profileFolder);
    return E_FAIL;
  }
  if (!PrepareStagingFolder(*stagingPath)) {
    ReportFailure(edition, progress, "Can't restore Profile Location data");
    return E_FAIL;
  }
  StagingFolder staging(*stagingPath);

  StagedRestore restore(edition, restorer, progress, staging.path());
  switch (restore.Run()) {
    case LoopEnd::Complete:
      break;
    case LoopEnd::BadObject:
      ReportFailure(edition, progress, "Can't restore Profile Location data");
      return E_FAIL;
    case LoopEnd::RestoreFailed:
      ReportFailure(edition, progress, "Can't restore data");
      return restore.FailedStatus();
    case LoopEnd::Cancelled:
      clients::SendMessage(progress, edition.Text(kStrRestoreCanceled));
      return E_FAIL;
  }

  // A staged copy without its preferences is no profile: it must not
  // replace the user's. A section without a marker staged nothing, so it
  // fails here as well.
  const std::optional<std::string>& oldFolder = restore.OldFolder();
  const bool moved = oldFolder && *oldFolder != profileFolder;
  if (!oldFolder || FindEntryIgnoringCase(staging.path(), "prefs.js").empty() ||
      (moved && !RewriteMovedProfile(staging.path(), *oldFolder, profileFolder))) {
    ReportFailure(edition, progress, "Can't set up restored data");
    return E_FAIL;
  }

  const SwapOutcome swap = SwapInStagedProfile(staging.path(), profileFolder);
  if (!swap.ok) {
    // With the old profile not back in place, the restored copy is all the
    // user has besides the set aside folder: keep both.
    if (!platform::DirectoryExists(profileFolder)) staging.Keep();
    ReportFailure(edition, progress, "Can't replace the profile folder: " + swap.error);
    return E_FAIL;
  }
  staging.Keep();  // it has become the profile folder
  if (!swap.leftover.empty())
    clients::SendMessage(progress,
                         "The previous profile could not be removed from " + swap.leftover);
  clients::SendMessage(progress, "Successfully Restored.");
  return S_OK;
}

}  // namespace bkvp::netscape
