#include "clients/netscape/profile_rewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>

#include "clients/common/collect_files.h"
#include "platform/files.h"

namespace bkvp::netscape {

namespace {

constexpr size_t kChunkSize = 64 * 1024;

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n <= 0) return false;
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Streams `in` to `out` replacing `from` by `to`. A match may straddle two
// chunks, so the last |from| - 1 unscanned bytes are carried over.
bool StreamReplace(int in, int out, std::string_view from, std::string_view to) {
  std::string buffer;
  std::string chunk(kChunkSize, '\0');
  for (;;) {
    const ssize_t n = ::read(in, chunk.data(), chunk.size());
    if (n < 0) return false;
    const bool atEnd = n == 0;
    buffer.append(chunk.data(), static_cast<size_t>(n));

    std::string output;
    size_t pos = 0;
    for (size_t hit; (hit = buffer.find(from, pos)) != std::string::npos; pos = hit + from.size()) {
      output.append(buffer, pos, hit - pos);
      output.append(to);
    }
    const size_t keep = atEnd ? 0 : std::min(buffer.size() - pos, from.size() - 1);
    output.append(buffer, pos, buffer.size() - pos - keep);
    buffer.erase(0, buffer.size() - keep);
    if (!WriteAll(out, output)) return false;
    if (atEnd) return true;
  }
}

}  // namespace

std::string Encode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '&') {
      out += "&amp;";
    } else if (byte < 0x80 && (std::isalnum(byte) || std::ispunct(byte))) {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

std::string EscapeForPrefs(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (const char c : path) {
    out += c;
    if (c == '\\') out += c;
  }
  return out;
}

bool ReplaceInFile(const std::string& path, std::string_view from, std::string_view to) {
  if (from.empty()) return false;
  Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st {};
  if (in.get() < 0 || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;

  const std::string rewritten = path + ".kvnew";
  Fd out(::open(rewritten.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (out.get() < 0) return false;
  const bool ok = StreamReplace(in.get(), out.get(), from, to) &&
                  ::fchmod(out.get(), st.st_mode & 07777) == 0 && out.Close() &&
                  ::rename(rewritten.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(rewritten.c_str());
  return ok;
}

std::string FindEntryIgnoringCase(const std::string& folder, std::string_view name) {
  for (const platform::FindData& entry : platform::FindFiles(folder + "/*"))
    if (platform::WildcardMatch(name, entry.name)) return platform::JoinPath(folder, entry.name);
  return "";
}

bool RewriteMovedProfile(const std::string& stagingFolder, const std::string& oldFolder,
                         const std::string& newFolder) {
  const std::string prefs = FindEntryIgnoringCase(stagingFolder, "prefs.js");
  if (prefs.empty() || !ReplaceInFile(prefs, EscapeForPrefs(oldFolder), EscapeForPrefs(newFolder)))
    return false;

  const std::string chrome = FindEntryIgnoringCase(stagingFolder, "chrome");
  const std::string skins = chrome.empty() ? "" : FindEntryIgnoringCase(chrome, "all-skins.rdf");
  if (skins.empty()) return true;
  return ReplaceInFile(skins, Encode(oldFolder), Encode(newFolder));
}

}  // namespace bkvp::netscape
