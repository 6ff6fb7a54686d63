// Where tests hand the engine archive objects of their own in place of the
// registered archive service's. The component interfaces are only named
// here: the files that call a factory include contract/interfaces.h.
#pragma once

#include <cstdint>
#include <functional>

namespace bkvp {
template <class T>
class ComPtr;
struct IArchiveCheck;
struct IBackuper;
struct IRestorer;
}  // namespace bkvp

namespace bkvp::engine {

// Each fills the pointer and returns the contract's status (0 for success).
using BackuperFactory = std::function<int32_t(ComPtr<IBackuper>&)>;
using RestorerFactory = std::function<int32_t(ComPtr<IRestorer>&)>;
using CheckerFactory = std::function<int32_t(ComPtr<IArchiveCheck>&)>;

}  // namespace bkvp::engine
