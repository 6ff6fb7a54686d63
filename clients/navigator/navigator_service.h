// BkVpNavigator4xSrv, the service object of the Netscape 4.x client.
#pragma once

#include "clients/common/client_service.h"

namespace bkvp::navigator {

class NavigatorService : public clients::ClientServiceBase {
 public:
  NavigatorService();

  // Present when "CurrentVersion" of the Netscape Navigator key is set.
  HRESULT ClientPresent(BOOL* value) override;
  // The item selection of the "backuper" subkey as the 8-byte options array.
  HRESULT GetOptions(VARIANT* options) override;
  // Netscape 4.x only: finds the profiles, closes Netscape (countdown unless
  // "CloseIfRun"), saves every profile file and the users key, and starts
  // Netscape again when both switches ask for it. Whole profiles are saved
  // whatever the item selection says.
  HRESULT Backup(IBackuper* backuper, IProgress* progress) override;
  // Asks until Netscape is closed, then writes every saved file and key
  // back where it came from.
  HRESULT Restore(IRestorer* restorer, IProgress* progress) override;

 protected:
  // "HasBackup": an empty string (no reason against a backup).
  HRESULT AnswerHasBackup(VARIANT* value) override;
  // The archived item selection replaces the values of the "restorer" subkey.
  void KeepOptionBytes(const std::vector<uint8_t>& bytes) override;
};

}  // namespace bkvp::navigator
