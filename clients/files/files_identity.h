// Identity of the files and folders client: class identifiers, its string
// table, and the registry keys where its pages leave the user's choices.
#pragma once

#include <string>

#include "contract/guid.h"

namespace bkvp::files {

constexpr CLSID CLSID_BkVpFilesSrv = MakeGuid("{8EF0498D-1F92-406D-9C2D-CD35883C6581}");
constexpr CLSID CLSID_BkVpFilesFolders = MakeGuid("{2FC77467-E802-4432-8536-D056E970132B}");
constexpr CLSID CLSID_RsVpFilesFolders = MakeGuid("{96BA7CC3-BDFC-4CA0-8CFE-DEC9B60B32DC}");
constexpr GUID LIBID_BkVpFiles = MakeGuid("{F34CB396-823E-42DA-9CB9-49F10E2CB01D}");

// Numbers of the module's string table.
enum StringId : int {
  IDS_MODULE_NAME = 100,
  IDS_BACKUP_PAGE_CLSID = 101,
  IDS_RESTORE_PAGE_CLSID = 102,
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

// The text of a string table entry; "" for a number the table lacks.
const char* LoadFilesString(int id);

// "HKEY_CURRENT_USER\SOFTWARE\Tarvik Systems\Backup Vopal\{service clsid}"
std::string ClientKeyPath();
// The client key's "backuper" (backup list) and "restorer" (restore choices) subkeys.
std::string BackuperKeyPath();
std::string RestorerKeyPath();

}  // namespace bkvp::files
