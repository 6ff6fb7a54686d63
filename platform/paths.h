// Where the per-user state lives. BKVP_HOME, when set, roots everything.
#pragma once

#include <string>

#pragma GCC visibility push(default)

namespace bkvp::platform {

// $BKVP_HOME/registry/ or $XDG_CONFIG_HOME/BackupVopal/registry/
// (default ~/.config/BackupVopal/registry/), with a trailing "/".
std::string RegistryFolder();
// $BKVP_HOME/ or $XDG_STATE_HOME/BackupVopal/ (default
// ~/.local/state/BackupVopal/), with a trailing "/". Holds BackupVopal.log.
std::string ProgramFolder();
// $HOME, else the password database's home folder, else /tmp; no trailing "/".
std::string HomeFolder();
// $BKVP_HOME/cache/ or $XDG_CACHE_HOME/backupvopal/ (default
// ~/.cache/backupvopal/), with a trailing "/": archives on their way to or
// from another machine. Nothing there is needed once a run has ended.
std::string CacheFolder();
// $XDG_CONFIG_HOME/ (default ~/.config/), with a trailing "/"; BKVP_HOME does
// not move it: the desktop's own settings (autostart entries) live there.
std::string ConfigFolder();

}  // namespace bkvp::platform

#pragma GCC visibility pop
