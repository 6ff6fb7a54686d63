#include "contract/errors.h"

namespace bkvp {

// The key functions: defining the destructors here, and nowhere else, gives
// each exception one type_info in the contract library that every module
// shares, so a throw in one module is caught by type in another.
KVError::~KVError() = default;
ComError::~ComError() = default;

}  // namespace bkvp
