// BkVpOutlookExpPages, the Outlook Express client's page module. It links Qt
// and is loaded only by the program; the service module BkVpOutlookExp
// registers its classes.
#include "clients/common/pages/page_module.h"
#include "clients/outlookexp/outlookexp_strings.h"
#include "clients/outlookexp/pages/outlookexp_pages.h"

BKVP_EXPORT_PAGE_MODULE(bkvp::outlookexp::Strings(), bkvp::outlookexp::kClasses,
                        bkvp::outlookexp::pages::OutlookExpBackupPage,
                        bkvp::outlookexp::pages::OutlookExpRestorePage)
