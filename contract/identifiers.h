// Class identifiers of the archive service and the program.
#pragma once

#include "contract/guid.h"

namespace bkvp {

constexpr CLSID CLSID_Backuper = MakeGuid("{D2E48CF4-F37E-4C16-B86C-69ED344B7DC2}");
constexpr CLSID CLSID_Restorer = MakeGuid("{888AF8BE-E128-4BBE-A216-62673D49DE7E}");
constexpr CLSID CLSID_ArchiveChecker = MakeGuid("{C870F06B-3405-4C13-9D0B-14F3CDA25906}");
constexpr GUID LIBID_BkVpSrv = MakeGuid("{73032AFB-505D-4379-9DB3-0CD7E2BE2FAE}");

constexpr CLSID CLSID_ProgressIndicator = MakeGuid("{ACD03E9E-6CF1-467C-A0E7-42DEF4D69311}");
constexpr GUID LIBID_BackupVopalLib = MakeGuid("{773F3F19-1872-418E-83B6-1A8918B26512}");

// Registry keys shared by the program and the clients.
constexpr const char* kProgramKey = "HKEY_CURRENT_USER\\SOFTWARE\\Tarvik Systems\\Backup Vopal";
constexpr const char* kDiscoveryKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarvik Systems\\Backup Vopal";
// A value of the program key, set while a backup runs: the folder its
// archive is written to, which the clients leave out of what they save.
constexpr const char* kRunDestinationValue = "RunDestination";

}  // namespace bkvp
