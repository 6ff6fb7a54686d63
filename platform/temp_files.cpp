// The temporary folder and unique temporary files.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/unicode.h"

namespace bkvp::platform {

namespace {

constexpr int kMaxAttempts = 100;

// At most three characters of the prefix; a separator would move the file
// out of its folder, so it is replaced.
std::string PrefixPart(std::string_view prefix) {
  std::string out;
  size_t pos = 0;
  for (int count = 0; count < 3 && pos < prefix.size(); ++count) {
    char32_t c = unicode::DecodeNext(prefix, pos);
    if (c == U'/' || c == 0) c = U'_';
    unicode::Append(out, c);
  }
  return out;
}

uint32_t RandomNumber() {
  thread_local std::mt19937 generator{std::random_device{}()};
  return static_cast<uint32_t>(generator());
}

}  // namespace

std::string TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = tmp && *tmp ? tmp : "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}

std::optional<std::string> CreateTempFile(const std::string& folder, std::string_view prefix) {
  std::string base = folder.empty() ? TempFolder() : folder;
  if (base.back() != '/') base += '/';
  base += PrefixPart(prefix);
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    char unique[16];
    std::snprintf(unique, sizeof unique, "%X", static_cast<unsigned>(RandomNumber()));
    const std::string path = base + unique + ".tmp";
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      close(fd);
      return path;
    }
    if (errno != EEXIST) {
      // ENOENT can only mean that the folder is missing.
      SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
      return std::nullopt;
    }
  }
  SetLastError(ERROR_FILE_EXISTS);  // every name tried was taken
  return std::nullopt;
}

}  // namespace bkvp::platform
