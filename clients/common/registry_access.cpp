#include "clients/common/registry_access.h"

#include "platform/registry.h"

namespace bkvp::clients {

namespace {

// Value names are at most 255 bytes.
constexpr uint32_t kNameBuffer = platform::kMaxRegistryName + 1;

platform::RegKeyHandle OpenPath(std::string_view fullKeyPath) {
  platform::RegKeyHandle key;
  if (platform::RegOpenKeyPath(fullKeyPath, key.out()) != platform::ERROR_SUCCESS) key.Reset();
  return key;
}

}  // namespace

bool KeyExists(std::string_view fullKeyPath) { return static_cast<bool>(OpenPath(fullKeyPath)); }

std::string ReadString(std::string_view fullKeyPath, std::string_view valueName) {
  return platform::RegReadString(fullKeyPath, valueName).value_or("");
}

uint32_t ReadDword(std::string_view fullKeyPath, std::string_view valueName) {
  return platform::RegReadDword(fullKeyPath, valueName).value_or(0);
}

bool WriteString(std::string_view fullKeyPath, std::string_view valueName, std::string_view text) {
  return platform::RegWriteString(fullKeyPath, valueName, text) == platform::ERROR_SUCCESS;
}

bool WriteDword(std::string_view fullKeyPath, std::string_view valueName, uint32_t value) {
  return platform::RegWriteDword(fullKeyPath, valueName, value) == platform::ERROR_SUCCESS;
}

std::vector<std::string> ListSubKeys(std::string_view fullKeyPath) {
  return platform::RegListSubKeys(fullKeyPath);
}

std::vector<RegistryValue> ListValues(std::string_view fullKeyPath) {
  std::vector<RegistryValue> values;
  auto key = OpenPath(fullKeyPath);
  if (!key) return values;
  for (uint32_t index = 0;; ++index) {
    RegistryValue value;
    value.data.resize(256);
    char name[kNameBuffer];
    uint32_t nameSize = sizeof name;
    uint32_t dataSize = static_cast<uint32_t>(value.data.size());
    platform::LSTATUS status = platform::RegEnumValue(key.get(), index, name, &nameSize,
                                                      &value.type, value.data.data(), &dataSize);
    if (status == platform::ERROR_MORE_DATA) {  // dataSize now holds the size needed
      value.data.resize(dataSize);
      nameSize = sizeof name;
      status = platform::RegEnumValue(key.get(), index, name, &nameSize, &value.type,
                                      value.data.data(), &dataSize);
    }
    if (status != platform::ERROR_SUCCESS) break;
    value.name.assign(name, nameSize);
    value.data.resize(dataSize);
    values.push_back(std::move(value));
  }
  return values;
}

std::string ValueText(const RegistryValue& value) {
  std::string text(value.data.begin(), value.data.end());
  const size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

void DeleteAllValues(std::string_view fullKeyPath) {
  platform::RegKeyHandle key;
  if (platform::RegCreateKeyPath(fullKeyPath, key.out()) != platform::ERROR_SUCCESS) return;
  for (;;) {
    char name[kNameBuffer];
    uint32_t nameSize = sizeof name;
    if (platform::RegEnumValue(key.get(), 0, name, &nameSize, nullptr, nullptr, nullptr) !=
        platform::ERROR_SUCCESS)
      return;
    if (platform::RegDeleteValue(key.get(), std::string(name, nameSize).c_str()) !=
        platform::ERROR_SUCCESS)
      return;  // a value that cannot go would otherwise be read again for ever
  }
}

}  // namespace bkvp::clients
