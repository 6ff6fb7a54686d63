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

void PrintJson(const std::string& path, const char* result, int objects,
               const std::string& problem) {
  std::cout << "{\"archive\":" << front::JsonString(path) << ",\"result\":\"" << result
            << "\",\"objects\":" << objects << ",\"problem\":" << front::JsonString(problem)
            << "}\n";
}

int RunVerify(const std::vector<std::string>& args) {
  front::Options options;
  if (!options.Parse(kName, args, {{"--json"}})) return 2;
  if (options.positional().size() != 1) return front::Fail(kName, "give one archive", 2);
  const bool json = options.Has("--json");
  const FetchedArchive archive = FetchArchive(ResolvePlace(options.positional()[0]));
  const std::string& path = archive.shownPath;
  const Result<int> result =
      archive.status.ok() ? VerifyArchive(archive.localPath) : Result<int>(archive.status);
  if (result.ok()) {
    if (json)
      PrintJson(path, "ok", result.value(), "");
    else
      std::cout << path << ": OK, " << result.value() << " objects read\n";
    return 0;
  }
  const Status& why = result.status();
  const bool damaged = why.code() == Status::Code::kDamaged;
  if (json) PrintJson(path, damaged ? "damaged" : "not checked", 0, why.message());
  if (!damaged) return front::Fail(kName, why.message(), front::kExitCannotStart);
  return front::Fail(kName, path + ": damaged: " + why.message(), front::kExitFailures);
}

const CommandRegistrar registrar({
    kName,
    "check that every object of an archive can be read back",
    "usage: bkvp verify [--json] ARCHIVE\n"
    "\n"
    "ARCHIVE may be on another machine, rclone:REMOTE:PATH/NAME: it is downloaded\n"
    "into the cache folder first.\n"
    "\n"
    "Checks the archive's layout and every object in it: each record against its\n"
    "section, each section's sum of weights, each registry key's blocks, and every\n"
    "file's data, unpacking compressed data to its checksum without writing it\n"
    "anywhere. Exit status 1 names the first damaged object on stderr; 2 means\n"
    "the archive could not be checked (missing, unreadable, or no regular file).\n"
    "\n"
    "  --json  print the outcome as one JSON object (result ok, damaged or not\n"
    "          checked), for scripts\n",
    RunVerify,
});

}  // namespace
}  // namespace bkvp::cli
