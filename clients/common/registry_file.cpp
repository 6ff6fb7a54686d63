#include "clients/common/registry_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace bkvp::clients {

namespace {

uint32_t Word32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t Word16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Offsets and lengths are signed in the file's own reader: only positive
// values point anywhere.
bool Positive(uint32_t value) { return static_cast<int32_t>(value) > 0; }

struct RawNode {
  uint32_t nameOffset;
  uint16_t nameLength;
  uint16_t type;
  uint32_t next;
  uint32_t down;
  uint32_t value;
  uint32_t valueLength;
};

class RegistryFileParser {
 public:
  explicit RegistryFileParser(int fd, uint64_t size) : fd_(fd), size_(size) {}

  RegistryFile ReadRoot() {
    RegistryFile file;
    uint8_t header[kRegistryHeaderSize];
    if (size_ < sizeof header) {
      file.status = RegistryFile::Status::Damaged;
      return file;
    }
    if (!ReadAt(0, header, sizeof header)) return file;
    uint32_t ignoredNext = 0;
    if (Word32(header) != kRegistryFileMagic ||
        !ReadNode(Word32(header + 12), 0, file.root, ignoredNext)) {
      file.status = RegistryFile::Status::Damaged;
      return file;
    }
    file.status = RegistryFile::Status::Ok;
    return file;
  }

 private:
  bool ReadAt(uint64_t offset, void* buffer, uint64_t length) {
    if (offset > size_ || length > size_ - offset) return false;
    auto* out = static_cast<uint8_t*>(buffer);
    while (length > 0) {
      const ssize_t n = pread(fd_, out, length, static_cast<off_t>(offset));
      if (n <= 0) return false;
      out += n;
      offset += static_cast<uint64_t>(n);
      length -= static_cast<uint64_t>(n);
    }
    return true;
  }

  // Text of `length` bytes at `offset`, up to its first zero. A name must
  // hold its zero; an entry's text may fill its whole length.
  bool ReadText(uint32_t offset, uint32_t length, bool needsTerminator, std::string& text) {
    text.clear();
    if (offset > size_ || length > size_ - offset) return false;
    // Only the start of an oversized text is kept; the rest is never needed.
    std::string bytes(std::min(length, kRegistryMaxValueBytes), '\0');
    if (!ReadAt(offset, bytes.data(), bytes.size())) return false;
    const size_t zero = bytes.find('\0');
    if (zero == std::string::npos && needsTerminator && length > 0) return false;
    if (zero != std::string::npos) bytes.resize(zero);
    text = std::move(bytes);
    return true;
  }

  // Reads the node at `offset` and everything below it. On failure the node
  // is not added; the caller ends the chain it was following.
  bool ReadNode(uint32_t offset, int depth, RegistryFileNode& node, uint32_t& next) {
    if (depth > kRegistryMaxDepth || visited_.size() >= kRegistryMaxNodes) return false;
    if (!visited_.insert(offset).second) return false;  // a cycle or a shared node

    uint8_t raw[kRegistryNodeSize];
    if (!ReadAt(offset, raw, sizeof raw)) return false;
    if (Word32(raw) != offset) return false;
    const RawNode n{Word32(raw + 4),  Word16(raw + 8),  Word16(raw + 10), Word32(raw + 12),
                    Word32(raw + 16), Word32(raw + 20), Word32(raw + 24)};
    if (n.type == kRegistryDeletedNode) return false;
    if (!ReadText(n.nameOffset, n.nameLength, true, node.name)) return false;

    const bool isKey = static_cast<int32_t>(n.valueLength) < 1;
    if (Positive(n.value)) {
      if (isKey)
        ReadChain(n.value, depth + 1, node.children);
      else if (!ReadText(n.value, n.valueLength, false, node.value))
        return false;
    }
    if (Positive(n.down) && n.valueLength == 0) ReadChain(n.down, depth + 1, node.children);
    next = n.next;
    return true;
  }

  void ReadChain(uint32_t offset, int depth, std::vector<RegistryFileNode>& into) {
    while (Positive(offset)) {
      RegistryFileNode child;
      uint32_t next = 0;
      if (!ReadNode(offset, depth, child, next)) return;
      into.push_back(std::move(child));
      offset = next;
    }
  }

  int fd_;
  uint64_t size_;
  std::unordered_set<uint32_t> visited_;
};

const RegistryFileNode* FindBelowAt(const RegistryFileNode& node, std::string_view name,
                                    int depth) {
  if (const RegistryFileNode* direct = node.Child(name)) return direct;
  if (depth >= kRegistryMaxDepth) return nullptr;
  for (const RegistryFileNode& child : node.children)
    if (const RegistryFileNode* found = FindBelowAt(child, name, depth + 1)) return found;
  return nullptr;
}

void CollectValues(const RegistryFileNode& node, std::string_view name, int depth,
                   std::vector<std::string>& values) {
  if (depth > kRegistryMaxDepth) return;
  for (const RegistryFileNode& child : node.children) {
    if (child.name == name && child.children.empty()) values.push_back(child.value);
    CollectValues(child, name, depth + 1, values);
  }
}

}  // namespace

const RegistryFileNode* RegistryFileNode::Child(std::string_view childName) const {
  for (const RegistryFileNode& child : children)
    if (child.name == childName) return &child;
  return nullptr;
}

const RegistryFileNode* RegistryFileNode::FindBelow(std::string_view nodeName) const {
  return FindBelowAt(*this, nodeName, 0);
}

std::vector<std::string> RegistryFileNode::ValuesBelow(std::string_view entryName) const {
  std::vector<std::string> values;
  CollectValues(*this, entryName, 0, values);
  return values;
}

RegistryFile ReadRegistryFile(const std::string& path) {
  // Only a plain file: a pipe put in its place could hang the run.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return {};
  struct stat st {};
  RegistryFile file;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
    file = RegistryFileParser(fd, static_cast<uint64_t>(st.st_size)).ReadRoot();
  close(fd);
  return file;
}

}  // namespace bkvp::clients
