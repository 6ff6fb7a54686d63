#include "app/engine/remote_upload.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
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

// Compares the remote copy with the local file: by a hash the remote keeps,
// else by reading the copy back. "" when equal, else why not.
std::string CheckCopy(const RemoteFolder& folder, const std::string& tempName,
                      const std::string& localPath, uint64_t size, const CancelRequest* cancel,
                      std::string* checkedBy) {
  std::string problem;
  auto copy = folder.Look(tempName, /*withHashes=*/true, &problem);
  if (!copy)
    return problem.empty() ? "the uploaded copy is not there"
                           : "cannot look at the copy: " + problem;
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
  std::string problem;
  if (!uploaded) {
    sent.cancelled = uploaded.cancelled;
    problem = uploaded.problem;
  } else {
    if (display) display->Transfer(what, sent.bytes, sent.bytes, 0);
    problem = CheckCopy(folder, tempName, localPath, sent.bytes, folder.cancel(), &sent.checkedBy);
    sent.cancelled = folder.cancel() && folder.cancel()->requested();
  }

  std::set<std::string> taken;
  for (const RemoteFile& file : listing) taken.insert(platform::ToUpper(file.name));
  for (int tries = 0; problem.empty() && !sent.cancelled && tries < kNameTries; ++tries) {
    std::string name;
    try {
      name = FirstFreeName(
          wantedName, [&](const std::string& n) { return taken.count(platform::ToUpper(n)) != 0; });
    } catch (const bad_number&) {
    }
    if (name.empty()) {
      problem = "no free archive name is left in " + folder.place().Text();
      break;
    }
    std::string lookProblem;
    if (folder.Look(name, false, &lookProblem)) {
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
