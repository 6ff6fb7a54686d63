// The BkVpNetscape6 module.
#include "clients/netscape/netscape_service.h"

BKVP_NETSCAPE_MODULE(bkvp::netscape::Netscape6Edition)
