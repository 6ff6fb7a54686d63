#include "clients/navigator/navigator_service.h"

#include "clients/common/ask_until_closed.h"
#include "clients/common/backup_sequence.h"
#include "clients/common/client_options.h"
#include "clients/common/close_restart.h"
#include "clients/common/progress_calls.h"
#include "clients/common/restore_loop.h"
#include "clients/navigator/navigator_options.h"
#include "clients/navigator/navigator_profiles.h"
#include "clients/navigator/navigator_strings.h"
#include "clients/navigator/navigator_version.h"
#include "contract/variant.h"

namespace bkvp::clients::embedded {
const IconSet& NavigatorIcons();
}

namespace bkvp::navigator {

namespace {

clients::CloseRestartTexts CloseTexts() {
  return clients::LoadCloseRestartTexts(
      Strings(), kProgramName,
      {kStrRunningBackup, kStrTerminationCanceled, kStrTerminationFailed, kStrTerminationSucceeded,
       kStrRestartSucceeded, kStrRestartFailed});
}

// Closing: a non-zero "CloseIfRun" closes without the countdown. Restart: it
// needs both values to be exactly 1.
clients::CloseRestartOptions ReadSwitches(const std::string& serviceClsid,
                                          clients::SwitchRule rule) {
  return clients::ReadCloseRestartOptions(serviceClsid, rule, kOptCloseIfRun,
                                          kOptRestartAfterBackup);
}

}  // namespace

NavigatorService::NavigatorService()
    : ClientServiceBase(Strings(), clients::embedded::NavigatorIcons()) {}

HRESULT NavigatorService::ClientPresent(BOOL* value) {
  return clients::WriteFlag16(value, NavigatorInstalled() ? 1 : 0);
}

HRESULT NavigatorService::AnswerHasBackup(VARIANT* value) {
  VariantClear(value);
  *value = MakeStringVariant("");
  return S_OK;
}

HRESULT NavigatorService::GetOptions(VARIANT* options) {
  if (!options) return E_POINTER;
  const ItemSelection selection = ReadItemSelection(BackuperKey());
  VariantInit(options);
  *options = MakeByteArrayVariant(std::vector<uint8_t>(selection.begin(), selection.end()));
  return S_OK;
}

void NavigatorService::KeepOptionBytes(const std::vector<uint8_t>& bytes) {
  ReplaceItemSelection(RestorerKey(), bytes);
}

HRESULT NavigatorService::Backup(IBackuper* backuper, IProgress* progress) {
  if (!backuper) return E_POINTER;
  const auto version = InstalledNavigator4x();
  if (!version) return E_FAIL;
  // The profiles are looked up before Netscape is closed, so that a backup
  // that cannot find them leaves a running Netscape alone.
  const ProfileFolders profiles = FindProfileFolders(*version);
  if (!profiles.problem.empty()) {
    clients::SendMessage(progress, profiles.problem);
    return E_FAIL;
  }

  const bool closeWithoutAsking =
      ReadSwitches(ServiceClsid(), clients::SwitchRule::NonZero).autoClose;
  const auto restart = ReadSwitches(ServiceClsid(), clients::SwitchRule::ExactlyOne);
  const auto texts = CloseTexts();
  clients::ClosedProgram closed;
  if (Failed(clients::CloseBeforeBackup(progress, kModuleName, closeWithoutAsking, texts,
                                        Waits().close, &closed)))
    return E_FAIL;

  auto objects = clients::FileObjects(ProfileItems(profiles));
  const auto keyObjects = clients::KeyObjects({SavedRegistryKey(*version)});
  objects.insert(objects.end(), keyObjects.begin(), keyObjects.end());
  const HRESULT hr = clients::StoreObjects(backuper, DisplayName(), ServiceClsid(), objects);

  clients::RestartAfterBackup(progress, closed, restart, texts, kRestartParameters);
  return hr;
}

HRESULT NavigatorService::Restore(IRestorer* restorer, IProgress* progress) {
  if (!restorer) return E_POINTER;
  if (Failed(clients::AskUntilClosed(progress, kModuleName, Text(kStrRunningRestore),
                                     Text(kStrOperationCanceled), Waits().ask)))
    return E_FAIL;
  // A file that could not be written back ends the restore with its status.
  return clients::RestoreObjectLoop(restorer, progress, RestorePlacesHere(), ServiceClsid(),
                                    Text(kStrUnknownType), {}, clients::FailedObject::EndRestore)
      .hr;
}

}  // namespace bkvp::navigator
