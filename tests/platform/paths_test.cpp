#include "platform/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace bkvp::platform {
namespace {

// Sets environment variables for one test and puts the old values back.
class Environment : public ::testing::Test {
 protected:
  void Set(const char* name, const char* value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) Set(name.c_str(), value ? value->c_str() : nullptr);
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(Environment, BkvpHomeRootsAllState) {
  Set("BKVP_HOME", "/srv/state/");
  Set("XDG_CONFIG_HOME", "/elsewhere");
  EXPECT_EQ(RegistryFolder(), "/srv/state/registry/");
  EXPECT_EQ(ProgramFolder(), "/srv/state/");
  Set("BKVP_HOME", "/srv/state");
  EXPECT_EQ(RegistryFolder(), "/srv/state/registry/");
}

TEST_F(Environment, XdgFoldersAndTheirDefaults) {
  Set("BKVP_HOME", nullptr);
  Set("HOME", "/home/u");
  Set("XDG_CONFIG_HOME", "/cfg");
  Set("XDG_STATE_HOME", "/state/");
  EXPECT_EQ(RegistryFolder(), "/cfg/BackupVopal/registry/");
  EXPECT_EQ(ProgramFolder(), "/state/BackupVopal/");
  // Unset, empty or relative values fall back to the home folder.
  Set("XDG_CONFIG_HOME", "");
  Set("XDG_STATE_HOME", "relative/state");
  EXPECT_EQ(RegistryFolder(), "/home/u/.config/BackupVopal/registry/");
  EXPECT_EQ(ProgramFolder(), "/home/u/.local/state/BackupVopal/");
}

}  // namespace
}  // namespace bkvp::platform
