// What this program does to a folder on another machine, each step one run
// of rclone: make it, list it, look at one file (its size and the hashes the
// remote keeps), read a file's first bytes or all of it, send a file there,
// fetch one, rename and remove. Every step can be cancelled and ends when
// the server is gone (see rclone_process.h).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/engine/rclone_process.h"
#include "app/engine/remote_place.h"

namespace bkvp::engine {

struct RemoteFile {
  std::string name;
  uint64_t size = 0;
  bool isFolder = false;
  // The hashes the remote keeps for it, by rclone's names ("md5", "sha1", ...);
  // only when asked for, and only those with a value.
  std::vector<std::pair<std::string, std::string>> hashes;
};

using TransferProgress = std::function<void(const TransferStats&)>;

class RemoteFolder {
 public:
  explicit RemoteFolder(RemotePlace place, const CancelRequest* cancel = nullptr)
      : place_(std::move(place)), cancel_(cancel) {}
  const RemotePlace& place() const { return place_; }
  const CancelRequest* cancel() const { return cancel_; }

  // Creates the folder (and its parents) where missing. "" or the reason.
  std::string Make() const;
  // What the folder holds directly; nullopt with the reason in `problem`,
  // and `missing` set when the folder does not exist.
  std::optional<std::vector<RemoteFile>> List(std::string* problem, bool* missing = nullptr) const;
  // One file of the folder; nullopt when it cannot be looked at, with
  // `problem` left empty when it does not exist.
  std::optional<RemoteFile> Look(const std::string& name, std::string* problem) const;
  // Those of the named files that exist, in one run of rclone; nullopt with
  // the reason in `problem` when the folder cannot be listed.
  std::optional<std::vector<RemoteFile>> LookAll(const std::vector<std::string>& names,
                                                 bool withHashes, std::string* problem) const;
  // The first `count` bytes of a file (fewer when it is shorter).
  RcloneResult ReadStart(const std::string& name, uint64_t count) const;
  // The whole file, handed over as it comes; the sink returns false to stop.
  RcloneResult Read(const std::string& name,
                    const std::function<bool(const char*, size_t)>& sink) const;
  RcloneResult Send(const std::string& localPath, const std::string& name,
                    const TransferProgress& progress) const;
  RcloneResult Fetch(const std::string& name, const std::string& localPath,
                     const TransferProgress& progress) const;
  RcloneResult Rename(const std::string& from, const std::string& to) const;
  // Not cancellable: it is how a cancelled step clears up after itself.
  RcloneResult Remove(const std::string& name) const;

 private:
  std::string TargetOf(const std::string& name) const { return place_.Child(name).Target(); }
  RcloneResult Run(std::vector<std::string> args, bool transfer = false) const;
  // What an `rclone lsjson` with these arguments lists in the folder.
  std::optional<std::vector<RemoteFile>> Listing(std::vector<std::string> args, bool transfer,
                                                 std::string* problem, bool* missing) const;

  RemotePlace place_;
  const CancelRequest* cancel_;
};

// The entries of a listing `rclone lsjson` printed; nullopt when it is not one.
std::optional<std::vector<RemoteFile>> ParseListing(const std::string& json);

}  // namespace bkvp::engine
