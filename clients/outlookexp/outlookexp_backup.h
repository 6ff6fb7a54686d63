// What the Outlook Express client saves, found through the current user's
// registry: the keys and the files, each list in the order they are stored.
#pragma once

#include <string>
#include <vector>

#include "clients/common/collect_files.h"
#include "clients/common/restore_places.h"

namespace bkvp::outlookexp {

// Full key paths of the keys named by the string table.
std::string IdentitiesKey();  // HKEY_CURRENT_USER\Identities
std::string MainKey();        // ...\SOFTWARE\Microsoft\Outlook Express
std::string Version5Key();    // ...\Outlook Express\5.0
// Outlook Express is installed when the current user has its main key.
bool OutlookExpressInstalled();
// The settings key of one identity (a direct subkey of IdentitiesKey()).
std::string IdentitySettingsKey(const std::string& identity);

struct BackupPlan {
  std::vector<std::string> keys;
  std::vector<clients::FileItem> files;
};

// Keys: the identities (when the key exists), accounts, address-book
// settings, Outlook Express. Files: each identity's store root (environment
// references expanded), then the main store root of 5.0 or else of the main
// key (as written), then the address-book file. Missing paths are left out,
// a path met twice is kept once.
BackupPlan PlanBackup();

// The keys and the folders and files of PlanBackup() as they are set here
// now, as the places a restore may write. The identities key counts
// whether it exists or not: a restore may bring it.
clients::RestorePlaces RestorePlacesHere();

}  // namespace bkvp::outlookexp
