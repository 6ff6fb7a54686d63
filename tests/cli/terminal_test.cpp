// bkvp as a person at a terminal sees it: run in a pseudo-terminal, with
// answers typed at its questions.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/test_support.h"

namespace {

using bkvp::testing::BinDir;
using bkvp::testing::ReadFile;
using bkvp::testing::RunCommand;
using bkvp::testing::TempDir;
using bkvp::testing::WriteFile;

struct PtyResult {
  int exitCode = -1;
  std::string output;
};

// Runs bkvp on a pseudo-terminal. Each time the output shows a question's
// prompt ("> "), the next answer is typed; the output is read to the end.
PtyResult RunOnTerminal(const std::vector<std::string>& args,
                        const std::vector<std::string>& answers = {}) {
  const std::string tool = BinDir() + "/bkvp";
  std::vector<char*> argv{const_cast<char*>(tool.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  winsize size{};
  size.ws_col = 100;
  size.ws_row = 30;
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, &size);
  if (pid == 0) {
    execv(tool.c_str(), argv.data());
    _exit(127);
  }
  PtyResult result;
  size_t answered = 0, promptsSeen = 0;
  for (;;) {
    pollfd in{master, POLLIN, 0};
    if (poll(&in, 1, 30000) <= 0) break;  // the tool hangs: give up, the test fails
    char buffer[4096];
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;  // EIO once the tool has ended
    result.output.append(buffer, size_t(n));
    for (size_t at = 0; (at = result.output.find("> ", at)) != std::string::npos; at += 2)
      if (++promptsSeen > answered && answered < answers.size()) {
        const std::string line = answers[answered++] + "\n";
        [[maybe_unused]] const ssize_t written = write(master, line.data(), line.size());
      }
    promptsSeen = 0;
  }
  close(master);
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

class Terminal : public bkvp::testing::HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    ASSERT_EQ(RunCommand(BinDir() + "/bkvp register").exitCode, 0);
    for (int i = 0; i < 40; ++i) WriteFile(source / ("f" + std::to_string(i) + ".txt"), "data");
    ASSERT_EQ(RunCommand(BinDir() + "/bkvp files add '" + source.path() + "'").exitCode, 0);
  }
  TempDir source, dest, out;
};

TEST_F(Terminal, TheBarReachesItsEndAndASummaryFollowsOnALineOfItsOwn) {
  const PtyResult run = RunOnTerminal({"backup", "--to", dest.path()});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const size_t full = run.output.rfind("100%");
  ASSERT_NE(full, std::string::npos) << run.output;
  const size_t summary = run.output.find("Saved 40 items (160 B) into " + dest.path());
  ASSERT_NE(summary, std::string::npos) << run.output;
  EXPECT_LT(full, summary);
  // The bar's line is ended before the summary begins.
  EXPECT_NE(run.output.substr(full, summary - full).find('\n'), std::string::npos) << run.output;
}

// "All" answers the "already exists" question for the rest of the run;
// "Skip all" keeps every existing file.
TEST_F(Terminal, AllAndSkipAllAnswerTheRestOfTheQuestions) {
  const PtyResult backup = RunOnTerminal({"backup", "--quiet", "--to", dest.path()});
  ASSERT_EQ(backup.exitCode, 0) << backup.output;
  std::string archive = backup.output.substr(backup.output.find(dest.path()));
  archive = archive.substr(0, archive.find_first_of("\r\n"));

  for (int i = 0; i < 40; ++i) WriteFile(out / ("f" + std::to_string(i) + ".txt"), "old");
  const PtyResult skipped =
      RunOnTerminal({"restore", archive, "--flat", "--to", out.path()}, {"s"});
  EXPECT_EQ(skipped.output.find("already exists"), skipped.output.rfind("already exists"))
      << "asked more than once:\n"
      << skipped.output;
  EXPECT_EQ(ReadFile(out / "f7.txt"), "old");

  const PtyResult all = RunOnTerminal({"restore", archive, "--flat", "--to", out.path()}, {"a"});
  EXPECT_EQ(all.exitCode, 0) << all.output;
  EXPECT_EQ(all.output.find("already exists"), all.output.rfind("already exists"));
  EXPECT_NE(all.output.find("Restored 40 items"), std::string::npos) << all.output;
  for (int i = 0; i < 40; ++i)
    EXPECT_EQ(ReadFile(out / ("f" + std::to_string(i) + ".txt")), "data");
}

TEST_F(Terminal, CancelAfterReplacingSaysHowManyWereReplaced) {
  const PtyResult backup = RunOnTerminal({"backup", "--quiet", "--to", dest.path()});
  std::string archive = backup.output.substr(backup.output.find(dest.path()));
  archive = archive.substr(0, archive.find_first_of("\r\n"));
  for (int i = 0; i < 40; ++i) WriteFile(out / ("f" + std::to_string(i) + ".txt"), "old");
  const PtyResult run =
      RunOnTerminal({"restore", archive, "--flat", "--to", out.path()}, {"y", "y", "c"});
  EXPECT_NE(run.output.find("cancelled after replacing 2 file(s)"), std::string::npos)
      << run.output;
}

}  // namespace
