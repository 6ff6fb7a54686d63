#include "app/engine/remote_place.h"

#include <filesystem>

#include "app/engine/backup_now.h"
#include "app/engine/remote_folder.h"
#include "app/engine/run_backup.h"

namespace bkvp::engine {

std::string RemotePlace::Text() const { return std::string(kRemotePrefix) + Target(); }

std::string RemotePlace::Target() const { return remote + ":" + path; }

RemotePlace RemotePlace::Child(const std::string& name) const {
  if (path.empty()) return {remote, name};
  return {remote, path.back() == '/' ? path + name : path + "/" + name};
}

RemotePlace RemotePlace::Parent() const {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {remote, ""};
  return {remote, slash == 0 ? "/" : path.substr(0, slash)};
}

std::string RemotePlace::Name() const {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsRemotePlace(std::string_view text) { return text.starts_with(kRemotePrefix); }

std::optional<RemotePlace> ParseRemotePlace(std::string_view text) {
  if (!IsRemotePlace(text)) return std::nullopt;
  text.remove_prefix(kRemotePrefix.size());
  const size_t colon = text.find(':');
  // rclone's remote names begin with a letter, a digit, "_" or "."; one that
  // began with "-" would be taken for an option of rclone's.
  if (colon == std::string_view::npos || colon == 0 || text.front() == '-') return std::nullopt;
  RemotePlace place{std::string(text.substr(0, colon)), std::string(text.substr(colon + 1))};
  while (place.path.size() > 1 && place.path.back() == '/') place.path.pop_back();
  return place;
}

std::string ResolvePlace(const std::string& text) {
  if (IsRemotePlace(text)) return text;
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(text, ec);
  return ec ? text : absolute.lexically_normal().string();
}

std::string ResolveDestination(const std::string& text) {
  const std::string place = ResolvePlace(text);
  return IsRemotePlace(place) ? place : WithTrailingSlash(place);
}

Status PrepareBackupPlace(const std::string& destination) {
  if (!IsRemotePlace(destination)) return PrepareDestination(destination);
  const auto place = ParseRemotePlace(destination);
  if (!place)
    return {Status::Code::kInvalid, destination + " names no remote: write rclone:REMOTE:PATH"};
  const std::string problem = RemoteFolder(*place).Make();
  if (problem.empty()) return {};
  return {Status::Code::kCannotRead, "cannot reach " + destination + ": " + problem};
}

std::vector<std::string> ListRemotes(std::string* problem) {
  std::vector<std::string> remotes;
  const RcloneResult listed = RunRclone({{"listremotes"}});
  if (!listed) {
    if (problem) *problem = listed.problem;
    return remotes;
  }
  size_t start = 0;
  while (start < listed.output.size()) {
    const size_t end = std::min(listed.output.find('\n', start), listed.output.size());
    std::string line = listed.output.substr(start, end - start);
    while (!line.empty() && (line.back() == ':' || line.back() == '\r')) line.pop_back();
    if (!line.empty()) remotes.push_back(line);
    start = end + 1;
  }
  return remotes;
}

}  // namespace bkvp::engine
