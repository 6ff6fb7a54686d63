// What the Outlook client saves: the messaging and settings keys of the
// detected generation, the personal folder files that the mail profiles
// name, and "extend.dat".
#pragma once

#include <string>
#include <vector>

#include "clients/common/collect_files.h"
#include "clients/common/restore_places.h"
#include "clients/outlook/readable_wait.h"

namespace bkvp::outlook {

// Program generations: 0 unknown, 1 Office 8.0, 2 Office 9.0.
enum Generation : int32_t { kGenerationUnknown = 0, kGeneration8 = 1, kGeneration9 = 2 };

// From the InstallRoot values: "Path" of the 9.0 key, else the default value
// of the 8.0 key; unknown when neither is set.
Generation DetectGeneration();

// The NT 4 / NT 5 systems keep the messaging subsystem under
// "Windows NT\CurrentVersion"; every other system (this one included) under
// "Software\Microsoft".
bool UsesNtMessagingKeys();

// Messaging key and the generation's settings key when the generation is
// known, then the common settings key.
std::vector<std::string> SettingsKeys(Generation generation);

// Every REG_SZ value named "001e6700" (any letter case) in every section of
// every profile names a personal folder file; then "extend.dat" of the
// local application-data folder.
std::vector<std::string> DataFilePaths();
// Those files, each waited for until it can be read, and collected.
std::vector<clients::FileItem> DataFiles(const ReadableWait& wait);

// The keys of both generations and the files of DataFilePaths() as they are
// set here now, as the places a restore may write.
clients::RestorePlaces RestorePlacesHere();

}  // namespace bkvp::outlook
