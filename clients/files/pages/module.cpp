// BkVpFilesPages, the files client's page module: the backup page
// BkVpFilesFolders and the restore page RsVpFilesFolders. It links Qt and is
// loaded only by the program; the service module BkVpFiles registers its
// classes.
#include "clients/common/pages/page_module.h"
#include "clients/files/files_identity.h"
#include "clients/files/pages/backup_list_page.h"
#include "clients/files/pages/restore_page.h"

BKVP_EXPORT_PAGE_MODULE(bkvp::files::FilesStrings(), bkvp::files::kFilesClasses,
                        bkvp::files::pages::BackupListPage, bkvp::files::pages::RestorePage)
