#include "tests/clients/common/client_service_fixture.h"

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "tests/clients/common/archive_harness.h"

namespace bkvp::testing {

void ClientServiceFixture::SetUp() {
  HomeFixture::SetUp();
  RegisterArchiveService();
  platform::ui::Hooks hooks;
  hooks.closeCountdown = [this](const platform::ui::CountdownRequest& request) {
    countdowns.push_back(request.runningText);
    return countdownAnswer;
  };
  platform::ui::InstallHooks(hooks);
}

void ClientServiceFixture::TearDown() {
  platform::ui::ResetHooks();
  HomeFixture::TearDown();
}

std::string ClientServiceFixture::Export(const std::string& fullKeyPath) {
  std::string text;
  EXPECT_TRUE(platform::ExportRegText(fullKeyPath, text).ok);
  return text;
}

}  // namespace bkvp::testing
