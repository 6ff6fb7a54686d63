// bkvp clients: what discovery finds, and why it leaves a client out.
#include <iostream>

#include "app/engine/discovery.h"
#include "cli/command.h"
#include "cli/engine_cli.h"

namespace bkvp::cli {
namespace {

using namespace bkvp::engine;
constexpr const char* kName = "clients";

int RunClients(const std::vector<std::string>& args) {
  front::Options options;
  if (!options.Parse(kName, args, {})) return 2;
  if (!options.positional().empty()) return front::Fail(kName, "takes no arguments", 2);
  std::vector<DiscoveryNote> notes;
  DiscoverClients(&notes);
  if (notes.empty()) {
    std::cout << "No clients are registered yet: run bkvp register.\n";
    return 0;
  }
  std::vector<std::vector<std::string>> rows = {{"NAME", "CLASS", "VERSION", "STATE"}};
  for (const DiscoveryNote& n : notes) {
    const std::string name = !n.clientName.empty() ? n.clientName : n.registeredName;
    const std::string version =
        n.accepted || n.versionMajor || n.versionMinor
            ? std::to_string(n.versionMajor) + "." + std::to_string(n.versionMinor)
            : "-";
    const std::string state = !n.accepted ? "refused: " + n.refusal
                              : n.present ? "present"
                                          : "not present";
    rows.push_back({name, n.key, version, state});
  }
  front::PrintTable(rows);
  return 0;
}

const CommandRegistrar registrar({
    kName,
    "list the installed clients",
    "usage: bkvp clients\n"
    "\n"
    "Lists every client that bkvp register made known: its name, identifier,\n"
    "version, and whether the application it serves is present here, or why it\n"
    "is left out (it cannot be loaded, or it is newer than this program).\n",
    RunClients,
});

}  // namespace
}  // namespace bkvp::cli
