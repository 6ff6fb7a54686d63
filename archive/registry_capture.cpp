#include "archive/registry_capture.h"

#include <vector>

#include "archive/format.h"
#include "archive/layout.h"
#include "platform/registry.h"

namespace bkvp::archive {

namespace {

// Names are read with room for 259 characters and their zero.
constexpr uint32_t kNameBuffer = 260;

// The key named by the path: only the two roots the service understands,
// recognised by prefix as written; the one character after the root name is
// the separator.
platform::RegKeyHandle OpenKeyPath(std::string_view path) {
  struct Root {
    std::string_view name;
    platform::HKEY key;
  };
  const Root roots[] = {{"HKEY_CURRENT_USER", platform::HKEY_CURRENT_USER},
                        {"HKEY_LOCAL_MACHINE", platform::HKEY_LOCAL_MACHINE}};
  platform::RegKeyHandle key;
  for (const Root& root : roots) {
    if (path.substr(0, root.name.size()) != root.name) continue;
    const std::string subKey(path.size() > root.name.size() ? path.substr(root.name.size() + 1)
                                                            : std::string_view());
    if (platform::RegCreateKey(root.key, subKey.c_str(), key.out()) != platform::ERROR_SUCCESS)
      key.Reset();
    break;
  }
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

bool WalkKeyBlocks(uint64_t size, const BlockReader& read, const KeyBlockVisitor& visitor) {
  uint64_t consumed = 0;
  // Reads a count or length field; false when the blocks end first.
  auto readI4 = [&](int32_t* value) {
    uint8_t bytes[4];
    if (size - consumed < 4 || !read(bytes, 4)) return false;
    consumed += 4;
    *value = GetLE<int32_t>(bytes);
    return true;
  };
  auto readName = [&](std::string* name) {
    int32_t length;
    if (!readI4(&length) || length < 0 || static_cast<size_t>(length) > kMaxNameBytes ||
        size - consumed < static_cast<uint64_t>(length))
      return false;
    uint8_t bytes[kMaxNameBytes];
    if (!read(bytes, static_cast<size_t>(length))) return false;
    consumed += static_cast<uint64_t>(length);
    *name = NameFromBytes(bytes, static_cast<size_t>(length));
    return true;
  };

  std::vector<uint8_t> data;
  while (consumed < size) {
    std::string relative;
    int32_t valueCount;
    if (!readName(&relative)) return false;
    if (visitor.key) visitor.key(relative);
    if (!readI4(&valueCount) || valueCount < 0) return false;
    // Every entry takes at least 12 bytes, so a damaged count runs into the
    // end of the blocks instead of spinning.
    for (int32_t i = 0; i < valueCount; ++i) {
      std::string name;
      int32_t type, dataSize;
      // A value is as large as the registry gave it; the blocks' own size,
      // which the caller has checked against the archive, bounds it.
      if (!readName(&name) || !readI4(&type) || !readI4(&dataSize) || dataSize < 0 ||
          static_cast<uint64_t>(dataSize) > size - consumed)
        return false;
      data.resize(static_cast<size_t>(dataSize));
      if (dataSize > 0 && !read(data.data(), data.size())) return false;
      consumed += static_cast<uint64_t>(dataSize);
      if (visitor.value) visitor.value(name, static_cast<uint32_t>(type), data);
    }
  }
  return true;
}

bool RestoreKeyBlocks(const std::string& target, uint64_t size, const BlockReader& read) {
  platform::RegKeyHandle key;
  return WalkKeyBlocks(
      size, read,
      {[&](const std::string& relative) { key = OpenKeyPath(JoinKeyPath(target, relative)); },
       [&](const std::string& name, uint32_t type, const std::vector<uint8_t>& data) {
         if (key)
           platform::RegSetValue(key.get(), name.c_str(), type, data.data(),
                                 static_cast<uint32_t>(data.size()));
       }});
}

}  // namespace bkvp::archive
