// Helpers shared by the subcommands that drive the engine: option parsing,
// aligned tables, and turning a run's outcome into messages and an exit
// status.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <ctime>

#include "app/engine/path_pattern.h"
#include "contract/status.h"

namespace bkvp::cli::front {

struct OptionDefinition {
  std::string name;  // "--to"
  int values = 0;    // words that follow the option
  bool repeatable = false;
};

// Options may appear anywhere among the positional words; "--name=value"
// works for one-value options.
class Options {
 public:
  // Prints "bkvp COMMAND: ..." to stderr and returns false on an unknown
  // option, a missing value or a repeated one-time option.
  bool Parse(const std::string& command, const std::vector<std::string>& args,
             const std::vector<OptionDefinition>& definitions);
  bool Has(const std::string& name) const { return values_.count(name) != 0; }
  std::optional<std::string> Value(const std::string& name) const;
  // Every value given, in order (for repeatable and multi-word options).
  std::vector<std::string> Values(const std::string& name) const;
  const std::vector<std::string>& positional() const { return positional_; }

 private:
  std::map<std::string, std::vector<std::string>> values_;
  std::vector<std::string> positional_;
};

// Prints "bkvp COMMAND: text" to stderr and returns status.
int Fail(const std::string& command, const std::string& text, int status);

// The path with the user's home folder written "~".
std::string HomeAbbreviated(const std::string& path);

// An absolute form of a path given on the command line.
std::string AbsolutePath(const std::string& path);

// The path patterns of the command line: a name (no slash) or one that
// begins with "/" or "**" as it is, any other made absolute. Nothing when a pattern is empty or
// longer than 4096 characters.
std::optional<std::vector<engine::PathPattern>> PathPatternsOf(
    const std::vector<std::string>& texts);

// Rows of cells printed with aligned columns; the first row is the heading.
void PrintTable(const std::vector<std::vector<std::string>>& rows);

// A JSON string literal of the text, quotes included.
std::string JsonString(const std::string& text);

// "2003-03-07 14:05:00" in local time.
std::string ShortDateTime(std::time_t time);
// The same moment as a JSON string, "2003-03-07T14:05:00".
std::string JsonTime(std::time_t time);

// Follows a message that no client could be chosen for a backup.
constexpr const char* kClientHint =
    " (see bkvp clients; bkvp files add PATH puts files on the backup list)";

// Exit statuses shared by the subcommands.
constexpr int kExitFailures = 1;     // the run had failures, or a check failed
constexpr int kExitCannotStart = 2;  // usage mistakes, and runs that could not start

// The exit status of a failure: 1 for damage and failures of the work
// itself, 2 for what kept the work from starting (something missing,
// unreadable, busy or not installed, a usage mistake); 0 for success.
int ExitStatusOf(const Status& status);

}  // namespace bkvp::cli::front
