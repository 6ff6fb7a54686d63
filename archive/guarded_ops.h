// Guarded file operations: a failure on the archive, the writer's data file or
// a restore target becomes a question to the user and a retry, instead of an
// immediate failure. Also the service's string table and message pumping.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/background_flush.h"
#include "archive/file_layer.h"
#include "archive/folder_cache.h"
#include "archive/progress_sink.h"
#include "platform/time.h"

namespace bkvp::archive {

// Message box styles passed to IProgress::Prompt.
constexpr UINT kStyleStopOk = 16;              // stop icon, OK
constexpr UINT kStyleStopOkCancel = 273;       // stop icon, OK and Cancel, Cancel default
constexpr UINT kStyleOverwriteQuestion = 307;  // exclamation, Yes/No/Cancel, No default

// The service's texts by number (101-115); "" for a number without text.
std::string LoadString(int id);

// The text shown for system error `error` on a file whose mount point is
// `drive`. The data file gets its own "no room for the temporary file" text.
enum class DiskFile { kArchive, kDataFile, kCreated };
// A disk that is full, write-protected or not ready may be fixed and the
// operation tried again; other errors end it.
bool IsRecoverableDiskError(uint32_t code);
std::string ComposeDiskMessage(uint32_t error, const std::string& drive, DiskFile which);
// What a full disk's message adds: the folder the archive is written in,
// its free space (when known) and the archive's size so far. (How large the
// whole archive will be is not known while it is written; the run's end
// compares the free space with the last archive.)
std::string FullPlaceNote(const std::string& folder, std::optional<uint64_t> freeBytes,
                          uint64_t written);

// Breaks every line of the text into pieces of at most `width` bytes (never
// inside a UTF-8 sequence), joined by "\r\n".
std::string WrapLines(const std::string& text, size_t width);

// Dispatches whatever user-interface events wait (the platform seam).
void PumpMessages();

// The archive file or the writer's data file, every operation guarded: on
// failure the user is asked; a disk that is full, write-protected or absent
// may be fixed and retried, anything else ends with ComError(E_FAIL).
// Positions are explicit, so no seek can fail; the size is tracked here
// because this object is the only writer of its part of the file. That part
// may begin at a base offset: positions and sizes then count from there, so
// a region of the file behaves like a file of its own.
class GuardedFile {
 public:
  GuardedFile(FileLayer& layer, const ProgressSink& progress, DiskFile which)
      : layer_(layer), progress_(progress), which_(which) {}
  GuardedFile(const GuardedFile&) = delete;
  GuardedFile& operator=(const GuardedFile&) = delete;
  ~GuardedFile() { Close(); }

  // Creates the file anew (flags add O_CREAT; O_EXCL makes a collision
  // return false instead of asking). `drivePath` names the file in messages.
  bool Create(const std::string& path, int flags, unsigned mode, const std::string& drivePath);
  // Takes over an open descriptor whose bytes from `base` on are this
  // object's (none yet).
  void Adopt(int fd, const std::string& path, uint64_t base);
  void WriteAt(uint64_t offset, const void* data, size_t size);
  void Append(const void* data, size_t size) { WriteAt(size_, data, size); }
  // Returns the bytes read (fewer only at the end of the file).
  size_t ReadAt(uint64_t offset, void* buffer, size_t size);
  void SetEnd(uint64_t size);
  // Unguarded cut for cleaning up after a cancelled operation; false when
  // even that fails.
  bool TryCutTo(uint64_t size);
  // Appends up to `size` bytes of another file by the kernel's copy call.
  // Returns the bytes copied (0 at the end of the source), or -1 when the
  // kernel copy cannot serve: the caller then reads and Appends instead.
  ssize_t CopyAppendFrom(int in, uint64_t inOffset, size_t size);
  // Counts bytes up to `size` as the file's, though another descriptor wrote
  // them: the repair after a failed write then keeps them. That descriptor
  // also handed them to the disk.
  void AssumeSize(uint64_t size) {
    size_ = std::max(size_, size);
    writtenBack_ = size_;
  }
  void Sync();
  void Close();

  uint64_t size() const { return size_; }
  uint64_t base() const { return base_; }
  int fd() const { return fd_; }
  bool isOpen() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }
  FileLayer& layer() const { return layer_; }

 private:
  // Asks about errno's error; returns to retry, throws ComError otherwise.
  void AskOrThrow(int errnoValue, DiskFile which);
  void StartWriteBack();

  FileLayer& layer_;
  const ProgressSink& progress_;
  DiskFile which_;
  int fd_ = -1;
  std::string path_;
  std::string drivePath_;
  uint64_t base_ = 0;
  uint64_t size_ = 0;
  uint64_t writtenBack_ = 0;                // handed to the disk, a flush asked for
  std::unique_ptr<BackgroundFlush> flush_;  // from the first flush on
};

// A folder by its identity, whatever path leads to it.
struct FolderIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
};

// A restore target. The new content goes into a temporary file beside the
// target and takes the target's place only when complete, so a failed or
// interrupted restore leaves an existing file as it was (a new file whose
// whole content is already in memory is written under its name at once,
// see ContentInHand). The target's
// folder is opened without following a link another user planted, and the
// target name itself is never followed: a link there is replaced, not
// written through. Opening asks about overwriting; failures go to the
// target error dialog, which may throw KVError (1: skip, E_FAIL: stop) or
// ComError (abort) as the user decides; the files are closed first.
class TargetFile {
 public:
  // With `folders` the target's folder is taken from (and left in) that
  // cache instead of being opened and closed for this file alone.
  TargetFile(FileLayer& layer, const ProgressSink& progress, FolderCache* folders = nullptr)
      : layer_(layer), progress_(progress), folders_(folders) {}
  TargetFile(const TargetFile&) = delete;
  TargetFile& operator=(const TargetFile&) = delete;
  ~TargetFile() { Close(); }

  // The whole content is in memory and checked, so writing it takes a
  // moment: a new file is then created under its own name at once, with
  // the mode it is going to have, instead of through a temporary file.
  // Whatever goes wrong before Commit removes it again.
  struct ContentInHand {
    unsigned mode;
    bool modeAtCreation;  // the umask takes nothing from `mode`
  };
  // Folders no target may lie in, whatever the archive says; a target there
  // is refused (Open gives false and refusal() says why).
  void RefuseFolders(const std::vector<FolderIdentity>* folders) { refusedFolders_ = folders; }
  const std::string& refusal() const { return refusal_; }
  // Links not followed on the way to the target's folder, though they are
  // the user's own (platform::OpenFolderForWriting).
  void RefuseLinks(const std::vector<platform::LinkIdentity>* links) { refusedLinks_ = links; }
  // false when the user's answer ends the retries without a decision, or
  // the target is refused.
  bool Open(const std::string& path, bool overwrite, const ContentInHand* content = nullptr);
  // The same for a symbolic link to be made at `path` by CommitLink.
  bool OpenForLink(const std::string& path, bool overwrite);
  // Makes the link holding `target` in the target's place, with the times
  // given where the file system keeps them for links; `made` is the new
  // link. false when the user gave up without a decision.
  bool CommitLink(const std::string& target, platform::FILETIME lastAccess,
                  platform::FILETIME lastWrite, platform::LinkIdentity* made);
  // false when the write failed and the user gave up without a decision.
  bool Write(const void* data, size_t size);
  int fd() const { return fd_; }
  uint64_t written() const { return written_; }
  // Counts bytes that reached the file by another path (a kernel copy).
  void Advance(uint64_t bytes) { written_ += bytes; }
  // Gives the complete file its permission bits and times and puts it in
  // the target's place. false when the user gave up without a decision.
  bool Commit(unsigned mode, platform::FILETIME lastAccess, platform::FILETIME lastWrite);
  // Abandons whatever was not committed.
  void Close();

 private:
  // true: retry; false: give up; throws for Cancel, Abort and Ignore.
  bool AskTargetError(uint32_t error, const std::string& name);
  // After a failed step of a commit (errno tells which): a name taken since
  // Open is asked about as then, anything else goes to the client. true:
  // try the commit again; throws as the two questions do.
  bool AskAfterFailedCommit();
  // Throws for No and Cancel.
  void AskOverwrite();
  bool CreateTemporary();
  bool CreateTemporaryLink(const std::string& target);
  // Asks whether what is at the name may be replaced, unless overwriting.
  void AskAboutWhatIsThere();
  // Opens the target's folder (refusing one of the refused folders) and
  // asks about what is at the name; false as Open.
  bool OpenFolderAndAsk(const std::string& path, bool overwrite);

  FileLayer& layer_;
  const ProgressSink& progress_;
  FolderCache* folders_;
  const std::vector<FolderIdentity>* refusedFolders_ = nullptr;
  const std::vector<platform::LinkIdentity>* refusedLinks_ = nullptr;
  std::string refusal_;
  std::string path_;
  std::string name_;  // the target's name inside folder_
  std::string temporaryName_;
  int folder_ = -1;
  int fd_ = -1;
  bool overwrite_ = false;
  bool replace_ = false;  // the user agreed to replace what is at the name
  bool direct_ = false;   // created under the target's own name
  bool modeSet_ = false;  // and with its mode
  bool holes_ = false;    // blocks of zeros were left unwritten
  uint64_t written_ = 0;
};

// The permission bits a restored file gets: those stored with its
// attributes, or for a file saved without them those a new file gets; never
// set-user-ID, set-group-ID or sticky. READONLY takes every write bit away;
// otherwise the owner may write.
unsigned RestoredMode(uint32_t attributes);

}  // namespace bkvp::archive
