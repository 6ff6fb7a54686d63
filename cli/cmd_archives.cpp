// bkvp archives: the archives of a folder or remote place, newest first.
#include <iostream>

#include "app/engine/remote_archives.h"
#include "app/engine/remote_place.h"
#include "cli/command.h"
#include "cli/engine_cli.h"

namespace bkvp::cli {
namespace {

using namespace bkvp::engine;
constexpr const char* kName = "archives";

void PrintJson(const std::vector<ArchiveEntry>& archives) {
  std::cout << "[";
  for (size_t i = 0; i < archives.size(); ++i) {
    const ArchiveEntry& a = archives[i];
    std::cout << (i ? ",\n " : "") << "{\"time\":" << front::JsonTime(a.time)
              << ",\"label\":" << front::JsonString(a.label)
              << ",\"user\":" << front::JsonString(a.userName)
              << ",\"machine\":" << front::JsonString(a.machineName)
              << ",\"clients\":" << a.clientCount << ",\"path\":" << front::JsonString(a.path)
              << "}";
  }
  std::cout << "]\n";
}

int RunArchives(const std::vector<std::string>& args) {
  front::Options options;
  if (!options.Parse(kName, args, {{"--json"}})) return 2;
  if (options.positional().size() != 1) return front::Fail(kName, "give one folder", 2);
  const std::string place = ResolvePlace(options.positional()[0]);
  const Result<std::vector<ArchiveEntry>> listed = ListArchivesAt(place);
  if (!listed.ok()) return front::Fail(kName, listed.status().message(), 2);
  const std::vector<ArchiveEntry>& archives = listed.value();
  if (options.Has("--json")) {
    PrintJson(archives);
    return archives.empty() ? 1 : 0;
  }
  if (archives.empty()) return front::Fail(kName, "no backup archives in " + place, 1);
  std::vector<std::vector<std::string>> rows = {
      {"TIME", "LABEL", "USER", "MACHINE", "CLIENTS", "FILE"}};
  for (const ArchiveEntry& a : archives)
    rows.push_back({front::ShortDateTime(a.time), a.label, a.userName, a.machineName,
                    std::to_string(a.clientCount), a.path});
  front::PrintTable(rows);
  return 0;
}

const CommandRegistrar registrar({
    kName,
    "list the archives of a folder or a remote place, newest first",
    "usage: bkvp archives [--json] DIR|rclone:REMOTE:PATH\n"
    "\n"
    "Lists the backup archives in DIR, newest first: time, label, user, machine,\n"
    "number of clients and file. Files that are not archives are left out. On a\n"
    "remote only the first bytes of each archive are read.\n"
    "  --json  print the list as a JSON array of objects, for scripts\n"
    "Exit status 1 when DIR holds no archive.\n",
    RunArchives,
});

}  // namespace
}  // namespace bkvp::cli
