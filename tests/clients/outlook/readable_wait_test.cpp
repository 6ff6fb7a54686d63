#include "clients/outlook/readable_wait.h"

#include <gtest/gtest.h>

#include "tests/clients/common/helper_process.h"
#include "tests/support/test_support.h"

namespace bkvp::outlook {
namespace {

using namespace std::chrono_literals;

const ReadableWait kQuick = {2s, 50ms, 100ms};

TEST(WaitUntilReadable, FreeFileIsReadAtOnce) {
  testing::TempDir dir;
  testing::WriteFile(dir / "mail.pst", std::string(5000, 'p'));
  // A long first pause, so "at once" is told apart from a wait even on a
  // busy machine.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(WaitUntilReadable(dir / "mail.pst", {2s, 1s, 100ms}));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_FALSE(WaitUntilReadable(dir / "missing.pst", kQuick));
}

TEST(WaitUntilReadable, LockHeldByAnotherProcessIsWaitedOut) {
  testing::TempDir dir;
  const std::string pst = dir / "mail.pst";
  testing::WriteFile(pst, "personal folders");
  testing::HelperProcess holder(dir.path(), "Outlook.exe", {"--lock", pst, "--hold-ms", "400"});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(WaitUntilReadable(pst, kQuick));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, 300ms);
  EXPECT_LT(waited, 2s);
}

TEST(WaitUntilReadable, LockOutlastingTheLimitGivesUp) {
  testing::TempDir dir;
  const std::string pst = dir / "mail.pst";
  testing::WriteFile(pst, "personal folders");
  testing::HelperProcess holder(dir.path(), "Outlook.exe", {"--lock", pst});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(WaitUntilReadable(pst, {300ms, 50ms, 100ms}));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, 300ms);
  EXPECT_LT(waited, 3s);
}

}  // namespace
}  // namespace bkvp::outlook
