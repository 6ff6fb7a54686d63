// Where a mail or browser client may restore: the folders and files it
// backs up itself on this machine, and the registry keys of its own
// program. An archive may come from anywhere, so every object of a client's
// section is checked against these places before anything is written; an
// object outside them is left out, never written where its name says.
//
// The places are taken from this machine before a restore begins, so that
// keys the archive itself brings back cannot move them. Where the client
// keeps nothing on this machine yet (a machine set up anew), the person is
// asked, folder by folder, whether files may go back where the archive
// says; an unattended run answers No.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace bkvp::clients {

class RestorePlaces {
 public:
  // `clientName` is the display name the refusals speak of.
  explicit RestorePlaces(std::string clientName) : clientName_(std::move(clientName)) {}

  // The path and everything below it. Places that would open the user's
  // whole home, or the program's own settings and state or the desktop's
  // autostart folder, are not taken: no client keeps its data there.
  void AddPath(const std::string& path);
  // The key and everything below it; protected keys (contract/protected_keys.h)
  // are not taken.
  void AddKey(const std::string& keyPath);

  // "" when the object may be restored under its stored name; otherwise
  // why not, for the log.
  std::string RefusalForFile(const std::string& storedName) const;
  std::string RefusalForKey(const std::string& keyPath) const;

  // The folder of a refused file that the person may still be asked about:
  // its own folder, when that is no forbidden place and was not declined
  // before; "" otherwise.
  std::string FolderToAskAbout(const std::string& storedName) const;
  // The question for that folder.
  std::string QuestionAbout(const std::string& folder) const;
  // The person's answer: the folder becomes a place, or is not asked
  // about again (nor anything below it).
  void Agree(const std::string& folder) { AddPath(folder); }
  void Decline(const std::string& folder);

 private:
  std::string Outside() const;

  std::string clientName_;
  std::vector<std::vector<std::string>> paths_;  // components of each place
  std::vector<std::vector<std::string>> declined_;
  std::vector<std::vector<std::string>> keys_;
};

// The components of an absolute path ("/a/b" gives a and b). A path that
// is not absolute, or holds a ".", ".." or empty component inside it (a
// trailing "/" is allowed), is not plain: *plain is false, and no
// components come back.
std::vector<std::string> PathComponents(const std::string& path, bool* plain);

// The path of `path` below `folder` ("/p/a/b" below "/p" is "a/b"), when
// both are plain and the first lies strictly below the second; nullopt
// otherwise, so that nothing it names leads out of the folder.
std::optional<std::string> RelativePathBelow(const std::string& path, const std::string& folder);

}  // namespace bkvp::clients
