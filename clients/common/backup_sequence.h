// The pattern every mail client follows on IBackuper: BeginClient with the
// number of objects, one call per object with weight 1, EndClient.
#pragma once

#include <string>
#include <vector>

#include "clients/common/collect_files.h"
#include "contract/interfaces.h"

namespace bkvp::clients {

constexpr const char* kFileBackupAction = "File Backup";
constexpr const char* kRegistryKeyBackupAction = "Registry Key Backup";

struct BackupObject {
  enum class Kind { File, RegistryKey };
  Kind kind = Kind::File;
  std::string name;       // full file path or full key path
  std::string localName;  // files only
};

// Files as objects, in order.
std::vector<BackupObject> FileObjects(const std::vector<FileItem>& files);
// Registry keys as objects, in order.
std::vector<BackupObject> KeyObjects(const std::vector<std::string>& keys);

// BeginClient(displayName, serviceClsid, number of objects); then
// BackupFile(name, localName, "File Backup", 1, fileWriteInLog) or
// BackupRegistryKey(name, "Registry Key Backup", 1) per object in order, the
// first negative status ending the sequence; EndClient(1) after a failure,
// else EndClient(0). S_OK, or E_FAIL after a failure.
HRESULT StoreObjects(IBackuper* backuper, const std::string& displayName,
                     const std::string& serviceClsid, const std::vector<BackupObject>& objects,
                     BOOL fileWriteInLog = VARIANT_TRUE);

}  // namespace bkvp::clients
