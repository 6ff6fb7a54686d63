// The reason behind LastComponentError(), kept per thread. Internal to the
// contract library: creation and registration set it when they fail.
#pragma once

#include <string>

#include "contract/com_types.h"

namespace bkvp::component_detail {

void ClearError();
// Records the reason and passes the status through, for `return Fail(...)`.
HRESULT Fail(HRESULT status, std::string reason);
// "0x80004005"
std::string StatusText(HRESULT status);

}  // namespace bkvp::component_detail
