// The BkVpNetscape7Pages module.
#include "clients/netscape/pages/netscape_pages_module.h"

BKVP_NETSCAPE_PAGES_MODULE(bkvp::netscape::Netscape7Edition)
