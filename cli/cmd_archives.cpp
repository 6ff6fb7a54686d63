// bkvp archives: the archives of a folder, newest first.
#include "app/engine/archive_list.h"
#include "app/engine/run_backup.h"
#include "cli/command.h"
#include "cli/engine_cli.h"
#include "platform/files.h"

namespace bkvp::cli {
namespace {

using namespace bkvp::engine;
constexpr const char* kName = "archives";

int RunArchives(const std::vector<std::string>& args) {
  front::Options options;
  if (!options.Parse(kName, args, {})) return 2;
  if (options.positional().size() != 1) return front::Fail(kName, "give one folder", 2);
  const std::string folder = WithTrailingSlash(front::AbsolutePath(options.positional()[0]));
  if (!platform::DirectoryExists(folder)) return front::Fail(kName, folder + " is not a folder", 2);

  const std::vector<ArchiveEntry> archives = ListArchives(folder);
  if (archives.empty()) return front::Fail(kName, "no backup archives in " + folder, 1);
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
    "list the archives of a folder, newest first",
    "usage: bkvp archives DIR\n"
    "\n"
    "Lists the backup archives in DIR, newest first: time, label, user, machine,\n"
    "number of clients and file. Files that are not archives are left out.\n"
    "Exit status 1 when DIR holds no archive.\n",
    RunArchives,
});

}  // namespace
}  // namespace bkvp::cli
