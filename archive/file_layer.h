// The one door through which the archive service touches file contents. The
// default layer makes the plain system calls; tests derive from it to make a
// chosen write fail with ENOSPC, EROFS or ENOMEDIUM and watch the prompts.
// Every call reports failure as -1 (or nullopt) with errno set.
#pragma once

#include <sys/types.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/folder_walk.h"

namespace bkvp::archive {

// Bytes per kernel copy call: no user memory is involved, so this only sets
// how often the copy stops to let the user interface breathe.
constexpr size_t kKernelCopyRange = 1u << 20;

class FileLayer {
 public:
  virtual ~FileLayer() = default;

  virtual int Open(const std::string& path, int flags, unsigned mode);
  virtual int Close(int fd);
  // Sequential read at the file position (source files).
  virtual ssize_t Read(int fd, void* buffer, size_t size);
  virtual ssize_t ReadAt(int fd, void* buffer, size_t size, uint64_t offset);
  virtual ssize_t WriteAt(int fd, const void* data, size_t size, uint64_t offset);
  // Kernel-side copy; callers fall back to ReadAt/WriteAt when it fails.
  virtual ssize_t CopyRange(int in, uint64_t inOffset, int out, uint64_t outOffset, size_t size);
  virtual int Truncate(int fd, uint64_t size);
  virtual int Sync(int fd);
  virtual std::optional<uint64_t> Size(int fd);
  // A plain file, not a folder, pipe, socket or device.
  virtual bool IsRegularFile(int fd);
  // Opens `name` inside the open folder dirFd.
  virtual int OpenAt(int dirFd, const std::string& name, int flags, unsigned mode);
  // The folder a restored file goes into (platform::OpenFolderForWriting):
  // missing folders are created, and no link another user planted is followed.
  // The links listed are not followed (platform::OpenFolderForWriting).
  virtual int OpenFolder(const std::string& path,
                         const std::vector<platform::LinkIdentity>* refusedLinks = nullptr);
  // Makes a symbolic link `name` in the open folder dirFd holding `target`.
  virtual int SymlinkAt(const std::string& target, int dirFd, const std::string& name);
  // The last access and write times of `name` in dirFd itself, a link not followed.
  virtual int SetTimesAt(int dirFd, const std::string& name, const struct timespec times[2]);
  // Renames between open folders (AT_FDCWD for plain paths). Without
  // `replace` an existing `to` is never replaced, even when another process
  // creates it at the same moment: the call fails with EEXIST.
  virtual int RenameAt(int fromDir, const std::string& from, int toDir, const std::string& to,
                       bool replace);
  virtual int Remove(const std::string& path);
  virtual int RemoveAt(int dirFd, const std::string& name);
  // Permission bits and last access and write times of an open file.
  virtual int SetModeAndTimes(int fd, std::optional<unsigned> mode, const struct timespec times[2]);
  // An advisory lock on the whole file (flock); without waiting a lock
  // held elsewhere fails with EWOULDBLOCK.
  virtual int Lock(int fd, bool exclusive, bool wait);
  // Makes a rename inside the folder durable.
  virtual int SyncFolder(const std::string& folder);
};

// Copies `size` bytes: by the kernel's copy while it serves, then through
// `buffer` in chunks. kernelCopy(done, n) and read(done, buffer, n) return the
// bytes moved or -1; write(buffer, n) returns false to give up. Returns
// false when the source ended early or a write gave up.
template <class KernelCopy, class Read, class Write, class Pump>
bool CopyBytes(uint64_t size, std::vector<uint8_t>& buffer, KernelCopy kernelCopy, Read read,
               Write write, Pump pump) {
  bool kernel = true;
  for (uint64_t done = 0; done < size;) {
    const uint64_t left = size - done;
    if (kernel) {
      const ssize_t n =
          kernelCopy(done, static_cast<size_t>(std::min<uint64_t>(kKernelCopyRange, left)));
      if (n > 0) {
        done += static_cast<uint64_t>(n);
        pump();
        continue;
      }
      kernel = false;
    }
    const ssize_t n =
        read(done, buffer.data(), static_cast<size_t>(std::min<uint64_t>(buffer.size(), left)));
    if (n <= 0 || !write(buffer.data(), static_cast<size_t>(n))) return false;
    done += static_cast<uint64_t>(n);
    pump();
  }
  return true;
}

// The process-wide layer of the plain system calls.
FileLayer& DefaultFileLayer();

// "." + fileName + "." + 8 random characters + ".tmp": hidden, beside the
// file it will become, and never matching that file's own name pattern.
// A long name is cut so that the whole stays within 255 bytes.
std::string TemporaryNameFor(const std::string& fileName);
// True for a name TemporaryNameFor made from a name ending in `extension`
// ("" for any name).
bool IsTemporaryNameFor(const std::string& name, const std::string& extension);

// Owns a descriptor of a layer and closes it.
class FileHandle {
 public:
  FileHandle() = default;
  FileHandle(FileLayer& layer, int fd) : layer_(&layer), fd_(fd) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  FileHandle(FileHandle&& o) noexcept : layer_(o.layer_), fd_(o.fd_) { o.fd_ = -1; }
  FileHandle& operator=(FileHandle&& o) noexcept;
  ~FileHandle() { Close(); }
  int fd() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  void Close();

 private:
  FileLayer* layer_ = nullptr;
  int fd_ = -1;
};

}  // namespace bkvp::archive
