// The BkVpNetscape7 module.
#include "clients/netscape/netscape_service.h"

BKVP_NETSCAPE_MODULE(bkvp::netscape::Netscape7Edition)
