// Reader of the browsers' profile registry files (Netscape 4.5 and later:
// "nsreg.dat"; Netscape 6 and 7: "Mozilla/registry.dat"): a tree of named
// keys and text entries kept as linked 32-byte nodes.
//
// Layout (little-endian):
//   header, 16 bytes at 0:   magic u32 = 0x76644441 ("ADdv"), 8 bytes unused
//                            (version numbers, free-space offset), root node
//                            offset u32
//   node, 32 bytes at its own offset:
//     +0  location    u32  must equal the offset the node is read from
//     +4  name offset u32
//     +8  name length u16  bytes at the name offset, zero-terminated
//     +10 type        u16  0x0080 marks a deleted node
//     +12 next        u32  next sibling (0 = none)
//     +16 down        u32  first subkey
//     +20 value       u32  a key: its first entry node; an entry: its text
//     +24 value len   u32  0 for a key
//     +28 buffer size u32  not used here
//
// The file comes from another program and may be damaged: every offset and
// length is checked against the file size, a node reached a second time ends
// its chain (so cycles cannot loop), and the depth and node count are capped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bkvp::clients {

constexpr uint32_t kRegistryFileMagic = 0x76644441;
constexpr uint32_t kRegistryHeaderSize = 16;
constexpr uint32_t kRegistryNodeSize = 32;
constexpr uint16_t kRegistryDeletedNode = 0x0080;

// Limits that keep a hostile file from exhausting the stack or memory.
constexpr int kRegistryMaxDepth = 64;
constexpr size_t kRegistryMaxNodes = 100000;
constexpr uint32_t kRegistryMaxValueBytes = 64 * 1024;

struct RegistryFileNode {
  std::string name;
  std::string value;                       // entries only
  std::vector<RegistryFileNode> children;  // entries first, then subkeys

  // The direct child with exactly that name.
  const RegistryFileNode* Child(std::string_view childName) const;
  // A node of that name below this one: direct children first, then each
  // child's subtree in order.
  const RegistryFileNode* FindBelow(std::string_view nodeName) const;
  // Every entry of that name below this one, depth first in the tree's order.
  std::vector<std::string> ValuesBelow(std::string_view entryName) const;
};

struct RegistryFile {
  // Unreadable: missing, not a regular file, or a read failed. Damaged:
  // shorter than its header, another magic number, or a root node that
  // cannot be read.
  enum class Status { Ok, Unreadable, Damaged };
  Status status = Status::Unreadable;
  RegistryFileNode root;  // only when Ok
  bool ok() const { return status == Status::Ok; }
};

RegistryFile ReadRegistryFile(const std::string& path);

}  // namespace bkvp::clients
