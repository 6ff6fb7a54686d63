// bkvp verify: reads every object of an archive and names the first damaged one.
#include <iostream>

#include "app/engine/archive_verify.h"
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
  const std::string path = front::AbsolutePath(options.positional()[0]);
  const VerifyResult result = VerifyArchive(path);
  if (!result.ok) return front::Fail(kName, path + ": damaged: " + result.problem, 1);
  std::cout << path << ": OK, " << result.objectsChecked << " objects read\n";
  return 0;
}

const CommandRegistrar registrar({
    kName,
    "check that every object of an archive can be read back",
    "usage: bkvp verify ARCHIVE\n"
    "\n"
    "Checks the archive's layout, then reads every object back through the archive\n"
    "reader: file contents are unpacked into a scratch folder (which checks every\n"
    "compressed stream to its checksum) and strings are read to their end.\n"
    "Exit status 1 names the first damaged object on stderr.\n",
    RunVerify,
});

}  // namespace
}  // namespace bkvp::cli
