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

BackupPlan PlanBackup() {
  BackupPlan plan;
  const std::string identities = IdentitiesKey();
  const bool haveIdentities = clients::KeyExists(identities);
  if (haveIdentities) plan.keys.push_back(identities);
  plan.keys.push_back(UserKey(kStrAccountsKey));
  plan.keys.push_back(UserKey(kStrWabKey));
  plan.keys.push_back(MainKey());

  const std::string storeRoot = Strings().Load(kStrStoreRoot);
  if (haveIdentities) {
    for (const std::string& identity : clients::ListSubKeys(identities))
      CollectStoreRoot(plan.files, ExpandEnvironmentText(clients::ReadString(
                                       IdentitySettingsKey(identity), storeRoot)));
  }
  const std::string mainSettings = clients::KeyExists(Version5Key()) ? Version5Key() : MainKey();
  CollectStoreRoot(plan.files, clients::ReadString(mainSettings, storeRoot));
  const std::string wabFile =
      clients::ReadString(JoinKeyPath(UserKey(kStrWabKey), kWabFileKey), "");
  CollectStoreRoot(plan.files, wabFile);
  return plan;
}

}  // namespace bkvp::outlookexp
