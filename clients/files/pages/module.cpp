// BkVpFilesPages, the files client's page module: the backup page
// BkVpFilesFolders and the restore page RsVpFilesFolders. It links Qt and is
// loaded only by the program; the service module BkVpFiles registers its
// classes.
#include "contract/module.h"
#include "clients/common/pages/page_control.h"
#include "clients/files/files_identity.h"
#include "clients/files/pages/backup_list_page.h"
#include "clients/files/pages/restore_page.h"

namespace bkvp::files::pages {
namespace {

const ModuleDefinition& Definition() {
  static const ModuleDefinition module{
      FilesStrings().ModuleName() + "Pages",
      LIBID_BkVpFiles,
      FilesPages(&bkvp::pages::CreatePage<IBkVpAxBackup, BackupListPage>,
                 &bkvp::pages::CreatePage<IBkVpAxRestore, RestorePage>)
          .classes,
  };
  return module;
}

}  // namespace
}  // namespace bkvp::files::pages

BKVP_EXPORT_MODULE(bkvp::files::pages::Definition)
