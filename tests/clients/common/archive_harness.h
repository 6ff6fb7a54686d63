// Runs a client's Backup and Restore against the real archive service, the
// way the program does, and reads a client's section back object by object.
#pragma once

#include <string>
#include <vector>

#include "contract/interfaces.h"
#include "tests/support/recording_progress.h"

namespace bkvp::testing {

// Registers BkVpSrv.so (from the binary folder) in the current BKVP_HOME.
void RegisterArchiveService();

// GetOptions / SetClientOptions (unless askOptions is false), StartBackup,
// client->Backup, FinishBackup(0). The client's Backup result.
HRESULT BackupToArchive(IBkVpService* client, const std::string& clientClsid,
                        const std::string& archivePath, RecordingProgress& progress,
                        bool askOptions = true);

// Opens the archive, hands the client its options, client->Restore. The
// client's Restore result.
HRESULT RestoreFromArchive(IBkVpService* client, const std::string& archivePath,
                           RecordingProgress& progress);

struct ArchivedObject {
  USHORT type = 0;
  std::string name;
  LONG weight = 0;
  std::string localName;  // files: from the object's info block
  bool operator==(const ArchivedObject&) const = default;
};
struct ArchivedSection {
  bool present = false;
  LONG totalWeight = 0;  // from FirstStep
  std::vector<ArchivedObject> objects;
  std::vector<uint8_t> options;
};
ArchivedSection ReadSection(const std::string& archivePath, const std::string& clientClsid);

}  // namespace bkvp::testing
