#include "app/engine/remote_folder.h"

#include <string_view>

#include "app/engine/json_value.h"

namespace bkvp::engine {
namespace {

// A filter rule that matches exactly this name in the listed folder, with
// the characters rclone's patterns give a meaning taken literally.
std::string ExactNameRule(const std::string& name) {
  std::string rule = "/";
  for (const char c : name) {
    if (std::string_view("\\*?[]{}").find(c) != std::string_view::npos) rule += '\\';
    rule += c;
  }
  return rule;
}

RemoteFile FileOf(const JsonValue& entry) {
  RemoteFile file;
  if (const JsonValue* name = entry.Find("Name")) file.name = name->text();
  if (const JsonValue* size = entry.Find("Size"); size && size->number() > 0)
    file.size = uint64_t(size->number());
  if (const JsonValue* folder = entry.Find("IsDir")) file.isFolder = folder->boolean();
  if (const JsonValue* hashes = entry.Find("Hashes"))
    for (const auto& [kind, value] : hashes->members())
      if (!value.text().empty()) file.hashes.emplace_back(kind, value.text());
  return file;
}

}  // namespace

std::optional<std::vector<RemoteFile>> ParseListing(const std::string& json) {
  const auto value = JsonValue::Parse(json);
  if (!value || value->kind() != JsonValue::Kind::kArray) return std::nullopt;
  std::vector<RemoteFile> files;
  for (const JsonValue& entry : value->items()) {
    if (entry.kind() != JsonValue::Kind::kObject) return std::nullopt;
    files.push_back(FileOf(entry));
  }
  return files;
}

RcloneResult RemoteFolder::Run(std::vector<std::string> args, bool transfer) const {
  RcloneCall call{std::move(args), cancel_};
  if (transfer) call.deadline.reset();
  return RunRclone(call);
}

std::string RemoteFolder::Make() const {
  const RcloneResult made = Run({"mkdir", place_.Target()});
  return made ? "" : made.problem;
}

std::optional<std::vector<RemoteFile>> RemoteFolder::Listing(std::vector<std::string> args,
                                                             bool transfer, std::string* problem,
                                                             bool* missing) const {
  args.push_back(place_.Target());
  const RcloneResult listed = Run(std::move(args), transfer);
  if (!listed) {
    *problem = listed.problem;
    if (missing) *missing = listed.notFound;
    return std::nullopt;
  }
  auto files = ParseListing(listed.output);
  if (!files) *problem = "rclone listed " + place_.Text() + " in a form not understood";
  return files;
}

std::optional<std::vector<RemoteFile>> RemoteFolder::List(std::string* problem,
                                                          bool* missing) const {
  return Listing({"lsjson", "--max-depth", "1"}, false, problem, missing);
}

std::optional<RemoteFile> RemoteFolder::Look(const std::string& name, std::string* problem) const {
  const RcloneResult looked = Run({"lsjson", "--stat", TargetOf(name)});
  problem->clear();
  if (!looked) {
    if (!looked.notFound) *problem = looked.problem;
    return std::nullopt;
  }
  const auto value = JsonValue::Parse(looked.output);
  if (!value || value->kind() != JsonValue::Kind::kObject) {
    *problem = "rclone described " + place_.Child(name).Text() + " in a form not understood";
    return std::nullopt;
  }
  return FileOf(*value);
}

std::optional<std::vector<RemoteFile>> RemoteFolder::LookAll(const std::vector<std::string>& names,
                                                             bool withHashes,
                                                             std::string* problem) const {
  std::vector<std::string> args = {"lsjson", "--max-depth", "1", "--files-only"};
  if (withHashes) args.push_back("--hash");
  for (const std::string& name : names) {
    args.push_back("--include");
    args.push_back(ExactNameRule(name));
  }
  problem->clear();
  // Some remotes (sftp) compute a hash by reading the whole file: as long
  // as a transfer.
  return Listing(std::move(args), withHashes, problem, nullptr);
}

RcloneResult RemoteFolder::ReadStart(const std::string& name, uint64_t count) const {
  return Run({"cat", "--offset", "0", "--count", std::to_string(count), TargetOf(name)});
}

RcloneResult RemoteFolder::Read(const std::string& name,
                                const std::function<bool(const char*, size_t)>& sink) const {
  RcloneCall call{{"cat", TargetOf(name)}, cancel_, sink};
  call.deadline.reset();
  return RunRclone(call);
}

RcloneResult RemoteFolder::Send(const std::string& localPath, const std::string& name,
                                const TransferProgress& progress) const {
  RcloneCall call{{"copyto", localPath, TargetOf(name)}, cancel_, {}, progress};
  call.deadline.reset();
  return RunRclone(call);
}

RcloneResult RemoteFolder::Fetch(const std::string& name, const std::string& localPath,
                                 const TransferProgress& progress) const {
  RcloneCall call{{"copyto", TargetOf(name), localPath}, cancel_, {}, progress};
  call.deadline.reset();
  return RunRclone(call);
}

RcloneResult RemoteFolder::Rename(const std::string& from, const std::string& to) const {
  // A remote without server-side moves copies and deletes: a transfer.
  return Run({"moveto", TargetOf(from), TargetOf(to)}, true);
}

RcloneResult RemoteFolder::Remove(const std::string& name) const {
  return RunRclone({{"deletefile", TargetOf(name)}});
}

}  // namespace bkvp::engine
