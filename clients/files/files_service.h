// BkVpFilesSrv: the files and folders client's service object. Backup saves
// what the stored backup list selects; Restore puts the files back where the
// stored restore choices say.
#pragma once

#include "contract/interfaces.h"
#include "contract/unknown.h"

namespace bkvp::files {

class FilesService : public DispatchObject<IBkVpService> {
 public:
  HRESULT Backup(IBackuper* backuper, IProgress* progress) override;
  HRESULT Restore(IRestorer* restorer, IProgress* progress) override;
  HRESULT HasAxBackup(BOOL* value) override;
  HRESULT HasAxRestore(BOOL* value) override;
  HRESULT ClientPresent(BOOL* value) override;
  HRESULT GetAxBackupCLSID(BSTR* value) override;
  HRESULT GetAxRestoreCLSID(BSTR* value) override;
  HRESULT GetClientInfo(BSTR propertyName, VARIANT* value) override;
  HRESULT SetOptions(VARIANT options) override;
  HRESULT GetOptions(VARIANT* options) override;
};

}  // namespace bkvp::files
