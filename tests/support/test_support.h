// Test fixtures: temporary folders that remove themselves, and a fresh
// BKVP_HOME for every test so that registry and log never leak between tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bkvp::testing {

// A new empty folder under $TMPDIR (or /tmp), removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + relative
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

// Points BKVP_HOME at a new temporary folder, and XDG_CONFIG_HOME at a folder
// inside it, for the fixture's lifetime.
class HomeFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  const std::string& home() const { return home_->path(); }

 private:
  struct SavedVariable {
    std::string name;
    std::string value;
    bool wasSet = false;
  };
  std::unique_ptr<TempDir> home_;
  std::vector<SavedVariable> saved_;
};

// File helpers.
void WriteFile(const std::string& path, const std::string& content);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& content);
std::string ReadFile(const std::string& path);
// Folder holding the built program, tool and modules (BKVP_BIN_DIR).
std::string BinDir();
// The source tree (BKVP_SOURCE_DIR).
std::string SourceDir();

// Runs a command through /bin/sh, returns its exit status and output
// (stdout and stderr together).
struct CommandResult {
  int exitCode = -1;
  std::string output;
};
CommandResult RunCommand(const std::string& command);

}  // namespace bkvp::testing
