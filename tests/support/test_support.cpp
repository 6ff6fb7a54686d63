#include "tests/support/test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace bkvp::testing {

TempDir::TempDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/bkvp-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  // Give back write permission first, so read-only leftovers are removable.
  for (auto it = fs::recursive_directory_iterator(path_, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_symlink(ec))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(path_, ec);
}

void HomeFixture::SetUp() {
  home_ = std::make_unique<TempDir>();
  // The desktop's config folder too: "bkvp schedule set" writes an autostart
  // entry there, which must never reach the real one.
  for (const auto& [name, value] : {std::pair<const char*, std::string>{"BKVP_HOME", home_->path()},
                                    {"XDG_CONFIG_HOME", home_->path() + "/xdg-config"}}) {
    const char* previous = std::getenv(name);
    saved_.push_back({name, previous ? previous : "", previous != nullptr});
    setenv(name, value.c_str(), 1);
  }
}

void HomeFixture::TearDown() {
  for (const SavedVariable& variable : saved_) {
    if (variable.wasSet)
      setenv(variable.name.c_str(), variable.value.c_str(), 1);
    else
      unsetenv(variable.name.c_str());
  }
  saved_.clear();
  home_.reset();
}

void WriteFile(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& content) {
  WriteFile(path, std::string(content.begin(), content.end()));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string BinDir() {
  const char* dir = std::getenv("BKVP_BIN_DIR");
  return dir && *dir ? dir : BKVP_DEFAULT_BIN_DIR;
}

std::string SourceDir() {
  const char* dir = std::getenv("BKVP_SOURCE_DIR");
  return dir && *dir ? dir : BKVP_DEFAULT_SOURCE_DIR;
}

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace bkvp::testing
