#include "contract/icons.h"

#include <mutex>
#include <unordered_map>

namespace bkvp {
namespace {

struct Icon {
  const std::string* png;  // the key in IconTable::handles_ (nodes never move)
  std::string sourcePath;
};

// Handles are 1 + the icon's index; icons are never removed, so a handle
// stays valid for the life of the process.
class IconTable {
 public:
  uint32_t Register(const uint8_t* png, size_t size, const std::string& sourcePath) {
    std::string key = png ? std::string(reinterpret_cast<const char*>(png), size) : std::string();
    std::lock_guard lock(mutex_);
    auto [it, inserted] = handles_.try_emplace(std::move(key), 0);
    if (inserted) {
      icons_.push_back({&it->first, sourcePath});
      it->second = static_cast<uint32_t>(icons_.size());
    } else if (icons_[it->second - 1].sourcePath.empty()) {
      icons_[it->second - 1].sourcePath = sourcePath;
    }
    return it->second;
  }

  std::optional<std::vector<uint8_t>> Bytes(uint32_t handle) {
    std::lock_guard lock(mutex_);
    const Icon* icon = Find(handle);
    if (!icon) return std::nullopt;
    return std::vector<uint8_t>(icon->png->begin(), icon->png->end());
  }

  std::optional<std::string> Path(uint32_t handle) {
    std::lock_guard lock(mutex_);
    const Icon* icon = Find(handle);
    if (!icon || icon->sourcePath.empty()) return std::nullopt;
    return icon->sourcePath;
  }

 private:
  // Requires: mutex_ is held.
  const Icon* Find(uint32_t handle) const {
    if (handle == 0 || handle > icons_.size()) return nullptr;
    return &icons_[handle - 1];
  }

  std::mutex mutex_;
  std::unordered_map<std::string, uint32_t> handles_;  // bytes -> handle
  std::vector<Icon> icons_;
};

IconTable& Table() {
  static IconTable* table = new IconTable;  // never destroyed: modules may ask at exit
  return *table;
}

}  // namespace

uint32_t RegisterIcon(const uint8_t* png, size_t size, const std::string& sourcePath) {
  return Table().Register(png, size, sourcePath);
}

std::optional<std::vector<uint8_t>> IconBytes(uint32_t handle) { return Table().Bytes(handle); }

std::optional<std::string> IconPath(uint32_t handle) { return Table().Path(handle); }

}  // namespace bkvp
