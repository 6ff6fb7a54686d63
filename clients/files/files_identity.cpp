#include "clients/files/files_identity.h"

#include "contract/identifiers.h"

namespace bkvp::files {

const char* LoadFilesString(int id) {
  switch (id) {
    case IDS_MODULE_NAME:
      return "BkVpFiles";
    case IDS_BACKUP_PAGE_CLSID:
      return "{2FC77467-E802-4432-8536-D056E970132B}";
    case IDS_RESTORE_PAGE_CLSID:
      return "{96BA7CC3-BDFC-4CA0-8CFE-DEC9B60B32DC}";
    case IDS_SERVICE_CLSID:
      return "{8EF0498D-1F92-406D-9C2D-CD35883C6581}";
    case IDS_BACKUPER_SUBKEY:
      return "backuper";
    case IDS_RESTORER_SUBKEY:
      return "restorer";
    case IDS_CLIENT_NAME:
      return "Files and folders";
    case IDS_MENU_ADD:
      return "Add to the Backup List";
    case IDS_MENU_EXPLORE:
      return "Explore";
    case IDS_MENU_DELETE:
      return "Delete";
    case IDS_NO_FILES_ERROR:
      return "\nError: no files to back up";
    case IDS_MENU_PROPERTIES:
      return "Properties";
    default:
      return "";
  }
}

std::string ClientKeyPath() {
  return std::string(kProgramKey) + "\\" + LoadFilesString(IDS_SERVICE_CLSID);
}

std::string BackuperKeyPath() {
  return ClientKeyPath() + "\\" + LoadFilesString(IDS_BACKUPER_SUBKEY);
}

std::string RestorerKeyPath() {
  return ClientKeyPath() + "\\" + LoadFilesString(IDS_RESTORER_SUBKEY);
}

}  // namespace bkvp::files
