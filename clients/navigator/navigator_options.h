// The choices Navigator4x keeps under its option key (values written by its
// pages, read by the service) and the 8-byte options array that carries the
// item selection through an archive.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bkvp::navigator {

// Values of the "backuper" subkey, REG_DWORD 0 or 1, 0 when missing.
constexpr const char* kOptCloseIfRun = "CloseIfRun";
constexpr const char* kOptRestartAfterBackup = "RestartAfterBackup";

// The item selection, one byte (0 or 1) per item in this order: Bookmarks,
// Pab, Drafts, Inbox, Sent, Templates, Unsent, Trash. The value names are
// strings 250 to 257.
constexpr size_t kItemCount = 8;
using ItemSelection = std::array<uint8_t, kItemCount>;
std::string ItemValueName(size_t item);

// The full paths of the option keys ("backuper" / "restorer").
std::string BackuperKey();
std::string RestorerKey();

// The eight values of the key as 0/1 bytes (any non-zero value counts 1).
ItemSelection ReadItemSelection(std::string_view fullKeyPath);
// Removes every value of the key, then writes one 0/1 value per given byte,
// in item order; bytes past the eighth are ignored and items without a byte
// stay missing (which reads as 0). False when a value could not be written.
bool ReplaceItemSelection(std::string_view fullKeyPath, const std::vector<uint8_t>& bytes);

}  // namespace bkvp::navigator
