// BkVpFilesSrv: the files and folders client's service object. Backup saves
// what the stored backup list selects; Restore puts the files back where the
// stored restore choices say. The other answers come from the client frame.
#pragma once

#include "clients/common/client_service.h"

namespace bkvp::files {

class FilesService : public clients::ClientServiceBase {
 public:
  FilesService();

  HRESULT Backup(IBackuper* backuper, IProgress* progress) override;
  HRESULT Restore(IRestorer* restorer, IProgress* progress) override;
  // Files and folders are always there to save: the flag becomes 1.
  HRESULT ClientPresent(BOOL* value) override;
  // This client keeps no options in the archive and accepts any variant.
  HRESULT SetOptions(VARIANT options) override;

 protected:
  int ClientIconId() override;
  // "HasBackup": empty when the backup list has an entry, else the display
  // name followed by the reason ("\nError: no files to back up").
  HRESULT AnswerHasBackup(VARIANT* value) override;
};

}  // namespace bkvp::files
