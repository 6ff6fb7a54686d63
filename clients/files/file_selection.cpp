#include "clients/files/file_selection.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text.h"

namespace bkvp::files {

using platform::FILE_ATTRIBUTE_DIRECTORY;
using platform::FILE_ATTRIBUTE_TEMPORARY;

namespace {

// Lexically tidied ("a//b/./c" is "a/b/c"), so that the same file reached
// through differently written entries gets the same name.
std::string TidyPath(const std::string& path) {
  std::string tidy = std::filesystem::path(path).lexically_normal().string();
  while (tidy.size() > 1 && tidy.back() == '/') tidy.pop_back();
  return tidy;
}

// "*" and "*.*" match every name; they are the usual include masks, and
// matching costs more than everything else the walk does per file.
bool MatchesAny(const std::vector<std::string>& masks, std::string_view name) {
  return std::any_of(masks.begin(), masks.end(), [&](const std::string& mask) {
    return mask == "*" || mask == "*.*" || platform::WildcardMatch(mask, name);
  });
}

// A lookup or listing that failed for another reason than the thing not
// being there.
bool IsProblem(uint32_t error) {
  return error != platform::ERROR_SUCCESS && error != platform::ERROR_FILE_NOT_FOUND &&
         error != platform::ERROR_PATH_NOT_FOUND;
}

void Note(Selection& selection, const std::string& path, uint32_t error, bool folder) {
  selection.problems.push_back({path, error, folder});
}

// A folder by its identity, whatever path leads to it.
struct FolderIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool known = false;
};

FolderIdentity IdentityOf(const std::string& folder) {
  struct stat st {};
  if (folder.empty() || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), true};
}

// What a special file is, for the line that leaves it out.
std::string KindOf(uint32_t fileType) {
  switch (fileType) {
    case S_IFSOCK:
      return "a socket";
    case S_IFIFO:
      return "a pipe";
    case S_IFCHR:
    case S_IFBLK:
      return "a device";
    default:
      return "not a regular file";
  }
}

void AddIfDayAccepted(const std::string& path, int64_t day, const DateRule& include,
                      const DateRule& exclude, const DateContext& context,
                      std::vector<BackupItem>& items, bool link = false) {
  if (DateAccepted(include, exclude, day, context))
    items.push_back({path, LocalNameOf(path), link});
}

// A name matching an exclude mask is excluded in every folder of the tree,
// and the include walk only visits folders of that tree, so testing each
// name against the exclude masks is the same as collecting the excluded
// paths of the whole tree first, without holding them.
//
// Symbolic links found in the walk are saved as links, whatever they point
// to (a file, a folder, nothing): a link to a folder could lead out of the
// chosen tree or back into it, and a link saved as a copy of its target
// comes back as a file that no longer follows the target. The masks and
// date rules look at the link itself.
//
// A folder that cannot be listed is a problem; so is a chosen folder that no
// longer exists, while a subfolder removed during the walk is simply gone.
void WalkFolder(const FolderEntry& entry, const DateContext& context,
                const FolderIdentity& destination, Selection& selection) {
  const std::vector<std::string> include = SplitMasks(entry.includeMasks);
  if (include.empty()) return;
  const std::vector<std::string> exclude = SplitMasks(entry.excludeMasks);

  std::string root = TidyPath(entry.path);
  if (root.empty()) return;
  if (root.back() != '/') root += '/';
  std::vector<std::string> pending{root};
  while (!pending.empty()) {
    const std::string folder = std::move(pending.back());
    pending.pop_back();
    const std::vector<platform::FindData> listing = platform::FindFiles(folder + "*");
    if (const uint32_t error = platform::GetLastError();
        IsProblem(error) || (error == platform::ERROR_PATH_NOT_FOUND && folder == root))
      Note(selection, folder.substr(0, folder.size() - 1), error, true);
    for (const platform::FindData& found : listing) {
      const std::string path = folder + found.name;
      if (found.isSymlink) {
        // The listing described what the link points to; the link itself
        // is what is saved.
        const auto link = platform::GetLinkInfo(path);
        if (link && link->isSymlink && MatchesAny(include, found.name) &&
            !MatchesAny(exclude, found.name))
          AddIfDayAccepted(path, UtcDayOf(link->lastWriteTime), entry.includeRule,
                           entry.excludeRule, context, selection.items, /*link=*/true);
        continue;
      }
      const uint32_t attributes = found.attributes;
      const platform::FILETIME lastWrite = found.lastWriteTime;
      if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (!entry.recursive) continue;
        if (destination.known && found.device == destination.device &&
            found.inode == destination.inode)
          selection.leftOut.push_back("Left out: " + path +
                                      " and everything below it, the folder this backup is "
                                      "written to.");
        else
          pending.push_back(path + "/");
        continue;
      }
      if ((attributes & FILE_ATTRIBUTE_TEMPORARY) || !MatchesAny(include, found.name) ||
          MatchesAny(exclude, found.name))
        continue;
      if (!found.isRegular) {
        selection.leftOut.push_back(path + " left out: " + KindOf(found.fileType) + ", not a file");
        continue;
      }
      AddIfDayAccepted(path, UtcDayOf(lastWrite), entry.includeRule, entry.excludeRule, context,
                       selection.items);
    }
  }
}

// Two names that differ only in letter case are one file on a file system
// that ignores case, and two files on one that does not.
bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  if (!platform::EqualsIgnoreCase(a, b)) return false;
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace

std::string LocalNameOf(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::vector<std::string> LogLinesOf(const SelectionProblem& problem) {
  return {std::string(problem.folder ? "Folder" : "File") + " Backup " + problem.path + " FAILED",
          problem.path + ": " + platform::ErrorMessage(problem.error)};
}

Selection SelectFiles(const std::vector<ListEntry>& entries, const DateContext& context,
                      const std::string& destination) {
  Selection selection;
  const FolderIdentity destinationFolder = IdentityOf(destination);
  for (const ListEntry& entry : entries) {
    if (const auto* folder = std::get_if<FolderEntry>(&entry)) {
      WalkFolder(*folder, context, destinationFolder, selection);
    } else {
      const auto& file = std::get<FileEntry>(entry);
      const std::string path = TidyPath(file.path);
      // A file the user listed by name is missed when it is gone, unlike
      // one that a folder walk no longer finds. Links are followed.
      const auto info = platform::GetFileInfo(path);
      if (!info) {
        const uint32_t error = platform::GetLastError();
        Note(selection, path, error ? error : platform::ERROR_FILE_NOT_FOUND, false);
        continue;
      }
      if (!(info->attributes & FILE_ATTRIBUTE_DIRECTORY))
        AddIfDayAccepted(path, UtcDayOf(info->lastWriteTime), file.rule, DateRule{}, context,
                         selection.items);
    }
  }
  return selection;
}

void SortAndRemoveDuplicates(std::vector<BackupItem>& items) {
  // Each name lowered once, not once per comparison.
  struct Keyed {
    std::string lower;
    BackupItem item;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(items.size());
  for (BackupItem& item : items)
    keyed.push_back({platform::ToLower(item.fullPath), std::move(item)});
  // Ties broken byte-wise so that equal names always end up side by side.
  std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    const int order = a.lower.compare(b.lower);
    return order != 0 ? order < 0 : a.item.fullPath < b.item.fullPath;
  });
  items.clear();
  size_t runStart = 0;  // the first kept item whose name equals the current one ignoring case
  for (size_t i = 0; i < keyed.size(); ++i) {
    if (i == 0 || keyed[i].lower != keyed[i - 1].lower) runStart = items.size();
    // Names equal ignoring case sit together after the sort; compare with
    // each kept one of that run.
    bool repeat = false;
    for (size_t k = runStart; k < items.size() && !repeat; ++k)
      repeat = SameFile(items[k].fullPath, keyed[i].item.fullPath);
    if (!repeat) items.push_back(std::move(keyed[i].item));
  }
}

}  // namespace bkvp::files
