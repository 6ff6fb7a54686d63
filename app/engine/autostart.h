// The desktop's autostart entry that starts the tray program quietly at
// login while scheduled backups are on: without the program running, no
// timer would ever start a scheduled run.
#pragma once

#include <string>

#include "contract/status.h"

namespace bkvp::engine {

// $XDG_CONFIG_HOME/autostart/BackupVopal.desktop (default ~/.config/...).
std::string AutostartEntryPath();

// BackupVopal in the folder of the running executable: the program itself,
// or the program shipped beside the bkvp tool.
std::string ProgramBesideThisExecutable();

// The entry's text: a desktop entry whose Exec line starts `programPath`
// with "/q", quoted as desktop entries require, and with the state root of
// this process (BKVP_HOME) when one is set.
std::string AutostartEntryText(const std::string& programPath);

// Writes the entry through a temporary file and a rename, so a failed write
// never leaves half an entry behind.
Status WriteAutostartEntry(const std::string& programPath);
// Removing an entry that is not there succeeds; one written for another
// state root is left alone.
Status RemoveAutostartEntry();
// Why the entry cannot start `programPath`; "" when the program is there.
std::string MissingProgramWarning(const std::string& programPath);
// Written while scheduling is on, removed when it is off.
Status UpdateAutostartEntry(bool scheduleEnabled, const std::string& programPath);

}  // namespace bkvp::engine
