#include "platform/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace bkvp::platform {
namespace {

// The value of an environment variable, "" when unset.
std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string WithTrailingSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

// An XDG base folder: the variable when it holds an absolute path (relative
// ones are to be ignored), else the fallback below the home folder.
std::string XdgFolder(const char* variable, const char* fallbackBelowHome) {
  std::string folder = Env(variable);
  if (folder.empty() || folder.front() != '/') folder = HomeFolder() + "/" + fallbackBelowHome;
  return WithTrailingSlash(folder);
}

}  // namespace

std::string HomeFolder() {
  std::string home = Env("HOME");
  if (home.empty()) {
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) home = entry->pw_dir;
  }
  // A user without any home still needs somewhere to keep state.
  return home.empty() ? std::string("/tmp") : home;
}

std::string RegistryFolder() {
  const std::string home = Env("BKVP_HOME");
  if (!home.empty()) return WithTrailingSlash(home) + "registry/";
  return ConfigFolder() + "BackupVopal/registry/";
}

std::string ConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }

std::string ProgramFolder() {
  const std::string home = Env("BKVP_HOME");
  if (!home.empty()) return WithTrailingSlash(home);
  return XdgFolder("XDG_STATE_HOME", ".local/state") + "BackupVopal/";
}

std::string CacheFolder() {
  const std::string home = Env("BKVP_HOME");
  if (!home.empty()) return WithTrailingSlash(home) + "cache/";
  return XdgFolder("XDG_CACHE_HOME", ".cache") + "backupvopal/";
}

}  // namespace bkvp::platform
