// Archives of a folder, opened through the archive reader, and the matching
// of an archive's client sections against the installed clients.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/engine/client_list.h"
#include "app/engine/component_factories.h"
#include "contract/status.h"

namespace bkvp::engine {

struct ArchiveReaderObject;  // the archive service's reader (component_objects.h)

struct ArchiveEntry {
  std::string path;
  // Open on this archive for the lifetime of the entry's last copy.
  std::shared_ptr<ArchiveReaderObject> reader;
  bool isOpen() const { return reader != nullptr; }
  int32_t versionMajor = 0;
  int32_t versionMinor = 0;
  std::time_t time = 0;  // the moment of the backup run
  int32_t clientCount = 0;
  std::string userName;
  std::string machineName;
  std::string label;
  // A remote archive's downloaded copy, removed when the last entry holding
  // it goes; null for a local archive.
  std::shared_ptr<void> localCopy;
};

// kNotRegistered telling how to mend it when the archive service cannot be
// created here (the modules are not registered, or a module cannot be
// loaded).
Status CheckArchiveService();

// kNotRegistered when the reader cannot be created, kDamaged when the file
// is not an archive (or cannot be read as one).
Status OpenArchive(const std::string& path, ArchiveEntry& entry,
                   const RestorerFactory& createRestorer = {});

// The archives of a folder (given with a trailing "/"), newest first; files
// that are not archives are left out.
std::vector<ArchiveEntry> ListArchives(const std::string& folder,
                                       const RestorerFactory& createRestorer = {});

// Puts the entry into a list kept newest first, after those of its moment.
void InsertNewestFirst(std::vector<ArchiveEntry>& list, ArchiveEntry entry);

constexpr const char* kNoArchivesText =
    "No backup archives found. Select a different source location.";

// One client section of an archive, as the restore client page lists it.
struct ArchiveClient {
  std::string name;
  std::string clsid;
  ClientEntry* installed = nullptr;  // the installed client with that identifier
  bool present = false;              // installed and its application is present
  bool restorable() const { return installed && present; }
};

// Walks the archive's sections; every installed one gets its stored options
// (GetClientOptions, then the client's SetOptions) and is asked whether it is
// present.
std::vector<ArchiveClient> MatchClients(ArchiveEntry& archive, ClientList& clients);

}  // namespace bkvp::engine
