// bkvp show: an archive's header, client sections and every object record.
#include <iostream>

#include <iomanip>

#include "app/engine/archive_fetch.h"
#include "app/engine/archive_files.h"
#include "app/engine/archive_inspect.h"
#include "app/engine/remote_place.h"
#include "cli/command.h"
#include "cli/engine_cli.h"
#include "clients/files/files_identity.h"
#include "contract/com_types.h"
#include "platform/text.h"
#include "platform/time.h"

namespace bkvp::cli {
namespace {

using namespace bkvp::engine;
constexpr const char* kName = "show";

const char* TypeName(uint16_t type) {
  switch (type) {
    case kObjectFile:
      return "file";
    case kObjectRegistryKey:
      return "key";
    case kObjectString:
      return "string";
    default:
      return "unknown";
  }
}

// The files a restore of the files client would write.
int ShowFiles(const std::string& path, const std::vector<std::string>& patternTexts, bool json) {
  const auto patterns = front::PathPatternsOf(patternTexts);
  if (!patterns) return front::Fail(kName, "a pattern needs 1 to 4096 characters", 2);
  std::vector<ArchivedFile> files;
  const Status listed = ListArchivedFiles(path, files::kFilesServiceClsid, *patterns, files);
  if (json) {
    std::cout << "[";
    for (size_t i = 0; i < files.size(); ++i)
      std::cout << (i ? ",\n " : "") << "{\"path\":" << front::JsonString(files[i].path)
                << ",\"size\":" << files[i].size
                << ",\"modified\":" << front::JsonTime(files[i].modified) << "}";
    std::cout << "]\n";
  } else {
    for (const ArchivedFile& f : files)
      std::cout << front::ShortDateTime(f.modified) << "  " << std::setw(12) << f.size << "  "
                << platform::EscapeControls(f.path) << "\n";
  }
  if (!listed.ok()) return front::Fail(kName, listed.message(), front::ExitStatusOf(listed));
  PatternTally tally(*patterns);
  for (const ArchivedFile& f : files) tally.Note(f.path);
  if (Status found = tally.Unmatched(); !found.ok())
    return front::Fail(kName, found.message(), front::kExitFailures);
  return 0;
}

int RunShow(const std::vector<std::string>& args) {
  front::Options options;
  if (!options.Parse(kName, args, {{"--files"}, {"--json"}})) return 2;
  if (options.positional().empty() || (options.positional().size() > 1 && !options.Has("--files")))
    return front::Fail(kName, "give one archive", 2);
  if (options.Has("--json") && !options.Has("--files"))
    return front::Fail(kName, "--json goes with --files", 2);
  const FetchedArchive archive = FetchArchive(ResolvePlace(options.positional()[0]));
  if (!archive.status.ok())
    return front::Fail(kName, archive.status.message(), front::ExitStatusOf(archive.status));
  const std::string& path = archive.shownPath;
  if (options.Has("--files"))
    return ShowFiles(
        archive.localPath,
        std::vector<std::string>(options.positional().begin() + 1, options.positional().end()),
        options.Has("--json"));

  std::vector<std::vector<std::string>> objects;
  auto flushObjects = [&] {
    if (objects.size() > 1) front::PrintTable(objects);
    objects.clear();
  };
  ArchiveVisitor visitor;
  visitor.header = [&](const InspectedHeader& h) {
    std::cout << "Archive:  " << path << " (" << h.fileSize << " bytes)\n"
              << "Time:     " << platform::FormatLongDateTime(platform::TmFromDate(h.time)) << "\n"
              << "Label:    " << platform::EscapeControls(h.label) << "\n"
              << "User:     " << platform::EscapeControls(h.userName) << "\n"
              << "Machine:  " << platform::EscapeControls(h.machineName) << "\n"
              << "Version:  " << h.versionMajor << "." << h.versionMinor << "\n"
              << "Clients:  " << h.clientCount << "\n";
  };
  visitor.client = [&](const InspectedClient& c) {
    flushObjects();
    std::cout << "\nClient " << c.index + 1 << ": " << platform::EscapeControls(c.name) << " "
              << platform::EscapeControls(c.clsid) << " (section at " << c.sectionOffset
              << ", total weight " << c.totalWeight << ", " << c.optionBytes << " option bytes)\n";
    objects.push_back({"  TYPE", "WEIGHT", "STORED", "COMPRESSED", "NAME"});
  };
  visitor.object = [&](const InspectedClient&, const InspectedObject& o) {
    objects.push_back({std::string("  ") + TypeName(o.type), std::to_string(o.weight),
                       std::to_string(o.storedSize), o.compressed ? "yes" : "no",
                       platform::EscapeControls(o.name)});
  };
  const Status shown = InspectArchive(archive.localPath, visitor);
  flushObjects();
  if (!shown.ok()) return front::Fail(kName, shown.message(), front::ExitStatusOf(shown));
  return 0;
}

const CommandRegistrar registrar({
    kName,
    "show an archive's header, clients and objects",
    "usage: bkvp show ARCHIVE\n"
    "       bkvp show ARCHIVE --files [PATTERN]... [--json]\n"
    "\n"
    "Prints the archive header, each client section and every object in it: type,\n"
    "weight, stored size, whether the data is compressed, and name. A damaged\n"
    "layout is named on stderr (exit status 1); a file that is missing or cannot\n"
    "be read gives exit status 2.\n"
    "\n"
    "With --files: the files a restore of files and folders would write, one per\n"
    "line with their time and size, or those matching a PATTERN (as restore --only\n"
    "takes them: \"*.md\" in any folder); --json prints them as a JSON array for\n"
    "scripts. A pattern that matches no file gives exit status 1.\n"
    "\n"
    "ARCHIVE may be on another machine, rclone:REMOTE:PATH/NAME: it is downloaded\n"
    "into the cache folder first.\n",
    RunShow,
});

}  // namespace
}  // namespace bkvp::cli
