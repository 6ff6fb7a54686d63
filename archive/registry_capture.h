// Registry keys inside an archive: a key with all its values and subkeys is
// written as a run of key blocks (relative name, values) in pre-order, and
// such a run is written back below any key the caller names.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace bkvp::archive {

// a + "\" + b, without doubling a trailing backslash; either side may be empty.
using platform::JoinKeyPath;

// Receives the bytes of the blocks; throws to stop the capture.
using BlockWriter = std::function<void(const uint8_t* data, size_t size)>;

// Writes the block of `fullPath` under the relative name `relative`, then the
// blocks of its whole subtree. Only "HKEY_CURRENT_USER" and
// "HKEY_LOCAL_MACHINE" paths name keys (an absent key is created, empty);
// any other path gives one block without values. Registry errors end the
// affected enumeration early. Subkeys whose relative name would not fit the
// 255-byte name limit are left out. Returns the number of bytes written.
uint64_t CaptureKey(const std::string& fullPath, const std::string& relative,
                    const BlockWriter& write);

// Supplies the stored blocks: fills exactly `size` bytes or returns false.
using BlockReader = std::function<bool(void* buffer, size_t size)>;

// What a walk over stored blocks meets, in order: each block's relative
// name, then each of its values.
struct KeyBlockVisitor {
  std::function<void(const std::string& relative)> key;
  std::function<void(const std::string& name, uint32_t type, const std::vector<uint8_t>& data)>
      value;
};

// Walks the blocks of exactly `size` bytes. Returns false when they are
// damaged (a negative or oversized count or length) or end early.
bool WalkKeyBlocks(uint64_t size, const BlockReader& read, const KeyBlockVisitor& visitor);

// Writes the blocks of `size` bytes back below `target`: keys are opened or
// created, values set; registry failures are passed over (the restore
// merges into what exists). Returns false when the blocks are damaged or end
// early; whatever was restored before that point stays.
bool RestoreKeyBlocks(const std::string& target, uint64_t size, const BlockReader& read);

}  // namespace bkvp::archive
