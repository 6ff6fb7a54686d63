#include "bench/bench_support.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>

namespace bench {

namespace {

uint32_t rng = 2463534242u;
uint32_t Next() { return rng ^= rng << 13, rng ^= rng >> 17, rng ^= rng << 5; }

// "prefix<number>suffix" (snprintf keeps g++ 12's -Wrestrict quiet).
std::string Numbered(const char* prefix, int number, const char* suffix) {
  char name[64];
  std::snprintf(name, sizeof name, "%s%d%s", prefix, number, suffix);
  return name;
}

std::string Words(size_t size) {
  static const char* kWords[] = {"backup", "archive", "restore", "the",      "of",       "file",
                                 "folder", "client",  "section", "record",   "weight",   "data",
                                 "and",    "mail",    "profile", "settings", "registry", "key",
                                 "value",  "to",      "a",       "in",       "is",       "zlib",
                                 "stream", "disk",    "copy",    "time",     "user"};
  std::string s;
  s.reserve(size + 16);
  while (s.size() < size) {
    s += kWords[Next() % (sizeof kWords / sizeof *kWords)];
    s += (Next() % 12 == 0) ? ".\n" : " ";
    if (Next() % 40 == 0) s += Numbered("", int(Next() % 100000), " ");
  }
  s.resize(size);
  return s;
}

void WriteChunked(const fs::path& path, size_t size, bool text) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  for (size_t done = 0; done < size;) {
    const size_t n = std::min<size_t>(1 << 20, size - done);
    std::string chunk = text ? Words(n) : std::string(n, '\0');
    if (!text)
      for (char& c : chunk) c = char(Next());
    out.write(chunk.data(), std::streamsize(chunk.size()));
    done += n;
  }
}

void PrepareCaches(const fs::path& inputs) {
  sync();
  if (FILE* f = std::fopen("/proc/sys/vm/drop_caches", "w")) {
    std::fputs("3\n", f);
    std::fclose(f);
  }
  std::vector<char> buf(1 << 20);
  for (const std::string& f : FilesBelow(inputs)) {
    std::ifstream in(f, std::ios::binary);
    while (in.read(buf.data(), std::streamsize(buf.size())) || in.gcount() > 0) {
    }
  }
}

Sample RunProcess(const Step& step) {
  const std::vector<std::string>& argv = step.argv;
  FILE* report = std::tmpfile();
  // A forked child starts with this process's peak resident size as its
  // own, and keeps it through exec: making the corpora would show as every
  // step's peak. Resetting the peak to what is resident now avoids that.
  if (FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5\n", clear);
    std::fclose(clear);
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(step.cwd.c_str()) != 0) _exit(127);
    for (const auto& [name, value] : step.environment) setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 1);
    dup2(fileno(report), 2);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    std::fprintf(stderr, "warning: %s exited with %d\n", argv[0].c_str(), WEXITSTATUS(status));
  // The child's own figure when it reports one (its VmHWM), else the
  // system's account of it.
  long peak = usage.ru_maxrss;
  std::rewind(report);
  char line[256];
  while (std::fgets(line, sizeof line, report))
    if (std::sscanf(line, "peak-kib %ld", &peak) != 1) std::fputs(line, stderr);
  std::fclose(report);
  return {seconds, peak};
}

}  // namespace

std::vector<std::string> FilesBelow(const fs::path& folder) {
  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (e.is_regular_file()) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

uint64_t FolderBytes(const fs::path& folder) {
  uint64_t total = 0;
  for (const std::string& f : FilesBelow(folder)) total += fs::file_size(f);
  return total;
}

uint64_t FileBytes(const fs::path& path) {
  return fs::is_regular_file(path) ? static_cast<uint64_t>(fs::file_size(path)) : 0;
}

Corpora MakeCorpora(const fs::path& work) {
  const Corpora corpora{work / "corpus/text", work / "corpus/packed", work / "corpus/small"};
  if (!fs::exists(work / "corpus/.done")) {
    fs::remove_all(work / "corpus");
    for (int i = 0; i < 4; ++i)
      WriteChunked(corpora.text / Numbered("log", i, ".txt"), 6u << 20, true);
    const char* ext[] = {".gz", ".jpeg", ".zip", ".rar"};
    for (int i = 0; i < 3; ++i)
      WriteChunked(corpora.packed / Numbered("p", i, ext[i]), 8u << 20, false);
    WriteChunked(corpora.packed / "large.gz", 40u << 20, false);
    for (int i = 0; i < 20000; ++i)
      WriteChunked(corpora.small / Numbered("d", i / 200, "") / Numbered("f", i, ".txt"),
                   512 + Next() % 3072, true);
    std::ofstream(work / "corpus/.done") << "ok";
  }
  return corpora;
}

namespace {

// One deflate stream of the file, level 9, window 15, memLevel 8, 64 KiB
// chunks in and out, handed to `out` piece by piece.
bool DeflateFile(const std::string& path,
                 const std::function<void(const unsigned char*, size_t)>& out) {
  FILE* src = std::fopen(path.c_str(), "rb");
  if (!src) return false;
  std::vector<unsigned char> in(65536), buf(65536);
  z_stream s{};
  deflateInit2(&s, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
  int flush;
  do {
    s.avail_in = uInt(std::fread(in.data(), 1, in.size(), src));
    s.next_in = in.data();
    flush = std::feof(src) ? Z_FINISH : Z_NO_FLUSH;
    do {
      s.avail_out = uInt(buf.size());
      s.next_out = buf.data();
      deflate(&s, flush);
      out(buf.data(), buf.size() - s.avail_out);
    } while (s.avail_out == 0);
  } while (flush != Z_FINISH);
  deflateEnd(&s);
  std::fclose(src);
  return true;
}

}  // namespace

int ZlibLoop(const std::string& output, const fs::path& folder) {
  FILE* out = std::fopen(output.c_str(), "wb");
  if (!out) return 1;
  for (const std::string& f : FilesBelow(folder))
    if (!DeflateFile(f, [out](const unsigned char* d, size_t n) { std::fwrite(d, 1, n, out); }))
      return 1;
  return std::fclose(out) == 0 ? 0 : 1;
}

uint64_t ZlibLevel9Bytes(const std::string& path) {
  uint64_t total = 0;
  DeflateFile(path, [&total](const unsigned char*, size_t n) { total += n; });
  return total;
}

// Runs the steps of a comparison in turns (A B A B ...), so that a machine
// shared with other work loads them alike, and gives each step's median
// time and its largest peak memory.
std::vector<Sample> Compare(int runs, const std::vector<Step>& steps) {
  std::vector<std::vector<Sample>> samples(steps.size());
  for (int i = 0; i < runs; ++i)
    for (size_t k = 0; k < steps.size(); ++k) {
      for (const fs::path& o : steps[k].outputs) fs::remove_all(o);
      PrepareCaches(steps[k].inputs);
      samples[k].push_back(RunProcess(steps[k]));
    }
  std::vector<Sample> result;
  for (auto& s : samples) {
    std::sort(s.begin(), s.end(),
              [](const Sample& a, const Sample& b) { return a.seconds < b.seconds; });
    Sample median = s[s.size() / 2];
    for (const Sample& x : s) median.peakKiB = std::max(median.peakKiB, x.peakKiB);
    result.push_back(median);
  }
  return result;
}

void Row(const char* what, const Sample& s, double mb, double files, uint64_t outBytes) {
  char peak[32] = "-";
  if (s.peakKiB > 0) std::snprintf(peak, sizeof peak, "%.1f MiB", s.peakKiB / 1024.0);
  std::printf("| %-34s | %8.3f s | %8.1f MB/s | %9.0f files/s | %12llu | %9s |\n", what, s.seconds,
              mb / s.seconds, files / s.seconds, (unsigned long long)outBytes, peak);
}

void Goal(const char* what, double ratio, const char* relation, double goal) {
  const bool met = relation[0] == '<' ? ratio <= goal : ratio >= goal;
  std::printf("| %-58s | %6.2f | %s %.2f | %s |\n", what, ratio, relation, goal,
              met ? "met" : "NOT met");
}

}  // namespace bench
