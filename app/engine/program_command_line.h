// The program's own command line: optional switches and an optional archive
// file name.
//
// Switches begin with "-" or "/". Because paths here begin with "/" too, a
// parameter beginning with "/" counts as a switch only when it is one of the
// program's switch words; anything else that is not a "-" switch is a file
// name, and the first such parameter is the one taken.
#pragma once

#include <string>
#include <vector>

namespace bkvp::engine {

struct ProgramCommandLine {
  enum class Registration { kNone, kRegister, kUnregister };
  // "RegServer" / "UnregServer" after "/" or "-", any letter case; the first
  // of the two on the line is the one acted on.
  Registration registration = Registration::kNone;
  // "/q" exactly (letter case and slash matter): no wizard at start-up and
  // no "CmdLineFile" written.
  bool quiet = false;
  // "Embedding" or "Automation" after "/" or "-": started as a component
  // server, so start-up stops before any window.
  bool embedded = false;
  // "--help", "-h" or "/?": print the usage and end, no display needed.
  bool help = false;
  // The first parameter that is not a switch; empty when none.
  std::string fileName;
};

// What --help prints.
extern const char* const kProgramUsage;

// args excludes the program's own name.
ProgramCommandLine ParseProgramCommandLine(const std::vector<std::string>& args);

}  // namespace bkvp::engine
