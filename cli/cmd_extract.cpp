// bkvp extract: every object of an archive written below a folder, with the
// archive reader alone.
#include <iostream>

#include "app/engine/archive_extract.h"
#include "app/engine/archive_fetch.h"
#include "app/engine/remote_place.h"
#include "cli/command.h"
#include "cli/engine_cli.h"
#include "cli/run_summary.h"
#include "cli/signals.h"

namespace bkvp::cli {
namespace {

using namespace bkvp::engine;
constexpr const char* kName = "extract";

int RunExtract(const std::vector<std::string>& args) {
  front::Options options;
  std::vector<front::OptionDefinition> definitions = {
      {"--only", 1, true}, {"--overwrite"}, {"--skip-existing"}};
  for (const auto& d : front::SummaryOptions()) definitions.push_back(d);
  if (!options.Parse(kName, args, definitions)) return front::kExitCannotStart;
  if (options.positional().size() != 2)
    return front::Fail(kName, "give an archive and a folder (see bkvp extract --help)",
                       front::kExitCannotStart);
  const FetchedArchive fetched = FetchArchive(ResolvePlace(options.positional()[0]));
  if (!fetched.status.ok())
    return front::Fail(kName, fetched.status.message(), front::kExitCannotStart);
  if (options.Has("--overwrite") && options.Has("--skip-existing"))
    return front::Fail(kName, "--overwrite and --skip-existing exclude each other",
                       front::kExitCannotStart);
  const std::string& archive = fetched.localPath;
  const std::string folder = front::AbsolutePath(options.positional()[1]);
  const auto only = front::PathPatternsOf(options.Values("--only"));
  if (!only)
    return front::Fail(kName, "--only needs a pattern of 1 to 4096 characters",
                       front::kExitCannotStart);

  front::RunSignals signals;
  const ExtractOutcome extracted =
      ExtractArchive(archive, folder, *only, options.Has("--overwrite"), nullptr, signals.cancel());
  const front::SummaryStyle style = front::SummaryStyleOf(options);
  if (style != front::SummaryStyle::kJson)
    for (const std::string& line : extracted.failures) std::cerr << line << "\n";
  front::RunReport report{kName, front::TerminalFrontEnd::Kind::kRestore, style, fetched.shownPath};
  report.destination = folder;
  return front::FinishRun(report, extracted.run);
}

const CommandRegistrar registrar({
    kName,
    "write everything an archive holds into a folder, without the clients",
    "usage: bkvp extract ARCHIVE DIR [--only PATTERN]... [--overwrite | --skip-existing]\n"
    "                    [--quiet | --json]\n"
    "\n"
    "Writes every object of ARCHIVE below DIR/<client name>/: files at their\n"
    "original path (/home/ann/a.txt of \"Files and folders\" becomes\n"
    "DIR/Files and folders/home/ann/a.txt), text objects as NAME.txt, and registry\n"
    "keys as .reg files (bkvp reg import applies one) instead of changing this\n"
    "machine's settings. It needs neither the programs the archive came from nor\n"
    "their clients.\n"
    "\n"
    "  --only PATTERN  only the files whose original path matches (* and ? within a\n"
    "                  folder name, ** across folders, a folder for all below it;\n"
    "                  without a slash, names in any folder); repeatable\n"
    "  --overwrite     replace files that are there already\n"
    "  --skip-existing keep files that are there already as they are (the default);\n"
    "                  they are counted, not failed\n"
    "  --quiet         print only problems\n"
    "  --json          print the outcome as one JSON object, for scripts\n"
    "\n"
    "Exit status: 0 everything was extracted, 1 something was not (named on stderr),\n"
    "2 the extraction could not start.\n",
    RunExtract,
});

}  // namespace
}  // namespace bkvp::cli
