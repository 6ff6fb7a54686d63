// The subcommands of bkvp. Each subcommand lives in its own cmd_*.cpp file
// and registers itself with a static CommandRegistrar.
#pragma once

#include <string>
#include <vector>

namespace bkvp::cli {

struct Command {
  std::string name;     // first word on the command line, e.g. "register"
  std::string summary;  // one line for "bkvp --help"
  std::string help;     // full text for "bkvp NAME --help" (usage and options)
  // args excludes the program and command names. Returns the exit status;
  // errors go to stderr.
  int (*run)(const std::vector<std::string>& args);
};

struct CommandRegistrar {
  explicit CommandRegistrar(Command command);
};

// Registered commands, sorted by name.
std::vector<Command> Commands();

}  // namespace bkvp::cli
