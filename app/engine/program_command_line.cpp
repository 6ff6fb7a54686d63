#include "app/engine/program_command_line.h"

#include "platform/text.h"

namespace bkvp::engine {
namespace {

bool IsSwitchWord(const std::string& word) {
  for (const char* known : {"RegServer", "UnregServer", "Embedding", "Automation"})
    if (platform::EqualsIgnoreCase(word, known)) return true;
  return false;
}

// "-anything" is a switch; "/word" only for the program's own words, since a
// path begins with "/" as well.
bool IsSwitch(const std::string& arg) {
  if (arg.size() < 2) return false;
  if (arg[0] == '-') return true;
  return arg[0] == '/' && (arg == "/q" || arg == "/?" || IsSwitchWord(arg.substr(1)));
}

}  // namespace

const char* const kProgramUsage =
    "Usage: BackupVopal [/q] [ARCHIVE]\n"
    "Backs up files and folders and the mail, address books and profiles of mail\n"
    "and browser programs, from a wizard and an icon in the notification area.\n"
    "\n"
    "  ARCHIVE          open the restore wizard on this archive (VOPALARC*.KV)\n"
    "  /q               start in the notification area only, without the wizard\n"
    "  /RegServer       register the program and the modules beside it, then end\n"
    "  /UnregServer     remove that registration, then end\n"
    "  --help           print this text\n"
    "\n"
    "The program needs a display; bkvp does the same work on the command line.\n";

ProgramCommandLine ParseProgramCommandLine(const std::vector<std::string>& args) {
  ProgramCommandLine line;
  for (const std::string& arg : args) {
    if (!IsSwitch(arg)) {
      if (line.fileName.empty()) line.fileName = arg;
      continue;
    }
    if (arg == "/q") line.quiet = true;
    if (arg == "--help" || arg == "-h" || arg == "/?") line.help = true;
    const std::string word = arg.substr(1);
    if (line.registration == ProgramCommandLine::Registration::kNone) {
      if (platform::EqualsIgnoreCase(word, "RegServer"))
        line.registration = ProgramCommandLine::Registration::kRegister;
      else if (platform::EqualsIgnoreCase(word, "UnregServer"))
        line.registration = ProgramCommandLine::Registration::kUnregister;
    }
    if (platform::EqualsIgnoreCase(word, "Embedding") ||
        platform::EqualsIgnoreCase(word, "Automation"))
      line.embedded = true;
  }
  return line;
}

}  // namespace bkvp::engine
