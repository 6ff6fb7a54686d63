// Running another program to its end and reading what it says: an argument
// vector handed to exec (no shell, so no quoting), standard input from
// /dev/null, standard output and error read through pipes.
//
// The child gets a process group of its own (a Ctrl-C at the terminal is
// the caller's to handle, not the child's) and dies with the caller
// (PR_SET_PDEATHSIG), so a killed bkvp never leaves a transfer running. A
// run ends when the child ends, when `shouldStop` says so, or when its
// deadline passes; the child is then sent SIGTERM and, should it linger,
// SIGKILL.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#pragma GCC visibility push(default)

namespace bkvp::platform {

struct ChildRun {
  // argv[0] is the program: a path, or a name looked up on PATH.
  std::vector<std::string> argv;
  // Extra "NAME=value" entries added to the caller's environment.
  std::vector<std::string> environment;
  // Standard output as it comes; returning false ends the child (a reader
  // that has seen enough). Without it, the output is collected in
  // ChildResult::output.
  std::function<bool(const char* data, size_t size)> onOutput;
  // Every line of standard error, without its line break.
  std::function<void(const std::string& line)> onErrorLine;
  // Asked several times a second; true ends the child.
  std::function<bool()> shouldStop;
  // How long the child may take in all; none when unset.
  std::optional<std::chrono::milliseconds> deadline;
};

struct ChildResult {
  bool started = false;
  std::string startProblem;                 // why it could not start (a sentence)
  int exitCode = -1;                        // when it exited by itself
  int signal = 0;                           // the signal that ended it, else 0
  bool stopped = false;                     // ended because shouldStop said so
  bool timedOut = false;                    // ended because the deadline passed
  bool outputRefused = false;               // ended because onOutput returned false
  std::string output;                       // standard output when no onOutput was given
  std::vector<std::string> lastErrorLines;  // the last lines of standard error

  bool succeeded() const { return started && exitCode == 0; }
};

ChildResult RunChild(const ChildRun& run);

// The path of an executable file called `name` in one of the folders of
// PATH; nullopt when there is none. A name with a "/" is checked as it is.
std::optional<std::string> FindProgram(const std::string& name);

}  // namespace bkvp::platform

#pragma GCC visibility pop
