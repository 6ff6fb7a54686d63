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
  return arg[0] == '/' && (arg == "/q" || IsSwitchWord(arg.substr(1)));
}

}  // namespace

ProgramCommandLine ParseProgramCommandLine(const std::vector<std::string>& args) {
  ProgramCommandLine line;
  for (const std::string& arg : args) {
    if (!IsSwitch(arg)) {
      if (line.fileName.empty()) line.fileName = arg;
      continue;
    }
    if (arg == "/q") line.quiet = true;
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
