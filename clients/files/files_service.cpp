#include "clients/files/files_service.h"

#include "clients/common/progress_calls.h"
#include "clients/files/backup_list_store.h"
#include "clients/files/file_selection.h"
#include "clients/files/files_identity.h"
#include "clients/files/files_restore.h"
#include "contract/errors.h"
#include "contract/identifiers.h"
#include "platform/registry.h"

namespace bkvp::clients::embedded {
const IconSet& FilesIcons();  // compiled from files_icon.png
}  // namespace bkvp::clients::embedded

namespace bkvp::files {

FilesService::FilesService() : ClientServiceBase(FilesStrings(), clients::embedded::FilesIcons()) {}

HRESULT FilesService::Backup(IBackuper* backuper, IProgress* progress) {
  if (!backuper) return E_POINTER;
  Selection selection =
      SelectFiles(ReadBackupList(), CurrentDateContext(),
                  platform::RegReadString(kProgramKey, kRunDestinationValue).value_or(""));
  std::vector<BackupItem>& items = selection.items;
  const std::vector<SelectionProblem>& problems = selection.problems;
  SortAndRemoveDuplicates(items);

  const Bstr clientName(LoadFilesString(IDS_CLIENT_NAME));
  const Bstr clsid(LoadFilesString(IDS_SERVICE_CLSID));
  const INT total = static_cast<INT>(items.size());
  backuper->BeginClient(clientName.get(), clsid.get(), total);
  for (const std::string& line : selection.leftOut) clients::SendMessage(progress, line);
  // What could not be read fails the backup as a file that fails does.
  for (const SelectionProblem& problem : problems)
    for (const std::string& line : LogLinesOf(problem)) clients::SendMessage(progress, line);
  if (items.empty()) {
    if (problems.empty()) clients::SendMessage(progress, "No files to backup.");
    backuper->EndClient(1);
    return problems.empty() ? S_OK : E_FAIL;
  }

  const Bstr action("File Backup");
  // An archive service without it is given links as files: it saves what
  // they point to.
  ComPtr<ILinkBackuper> links;
  backuper->QueryInterface(ILinkBackuper::kIid, links.out());
  INT failed = 0;
  for (const BackupItem& item : items) {
    const Bstr fileName(item.fullPath);
    const Bstr localName(item.localName);
    const HRESULT saved =
        item.link && links
            ? links->BackupLink(fileName.get(), localName.get(), action.get(), 1, VARIANT_TRUE)
            : backuper->BackupFile(fileName.get(), localName.get(), action.get(), 1, VARIANT_TRUE);
    if (Succeeded(saved)) continue;
    ++failed;
    INT code = 0;
    Bstr text;
    if (Succeeded(backuper->GetLastError(&code, text.out())))
      clients::SendMessage(progress, text.str());
  }
  // A section in which nothing was saved is dropped.
  backuper->EndClient(failed == total ? 1 : 0);
  return failed > 0 || !problems.empty() ? E_FAIL : S_OK;
}

HRESULT FilesService::Restore(IRestorer* restorer, IProgress* progress) {
  if (!restorer) return E_POINTER;
  return RestoreFiles(restorer, progress, ReadRestoreChoices());
}

HRESULT FilesService::ClientPresent(BOOL* value) { return clients::WriteFlag16(value, 1); }

HRESULT FilesService::SetOptions(VARIANT) { return S_OK; }

int FilesService::ClientIconId() { return kFilesIconId; }

HRESULT FilesService::AnswerHasBackup(VARIANT* value) {
  const std::string reason = HasBackupEntries() ? "" : DisplayName() + Text(IDS_NO_FILES_ERROR);
  VariantClear(value);
  *value = MakeStringVariant(reason);
  return S_OK;
}

}  // namespace bkvp::files
