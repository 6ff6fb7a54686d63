#include "bench/system_corpora.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace bench {

namespace {

constexpr uint64_t kSystemCorpusBytes = 200'000'000;
constexpr uint64_t kLargerThan = 16384;  // what counts as a photo or package
constexpr int kCutFiles = 20000;

// The regular files below `root` in name order, links not followed; those
// that cannot be read are passed over.
std::vector<fs::path> RegularFilesBelow(const fs::path& root) {
  std::vector<fs::path> files;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(
           root, fs::directory_options::skip_permission_denied, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error))
    if (it->is_regular_file(error) && !it->is_symlink(error)) files.push_back(it->path());
  std::sort(files.begin(), files.end());
  return files;
}

// The packages apt keeps, in name order (not those still in partial/).
std::vector<fs::path> CachedPackages() {
  std::vector<fs::path> debs;
  for (const auto& entry : fs::directory_iterator("/var/cache/apt/archives"))
    if (entry.path().extension() == ".deb" && entry.is_regular_file()) debs.push_back(entry.path());
  std::sort(debs.begin(), debs.end());
  return debs;
}

std::string LowerExtension(const fs::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
  return ext;
}

// Makes `folder` with `fill` unless a run before made it complete. The mark
// lies beside the folder, so that it is no part of what is backed up.
fs::path MadeOnce(const fs::path& folder, const std::function<void(const fs::path&)>& fill) {
  const fs::path mark = folder.string() + ".done";
  if (fs::exists(mark)) return folder;
  fs::remove_all(folder);
  fs::create_directories(folder);
  fill(folder);
  std::ofstream(mark) << "ok";
  return folder;
}

void CopyInto(const fs::path& from, const fs::path& to) {
  fs::create_directories(to.parent_path());
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

// The content of a .gz file written out; its size, 0 when it cannot be read.
uint64_t Gunzip(const fs::path& from, const fs::path& to) {
  gzFile in = gzopen(from.c_str(), "rb");
  if (!in) return 0;
  fs::create_directories(to.parent_path());
  std::ofstream out(to, std::ios::binary);
  std::vector<char> buffer(1 << 16);
  uint64_t total = 0;
  for (int n; (n = gzread(in, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0;) {
    out.write(buffer.data(), n);
    total += static_cast<uint64_t>(n);
  }
  gzclose(in);
  return total;
}

void FillText(const fs::path& folder) {
  uint64_t total = 0;
  const fs::path include = "/usr/include", man = "/usr/share/man";
  for (const fs::path& file : RegularFilesBelow(include)) {
    CopyInto(file, folder / "include" / file.lexically_relative(include));
    total += fs::file_size(file);
  }
  for (const fs::path& file : RegularFilesBelow(man)) {
    if (total >= kSystemCorpusBytes) break;
    if (file.extension() != ".gz") continue;
    fs::path to = folder / "man" / file.lexically_relative(man);
    to.replace_extension();
    total += Gunzip(file, to);
  }
}

void FillCutSmallFiles(const fs::path& folder, const fs::path& text) {
  const std::vector<fs::path> sources = RegularFilesBelow(text);
  uint32_t random = 2463534242u;
  auto next = [&random] {
    return random ^= random << 13, random ^= random >> 17, random ^= random << 5;
  };
  std::string pending;
  size_t source = 0;
  for (int i = 0; i < kCutFiles; ++i) {
    const size_t size = 1024 + next() % (7 * 1024 + 1);
    while (pending.size() < size && source < sources.size()) {
      std::ifstream in(sources[source++], std::ios::binary);
      pending.append(std::istreambuf_iterator<char>(in), {});
    }
    char name[64];
    std::snprintf(name, sizeof name, "d%02d/e%d/f%05d.txt", i / 1000, i / 100 % 10, i);
    const fs::path to = folder / name;
    fs::create_directories(to.parent_path());
    std::ofstream(to, std::ios::binary)
        .write(pending.data(), static_cast<std::streamsize>(std::min(size, pending.size())));
    pending.erase(0, size);
  }
}

void FillCompressed(const fs::path& folder) {
  uint64_t total = 0;
  int found = 0;
  auto take = [&](const fs::path& file) {
    CopyInto(file, folder / (std::to_string(found++) + "-" + file.filename().string()));
    total += fs::file_size(file);
  };
  for (const char* root : {"/usr/share", "/usr/lib", "/var/log"})
    for (const fs::path& file : RegularFilesBelow(root)) {
      const std::string ext = LowerExtension(file);
      if ((ext == ".gz" || ext == ".jpg" || ext == ".jpeg") && fs::file_size(file) > kLargerThan &&
          total < kSystemCorpusBytes)
        take(file);
    }
  for (const fs::path& deb : CachedPackages())
    if (total < kSystemCorpusBytes) take(deb);
}

}  // namespace

SystemCorpora MakeSystemCorpora(const fs::path& work) {
  SystemCorpora corpora;
  corpora.text = MadeOnce(work / "corpus/system-text", FillText);
  corpora.small = MadeOnce(work / "corpus/system-small", [&](const fs::path& folder) {
    FillCutSmallFiles(folder, corpora.text);
  });
  corpora.compressed = MadeOnce(work / "corpus/system-compressed", FillCompressed);
  return corpora;
}

// Data that is compressed already, as most of a home folder's bytes are:
// the system's own packages (.deb, whose members are xz or zstd streams),
// and whatever photos (.jpg) and .xz files the system holds.
fs::path MakeCompressedCorpus(const fs::path& work) {
  const fs::path folder = work / "corpus/compressed";
  if (fs::exists(folder / ".done")) return folder;
  fs::remove_all(folder);
  fs::create_directories(folder);
  constexpr uint64_t kPackageBytes = 150u << 20;
  uint64_t packages = 0;
  for (const fs::path& deb : CachedPackages()) {
    if (packages >= kPackageBytes) break;
    packages += fs::file_size(deb);
    fs::copy_file(deb, folder / deb.filename());
  }
  int found = 0;
  for (const char* root : {"/usr/share", "/usr/lib", "/root", "/var/log"})
    for (const fs::path& file : RegularFilesBelow(root)) {
      const std::string ext = LowerExtension(file);
      if ((ext == ".jpg" || ext == ".jpeg" || ext == ".xz") && fs::file_size(file) > kLargerThan)
        fs::copy_file(file, folder / (std::to_string(found++) + "-" + file.filename().string()));
    }
  std::ofstream(folder / ".done") << "ok";
  return folder;
}

}  // namespace bench
