// BkVpOutlookPages, the Outlook client's page module. It links Qt and is
// loaded only by the program; the service module BkVpOutlook registers its
// classes.
#include "clients/common/pages/page_module.h"
#include "clients/outlook/outlook_strings.h"
#include "clients/outlook/pages/outlook_backup_page.h"

BKVP_EXPORT_PAGE_MODULE(bkvp::outlook::Strings(), bkvp::outlook::kClasses,
                        bkvp::outlook::pages::OutlookBackupPage,
                        bkvp::outlook::pages::OutlookRestorePage)
