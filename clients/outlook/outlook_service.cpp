#include "clients/outlook/outlook_service.h"

#include "clients/common/ask_until_closed.h"
#include "clients/common/backup_sequence.h"
#include "clients/common/client_options.h"
#include "clients/common/close_restart.h"
#include "clients/common/restore_loop.h"
#include "clients/outlook/outlook_strings.h"

namespace bkvp::clients::embedded {
const IconSet& OutlookIcons();
}

namespace bkvp::outlook {

namespace {

constexpr int kIconGeneration9 = 201;
constexpr int kIconGeneration8 = 203;

clients::CloseRestartTexts CloseTexts() {
  return clients::LoadCloseRestartTexts(
      Strings(), kProgramName,
      {kStrRunningBackup, kStrTerminationCanceled, kStrTerminationFailed, kStrTerminationSucceeded,
       kStrRestartSucceeded, kStrRestartFailed});
}

}  // namespace

OutlookService::OutlookService()
    : ClientServiceBase(Strings(), clients::embedded::OutlookIcons()) {}

void OutlookService::EnsureGeneration() {
  if (generation_ == kGenerationUnknown) generation_ = DetectGeneration();
}

HRESULT OutlookService::ClientPresent(BOOL* value) {
  if (!value) return E_POINTER;
  clients::WriteFlag16(value, 0);
  const Generation found = DetectGeneration();
  if (found == kGenerationUnknown) return S_OK;
  generation_ = found;
  clients::WriteFlag16(value, 1);
  return S_OK;
}

HRESULT OutlookService::GetOptions(VARIANT* options) {
  if (!options) return E_POINTER;
  EnsureGeneration();
  VariantInit(options);
  *options = MakeByteArrayVariant({static_cast<uint8_t>(generation_)});
  return S_OK;
}

void OutlookService::KeepOptionBytes(const std::vector<uint8_t>& bytes) {
  if (!bytes.empty()) savedGeneration_ = bytes.front();
}

int OutlookService::ClientIconId() {
  EnsureGeneration();
  const int generation =
      generation_ != kGenerationUnknown ? static_cast<int>(generation_) : int{savedGeneration_};
  if (generation == kGeneration8) return kIconGeneration8;
  if (generation == kGeneration9) return kIconGeneration9;
  return 0;
}

HRESULT OutlookService::Backup(IBackuper* backuper, IProgress* progress) {
  if (!backuper) return E_POINTER;
  EnsureGeneration();
  const auto options =
      clients::ReadCloseRestartOptions(ServiceClsid(), clients::SwitchRule::NonZero);
  const auto texts = CloseTexts();
  clients::ClosedProgram closed;
  if (Failed(clients::CloseBeforeBackup(progress, kModuleName, options.autoClose, texts,
                                        Waits().close, &closed)))
    return E_FAIL;

  const std::vector<std::string> keys = SettingsKeys(generation_);
  auto objects = clients::FileObjects(DataFiles(readableWait_));
  const auto keyObjects = clients::KeyObjects(keys);
  objects.insert(objects.end(), keyObjects.begin(), keyObjects.end());
  const HRESULT hr = clients::StoreObjects(backuper, DisplayName(), ServiceClsid(), objects);

  clients::RestartAfterBackup(progress, closed, options, texts);
  return hr;
}

HRESULT OutlookService::Restore(IRestorer* restorer, IProgress* progress) {
  if (!restorer) return E_POINTER;
  if (Failed(clients::AskUntilClosed(progress, kModuleName, Text(kStrRunningRestore),
                                     Text(kStrOperationCanceled), Waits().ask)))
    return E_FAIL;
  return clients::RestoreObjectLoop(restorer, progress, RestorePlacesHere(), ServiceClsid(),
                                    Text(kStrUnknownType))
      .hr;
}

}  // namespace bkvp::outlook
