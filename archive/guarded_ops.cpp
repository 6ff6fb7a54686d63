#include "archive/guarded_ops.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "archive/format.h"
#include "contract/errors.h"
#include "platform/byte_size.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace bkvp::archive {

namespace {

// Texts are loaded into a 512-byte buffer: at most 511 bytes come back.
constexpr size_t kStringBufferSize = 512;
constexpr int kTemporaryNameAttempts = 100;

// Writes all bytes at the offset. A failure goes to `failed` with its errno:
// it throws, or returns true to write the whole piece again, false to give up.
template <class OnFailure>
bool WriteWhole(FileLayer& layer, int fd, const void* data, size_t size, uint64_t offset,
                OnFailure failed) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = layer.WriteAt(fd, bytes + done, size - done, offset + done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (!failed(n == 0 ? ENOSPC : errno)) return false;
    done = 0;
  }
  return true;
}

// The unit of the holes a restore leaves in a file: a block of zeros this
// size at a multiple of it is not written.
constexpr size_t kHoleBlock = 4096;

bool IsAllZero(const uint8_t* bytes, size_t size) {
  return size > 0 && bytes[0] == 0 && std::memcmp(bytes, bytes + 1, size - 1) == 0;
}

}  // namespace

std::string LoadString(int id) {
  const char* text = "";
  switch (id) {
    case 101:
      text = "is not ready.";
      break;
    case 103:
      text = "The disk";
      break;
    case 105:
      text = "Clear space and press OK to continue or Cancel to abort backup.";
      break;
    case 106:
      text = "Clear protection and press OK to continue or Cancel to abort backup.";
      break;
    case 107:
      text = "Insert disk into drive";
      break;
    case 108:
      text = "and press OK to continue or Cancel to abort backup.";
      break;
    case 109:
      text = "is full.";
      break;
    case 110:
      text = "is write-protected.";
      break;
    case 111:
      text = "The drive";
      break;
    case 112:
      text = "There is no room for the temporary file.\r\nTo continue backup clear space on disk";
      break;
    case 113:
      text = "and press OK.";
      break;
    case 114:
      text = "The file";
      break;
    case 115:
      text = "already exists. \r\nDo you wish to overwrite it?";
      break;
    default:
      break;
  }
  return std::string(platform::CutUtf8(text, kStringBufferSize - 1));
}

bool IsRecoverableDiskError(uint32_t code) {
  return code == platform::ERROR_WRITE_PROTECT || code == platform::ERROR_NOT_READY ||
         code == platform::ERROR_DISK_FULL;
}

std::string ComposeDiskMessage(uint32_t error, const std::string& drive, DiskFile which) {
  switch (error) {
    case platform::ERROR_WRITE_PROTECT:
      return LoadString(103) + " " + drive + " " + LoadString(110) + "\r\n" + LoadString(106);
    case platform::ERROR_NOT_READY:
      return LoadString(111) + " " + drive + " " + LoadString(101) + "\r\n" + LoadString(107) +
             " " + drive + " " + LoadString(108);
    case platform::ERROR_DISK_FULL:
      if (which == DiskFile::kDataFile)
        return LoadString(112) + " " + drive + " " + LoadString(113);
      return LoadString(103) + " " + drive + " " + LoadString(109) + "\r\n" + LoadString(105);
    default:
      return platform::ErrorMessage(error);
  }
}

std::string WrapLines(const std::string& text, size_t width) {
  std::string out;
  size_t lineStart = 0;
  while (lineStart <= text.size()) {
    size_t lineEnd = text.find("\r\n", lineStart);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    std::string_view rest(text.data() + lineStart, lineEnd - lineStart);
    do {
      std::string_view piece = platform::CutUtf8(rest, width);
      if (piece.empty() && !rest.empty()) piece = rest.substr(0, 1);  // never stall
      out.append(piece);
      rest.remove_prefix(piece.size());
      if (!rest.empty()) out.append("\r\n");
    } while (!rest.empty());
    if (lineEnd == text.size()) break;
    out.append("\r\n");
    lineStart = lineEnd + 2;
  }
  return out;
}

std::string FullPlaceNote(const std::string& folder, std::optional<uint64_t> freeBytes,
                          uint64_t written) {
  std::string note =
      "The folder " + platform::EscapeControls(folder) + " is where the archive is written";
  if (freeBytes) note += "; it has " + platform::ByteSize(*freeBytes) + " free";
  return note + ". The archive has reached " + platform::ByteSize(written) + ".";
}

void PumpMessages() { platform::ui::PumpMessages(); }

// ---- GuardedFile -------------------------------------------------------------

void GuardedFile::AskOrThrow(int errnoValue, DiskFile which) {
  const uint32_t code = platform::SetLastErrorFromErrno(errnoValue);
  std::string message = ComposeDiskMessage(code, platform::MountPointOf(drivePath_), which);
  // The service's own text names only the drive; a person clearing space
  // needs the folder, and how far the archive got.
  if (code == platform::ERROR_DISK_FULL && !path_.empty()) {
    const std::string folder = platform::ParentFolder(path_);
    message += "\r\n\r\n" +
               FullPlaceNote(folder, platform::FreeSpace(folder), isOpen() ? base_ + size_ : 0);
  }
  if (IsRecoverableDiskError(code)) {
    if (progress_.Prompt(message, kStyleStopOkCancel) != IDCANCEL) return;
    // The run that ends here can say why: the disk was full, say.
    throw ComError(StatusOfSystemError(code));
  }
  progress_.Prompt(message, kStyleStopOk);
  throw ComError(E_FAIL);
}

bool GuardedFile::Create(const std::string& path, int flags, unsigned mode,
                         const std::string& drivePath) {
  Close();
  path_ = path;
  drivePath_ = drivePath;
  for (;;) {
    const int fd = layer_.Open(path, flags | O_CREAT, mode);
    if (fd >= 0) {
      fd_ = fd;
      base_ = 0;
      size_ = 0;
      writtenBack_ = 0;
      return true;
    }
    if ((flags & O_EXCL) && errno == EEXIST) return false;
    AskOrThrow(errno, DiskFile::kCreated);
  }
}

void GuardedFile::Adopt(int fd, const std::string& path, uint64_t base) {
  Close();
  fd_ = fd;
  path_ = path;
  drivePath_ = path;
  base_ = base;
  size_ = 0;
  writtenBack_ = 0;
}

void GuardedFile::WriteAt(uint64_t offset, const void* data, size_t size) {
  WriteWhole(layer_, fd_, data, size, base_ + offset, [&](int error) {
    AskOrThrow(error, which_);
    // Cut back whatever the failed write added, then write the whole piece
    // again. Only growth is removed: bytes that were there before stay.
    layer_.Truncate(fd_, base_ + size_);
    return true;
  });
  if (offset + size > size_) size_ = offset + size;
  StartWriteBack();
  PumpMessages();
}

// The archive is synced before it takes its name. Starting the disk's work
// on what is written while the rest is still being made leaves that sync
// little to wait for, instead of all of it. Handing bytes to the disk is
// not enough where the disk keeps them in a cache of its own (virtual disks
// do): only a flush empties that, so each step is also flushed aside. The
// steps are small: whatever was written after the last one waits for the
// final sync, at the end of the run.
void GuardedFile::StartWriteBack() {
  constexpr uint64_t kWriteBackStep = 2u << 20;
  writtenBack_ = std::min(writtenBack_, size_);
  if (size_ - writtenBack_ < kWriteBackStep) return;
  ::sync_file_range(fd_, static_cast<off_t>(base_ + writtenBack_),
                    static_cast<off_t>(size_ - writtenBack_), SYNC_FILE_RANGE_WRITE);
  writtenBack_ = size_;
  if (!flush_) {
    try {
      flush_ = std::make_unique<BackgroundFlush>(fd_);
    } catch (const std::system_error&) {
      return;  // no thread to spare: the final sync does all the work
    }
  }
  flush_->Request();
}

size_t GuardedFile::ReadAt(uint64_t offset, void* buffer, size_t size) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = layer_.ReadAt(fd_, bytes + done, size - done, base_ + offset + done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n == 0) {
      break;
    } else {
      AskOrThrow(errno, which_);
    }
  }
  PumpMessages();
  return done;
}

void GuardedFile::SetEnd(uint64_t size) {
  while (layer_.Truncate(fd_, base_ + size) != 0) AskOrThrow(errno, which_);
  size_ = size;
}

bool GuardedFile::TryCutTo(uint64_t size) {
  if (layer_.Truncate(fd_, base_ + size) != 0) return false;
  size_ = size;
  return true;
}

ssize_t GuardedFile::CopyAppendFrom(int in, uint64_t inOffset, size_t size) {
  const ssize_t n = layer_.CopyRange(in, inOffset, fd_, base_ + size_, size);
  if (n < 0) {
    // Whatever the failed call may have added is cut; the fallback's
    // guarded writes then meet (and report) the real error, if any.
    layer_.Truncate(fd_, base_ + size_);
    return -1;
  }
  size_ += static_cast<uint64_t>(n);
  StartWriteBack();
  PumpMessages();
  return n;
}

void GuardedFile::Sync() {
  while (layer_.Sync(fd_) != 0) AskOrThrow(errno, which_);
}

void GuardedFile::Close() {
  flush_.reset();
  if (fd_ >= 0) layer_.Close(fd_);
  fd_ = -1;
}

// ---- TargetFile --------------------------------------------------------------

bool TargetFile::AskTargetError(uint32_t error, const std::string& name) {
  std::string text = name.empty() ? "" : name + "\r\n";
  text += platform::ErrorMessage(error);
  switch (progress_.ClientError(static_cast<HRESULT>(error), WrapLines(text, 254), 1)) {
    case IDCANCEL:
      Close();
      throw KVError(E_FAIL);
    case IDABORT:
      Close();
      throw ComError(E_FAIL);
    case IDRETRY:
      return true;
    case IDIGNORE:
      Close();
      throw KVError(1);
    default:
      return false;
  }
}

bool TargetFile::AskAfterFailedCommit() {
  if (errno == EEXIST) {
    // Something took the name since Open: the same question as then.
    if (!overwrite_) AskOverwrite();
    replace_ = true;
    return true;
  }
  return AskTargetError(platform::SetLastErrorFromErrno(errno), path_);
}

void TargetFile::AskOverwrite() {
  const std::string question = LoadString(114) + " " + path_ + " " + LoadString(115);
  const int answer = progress_.Prompt(question, kStyleOverwriteQuestion);
  if (answer == IDCANCEL || answer == IDNO) {
    Close();
    throw KVError(answer == IDCANCEL ? E_FAIL : kKeptExisting);
  }
  replace_ = true;
}

bool TargetFile::OpenFolderAndAsk(const std::string& path, bool overwrite) {
  Close();
  path_ = path;
  refusal_.clear();
  name_ = platform::FileNameOf(path);
  overwrite_ = overwrite;
  replace_ = false;
  direct_ = false;
  modeSet_ = false;
  written_ = 0;
  holes_ = false;
  const std::string folder = platform::ParentFolder(path);
  const std::string folderPath = folder.empty() ? "." : folder;
  while ((folder_ = folders_ ? folders_->Open(folderPath)
                             : layer_.OpenFolder(folderPath, refusedLinks_)) < 0)
    if (!AskTargetError(platform::SetLastErrorFromErrno(errno), path)) return false;
  struct stat opened {};
  if (refusedFolders_ && ::fstat(folder_, &opened) == 0 &&
      std::any_of(refusedFolders_->begin(), refusedFolders_->end(), [&](const FolderIdentity& f) {
        return f.device == static_cast<uint64_t>(opened.st_dev) &&
               f.inode == static_cast<uint64_t>(opened.st_ino);
      })) {
    refusal_ = "left out: no archive may write into Backup Vopal's own settings";
    Close();
    return false;
  }
  return true;
}

bool TargetFile::Open(const std::string& path, bool overwrite, const ContentInHand* content) {
  if (!OpenFolderAndAsk(path, overwrite)) return false;
  // Only where nothing is, a link included; anything else takes the way
  // below, with its question and its temporary file.
  if (content) {
    fd_ = layer_.OpenAt(folder_, name_, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, content->mode);
    if (fd_ >= 0) {
      direct_ = true;
      modeSet_ = content->modeAtCreation;
      temporaryName_ = name_;  // removed by Close unless committed
      return true;
    }
  }
  AskAboutWhatIsThere();
  while (!CreateTemporary())
    if (!AskTargetError(platform::SetLastErrorFromErrno(errno), path)) return false;
  return true;
}

void TargetFile::AskAboutWhatIsThere() {
  // Whatever is at the name, a link included, is what would be replaced.
  struct stat st {};
  if (::fstatat(folder_, name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (!overwrite_) AskOverwrite();
    replace_ = true;
  }
}

bool TargetFile::OpenForLink(const std::string& path, bool overwrite) {
  if (!OpenFolderAndAsk(path, overwrite)) return false;
  AskAboutWhatIsThere();
  return true;
}

bool TargetFile::CreateTemporaryLink(const std::string& target) {
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    temporaryName_ = TemporaryNameFor(name_);
    if (layer_.SymlinkAt(target, folder_, temporaryName_) == 0) return true;
    if (errno != EEXIST) break;
  }
  const int error = errno;
  temporaryName_.clear();
  errno = error;
  return false;
}

bool TargetFile::CommitLink(const std::string& target, platform::FILETIME lastAccess,
                            platform::FILETIME lastWrite, platform::LinkIdentity* made) {
  const struct timespec times[2] = {platform::TimespecFromFileTime(lastAccess),
                                    platform::TimespecFromFileTime(lastWrite)};
  for (;;) {
    if (temporaryName_.empty() && !CreateTemporaryLink(target)) {
      if (!AskTargetError(platform::SetLastErrorFromErrno(errno), path_)) return false;
      continue;
    }
    // Some file systems keep no times of a link's own: it is made all the
    // same.
    layer_.SetTimesAt(folder_, temporaryName_, times);
    if (layer_.RenameAt(folder_, temporaryName_, folder_, name_, replace_) == 0) break;
    if (!AskAfterFailedCommit()) return false;
  }
  temporaryName_.clear();  // it is the link now
  struct stat st {};
  if (::fstatat(folder_, name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
    *made = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  Close();
  PumpMessages();
  return true;
}

bool TargetFile::CreateTemporary() {
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    temporaryName_ = TemporaryNameFor(name_);
    // Owner-only until complete; the file's own mode comes with Commit.
    fd_ = layer_.OpenAt(folder_, temporaryName_, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
    // Locked while it is written: a restore that cleans up this folder at
    // the same moment takes only what nobody holds.
    if (fd_ >= 0) {
      layer_.Lock(fd_, true, false);
      return true;
    }
    if (errno != EEXIST) break;
  }
  const int error = errno;
  temporaryName_.clear();
  errno = error;
  return false;
}

bool TargetFile::Write(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  // Whole blocks of zeros at block boundaries stay holes, as they were in
  // a sparse file that was saved; Commit gives the file its full size.
  size_t done = 0;
  while (done < size) {
    size_t run = 0;  // bytes to write from `done` on
    while (done + run < size) {
      const uint64_t at = written_ + done + run;
      const size_t piece = std::min<size_t>(size - done - run, kHoleBlock - at % kHoleBlock);
      if (piece == kHoleBlock && IsAllZero(bytes + done + run, piece)) break;
      run += piece;
    }
    // On Retry the whole piece is written again from the noted position.
    if (run > 0 && !WriteWhole(layer_, fd_, bytes + done, run, written_ + done, [&](int error) {
          return AskTargetError(platform::SetLastErrorFromErrno(error), "");
        }))
      return false;
    done += run;
    if (done < size) {
      done += kHoleBlock;
      holes_ = true;
    }
  }
  written_ += size;
  PumpMessages();
  return true;
}

bool TargetFile::Commit(unsigned mode, platform::FILETIME lastAccess,
                        platform::FILETIME lastWrite) {
  const struct timespec times[2] = {platform::TimespecFromFileTime(lastAccess),
                                    platform::TimespecFromFileTime(lastWrite)};
  for (;;) {
    // A file that replaces another reaches the disk first, so that a crash
    // cannot leave the name with neither of them. One that ends in a hole
    // gets its size first.
    if ((!holes_ || layer_.Truncate(fd_, written_) == 0) && (!replace_ || layer_.Sync(fd_) == 0) &&
        layer_.SetModeAndTimes(fd_, modeSet_ ? std::nullopt : std::optional(mode), times) == 0 &&
        (direct_ || layer_.RenameAt(folder_, temporaryName_, folder_, name_, replace_) == 0))
      break;
    if (!AskAfterFailedCommit()) return false;
  }
  temporaryName_.clear();  // it is the target now
  Close();
  PumpMessages();
  return true;
}

void TargetFile::Close() {
  if (fd_ >= 0) layer_.Close(fd_);
  fd_ = -1;
  if (folder_ >= 0) {
    if (!temporaryName_.empty()) layer_.RemoveAt(folder_, temporaryName_);
    if (!folders_) layer_.Close(folder_);
  }
  temporaryName_.clear();
  folder_ = -1;
}

unsigned RestoredMode(uint32_t attributes) {
  const int32_t stored = StoredMode(attributes);
  unsigned mode = (stored >= 0 ? static_cast<unsigned>(stored) : platform::NewFileMode()) & 0777u;
  if (attributes & platform::FILE_ATTRIBUTE_READONLY)
    mode &= ~0222u;
  else
    mode |= S_IWUSR;
  return mode;
}

}  // namespace bkvp::archive
