#include "app/engine/remote_upload.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <random>
#include <set>

#include "app/engine/archive_naming.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/sysinfo.h"
#include "platform/text.h"

namespace bkvp::engine {
namespace {

constexpr const char* kTempPrefix = ".bkvp-upload-";
constexpr const char* kTempSuffix = ".part";
// Another machine may take a name between the look and the rename.
constexpr int kNameTries = 10;

std::string Hex(uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", value);
  return text;
}

// FNV-1a of who is sending: stable from run to run, different for another
// user, machine or state folder.
std::string SenderTag() {
  uint32_t hash = 2166136261u;
  for (const char c :
       platform::UserName() + "\n" + platform::ComputerName() + "\n" + platform::ProgramFolder()) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  return Hex(hash);
}

// The hash rclone computes for the local file, "" when it cannot.
std::string LocalHash(const std::string& kind, const std::string& localPath,
                      const CancelRequest* cancel) {
  RcloneCall call{{"hashsum", kind, localPath}, cancel};
  call.deadline.reset();
  const RcloneResult hashed = RunRclone(call);
  if (!hashed) return "";
  return hashed.output.substr(0, hashed.output.find_first_of(" \t\n"));
}

// The hash kinds rclone names in the order they are trusted.
int Preference(const std::string& kind) {
  static const char* const kOrder[] = {"sha256", "sha1", "md5"};
  for (int i = 0; i < 3; ++i)
    if (kind == kOrder[i]) return i;
  return 3;
}

// Compares the remote copy, as the remote describes it, with the local
// file: by a hash the remote keeps, else by reading the copy back. "" when
// equal, else why not.
std::string CheckCopy(const RemoteFolder& folder, const RemoteFile* copy,
                      const std::string& localPath, uint64_t size, const CancelRequest* cancel,
                      std::string* checkedBy) {
  if (!copy) return "the uploaded copy is not there";
  const std::string& tempName = copy->name;
  if (copy->size != size)
    return "the uploaded copy has " + std::to_string(copy->size) + " bytes instead of " +
           std::to_string(size);
  auto hashes = copy->hashes;
  std::stable_sort(hashes.begin(), hashes.end(), [](const auto& a, const auto& b) {
    return Preference(a.first) < Preference(b.first);
  });
  for (const auto& [kind, remoteHash] : hashes) {
    const std::string localHash = LocalHash(kind, localPath, cancel);
    if (localHash.empty()) continue;
    if (!platform::EqualsIgnoreCase(localHash, remoteHash))
      return "the uploaded copy's " + kind + " hash differs from the archive's";
    *checkedBy = "its " + kind + " hash";
    return "";
  }
  std::ifstream local(localPath, std::ios::binary);
  if (!local) return "cannot read " + localPath + " again";
  std::vector<char> mine;
  uint64_t compared = 0;
  bool differs = false;
  const RcloneResult read = folder.Read(tempName, [&](const char* data, size_t n) {
    mine.resize(n);
    local.read(mine.data(), std::streamsize(n));
    differs = size_t(local.gcount()) != n || std::memcmp(mine.data(), data, n) != 0;
    compared += n;
    return !differs;
  });
  if (differs)
    return "the uploaded copy differs from the archive after " + std::to_string(compared) +
           " bytes";
  if (!read) return "cannot read the uploaded copy back: " + read.problem;
  if (compared != size) return "the uploaded copy read back short";
  *checkedBy = "reading it back";
  return "";
}

// What one look at the folder after the upload tells: whether the copy is
// good ("" or why not) and whether `name`, the one it is to take, is free.
struct LookAfterUpload {
  std::string problem;
  std::optional<bool> nameIsFree;  // not known when `name` is empty or the look failed
};

LookAfterUpload LookAtCopyAndName(const RemoteFolder& folder, const std::string& tempName,
                                  const std::string& name, const std::string& localPath,
                                  uint64_t size, std::string* checkedBy) {
  std::vector<std::string> names = {tempName};
  if (!name.empty()) names.push_back(name);
  std::string problem;
  const auto found = folder.LookAll(names, /*withHashes=*/true, &problem);
  if (!found) return {"cannot look at the copy: " + problem, std::nullopt};
  const auto named = [&](const std::string& wanted) -> const RemoteFile* {
    for (const RemoteFile& file : *found)
      if (file.name == wanted) return &file;
    return nullptr;
  };
  LookAfterUpload look;
  look.problem = CheckCopy(folder, named(tempName), localPath, size, folder.cancel(), checkedBy);
  if (!name.empty()) look.nameIsFree = named(name) == nullptr;
  return look;
}

}  // namespace

std::string UploadTempName() {
  std::random_device random;
  return kTempPrefix + SenderTag() + "-" + Hex(random()) + Hex(random()) + kTempSuffix;
}

bool IsOwnUploadLeftover(const std::string& name) {
  const std::string own = kTempPrefix + SenderTag() + "-";
  return name.starts_with(own) && name.ends_with(kTempSuffix) &&
         name.size() == own.size() + 16 + std::strlen(kTempSuffix);
}

std::vector<std::string> RemoveUploadLeftovers(const RemoteFolder& folder,
                                               const std::vector<RemoteFile>& listing) {
  std::vector<std::string> removed;
  for (const RemoteFile& file : listing)
    if (!file.isFolder && IsOwnUploadLeftover(file.name) && folder.Remove(file.name))
      removed.push_back(file.name);
  return removed;
}

SentArchive SendArchive(const RemoteFolder& folder, const std::string& localPath,
                        const std::string& wantedName, const std::vector<RemoteFile>& listing,
                        ProgressDisplay* display) {
  SentArchive sent;
  const auto info = platform::GetFileInfo(localPath);
  if (!info) {
    sent.problem = "cannot read " + localPath;
    return sent;
  }
  sent.bytes = info->size;
  const std::string tempName = UploadTempName();
  const std::string what = "Uploading to " + folder.place().Text();
  const RcloneResult uploaded = folder.Send(localPath, tempName, [&](const TransferStats& stats) {
    if (display) display->Transfer(what, stats.bytes, sent.bytes, stats.bytesPerSecond);
  });
  std::set<std::string> taken;
  for (const RemoteFile& file : listing) taken.insert(platform::ToUpper(file.name));
  const auto freeName = [&] {
    try {
      return FirstFreeName(
          wantedName, [&](const std::string& n) { return taken.count(platform::ToUpper(n)) != 0; });
    } catch (const bad_number&) {
      return std::string();
    }
  };

  std::string problem;
  std::string name = freeName();
  // Whether that name is still free is asked with the look at the copy.
  std::optional<bool> nameIsFree;
  if (!uploaded) {
    sent.cancelled = uploaded.cancelled;
    problem = uploaded.problem;
  } else {
    if (display) display->Transfer(what, sent.bytes, sent.bytes, 0);
    LookAfterUpload look =
        LookAtCopyAndName(folder, tempName, name, localPath, sent.bytes, &sent.checkedBy);
    problem = std::move(look.problem);
    nameIsFree = look.nameIsFree;
    sent.cancelled = folder.cancel() && folder.cancel()->requested();
  }

  for (int tries = 0; problem.empty() && !sent.cancelled && tries < kNameTries; ++tries) {
    if (tries > 0) name = freeName();
    if (name.empty()) {
      problem = "no free archive name is left in " + folder.place().Text();
      break;
    }
    std::string lookProblem;
    const bool arrived =
        tries == 0 && nameIsFree ? !*nameIsFree : folder.Look(name, &lookProblem).has_value();
    if (arrived) {
      taken.insert(platform::ToUpper(name));  // arrived meanwhile
      continue;
    }
    if (!lookProblem.empty()) {
      problem = lookProblem;
      break;
    }
    const RcloneResult renamed = folder.Rename(tempName, name);
    if (!renamed) {
      problem = "cannot give the copy its name " + name + ": " + renamed.problem;
      break;
    }
    sent.ok = true;
    sent.name = name;
    return sent;
  }
  // What is left under the temporary name is of no use; when the server
  // cannot be reached now, the next run removes it.
  folder.Remove(tempName);
  sent.problem = sent.cancelled ? "cancelled" : problem;
  if (sent.problem.empty()) sent.problem = "no free archive name could be had";
  return sent;
}

}  // namespace bkvp::engine
