#include "archive/thread_setting.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <optional>
#include <string>
#include <thread>

#include "platform/registry.h"
#include "tests/support/test_support.h"

namespace bkvp::testing {
namespace {

class ThreadSetting : public HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    // The suite itself runs under each setting; this test sets its own.
    if (const char* v = std::getenv("BKVP_THREADS")) saved_ = v;
    ::unsetenv("BKVP_THREADS");
  }
  void TearDown() override {
    if (saved_) ::setenv("BKVP_THREADS", saved_->c_str(), 1);
    HomeFixture::TearDown();
  }
  void SetValue(uint32_t threads) {
    platform::HKEY key = nullptr;
    ASSERT_EQ(platform::RegCreateKey(platform::HKEY_CURRENT_USER,
                                     "SOFTWARE\\Tarvik Systems\\Backup Vopal", &key),
              platform::ERROR_SUCCESS);
    platform::RegSetValue(key, "Threads", platform::REG_DWORD,
                          reinterpret_cast<const uint8_t*>(&threads), sizeof threads);
    platform::RegCloseKey(key);
  }
  std::optional<std::string> saved_;
};

TEST_F(ThreadSetting, TheProgramKeyChoosesTheEnvironmentWinsAndEightIsTheMost) {
  const int cores = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 8);
  EXPECT_EQ(archive::ConfiguredCompressionThreads(), cores);
  SetValue(3);
  EXPECT_EQ(archive::ConfiguredCompressionThreads(), 3);
  SetValue(1);
  EXPECT_EQ(archive::ConfiguredCompressionThreads(), 1);
  SetValue(64);
  EXPECT_EQ(archive::ConfiguredCompressionThreads(), archive::kMaxCompressionThreads);
  SetValue(0);
  EXPECT_EQ(archive::ConfiguredCompressionThreads(), cores);
  ::setenv("BKVP_THREADS", "2", 1);
  SetValue(5);
  EXPECT_EQ(archive::ConfiguredCompressionThreads(), 2);
}

}  // namespace
}  // namespace bkvp::testing
