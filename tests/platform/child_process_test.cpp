// Running a program to its end: what it says, how it ended, and that a run
// that is stopped or runs out of time ends the child and everything it
// started, even a child that ignores the polite signal.
#include "platform/child_process.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>

#include "platform/processes.h"

namespace bkvp {
namespace {

TEST(ChildProcess, OutputErrorLinesAndExitStatusAreKept) {
  std::vector<std::string> lines;
  const platform::ChildResult result = platform::RunChild(
      {{"sh", "-c", "printf 'out\\0put'; echo first >&2; printf 'last' >&2; exit 3"},
       {"EXTRA=1"},
       {},
       [&](const std::string& line) { lines.push_back(line); }});
  EXPECT_TRUE(result.started);
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(result.output, std::string("out\0put", 7));
  EXPECT_EQ(lines, (std::vector<std::string>{"first", "last"}));
  EXPECT_EQ(result.lastErrorLines, lines);

  const platform::ChildResult env =
      platform::RunChild({{"sh", "-c", "printf %s \"$EXTRA\""}, {"EXTRA=given"}});
  EXPECT_EQ(env.output, "given");

  const platform::ChildResult missing = platform::RunChild({{"/nonexistent/program"}});
  EXPECT_FALSE(missing.started);
  EXPECT_NE(missing.startProblem.find("/nonexistent/program"), std::string::npos);
}

TEST(ChildProcess, AStoppedChildEndsWithEverythingItStarted) {
  // The shell ignores SIGTERM and leaves a sleeping child of its own that
  // holds the pipes open.
  std::atomic<pid_t> grandchild{0};
  std::string said;
  platform::ChildRun run{{"sh", "-c", "trap '' TERM; sleep 60 & echo $!; wait"}};
  run.onOutput = [&](const char* data, size_t size) {
    said.append(data, size);
    if (said.find('\n') != std::string::npos) grandchild = std::stoi(said);
    return true;
  };
  run.shouldStop = [&] { return grandchild != 0; };
  const platform::ChildResult result = platform::RunChild(run);
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.signal, SIGKILL);
  ASSERT_NE(grandchild, 0);
  EXPECT_TRUE(platform::WaitForExit(grandchild, std::chrono::seconds(10)));

  platform::ChildRun slow{{"sleep", "60"}};
  slow.deadline = std::chrono::milliseconds(100);
  const platform::ChildResult late = platform::RunChild(slow);
  EXPECT_TRUE(late.timedOut);
  EXPECT_NE(late.exitCode, 0);

  // A reader that has seen enough ends the child too.
  platform::ChildRun endless{{"yes"}};
  endless.onOutput = [](const char*, size_t) { return false; };
  EXPECT_TRUE(platform::RunChild(endless).outputRefused);
}

}  // namespace
}  // namespace bkvp
