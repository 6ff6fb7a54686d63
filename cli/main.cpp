// bkvp: the command-line front end. Dispatches the first word to the
// subcommand registered under that name.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/engine/program_settings.h"
#include "cli/command.h"
#include "contract/com_types.h"
#include "contract/errors.h"

namespace bkvp::cli {
namespace {

constexpr const char* kVersion = BKVP_VERSION;  // the project version, from the build
constexpr int kUsageError = 2;

// Built on first use: registrars run during static initialisation, in no
// particular order across files.
std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

void PrintUsage(std::ostream& out) {
  out << "usage: bkvp COMMAND [ARGUMENTS...]\n"
         "       bkvp COMMAND --help\n"
         "       bkvp --version\n\n"
         "commands:\n";
  const std::vector<Command> commands = Commands();
  size_t width = 0;
  for (const Command& c : commands) width = std::max(width, c.name.size());
  for (const Command& c : commands)
    out << "  " << c.name << std::string(width - c.name.size() + 2, ' ') << c.summary << "\n";
  out << "\nA first backup: bkvp register; bkvp files add ~/Documents; bkvp backup --to DIR.\n"
         "Files can be chosen by the date they were changed: bkvp files --help explains\n"
         "the rules (months:1 means since the 1st of this month).\n";
}

void PrintHelp(const Command& command) {
  std::cout << command.help;
  if (command.help.empty() || command.help.back() != '\n') std::cout << "\n";
}

bool IsHelpFlag(const std::string& arg) { return arg == "--help" || arg == "-h"; }

const Command* FindCommand(const std::string& name) {
  for (const Command& c : Registry())
    if (c.name == name) return &c;
  return nullptr;
}

int UnknownCommand(const std::string& name) {
  std::cerr << "bkvp: unknown command '" << name << "' (see 'bkvp --help')\n";
  return kUsageError;
}

// Runs a command; exceptions that escape it end the tool with a message.
int Run(const Command& command, const std::vector<std::string>& args) {
  try {
    return command.run(args);
  } catch (const std::exception& e) {
    std::cerr << "bkvp: " << e.what() << "\n";
  } catch (const ComError& e) {
    char status[16];
    std::snprintf(status, sizeof status, "0x%08X", static_cast<unsigned>(e.Error()));
    std::cerr << "bkvp: " << command.name << " failed with status " << status << "\n";
  } catch (const KVError& e) {
    std::cerr << "bkvp: " << command.name << " failed with code " << e.code << "\n";
  }
  return kUsageError;
}

int Main(int argc, char** argv) {
  std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
  if (args.empty()) {
    PrintUsage(std::cerr);
    return kUsageError;
  }
  const std::string first = args.front();
  args.erase(args.begin());
  if (first == "--version") {
    std::cout << "bkvp " << kVersion << "\n";
    return 0;
  }
  if (IsHelpFlag(first) || first == "help") {
    if (args.empty()) {
      PrintUsage(std::cout);
      return 0;
    }
    const Command* command = FindCommand(args.front());
    if (!command) return UnknownCommand(args.front());
    PrintHelp(*command);
    return 0;
  }
  const Command* command = FindCommand(first);
  if (!command) return UnknownCommand(first);
  if (std::any_of(args.begin(), args.end(), IsHelpFlag)) {
    PrintHelp(*command);
    return 0;
  }
  // Every command reads or writes the registry store; a damaged one would
  // read as "nothing stored" and be overwritten.
  if (Status store = engine::CheckSettingsStore(); !store.ok()) {
    std::cerr << "bkvp: " << store.message() << " (move it aside to start with empty settings)\n";
    return 1;
  }
  const int status = Run(*command, args);
  std::cout.flush();
  return status;
}

}  // namespace

CommandRegistrar::CommandRegistrar(Command command) { Registry().push_back(std::move(command)); }

std::vector<Command> Commands() {
  std::vector<Command> sorted = Registry();
  std::sort(sorted.begin(), sorted.end(),
            [](const Command& a, const Command& b) { return a.name < b.name; });
  return sorted;
}

}  // namespace bkvp::cli

int main(int argc, char** argv) { return bkvp::cli::Main(argc, argv); }
