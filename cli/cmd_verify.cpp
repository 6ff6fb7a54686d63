// bkvp verify: checks every object of an archive and names the first damaged one.
#include <iostream>

#include "app/engine/archive_fetch.h"
#include "app/engine/archive_verify.h"
#include "app/engine/remote_place.h"
#include "cli/command.h"
#include "cli/engine_cli.h"

namespace bkvp::cli {
namespace {

using namespace bkvp::engine;
constexpr const char* kName = "verify";

int RunVerify(const std::vector<std::string>& args) {
  front::Options options;
  if (!options.Parse(kName, args, {})) return 2;
  if (options.positional().size() != 1) return front::Fail(kName, "give one archive", 2);
  const FetchedArchive archive = FetchArchive(ResolvePlace(options.positional()[0]));
  if (!archive.status.ok())
    return front::Fail(kName, archive.status.message(), front::kExitCannotStart);
  const std::string& path = archive.shownPath;
  const Result<int> result = VerifyArchive(archive.localPath);
  if (!result.ok()) {
    const Status& why = result.status();
    if (why.code() != Status::Code::kDamaged)
      return front::Fail(kName, why.message(), front::kExitCannotStart);
    return front::Fail(kName, path + ": damaged: " + why.message(), front::kExitFailures);
  }
  std::cout << path << ": OK, " << result.value() << " objects read\n";
  return 0;
}

const CommandRegistrar registrar({
    kName,
    "check that every object of an archive can be read back",
    "usage: bkvp verify ARCHIVE\n"
    "\n"
    "ARCHIVE may be on another machine, rclone:REMOTE:PATH/NAME: it is downloaded\n"
    "into the cache folder first.\n"
    "\n"
    "Checks the archive's layout and every object in it: each record against its\n"
    "section, each section's sum of weights, each registry key's blocks, and every\n"
    "file's data, unpacking compressed data to its checksum without writing it\n"
    "anywhere. Exit status 1 names the first damaged object on stderr; 2 means\n"
    "the archive could not be checked (missing, unreadable, or no regular file).\n",
    RunVerify,
});

}  // namespace
}  // namespace bkvp::cli
