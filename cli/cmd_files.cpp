// bkvp files: edits the files client's backup list in the registry, writing
// the same values as the client's backup page.
#include <charconv>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "clients/files/backup_list_store.h"
#include "clients/files/entry_columns.h"
#include "clients/files/entry_text.h"
#include "clients/files/list_rules.h"
#include "platform/files.h"

namespace bkvp::cli {
namespace {

using namespace bkvp::files;

constexpr int kFailure = 1;
constexpr int kUsageError = 2;

// Usage problems are reported by throwing this and end with kUsageError.
struct UsageError {
  std::string text;
};

std::optional<int> ParseNumber(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// YYYY-MM-DD; whether the day exists is the rule check's business.
CalendarDate DateIn(std::string_view text, const std::string& rule) {
  const auto bad = [&] { return UsageError{"'" + rule + "': the date must be YYYY-MM-DD"}; };
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') throw bad();
  const auto y = ParseNumber(text.substr(0, 4));
  const auto m = ParseNumber(text.substr(5, 2));
  const auto d = ParseNumber(text.substr(8, 2));
  if (!y || !m || !d) throw bad();
  return CalendarDate{*y, *m, *d};
}

int CountIn(std::string_view text, const std::string& rule) {
  const auto n = ParseNumber(text);
  if (!n) throw UsageError{"'" + rule + "': the count must be a number"};
  return *n;
}

// RULE: today, days:N (1-7; one day is "today"), weeks:N (1-4),
// months:N (1-36), before:YYYY-MM-DD, after:YYYY-MM-DD — the choices of the
// property dialogs.
DateRule ParseRule(const std::string& rule) {
  const size_t colon = rule.find(':');
  const std::string kind = rule.substr(0, colon);
  const bool hasValue = colon != std::string::npos;
  const std::string_view value = hasValue ? std::string_view(rule).substr(colon + 1) : "";
  DateRule result;
  if (kind == "today" && !hasValue) {
    result.kind = kRuleToday;
  } else if (kind == "days" && hasValue) {
    result.kind = kRuleLastDays;
    result.count = CountIn(value, rule);
  } else if (kind == "weeks" && hasValue) {
    result.kind = kRuleLastWeeks;
    result.count = CountIn(value, rule);
  } else if (kind == "months" && hasValue) {
    result.kind = kRuleLastMonths;
    result.count = CountIn(value, rule);
  } else if ((kind == "before" || kind == "after") && hasValue) {
    result.kind = kind == "before" ? kRuleBefore : kRuleAfter;
    result.date = DateIn(value, rule);
  } else {
    throw UsageError{"unknown rule '" + rule +
                     "' (today, days:N, weeks:N, months:N, before:DATE, after:DATE)"};
  }
  if (const std::string problem = CheckRule(result); !problem.empty())
    throw UsageError{"'" + rule + "': " + problem};
  // One day back is today, as the dialogs store it.
  if (result.kind == kRuleLastDays && result.count == 1) result = DateRule{kRuleToday, -1, {}};
  return result;
}

// The masks as the mask input box turns them into list rows. "*.*" stays
// allowed as the whole include list, which is its default.
std::string ParseMasks(const std::string& text, bool exclude) {
  std::vector<std::string> masks;
  for (const std::string& typed : SplitMasks(text)) {
    const std::string mask = CompleteMask(typed);
    const bool defaultInclude = !exclude && mask == "*.*" && masks.empty();
    const MaskProblem problem = CheckMask(mask, masks);
    if (problem != MaskProblem::kNone && !defaultInclude)
      throw UsageError{"mask '" + typed + "': " + MaskProblemText(problem)};
    masks.push_back(mask);
  }
  if (!exclude && masks.empty()) throw UsageError{"--include needs at least one mask"};
  if (!exclude && masks.size() > 1 && masks.front() == "*.*")
    throw UsageError{std::string("mask '*.*': ") +
                     MaskProblemText(MaskProblem::kAllFilesNotAllowed)};
  return JoinMasks(masks);
}

std::string FullPath(const std::string& path) {
  std::string full = std::filesystem::absolute(path).lexically_normal().string();
  while (full.size() > 1 && full.back() == '/') full.pop_back();
  // The stored text uses TAB and CR as separators.
  if (full.find_first_of("\t\r") != std::string::npos)
    throw UsageError{"a path with a tab or carriage return cannot be listed: " + path};
  return full;
}

int Store(const std::vector<ListEntry>& entries) {
  if (const auto status = WriteBackupList(entries); status != platform::ERROR_SUCCESS) {
    std::cerr << "bkvp files: cannot write the backup list: "
              << platform::ErrorMessage(static_cast<uint32_t>(status)) << "\n";
    return kFailure;
  }
  return 0;
}

const std::string& OptionValue(const std::vector<std::string>& args, size_t& i) {
  if (i + 1 >= args.size()) throw UsageError{args[i] + " needs a value"};
  return args[++i];
}

int Add(const std::vector<std::string>& args) {
  std::optional<std::string> path;
  FolderEntry folder;
  bool folderOnlyOption = false;
  std::optional<DateRule> modified;
  // Repeated --include and --exclude add to one list each.
  std::vector<std::string> includes, excludes;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--no-recursive") {
      folder.recursive = false;
      folderOnlyOption = true;
    } else if (arg == "--include") {
      includes.push_back(OptionValue(args, i));
      folderOnlyOption = true;
    } else if (arg == "--exclude") {
      excludes.push_back(OptionValue(args, i));
      folderOnlyOption = true;
    } else if (arg == "--modified") {
      modified = ParseRule(OptionValue(args, i));
    } else if (arg == "--exclude-modified") {
      folder.excludeRule = ParseRule(OptionValue(args, i));
      folderOnlyOption = true;
    } else if (arg.starts_with("--") || path) {
      throw UsageError{"unexpected argument '" + arg + "'"};
    } else {
      path = arg;
    }
  }
  if (!path) throw UsageError{"add needs a PATH"};
  const std::string full = FullPath(*path);
  if (!includes.empty()) folder.includeMasks = ParseMasks(JoinMasks(includes), false);
  if (!excludes.empty()) folder.excludeMasks = ParseMasks(JoinMasks(excludes), true);

  ListEntry entry;
  if (platform::DirectoryExists(full)) {
    folder.path = full;
    if (modified) folder.includeRule = *modified;
    entry = folder;
  } else if (platform::FileExists(full)) {
    if (folderOnlyOption) throw UsageError{full + " is a file: only --modified applies to a file"};
    entry = FileEntry{full, modified.value_or(DateRule{})};
  } else {
    std::cerr << "bkvp files: no such file or folder: " << full << "\n";
    return kFailure;
  }
  std::vector<ListEntry> entries = ReadBackupList();
  for (size_t i = 0; i < entries.size(); ++i)
    if (EntryPath(entries[i]) == full) {
      std::cerr << "bkvp files: " << full << " is already on the backup list as entry " << i
                << " (bkvp files remove " << i << ", then add it again to change it)\n";
      return kFailure;
    }
  entries.push_back(entry);
  if (const int status = Store(entries); status != 0) return status;
  std::cout << "added " << entries.size() - 1 << ": " << full << "\n";
  return 0;
}

void PrintEntry(size_t index, const ListEntry& entry) {
  std::cout << index << "  ";
  const EntryColumns columns = ColumnsOf(entry);
  if (const auto* folder = std::get_if<FolderEntry>(&entry)) {
    std::cout << "folder  " << folder->path << (folder->recursive ? "  (recursive)" : "") << "\n";
    std::cout << "     include: " << columns.include << "\n";
    if (!columns.exclude.empty()) std::cout << "     exclude: " << columns.exclude << "\n";
  } else {
    std::cout << "file    " << EntryPath(entry) << "\n     " << columns.include << "\n";
  }
}

int List(const std::vector<std::string>& args) {
  if (args.size() > 1) throw UsageError{"list takes no arguments"};
  const std::vector<ListEntry> entries = ReadBackupList();
  if (entries.empty()) std::cout << "the backup list is empty\n";
  for (size_t i = 0; i < entries.size(); ++i) PrintEntry(i, entries[i]);
  return 0;
}

int Remove(const std::vector<std::string>& args) {
  if (args.size() != 2) throw UsageError{"remove needs one entry number"};
  std::vector<ListEntry> entries = ReadBackupList();
  const auto n = ParseNumber(args[1]);
  if (!n || *n < 0 || static_cast<size_t>(*n) >= entries.size()) {
    std::cerr << "bkvp files: no entry " << args[1] << " (the list has " << entries.size() << ")\n";
    return kFailure;
  }
  const std::string path = EntryPath(entries[*n]);
  entries.erase(entries.begin() + *n);
  if (const int status = Store(entries); status != 0) return status;
  std::cout << "removed " << *n << ": " << path << "\n";
  return 0;
}

int Clear(const std::vector<std::string>& args) {
  if (args.size() > 1) throw UsageError{"clear takes no arguments"};
  const size_t count = ReadBackupList().size();
  if (const int status = Store({}); status != 0) return status;
  std::cout << "removed " << count << (count == 1 ? " entry" : " entries")
            << "; the backup list is empty\n";
  return 0;
}

int RunFiles(const std::vector<std::string>& args) {
  try {
    const std::string sub = args.empty() ? "" : args[0];
    if (sub == "add") return Add(args);
    if (sub == "list") return List(args);
    if (sub == "remove") return Remove(args);
    if (sub == "clear") return Clear(args);
    throw UsageError{"expected add, list, remove or clear"};
  } catch (const UsageError& error) {
    std::cerr << "bkvp files: " << error.text << " (see 'bkvp files --help')\n";
    return kUsageError;
  }
}

const CommandRegistrar kRegistrar{{
    "files",
    "edit the backup list of the files and folders client",
    "usage: bkvp files add PATH [--no-recursive] [--include \"MASK | MASK\"]\n"
    "                           [--exclude \"MASK | ...\"] [--modified RULE]\n"
    "                           [--exclude-modified RULE]\n"
    "       bkvp files list\n"
    "       bkvp files remove N\n"
    "       bkvp files clear\n"
    "\n"
    "add appends a folder (recursive, all files, unless the options say otherwise)\n"
    "or a single file (only --modified applies) to the backup list. list shows the\n"
    "entries with their numbers; remove deletes entry N; clear empties the list.\n"
    "\n"
    "--include and --exclude may be repeated; their masks add up.\n"
    "A MASK without a dot is taken as an extension: doc is *.doc, old* is *.old*\n"
    "(write old*.* for names that begin with old). RULE is one of:\n"
    "today, days:N (1-7), weeks:N (1-4), months:N (1-36), before:YYYY-MM-DD,\n"
    "after:YYYY-MM-DD. Days, weeks and months count whole calendar periods,\n"
    "this one included: days:2 is today and yesterday, weeks:1 since the first\n"
    "day of this week, months:1 since the 1st of this month, months:2 since the\n"
    "1st of last month. --modified saves the files whose date the rule holds for;\n"
    "--exclude-modified leaves them out.\n",
    &RunFiles,
}};

}  // namespace
}  // namespace bkvp::cli
