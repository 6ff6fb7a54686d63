#include "clients/outlookexp/outlookexp_service.h"

#include "clients/common/ask_until_closed.h"
#include "clients/common/backup_sequence.h"
#include "clients/common/progress_calls.h"
#include "clients/common/registry_access.h"
#include "clients/common/restore_loop.h"
#include "clients/outlookexp/identity_steps.h"
#include "clients/outlookexp/outlookexp_backup.h"
#include "clients/outlookexp/outlookexp_strings.h"

namespace bkvp::clients::embedded {
const IconSet& OutlookExpIcons();
}

namespace bkvp::outlookexp {

OutlookExpService::OutlookExpService()
    : ClientServiceBase(Strings(), clients::embedded::OutlookExpIcons()) {}

HRESULT OutlookExpService::ClientPresent(BOOL* value) {
  return clients::WriteFlag16(value, OutlookExpressInstalled() ? 1 : 0);
}

HRESULT OutlookExpService::Backup(IBackuper* backuper, IProgress*) {
  if (!backuper) return E_POINTER;
  const BackupPlan plan = PlanBackup();
  auto objects = clients::KeyObjects(plan.keys);
  const auto files = clients::FileObjects(plan.files);
  objects.insert(objects.end(), files.begin(), files.end());
  return clients::StoreObjects(backuper, DisplayName(), ServiceClsid(), objects);
}

HRESULT OutlookExpService::Restore(IRestorer* restorer, IProgress* progress) {
  if (!restorer) return E_POINTER;
  if (Failed(clients::AskUntilClosed(progress, kModuleName, Text(kStrRunning), Text(kStrCanceled),
                                     Waits().ask)))
    return E_FAIL;

  const std::string identitiesName = Text(kStrIdentities);
  bool identityStepDone = false;
  const auto beforeKey = [&](const std::string& keyName) {
    if (identityStepDone || keyName.find(identitiesName) == std::string::npos)
      return clients::KeyStep::Restore;
    if (RenameExistingMainIdentity()) {
      identityStepDone = true;
      return clients::KeyStep::Restore;
    }
    // No identities here: an older program, or none at all. The step stays
    // undone, so a later identities key asks again.
    return clients::AskPrompt(progress, Text(kStrImproperVersion), clients::kPromptYesNo) == IDNO
               ? clients::KeyStep::Abandon
               : clients::KeyStep::Restore;
  };
  const auto result = clients::RestoreObjectLoop(restorer, progress, RestorePlacesHere(),
                                                 ServiceClsid(), Text(kStrUnknownType), beforeKey);
  if (result.abandoned) return E_FAIL;
  ResetRunningFlags();
  return result.hr;
}

}  // namespace bkvp::outlookexp
