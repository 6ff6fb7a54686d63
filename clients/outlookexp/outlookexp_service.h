// BkVpOutlookXSrv, the service object of the Outlook Express client.
#pragma once

#include "clients/common/client_service.h"
#include "contract/guid.h"

namespace bkvp::outlookexp {

constexpr CLSID CLSID_BkVpOutlookXSrv = MakeGuid("{045DAD87-41B3-41FF-8B2E-357B39E46F77}");

class OutlookExpService : public clients::ClientServiceBase {
 public:
  OutlookExpService();

  // Present when the main Outlook Express key of the current user exists.
  HRESULT ClientPresent(BOOL* value) override;
  // Saves the identities, accounts, address-book and program keys, then the
  // store folders and the address-book file. The program is not closed.
  HRESULT Backup(IBackuper* backuper, IProgress* progress) override;
  // Asks until the program is closed, restores every object to where it came
  // from (renaming an existing "Main Identity" first), then resets the
  // "Running" values.
  HRESULT Restore(IRestorer* restorer, IProgress* progress) override;
};

}  // namespace bkvp::outlookexp
