// Registry keys inside an archive: a key with all its values and subkeys is
// written as a run of key blocks (relative name, values) in pre-order, and
// such a run is written back below any key the caller names.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/key_blocks.h"
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

// What became of writing key blocks back.
struct KeyRestore {
  bool complete = false;  // the blocks were read to their end
  // Why keys or values were left out, one line each (protected keys, values
  // too large for the registry), the first kMaxLeftOutLines of them;
  // `leftOutCount` counts them all.
  std::vector<std::string> leftOut;
  size_t leftOutCount = 0;
  static constexpr size_t kMaxLeftOutLines = 10;
  void LeaveOut(std::string line) {
    if (leftOutCount++ < kMaxLeftOutLines) leftOut.push_back(std::move(line));
  }
};

// A registry value larger than this is left out of a restore: the store
// holds a value whole, and no archive field may decide how much that is.
constexpr uint32_t kMaxRestoredValueBytes = 64u << 20;

// Writes the blocks of `size` bytes back below `target`: keys are opened or
// created, values set; registry failures are passed over (the restore
// merges into what exists). Keys that no archive may write (protected_keys.h)
// are left out with their values, whatever relative name leads to them.
// Whatever was restored before damaged or short blocks stays.
KeyRestore RestoreKeyBlocks(const std::string& target, uint64_t size, const BlockReader& read);

}  // namespace bkvp::archive
