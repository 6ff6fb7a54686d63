// What the wizard's pages say when they keep the user on a page, shown
// through the platform's message box (the program's styled box; scripted in
// the tests).
#pragma once

#include <string>

namespace bkvp::ui {

constexpr const char* kNoClientToBackUpText =
    "Check of at least one type of data to backup is required.";
constexpr const char* kNoDestinationText = "Select destination for the backup archive.";
constexpr const char* kNoArchiveSelectedText = "No selected archive to restore.";
constexpr const char* kNoClientToRestoreText =
    "Check of at least one type of data to restore is required.";

void ShowPageWarning(const std::string& text);
void ShowPageError(const std::string& text);

}  // namespace bkvp::ui
