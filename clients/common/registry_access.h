// Registry access by full key path for the clients: "ROOT\sub\key", where
// ROOT is any of the seven predefined root names in any letter case. Missing
// keys and values read as "" or 0; nothing here throws.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace bkvp::clients {

using platform::JoinKeyPath;

// True when the key exists and can be opened (a root of an unknown name
// names no key).
bool KeyExists(std::string_view fullKeyPath);
// A string value (REG_SZ or REG_EXPAND_SZ); "" when the key or value is
// missing or of another type.
std::string ReadString(std::string_view fullKeyPath, std::string_view valueName);
// A 32-bit value; 0 when missing or of another type.
uint32_t ReadDword(std::string_view fullKeyPath, std::string_view valueName);
// Writes create the key when it is missing; true on success.
bool WriteString(std::string_view fullKeyPath, std::string_view valueName, std::string_view text);
bool WriteDword(std::string_view fullKeyPath, std::string_view valueName, uint32_t value);

// Names of the direct subkeys, in enumeration order; empty when missing.
std::vector<std::string> ListSubKeys(std::string_view fullKeyPath);

struct RegistryValue {
  std::string name;
  uint32_t type = 0;
  std::vector<uint8_t> data;  // as stored (string data keeps its zero)
};
// Every value of the key, in enumeration order; empty when missing.
std::vector<RegistryValue> ListValues(std::string_view fullKeyPath);
// The text of a REG_SZ / REG_EXPAND_SZ value's data, without the zero.
std::string ValueText(const RegistryValue& value);

// Removes every value of the key (creating the key when missing), as the
// pages do before they store their settings.
void DeleteAllValues(std::string_view fullKeyPath);

}  // namespace bkvp::clients
