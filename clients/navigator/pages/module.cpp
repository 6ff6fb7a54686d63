// Navigator4xPages, the Netscape 4.x client's page module. It links Qt and is
// loaded only by the program; the service module Navigator4x registers its
// classes.
#include "clients/common/pages/page_module.h"
#include "clients/navigator/navigator_identity.h"
#include "clients/navigator/navigator_strings.h"
#include "clients/navigator/pages/navigator_backup_page.h"
#include "clients/navigator/pages/navigator_restore_page.h"

BKVP_EXPORT_PAGE_MODULE(bkvp::navigator::Strings(), bkvp::navigator::kClasses,
                        bkvp::navigator::pages::NavigatorBackupPage,
                        bkvp::navigator::pages::NavigatorRestorePage)
