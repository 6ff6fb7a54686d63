// BkVpOutlookSrv, the service object of the Outlook client.
#pragma once

#include "clients/common/client_service.h"
#include "clients/outlook/outlook_backup.h"
#include "clients/outlook/readable_wait.h"
#include "contract/guid.h"

namespace bkvp::outlook {

constexpr CLSID CLSID_BkVpOutlookSrv = MakeGuid("{53FA8AB8-13BA-4011-8007-A7998B8ED53B}");

class OutlookService : public clients::ClientServiceBase {
 public:
  OutlookService();

  // Present when an InstallRoot value names the program; records the
  // generation found.
  HRESULT ClientPresent(BOOL* value) override;
  // One byte: the generation (detected first when still unknown).
  HRESULT GetOptions(VARIANT* options) override;
  // Closes Outlook (countdown unless "AutoClose"), saves the personal folder
  // files and "extend.dat", then the keys, and restarts Outlook when asked.
  HRESULT Backup(IBackuper* backuper, IProgress* progress) override;
  // Asks until Outlook is closed, then restores every object where it came
  // from. Outlook is not started afterwards.
  HRESULT Restore(IRestorer* restorer, IProgress* progress) override;

  void SetReadableWait(const ReadableWait& wait) { readableWait_ = wait; }
  Generation CurrentGeneration() const { return generation_; }
  uint8_t SavedGeneration() const { return savedGeneration_; }

 protected:
  // 203 for Office 8.0, 201 for Office 9.0, from the detected generation or
  // else the one an archive recorded; 0 when neither is known.
  int ClientIconId() override;
  void KeepOptionBytes(const std::vector<uint8_t>& bytes) override;

 private:
  // Detection runs whenever the generation is still unknown: a scheduled run
  // never asks ClientPresent, and without the generation its archives would
  // silently lack the profiles and settings keys.
  void EnsureGeneration();

  Generation generation_ = kGenerationUnknown;
  uint8_t savedGeneration_ = 0;
  ReadableWait readableWait_;
};

}  // namespace bkvp::outlook
