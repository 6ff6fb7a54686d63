#include "clients/outlookexp/identity_steps.h"

#include "clients/common/registry_access.h"
#include "clients/outlookexp/outlookexp_backup.h"
#include "clients/outlookexp/outlookexp_strings.h"

namespace bkvp::outlookexp {

bool RenameExistingMainIdentity() {
  const std::string identities = IdentitiesKey();
  if (!clients::KeyExists(identities)) return false;
  const std::string valueName = Strings().Load(kStrUsername);
  const std::string mainName = Strings().Load(kStrMainIdentity);
  for (const std::string& identity : clients::ListSubKeys(identities)) {
    const std::string key = clients::JoinKeyPath(identities, identity);
    const std::string name = clients::ReadString(key, valueName);
    if (name == mainName) {
      clients::WriteString(key, valueName, name + Strings().Load(kStrOldSuffix));
      break;
    }
  }
  return true;
}

void ResetRunningFlags() {
  std::vector<std::string> keys = {MainKey(), Version5Key()};
  for (const std::string& identity : clients::ListSubKeys(IdentitiesKey()))
    keys.push_back(IdentitySettingsKey(identity));
  const std::string running = Strings().Load(kStrRunningValue);
  for (const std::string& key : keys)
    if (clients::ReadDword(key, running) != 0) clients::WriteDword(key, running, 0);
}

}  // namespace bkvp::outlookexp
