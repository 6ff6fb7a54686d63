// The page modules BkVpNetscape6Pages and BkVpNetscape7Pages, built from one
// source as their service modules are: each module's source names its
// edition in one line. They link Qt and are loaded only by the program; the
// service modules register their classes.
#pragma once

#include "clients/common/pages/page_module.h"
#include "clients/netscape/pages/netscape_backup_page.h"
#include "clients/netscape/pages/netscape_restore_page.h"

#define BKVP_NETSCAPE_PAGES_MODULE(EditionFunction)                                        \
  BKVP_EXPORT_PAGE_MODULE(EditionFunction().strings, EditionFunction().classes,            \
                          ::bkvp::netscape::pages::NetscapeBackupPageOf<&EditionFunction>, \
                          ::bkvp::netscape::pages::NetscapeRestorePageOf<&EditionFunction>)
