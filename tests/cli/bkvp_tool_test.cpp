// The bkvp entry point: help, version, and how misuse is reported.
#include <gtest/gtest.h>

#include <regex>

#include "tests/support/test_support.h"

namespace {

using bkvp::testing::BinDir;
using bkvp::testing::CommandResult;
using bkvp::testing::RunCommand;

std::string Tool() { return BinDir() + "/bkvp"; }
// Only what the tool writes to standard output / standard error.
CommandResult Stdout(const std::string& args) {
  return RunCommand("{ " + Tool() + args + " 2>/dev/null; }");
}
CommandResult Stderr(const std::string& args) {
  return RunCommand("{ " + Tool() + args + " >/dev/null; }");
}

TEST(BkvpTool, HelpListsCommandsWithSummaries) {
  for (const char* flag : {" --help", " help"}) {
    const CommandResult result = Stdout(flag);
    EXPECT_EQ(result.exitCode, 0) << flag;
    EXPECT_NE(result.output.find("  register  "), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("  unregister  "), std::string::npos) << result.output;
  }
  const CommandResult command = Stdout(" register --help");
  EXPECT_EQ(command.exitCode, 0);
  EXPECT_EQ(command.output.rfind("usage: bkvp register", 0), 0u) << command.output;
}

TEST(BkvpTool, PrintsItsVersion) {
  const CommandResult result = Stdout(" --version");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(std::regex_match(result.output, std::regex("bkvp [0-9]+(\\.[0-9]+){1,3}\n")))
      << result.output;
}

TEST(BkvpTool, MisuseGoesToStandardErrorWithStatusTwo) {
  const CommandResult none = Stderr("");
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_NE(none.output.find("usage: bkvp"), std::string::npos) << none.output;

  const CommandResult unknown = Stderr(" frobnicate");
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.output.find("unknown command 'frobnicate'"), std::string::npos)
      << unknown.output;
  EXPECT_EQ(Stdout(" frobnicate").output, "");
}

}  // namespace
