#include "platform/sysinfo.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/errors.h"
#include "platform/registry.h"

namespace bkvp::platform {

namespace {

constexpr size_t kVersionBlockBytes = 6 * 4;  // signature and five words
constexpr uint32_t kMinStructVersion = 42;
constexpr size_t kChunkBytes = 64 * 1024;

uint32_t WordAt(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

enum class ScanStatus { kFound, kAbsent, kCutOff };

struct ScanResult {
  ScanStatus status = ScanStatus::kAbsent;
  size_t offset = 0;  // of the signature (found, cut off) or of the first unscanned byte
};

ScanResult FindSignature(const uint8_t* data, size_t size) {
  size_t offset = 0;
  for (; offset + 4 <= size; offset += 4) {
    if (WordAt(data + offset) != kVersionSignature) continue;
    if (offset + kVersionBlockBytes > size) return {ScanStatus::kCutOff, offset};
    return {ScanStatus::kFound, offset};
  }
  return {ScanStatus::kAbsent, offset};
}

std::optional<VersionBlock> BlockAt(const uint8_t* signature) {
  VersionBlock block;
  block.structVersion = WordAt(signature + 4);
  if (block.structVersion < kMinStructVersion) return std::nullopt;
  block.fileHigh = WordAt(signature + 8);
  block.fileLow = WordAt(signature + 12);
  block.productHigh = WordAt(signature + 16);
  block.productLow = WordAt(signature + 20);
  return block;
}

// Reads until the buffer is full or the file ends; -1 on a read error.
ssize_t ReadFully(int fd, uint8_t* buffer, size_t size) {
  size_t total = 0;
  while (total < size) {
    const ssize_t n = read(fd, buffer + total, size - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    total += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(total);
}

}  // namespace

std::string UserName() {
  long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(bufferSize > 0 ? static_cast<size_t>(bufferSize) : 16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_name && *found->pw_name)
    return found->pw_name;
  const char* user = std::getenv("USER");
  return user ? user : "";
}

std::string ComputerName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

OsVersion GetOsVersion() { return OsVersion{}; }

std::optional<std::string> WindowsDirectory() {
  return RegReadString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                       "SystemRoot");
}

std::optional<VersionBlock> ScanVersionBlock(const uint8_t* data, size_t size) {
  if (!data) return std::nullopt;
  const ScanResult scan = FindSignature(data, size);
  if (scan.status != ScanStatus::kFound) return std::nullopt;
  return BlockAt(data + scan.offset);
}

std::optional<VersionBlock> ReadFileVersionBlock(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    SetLastErrorFromErrno(errno);
    return std::nullopt;
  }
  // The buffer holds one chunk plus what is carried over from the previous
  // one: a signature whose block continues in the next chunk, or the last
  // bytes short of a whole word. What is carried always starts on a word
  // boundary of the file, so words stay aligned across chunks.
  std::vector<uint8_t> buffer(kChunkBytes + kVersionBlockBytes);
  size_t carried = 0;
  std::optional<VersionBlock> result;
  for (;;) {
    const ssize_t n = ReadFully(fd, buffer.data() + carried, kChunkBytes);
    if (n < 0) {
      SetLastErrorFromErrno(errno);
      break;
    }
    const size_t filled = carried + static_cast<size_t>(n);
    const bool atEnd = static_cast<size_t>(n) < kChunkBytes;
    const ScanResult scan = FindSignature(buffer.data(), filled);
    if (scan.status == ScanStatus::kFound) {
      result = BlockAt(buffer.data() + scan.offset);
      break;
    }
    if (atEnd) break;
    carried = filled - scan.offset;
    std::memmove(buffer.data(), buffer.data() + scan.offset, carried);
  }
  close(fd);
  return result;
}

}  // namespace bkvp::platform
