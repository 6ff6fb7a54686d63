#include "clients/files/files_service.h"

#include <optional>

#include "clients/files/backup_list_store.h"
#include "clients/files/file_selection.h"
#include "clients/files/files_identity.h"
#include "clients/files/module_icon.h"
#include "clients/files/module_version.h"
#include "clients/files/restore_target.h"
#include "contract/errors.h"
#include "platform/files.h"
#include "platform/text.h"

namespace bkvp::files {

namespace {

void Log(IProgress* progress, std::string_view line) {
  if (progress) progress->Message(Bstr(line).get());
}

// Only the low 16 bits of the caller's flag are written; the caller reads
// only those, and the upper half stays as the caller left it.
HRESULT StoreTrue(BOOL* value) {
  if (!value) return E_POINTER;
  *value = static_cast<BOOL>((static_cast<uint32_t>(*value) & 0xFFFF0000u) | 1u);
  return S_OK;
}

HRESULT StoreString(BSTR* value, int id) {
  if (!value) return E_FAIL;
  *value = AllocBstr(LoadFilesString(id));
  return S_OK;
}

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
    Log(progress, name + " not restored: " + target.refusal + ".");
    return std::nullopt;
  }
  return target.path;
}

}  // namespace

HRESULT FilesService::Backup(IBackuper* backuper, IProgress* progress) {
  if (!backuper) return E_POINTER;
  std::vector<BackupItem> items = SelectFiles(ReadBackupList(), CurrentDateContext());
  SortAndRemoveDuplicates(items);

  const Bstr clientName(LoadFilesString(IDS_CLIENT_NAME));
  const Bstr clsid(LoadFilesString(IDS_SERVICE_CLSID));
  const INT total = static_cast<INT>(items.size());
  backuper->BeginClient(clientName.get(), clsid.get(), total);
  if (items.empty()) {
    Log(progress, "No files to backup.");
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
    if (Succeeded(backuper->GetLastError(&code, text.out()))) Log(progress, text.str());
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

HRESULT FilesService::HasAxBackup(BOOL* value) { return StoreTrue(value); }
HRESULT FilesService::HasAxRestore(BOOL* value) { return StoreTrue(value); }
HRESULT FilesService::ClientPresent(BOOL* value) { return StoreTrue(value); }

HRESULT FilesService::GetAxBackupCLSID(BSTR* value) {
  return StoreString(value, IDS_BACKUP_PAGE_CLSID);
}

HRESULT FilesService::GetAxRestoreCLSID(BSTR* value) {
  return StoreString(value, IDS_RESTORE_PAGE_CLSID);
}

HRESULT FilesService::GetClientInfo(BSTR propertyName, VARIANT* value) {
  const std::string property = platform::ToLower(ToAnsi(propertyName));
  const bool known = property == "hasbackup" || property == "clientname" ||
                     property == "clienticon" || property == "versionmajor" ||
                     property == "versionminor";
  if (!known) return E_INVALIDARG;
  if (!value) return E_POINTER;

  if (property == "hasbackup") {
    const std::string answer = HasBackupEntries() ? ""
                                                  : std::string(LoadFilesString(IDS_CLIENT_NAME)) +
                                                        LoadFilesString(IDS_NO_FILES_ERROR);
    value->vt = VT_BSTR;
    value->bstrVal = AllocBstr(answer);
  } else if (property == "clientname") {
    value->vt = VT_BSTR;
    value->bstrVal = AllocBstr(LoadFilesString(IDS_CLIENT_NAME));
  } else if (property == "clienticon") {
    value->ulVal = ModuleIconHandle();
  } else if (property == "versionmajor") {
    value->ulVal = ModuleVersion().productHigh;
  } else {
    value->ulVal = ModuleVersion().productLow;
  }
  return S_OK;
}

// This client keeps no options in the archive.
HRESULT FilesService::SetOptions(VARIANT) { return S_OK; }
HRESULT FilesService::GetOptions(VARIANT*) { return S_OK; }

}  // namespace bkvp::files
