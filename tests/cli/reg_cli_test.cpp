#include <string>

#include "tests/support/test_support.h"

namespace {

using bkvp::testing::CommandResult;
using bkvp::testing::ReadFile;
using bkvp::testing::RunCommand;
using bkvp::testing::WriteFile;

class RegCommand : public bkvp::testing::HomeFixture {
 protected:
  static CommandResult Bkvp(const std::string& arguments) {
    return RunCommand("'" + bkvp::testing::BinDir() + "/bkvp' " + arguments);
  }
};

constexpr const char* kTree =
    "REGEDIT4\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\CliTest]\n"
    "@=\"top\"\n"
    "\"Count\"=dword:00000003\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\CliTest\\alpha]\n"
    "\"Bytes\"=hex:00,ff\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\CliTest\\Beta]\n"
    "\"List\"=hex(7):61,00,00\n"
    "\n";

TEST_F(RegCommand, ImportThenExportReproducesTheFile) {
  const std::string file = home() + "/tree.reg";
  WriteFile(file, kTree);
  CommandResult result = Bkvp("reg import '" + file + "'");
  ASSERT_EQ(result.exitCode, 0) << result.output;

  result = Bkvp("reg export 'HKEY_CURRENT_USER\\Software\\CliTest'");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, kTree);
  const std::string copy = home() + "/copy.reg";
  ASSERT_EQ(Bkvp("reg export 'HKEY_CURRENT_USER\\Software\\CliTest' '" + copy + "'").exitCode, 0);
  EXPECT_EQ(ReadFile(copy), kTree);

  result = Bkvp("reg query 'HKEY_CURRENT_USER\\Software\\CliTest' Count");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "\"Count\"=dword:00000003\n");
  result = Bkvp("reg query 'HKEY_CURRENT_USER\\Software\\CliTest'");
  EXPECT_EQ(result.output, "@=\"top\"\n\"Count\"=dword:00000003\n");
  result = Bkvp("reg query 'HKEY_CURRENT_USER\\Software\\CliTest' Missing");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.output.find("Missing"), std::string::npos);
}

TEST_F(RegCommand, FailuresExitNonZeroWithAMessage) {
  const std::string file = home() + "/bad.reg";
  WriteFile(file, "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\X]\n\"v\"=dword:xyz\n");
  CommandResult result = Bkvp("reg import '" + file + "'");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.output.find("line 4"), std::string::npos) << result.output;

  result = Bkvp("reg query 'HKEY_CURRENT_USER\\Software\\X'");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_FALSE(result.output.empty());
  result = Bkvp("reg export 'HKEY_CURRENT_USER\\Software\\X'");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.output.find("HKEY_CURRENT_USER\\Software\\X"), std::string::npos);
  EXPECT_EQ(Bkvp("reg frobnicate").exitCode, 2);
}

}  // namespace
