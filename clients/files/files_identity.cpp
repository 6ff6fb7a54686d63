#include "clients/files/files_identity.h"

#include "contract/identifiers.h"

namespace bkvp::files {

const clients::StringTable& FilesStrings() {
  static const clients::StringTable table(
      {
          {IDS_MODULE_NAME, "BkVpFiles"},
          {IDS_BACKUP_PAGE_CLSID, "{2FC77467-E802-4432-8536-D056E970132B}"},
          {IDS_RESTORE_PAGE_CLSID, "{96BA7CC3-BDFC-4CA0-8CFE-DEC9B60B32DC}"},
          {IDS_SERVICE_CLSID, kFilesServiceClsid},
          {IDS_BACKUPER_SUBKEY, "backuper"},
          {IDS_RESTORER_SUBKEY, "restorer"},
          {IDS_CLIENT_NAME, "Files and folders"},
          {IDS_MENU_ADD, "Add to the Backup List"},
          {IDS_MENU_EXPLORE, "Explore"},
          {IDS_MENU_DELETE, "Delete"},
          {IDS_NO_FILES_ERROR, "\nError: no files to back up"},
          {IDS_MENU_PROPERTIES, "Properties"},
      },
      {.displayName = IDS_CLIENT_NAME, .serviceClsid = IDS_SERVICE_CLSID});
  return table;
}

std::string ClientKeyPath() { return std::string(kProgramKey) + "\\" + kFilesServiceClsid; }

std::string BackuperKeyPath() {
  return ClientKeyPath() + "\\" + LoadFilesString(IDS_BACKUPER_SUBKEY);
}

std::string RestorerKeyPath() {
  return ClientKeyPath() + "\\" + LoadFilesString(IDS_RESTORER_SUBKEY);
}

}  // namespace bkvp::files
