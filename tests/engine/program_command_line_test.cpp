#include "app/engine/program_command_line.h"

#include <gtest/gtest.h>

namespace bkvp::engine {
namespace {

using Registration = ProgramCommandLine::Registration;

TEST(ProgramCommandLine, QuietSwitchIsExactlySlashLowerQ) {
  EXPECT_TRUE(ParseProgramCommandLine({"/q"}).quiet);
  EXPECT_FALSE(ParseProgramCommandLine({"/Q"}).quiet);
  EXPECT_FALSE(ParseProgramCommandLine({"-q"}).quiet);
  // A path that merely contains "/q" is a file name, not the switch.
  const ProgramCommandLine line = ParseProgramCommandLine({"/home/quinn/VOPALARC373E05.KV"});
  EXPECT_FALSE(line.quiet);
  EXPECT_EQ(line.fileName, "/home/quinn/VOPALARC373E05.KV");
}

TEST(ProgramCommandLine, FirstNonSwitchParameterIsTheFile) {
  const ProgramCommandLine line =
      ParseProgramCommandLine({"-x", "/q", "/media/a/VOPALARC373E05.KV", "second.KV"});
  EXPECT_TRUE(line.quiet);
  EXPECT_EQ(line.fileName, "/media/a/VOPALARC373E05.KV");
  EXPECT_EQ(ParseProgramCommandLine({}).fileName, "");
}

TEST(ProgramCommandLine, RegistrationSwitchesIgnoreCaseAndTheFirstWins) {
  EXPECT_EQ(ParseProgramCommandLine({"/regserver"}).registration, Registration::kRegister);
  EXPECT_EQ(ParseProgramCommandLine({"-UNREGSERVER"}).registration, Registration::kUnregister);
  EXPECT_EQ(ParseProgramCommandLine({"-UnregServer", "/RegServer"}).registration,
            Registration::kUnregister);
  EXPECT_EQ(ParseProgramCommandLine({"RegServer"}).registration, Registration::kNone);
  EXPECT_EQ(ParseProgramCommandLine({"RegServer"}).fileName, "RegServer");
}

TEST(ProgramCommandLine, EmbeddingStartIsRecognised) {
  EXPECT_TRUE(ParseProgramCommandLine({"-Embedding"}).embedded);
  EXPECT_TRUE(ParseProgramCommandLine({"/automation"}).embedded);
  EXPECT_FALSE(ParseProgramCommandLine({"/q"}).embedded);
}

}  // namespace
}  // namespace bkvp::engine
