#include "clients/outlookexp/outlookexp_backup.h"

#include "clients/common/registry_access.h"
#include "clients/outlookexp/env_expansion.h"
#include "clients/outlookexp/outlookexp_strings.h"
#include "platform/files.h"

namespace bkvp::outlookexp {

using clients::JoinKeyPath;

namespace {

std::string UserKey(int id) {
  return JoinKeyPath(Strings().Load(kStrUserRoot), Strings().Load(id));
}

void CollectStoreRoot(std::vector<clients::FileItem>& files, const std::string& path) {
  clients::CollectFiles(files, path, platform::FileNameOf(path));
}

}  // namespace

std::string IdentitiesKey() { return UserKey(kStrIdentities); }
std::string MainKey() { return UserKey(kStrMainKey); }
std::string Version5Key() { return UserKey(kStrVersion5Key); }

bool OutlookExpressInstalled() { return clients::KeyExists(MainKey()); }

std::string IdentitySettingsKey(const std::string& identity) {
  return JoinKeyPath(JoinKeyPath(IdentitiesKey(), identity), Strings().Load(kStrVersion5Key));
}

namespace {

// Each identity's store root (environment references expanded), then the
// main store root of 5.0 or else of the main key (as written), then the
// address-book file.
std::vector<std::string> DataRoots(bool haveIdentities) {
  std::vector<std::string> roots;
  const std::string storeRoot = Strings().Load(kStrStoreRoot);
  if (haveIdentities) {
    for (const std::string& identity : clients::ListSubKeys(IdentitiesKey()))
      roots.push_back(
          ExpandEnvironmentText(clients::ReadString(IdentitySettingsKey(identity), storeRoot)));
  }
  const std::string mainSettings = clients::KeyExists(Version5Key()) ? Version5Key() : MainKey();
  roots.push_back(clients::ReadString(mainSettings, storeRoot));
  roots.push_back(clients::ReadString(JoinKeyPath(UserKey(kStrWabKey), kWabFileKey), ""));
  return roots;
}

}  // namespace

BackupPlan PlanBackup() {
  BackupPlan plan;
  const bool haveIdentities = clients::KeyExists(IdentitiesKey());
  if (haveIdentities) plan.keys.push_back(IdentitiesKey());
  plan.keys.push_back(UserKey(kStrAccountsKey));
  plan.keys.push_back(UserKey(kStrWabKey));
  plan.keys.push_back(MainKey());
  for (const std::string& root : DataRoots(haveIdentities)) CollectStoreRoot(plan.files, root);
  return plan;
}

clients::RestorePlaces RestorePlacesHere() {
  clients::RestorePlaces places(Strings().DisplayName());
  for (const std::string& key :
       {IdentitiesKey(), UserKey(kStrAccountsKey), UserKey(kStrWabKey), MainKey()})
    places.AddKey(key);
  for (const std::string& root : DataRoots(clients::KeyExists(IdentitiesKey())))
    places.AddPath(root);
  return places;
}

}  // namespace bkvp::outlookexp
