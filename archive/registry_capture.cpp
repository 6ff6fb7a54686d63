#include "archive/registry_capture.h"

#include <optional>
#include <vector>

#include "archive/format.h"
#include "archive/layout.h"
#include "contract/protected_keys.h"
#include "platform/registry.h"

namespace bkvp::archive {

namespace {

// Names are read with room for 259 characters and their zero.
constexpr uint32_t kNameBuffer = 260;

struct KeyPlace {
  platform::HKEY root;
  std::string subKey;
};

// Where a path leads: only the two roots the service understands,
// recognised by prefix as written; the one character after the root name is
// the separator. nullopt for any other path.
std::optional<KeyPlace> PlaceOf(std::string_view path) {
  struct Root {
    std::string_view name;
    platform::HKEY key;
  };
  const Root roots[] = {{"HKEY_CURRENT_USER", platform::HKEY_CURRENT_USER},
                        {"HKEY_LOCAL_MACHINE", platform::HKEY_LOCAL_MACHINE}};
  for (const Root& root : roots) {
    if (path.substr(0, root.name.size()) != root.name) continue;
    return KeyPlace{root.key,
                    std::string(path.size() > root.name.size() ? path.substr(root.name.size() + 1)
                                                               : std::string_view())};
  }
  return std::nullopt;
}

// The key named by the path, created when absent; none for other paths.
platform::RegKeyHandle OpenKeyPath(std::string_view path) {
  platform::RegKeyHandle key;
  const std::optional<KeyPlace> place = PlaceOf(path);
  if (place && platform::RegCreateKey(place->root, place->subKey.c_str(), key.out()) !=
                   platform::ERROR_SUCCESS)
    key.Reset();
  return key;
}

void AppendI4(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t bytes[4];
  PutLE<uint32_t>(bytes, value);
  out.insert(out.end(), bytes, bytes + 4);
}

void AppendName(std::vector<uint8_t>& out, std::string_view name) {
  AppendI4(out, static_cast<uint32_t>(name.size() + 1));
  out.insert(out.end(), name.begin(), name.end());
  out.push_back(0);
}

// One key's block. The values are read in one pass, so the count always
// matches the entries even if the key changes meanwhile.
std::vector<uint8_t> ComposeBlock(platform::HKEY key, std::string_view relative) {
  std::vector<uint8_t> entries;
  uint32_t count = 0;
  for (uint32_t index = 0; key; ++index) {
    char name[kNameBuffer];
    uint32_t nameSize = kNameBuffer;
    uint32_t dataSize = 0;
    if (platform::RegEnumValue(key, index, name, &nameSize, nullptr, nullptr, &dataSize) !=
        platform::ERROR_SUCCESS)
      break;
    std::vector<uint8_t> data(dataSize);
    uint32_t type = 0;
    nameSize = kNameBuffer;
    if (platform::RegEnumValue(key, index, name, &nameSize, &type, data.data(), &dataSize) !=
        platform::ERROR_SUCCESS)
      break;
    AppendName(entries, std::string_view(name, nameSize));
    AppendI4(entries, type);
    AppendI4(entries, dataSize);
    entries.insert(entries.end(), data.begin(), data.begin() + dataSize);
    ++count;
  }
  std::vector<uint8_t> block;
  AppendName(block, relative);
  AppendI4(block, count);
  block.insert(block.end(), entries.begin(), entries.end());
  return block;
}

}  // namespace

uint64_t CaptureKey(const std::string& fullPath, const std::string& relative,
                    const BlockWriter& write) {
  platform::RegKeyHandle key = OpenKeyPath(fullPath);
  const std::vector<uint8_t> block = ComposeBlock(key.get(), relative);
  write(block.data(), block.size());
  uint64_t written = block.size();
  for (uint32_t index = 0; key; ++index) {
    char name[kNameBuffer];
    uint32_t nameSize = kNameBuffer;
    if (platform::RegEnumKey(key.get(), index, name, &nameSize) != platform::ERROR_SUCCESS) break;
    const std::string subKey(name, nameSize);
    const std::string subRelative = JoinKeyPath(relative, subKey);
    // The format cannot hold a longer relative name; depth stays bounded too.
    if (subRelative.size() + 1 > kMaxNameBytes) continue;
    written += CaptureKey(JoinKeyPath(fullPath, subKey), subRelative, write);
  }
  return written;
}

KeyRestore RestoreKeyBlocks(const std::string& target, uint64_t size, const BlockReader& read) {
  KeyRestore result;
  platform::RegKeyHandle key;
  std::string keyPath;
  std::string valueName;
  uint32_t valueType = 0;
  std::vector<uint8_t> data;
  bool valueTooLarge = false;
  result.complete = WalkKeyBlocks(
      size, read,
      {[&](const std::string& relative) {
         keyPath = JoinKeyPath(target, relative);
         key.Reset();
         const std::optional<KeyPlace> place = PlaceOf(keyPath);
         if (place && IsProtectedKey(place->root, place->subKey)) {
           result.LeaveOut(keyPath + ": left out, no archive may write this key");
           return;
         }
         key = OpenKeyPath(keyPath);
       },
       [&](const std::string& name, uint32_t type, uint32_t dataSize) {
         valueName = name;
         valueType = type;
         data.clear();
         valueTooLarge = dataSize > kMaxRestoredValueBytes;
         if (valueTooLarge && key)
           result.LeaveOut(keyPath + ": the value \"" + name + "\" of " + std::to_string(dataSize) +
                           " bytes is left out, larger than a registry value may be");
       },
       [&](const uint8_t* bytes, size_t n) {
         if (key && !valueTooLarge) data.insert(data.end(), bytes, bytes + n);
       },
       [&] {
         if (key && !valueTooLarge)
           platform::RegSetValue(key.get(), valueName.c_str(), valueType, data.data(),
                                 static_cast<uint32_t>(data.size()));
       }});
  return result;
}

}  // namespace bkvp::archive
