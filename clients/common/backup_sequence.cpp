#include "clients/common/backup_sequence.h"

#include "contract/bstr.h"

namespace bkvp::clients {

std::vector<BackupObject> FileObjects(const std::vector<FileItem>& files) {
  std::vector<BackupObject> objects;
  for (const FileItem& file : files)
    objects.push_back({BackupObject::Kind::File, file.path, file.localName});
  return objects;
}

std::vector<BackupObject> KeyObjects(const std::vector<std::string>& keys) {
  std::vector<BackupObject> objects;
  for (const std::string& key : keys) objects.push_back({BackupObject::Kind::RegistryKey, key, ""});
  return objects;
}

HRESULT StoreObjects(IBackuper* backuper, const std::string& displayName,
                     const std::string& serviceClsid, const std::vector<BackupObject>& objects,
                     BOOL fileWriteInLog) {
  Bstr client(displayName), clsid(serviceClsid);
  Bstr fileAction(kFileBackupAction), keyAction(kRegistryKeyBackupAction);
  backuper->BeginClient(client.get(), clsid.get(), static_cast<INT>(objects.size()));
  bool failed = false;
  for (const BackupObject& object : objects) {
    Bstr name(object.name);
    HRESULT hr;
    if (object.kind == BackupObject::Kind::File) {
      Bstr local(object.localName);
      hr = backuper->BackupFile(name.get(), local.get(), fileAction.get(), 1, fileWriteInLog);
    } else {
      hr = backuper->BackupRegistryKey(name.get(), keyAction.get(), 1);
    }
    if (Failed(hr)) {
      failed = true;
      break;
    }
  }
  backuper->EndClient(failed ? 1 : 0);
  return failed ? E_FAIL : S_OK;
}

}  // namespace bkvp::clients
