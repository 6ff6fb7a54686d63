#include "clients/files/files_service.h"

#include <optional>

#include "clients/common/progress_calls.h"
#include "clients/files/backup_list_store.h"
#include "clients/files/file_selection.h"
#include "clients/files/files_identity.h"
#include "clients/files/restore_target.h"
#include "contract/errors.h"
#include "platform/files.h"

namespace bkvp::clients::embedded {
const IconSet& FilesIcons();  // compiled from files_icon.png
}  // namespace bkvp::clients::embedded

namespace bkvp::files {

namespace {

// The target of one file object, or nullopt (after a log line) when it is refused.
std::optional<std::string> TargetFor(IRestorer* restorer, IProgress* progress,
                                     const std::string& name, const std::string& destination) {
  RestoreTarget target;
  if (destination.empty()) {
    target = OriginalLocationTarget(name);
  } else {
    Variant options;
    const bool haveOptions = Succeeded(restorer->GetObjectOptions(&options));
    const auto bytes = haveOptions ? ByteArrayOf(options.get()) : std::nullopt;
    target = ChosenFolderTarget(destination, bytes ? LocalNameFromOptions(*bytes) : "");
  }
  if (!target.ok()) {
    clients::SendMessage(progress, name + " not restored: " + target.refusal + ".");
    return std::nullopt;
  }
  return target.path;
}

}  // namespace

FilesService::FilesService() : ClientServiceBase(FilesStrings(), clients::embedded::FilesIcons()) {}

HRESULT FilesService::Backup(IBackuper* backuper, IProgress* progress) {
  if (!backuper) return E_POINTER;
  std::vector<BackupItem> items = SelectFiles(ReadBackupList(), CurrentDateContext());
  SortAndRemoveDuplicates(items);

  const Bstr clientName(LoadFilesString(IDS_CLIENT_NAME));
  const Bstr clsid(LoadFilesString(IDS_SERVICE_CLSID));
  const INT total = static_cast<INT>(items.size());
  backuper->BeginClient(clientName.get(), clsid.get(), total);
  if (items.empty()) {
    clients::SendMessage(progress, "No files to backup.");
    backuper->EndClient(1);
    return S_OK;
  }

  const Bstr action("File Backup");
  INT failed = 0;
  for (const BackupItem& item : items) {
    const Bstr fileName(item.fullPath);
    const Bstr localName(item.localName);
    if (Succeeded(
            backuper->BackupFile(fileName.get(), localName.get(), action.get(), 1, VARIANT_TRUE)))
      continue;
    ++failed;
    INT code = 0;
    Bstr text;
    if (Succeeded(backuper->GetLastError(&code, text.out())))
      clients::SendMessage(progress, text.str());
  }
  // A section in which nothing was saved is dropped.
  backuper->EndClient(failed == total ? 1 : 0);
  return failed > 0 ? E_FAIL : S_OK;
}

HRESULT FilesService::Restore(IRestorer* restorer, IProgress* progress) {
  if (!restorer) return E_POINTER;
  const RestoreChoices choices = ReadRestoreChoices();
  if (const HRESULT hr = restorer->Iterate(Bstr(LoadFilesString(IDS_SERVICE_CLSID)).get());
      Failed(hr))
    return hr;

  for (;;) {
    BOOL end = 0;
    if (Failed(restorer->IsEnd(&end)) || end) break;
    USHORT type = 0;
    Bstr name;
    LONG weight = 0;
    if (const HRESULT hr = restorer->GetObjectInfo(&type, name.out(), &weight); Failed(hr))
      return hr;
    if (type == kObjectFile) {
      if (const auto target = TargetFor(restorer, progress, name.str(), choices.destination)) {
        // Errors are ignored: an existing folder is fine, and a folder that
        // cannot be made makes RestoreFile fail and log the file.
        platform::CreateFolders(platform::ParentFolder(*target));
        try {
          restorer->RestoreFile(Bstr(*target).get(), choices.overwrite ? 1 : 0, VARIANT_TRUE);
        } catch (const KVError& error) {
          if (error.code < 0) return E_FAIL;
        }
      }
    }
    restorer->Next();
  }
  return S_OK;
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
