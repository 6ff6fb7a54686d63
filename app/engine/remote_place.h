// A place on another machine, written "rclone:REMOTE:PATH" wherever a
// destination folder or an archive path is taken: REMOTE is a remote of the
// user's own rclone configuration (as "rclone listremotes" names it), PATH a
// folder or file there. The program stores only that text ("StorePath").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contract/status.h"

namespace bkvp::engine {

constexpr std::string_view kRemotePrefix = "rclone:";

struct RemotePlace {
  std::string remote;  // "nas"
  std::string path;    // "backups/laptop": no trailing "/" (but "/" itself); may be empty

  std::string Text() const;    // "rclone:nas:backups/laptop"
  std::string Target() const;  // "nas:backups/laptop", as rclone takes it
  RemotePlace Child(const std::string& name) const;
  RemotePlace Parent() const;
  std::string Name() const;  // the last part of the path
};

// Whether the text names a remote place (it begins with "rclone:").
bool IsRemotePlace(std::string_view text);
// nullopt when the text is not "rclone:REMOTE:PATH" with a remote name
// (which never begins with "-").
std::optional<RemotePlace> ParseRemotePlace(std::string_view text);

// An archive or folder as a person gave it: a remote place as written, a
// local path made absolute.
std::string ResolvePlace(const std::string& text);
// A destination as a person gave it: ResolvePlace, and a local folder ends
// with "/".
std::string ResolveDestination(const std::string& text);

// Makes a destination ready for backups: a local folder is created when
// missing, a remote folder is created there (which also shows that it can be
// reached). kCannotWrite / kCannotRead with the reason.
Status PrepareBackupPlace(const std::string& destination);

// The remotes of the user's rclone configuration, without their colons.
// `problem` gets why they could not be listed (rclone missing, for one).
std::vector<std::string> ListRemotes(std::string* problem = nullptr);

}  // namespace bkvp::engine
