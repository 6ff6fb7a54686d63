// Identity of the files and folders client: class identifiers, its string
// table, and the registry keys where its pages leave the user's choices.
#pragma once

#include <string>

#include "clients/common/client_module.h"
#include "clients/common/string_table.h"
#include "contract/guid.h"
#include "contract/module.h"

namespace bkvp::files {

// The service class identifier in registry string form: the name of the
// client's option key and the key of its archive sections.
constexpr char kFilesServiceClsid[] = "{8EF0498D-1F92-406D-9C2D-CD35883C6581}";

constexpr CLSID CLSID_BkVpFilesSrv = MakeGuid(kFilesServiceClsid);
constexpr CLSID CLSID_BkVpFilesFolders = MakeGuid("{2FC77467-E802-4432-8536-D056E970132B}");
constexpr CLSID CLSID_RsVpFilesFolders = MakeGuid("{96BA7CC3-BDFC-4CA0-8CFE-DEC9B60B32DC}");
constexpr GUID LIBID_BkVpFiles = MakeGuid("{F34CB396-823E-42DA-9CB9-49F10E2CB01D}");

// Numbers of the module's string table. Above the shared 100 to 102 this
// client keeps its own numbering.
enum StringId : int {
  IDS_MODULE_NAME = clients::kStrModuleName,
  IDS_BACKUP_PAGE_CLSID = clients::kStrBackupPageClsid,
  IDS_RESTORE_PAGE_CLSID = clients::kStrRestorePageClsid,
  IDS_SERVICE_CLSID = 103,
  IDS_BACKUPER_SUBKEY = 106,
  IDS_RESTORER_SUBKEY = 107,
  IDS_CLIENT_NAME = 108,
  IDS_MENU_ADD = 110,
  IDS_MENU_EXPLORE = 111,
  IDS_MENU_DELETE = 112,
  IDS_NO_FILES_ERROR = 113,
  IDS_MENU_PROPERTIES = 117,
};

// Icon number of the client's 16 x 16 icon.
constexpr int kFilesIconId = 216;

const clients::StringTable& FilesStrings();
// The service BkVpFilesSrv and, in the page module BkVpFilesPages, the pages
// BkVpFilesFolders and RsVpFilesFolders.
inline const clients::ClientClasses kFilesClasses{LIBID_BkVpFiles, "BkVpFilesSrv",
                                                  "BkVpFilesFolders", "RsVpFilesFolders"};
// The text of a string table entry; "" for a number the table lacks.
inline std::string LoadFilesString(int id) { return FilesStrings().Load(id); }

// "HKEY_CURRENT_USER\SOFTWARE\Tarvik Systems\Backup Vopal\{service clsid}"
std::string ClientKeyPath();
// The client key's "backuper" (backup list) and "restorer" (restore choices) subkeys.
std::string BackuperKeyPath();
std::string RestorerKeyPath();

}  // namespace bkvp::files
