#include "app/engine/settings_snapshot.h"

#include "app/engine/program_settings.h"
#include "platform/registry.h"

namespace bkvp::engine {
namespace {

using platform::HKEY;
using platform::LSTATUS;
using platform::RegKeyHandle;

void ReadKey(HKEY handle, SettingsSnapshot::Key& key) {
  char name[platform::kMaxRegistryName + 1];
  for (uint32_t i = 0;; ++i) {
    uint32_t nameSize = sizeof name, type = 0, dataSize = 0;
    if (platform::RegEnumValue(handle, i, name, &nameSize, &type, nullptr, &dataSize) !=
        platform::ERROR_SUCCESS)
      break;
    SettingsSnapshot::Value value{std::string(name, nameSize), type,
                                  std::vector<uint8_t>(dataSize)};
    platform::RegQueryValue(handle, value.name.c_str(), &type, value.data.data(), &dataSize);
    value.data.resize(dataSize);
    key.values.push_back(std::move(value));
  }
  for (uint32_t i = 0;; ++i) {
    uint32_t nameSize = sizeof name;
    if (platform::RegEnumKey(handle, i, name, &nameSize) != platform::ERROR_SUCCESS) break;
    SettingsSnapshot::Key subkey{std::string(name, nameSize), {}, {}};
    RegKeyHandle child;
    if (platform::RegOpenKey(handle, subkey.name.c_str(), child.out()) == platform::ERROR_SUCCESS)
      ReadKey(child.get(), subkey);
    key.subkeys.push_back(std::move(subkey));
  }
}

bool WriteKey(HKEY handle, const SettingsSnapshot::Key& key) {
  bool written = true;
  for (const SettingsSnapshot::Value& value : key.values)
    written &=
        platform::RegSetValue(handle, value.name.c_str(), value.type, value.data.data(),
                              static_cast<uint32_t>(value.data.size())) == platform::ERROR_SUCCESS;
  for (const SettingsSnapshot::Key& subkey : key.subkeys) {
    RegKeyHandle child;
    written &= platform::RegCreateKey(handle, subkey.name.c_str(), child.out()) ==
                   platform::ERROR_SUCCESS &&
               WriteKey(child.get(), subkey);
  }
  return written;
}

}  // namespace

SettingsSnapshot SettingsSnapshot::Take(const std::vector<std::string>& keyPaths) {
  SettingsSnapshot snapshot;
  for (const std::string& path : keyPaths) {
    Tree tree{path, false, {}};
    RegKeyHandle key;
    if (platform::RegOpenKeyPath(path, key.out()) == platform::ERROR_SUCCESS) {
      tree.existed = true;
      ReadKey(key.get(), tree.key);
    }
    snapshot.trees_.push_back(std::move(tree));
  }
  return snapshot;
}

Status SettingsSnapshot::Restore() const {
  for (const Tree& tree : trees_) {
    const auto split = platform::SplitKeyPath(tree.path);
    if (!split) continue;
    const LSTATUS removed = platform::RegDeleteTree(split->root, split->subKey.c_str());
    if (removed != platform::ERROR_SUCCESS && removed != platform::ERROR_FILE_NOT_FOUND)
      return {Status::Code::kCannotWrite, "the settings at " + tree.path + " could not be reset"};
    if (!tree.existed) continue;
    RegKeyHandle key;
    if (platform::RegCreateKeyPath(tree.path, key.out()) != platform::ERROR_SUCCESS ||
        !WriteKey(key.get(), tree.key))
      return {Status::Code::kCannotWrite, "the settings at " + tree.path + " could not be reset"};
  }
  return Status::Ok();
}

std::vector<std::string> ClientSettingsKeys(const ClientList& clients) {
  std::vector<std::string> keys;
  for (const ClientEntry& client : clients.entries())
    keys.push_back(platform::JoinKeyPath(ProgramKey(), client.clsid));
  return keys;
}

}  // namespace bkvp::engine
