// Throughput, archive size and peak memory of Backuper and Restorer, side by
// side with peers timed in the same run: a plain single-thread zlib level-9
// loop, "zip -9 -r", "unzip" and "cp -r".
//
//   archive_bench run WORKDIR [RUNS]       generate the corpora, time everything
//   archive_bench backup ARCHIVE FOLDER    (internal) one Backuper run
//   archive_bench restore ARCHIVE FOLDER   (internal) one Restorer run
//   archive_bench zlib9 OUTPUT FOLDER      (internal) the plain zlib loop
//
// Every timed step is its own process; the service's own steps report their
// peak resident memory (VmHWM, which starts afresh at exec). Before each timed step the previous
// output is removed, the file system synced, the page cache dropped where allowed, and the inputs
// read once.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/backuper.h"
#include "archive/restorer.h"
#include "contract/bstr.h"
#include "contract/variant.h"

using namespace bkvp;

namespace fs = std::filesystem;

namespace {

// A progress sink that keeps nothing: the bench must not grow with the run.
class QuietProgress : public bkvp::DispatchObject<IProgress> {
 public:
  HRESULT Clean() override { return S_OK; }
  HRESULT FirstStep(BSTR, LONG) override { return S_OK; }
  HRESULT NextStep(BSTR, LONG) override { return S_OK; }
  HRESULT Message(BSTR) override { return S_OK; }
  HRESULT Prompt(BSTR, UINT, INT* b) override {
    *b = IDCANCEL;
    return S_OK;
  }
  HRESULT ClientError(HRESULT, BSTR, INT, INT* b) override {
    *b = IDCANCEL;
    return S_OK;
  }
};

constexpr const char* kClsid = "{11111111-2222-3333-4444-555555555555}";

// Plain strings: a list of fs::path objects would cost the bench process
// more memory than the service it measures.
std::vector<std::string> FilesBelow(const fs::path& folder) {
  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (e.is_regular_file()) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

int Backup(const std::string& archive, const fs::path& folder) {
  auto progress = bkvp::ComPtr<QuietProgress>::Attach(new QuietProgress());
  auto writer = bkvp::ComPtr<IBackuper>::Attach(new bkvp::archive::Backuper());
  writer->SetProgress(progress.get());
  writer->SetArchiveInfo(bkvp::Bstr(archive).get(), bkvp::Bstr("bench").get(),
                         bkvp::Bstr("bench").get(), bkvp::Bstr("bench").get(), 0, 1);
  // As the program does: every client that will run registers first, which
  // lets the writer place its section at its final offset.
  bkvp::Variant noOptions;
  noOptions.get() = bkvp::MakeByteArrayVariant({});
  writer->SetClientOptions(bkvp::Bstr(kClsid).get(), bkvp::Bstr("Files").get(), noOptions.get());
  if (writer->StartBackup() != S_OK) return 1;
  const auto files = FilesBelow(folder);
  writer->BeginClient(bkvp::Bstr("Files").get(), bkvp::Bstr(kClsid).get(), int(files.size()));
  int failed = 0;
  for (const std::string& f : files) {
    // Plain prefix removal: fs::relative resolves every path component.
    const std::string local = f.substr(folder.string().size() + 1);
    if (writer->BackupFile(bkvp::Bstr(f).get(), bkvp::Bstr(local).get(),
                           bkvp::Bstr("File Backup").get(), 1, VARIANT_TRUE) != S_OK)
      ++failed;
  }
  writer->EndClient(0);
  writer->FinishBackup(0);
  return failed ? 1 : 0;
}

int Restore(const std::string& archive, const fs::path& folder) {
  auto progress = bkvp::ComPtr<QuietProgress>::Attach(new QuietProgress());
  auto reader = bkvp::ComPtr<IRestorer>::Attach(new bkvp::archive::Restorer());
  reader->SetProgress(progress.get());
  bkvp::Bstr user, machine, label;
  DATE time;
  LONG clients;
  if (reader->GetArchiveInfo(bkvp::Bstr(archive).get(), user.out(), machine.out(), label.out(),
                             &time, &clients) != S_OK ||
      reader->Iterate(bkvp::Bstr(kClsid).get()) != S_OK)
    return 1;
  int failed = 0;
  BOOL end = 0;
  while (reader->IsEnd(&end) == S_OK && !end) {
    bkvp::Variant options;
    reader->GetObjectOptions(&options);
    const auto bytes = bkvp::ByteArrayOf(options.get()).value_or(std::vector<uint8_t>());
    const std::string local(reinterpret_cast<const char*>(bytes.data()) + 28);
    const fs::path target = folder / local;
    fs::create_directories(target.parent_path());
    if (reader->RestoreFile(bkvp::Bstr(target.string()).get(), 1, VARIANT_TRUE) != S_OK) ++failed;
    reader->Next();
  }
  return failed ? 1 : 0;
}

// The peer the goals are measured against: one deflate stream per file,
// level 9, 64 KiB chunks in and out, written to one output file.
int ZlibLoop(const std::string& output, const fs::path& folder) {
  FILE* out = std::fopen(output.c_str(), "wb");
  if (!out) return 1;
  std::vector<unsigned char> in(65536), buf(65536);
  for (const std::string& f : FilesBelow(folder)) {
    FILE* src = std::fopen(f.c_str(), "rb");
    if (!src) return 1;
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
        std::fwrite(buf.data(), 1, buf.size() - s.avail_out, out);
      } while (s.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&s);
    std::fclose(src);
  }
  return std::fclose(out) == 0 ? 0 : 1;
}

// ---- Corpora ---------------------------------------------------------------

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

uint64_t FolderBytes(const fs::path& folder) {
  uint64_t total = 0;
  for (const std::string& f : FilesBelow(folder)) total += fs::file_size(f);
  return total;
}

// ---- Timing ------------------------------------------------------------------

struct Sample {
  double seconds = 0;
  long peakKiB = 0;
};

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

Sample RunProcess(const std::vector<std::string>& argv, const fs::path& cwd) {
  FILE* report = std::tmpfile();
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(cwd.c_str()) != 0) _exit(127);
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
  waitpid(pid, &status, 0);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    std::fprintf(stderr, "warning: %s exited with %d\n", argv[0].c_str(), WEXITSTATUS(status));
  long peak = 0;
  std::rewind(report);
  char line[256];
  while (std::fgets(line, sizeof line, report))
    if (std::sscanf(line, "peak-kib %ld", &peak) != 1) std::fputs(line, stderr);
  std::fclose(report);
  return {seconds, peak};
}

// One timed step: its command, where it runs, what it reads and writes.
struct Step {
  std::vector<std::string> argv;
  fs::path cwd, inputs;
  std::vector<fs::path> outputs;
};

// Runs the steps of a comparison in turns (A B A B ...), so that a machine
// shared with other work loads them alike, and gives each step's median
// time and its largest peak memory.
std::vector<Sample> Compare(int runs, const std::vector<Step>& steps) {
  std::vector<std::vector<Sample>> samples(steps.size());
  for (int i = 0; i < runs; ++i)
    for (size_t k = 0; k < steps.size(); ++k) {
      for (const fs::path& o : steps[k].outputs) fs::remove_all(o);
      PrepareCaches(steps[k].inputs);
      samples[k].push_back(RunProcess(steps[k].argv, steps[k].cwd));
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

int Run(const fs::path& work, int runs, const std::string& self) {
  const fs::path text = work / "corpus/text", packed = work / "corpus/packed",
                 small = work / "corpus/small", out = work / "out";
  if (!fs::exists(work / "corpus/.done")) {
    fs::remove_all(work / "corpus");
    for (int i = 0; i < 4; ++i) WriteChunked(text / Numbered("log", i, ".txt"), 6u << 20, true);
    const char* ext[] = {".gz", ".jpeg", ".zip", ".rar"};
    for (int i = 0; i < 3; ++i) WriteChunked(packed / Numbered("p", i, ext[i]), 8u << 20, false);
    WriteChunked(packed / "large.gz", 40u << 20, false);
    for (int i = 0; i < 20000; ++i)
      WriteChunked(small / Numbered("d", i / 200, "") / Numbered("f", i, ".txt"),
                   512 + Next() % 3072, true);
    std::ofstream(work / "corpus/.done") << "ok";
  }
  fs::create_directories(out);
  const double textMB = FolderBytes(text) / 1e6, packedMB = FolderBytes(packed) / 1e6,
               smallMB = FolderBytes(small) / 1e6;
  const fs::path kv = out / "bench.KV", zip = out / "bench.zip", z = out / "bench.z",
                 copy = out / "copy", restored = out / "restored";
  auto size = [](const fs::path& p) { return fs::exists(p) ? (uint64_t)fs::file_size(p) : 0; };

  std::printf("| step | time (median of %d) | MB/s | files/s | output bytes | peak memory |\n",
              runs);
  std::printf("|---|---|---|---|---|---|\n");
  // Each comparison leaves its outputs behind for the next one to use.
  const auto text3 =
      Compare(runs, {{{self, "backup", kv, text}, work, text, {kv}},
                     {{self, "zlib9", z, text}, work, text, {z}},
                     {{"zip", "-9", "-r", "-q", zip, "text"}, work / "corpus", text, {zip}}});
  const Sample bkText = text3[0], zlText = text3[1], zipText = text3[2];
  Row("text: Backuper", bkText, textMB, 4, size(kv));
  Row("text: plain zlib level-9 loop", zlText, textMB, 4, size(z));
  Row("text: zip -9 -r", zipText, textMB, 4, size(zip));
  const auto restore2 =
      Compare(runs, {{{self, "restore", kv, restored}, work, out, {restored}},
                     {{"unzip", "-q", "-o", zip, "-d", restored}, work, out, {restored}}});
  const Sample rsText = restore2[0], unzipText = restore2[1];
  Row("text: Restorer", rsText, textMB, 4, 0);
  Row("text: unzip", unzipText, textMB, 4, 0);
  const auto packed2 = Compare(runs, {{{self, "backup", kv, packed}, work, packed, {kv}},
                                      {{"cp", "-r", packed, copy}, work, packed, {copy}}});
  const Sample bkPacked = packed2[0], cpPacked = packed2[1];
  Row("stored as is: Backuper", bkPacked, packedMB, 4, size(kv));
  Row("stored as is: cp -r", cpPacked, packedMB, 4, 0);
  fs::remove_all(copy);
  const auto small2 =
      Compare(runs, {{{self, "backup", kv, small}, work, small, {kv}},
                     {{"zip", "-9", "-r", "-q", zip, "small"}, work / "corpus", small, {zip}}});
  const Sample bkSmall = small2[0], zipSmall = small2[1];
  Row("20,000 small files: Backuper", bkSmall, smallMB, 20000, size(kv));
  Row("20,000 small files: zip -9 -r", zipSmall, smallMB, 20000, size(zip));

  std::printf("\n| goal | ratio | target | |\n|---|---|---|---|\n");
  Goal("text backup time / zlib loop time", bkText.seconds / zlText.seconds, "<=", 1.05);
  Goal("zip -9 -r time / zlib loop time (text)", zipText.seconds / zlText.seconds, ">=", 1.15);
  Goal("stored-as-is backup time / cp time", bkPacked.seconds / cpPacked.seconds, "<=", 2.0);
  Goal("zip -9 -r time / Backuper time (20,000 files)", zipSmall.seconds / bkSmall.seconds,
       ">=", 1.3);
  Goal("unzip time / Restorer time (text)", unzipText.seconds / rsText.seconds, ">=", 1.5);
  const long peak = std::max({bkText.peakKiB, rsText.peakKiB, bkPacked.peakKiB, bkSmall.peakKiB});
  Goal("peak memory of Backuper / Restorer, MiB", peak / 1024.0, "<=", 16);
  fs::remove_all(out);
  return 0;
}

}  // namespace

// Tells the parent this process's peak resident memory on stderr.
int ReportPeak(int status) {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmHWM:", 0) == 0)
      std::fprintf(stderr, "peak-kib %ld\n", std::atol(line.c_str() + 6));
  return status;
}

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "backup" && argc == 4) return ReportPeak(Backup(argv[2], argv[3]));
  if (mode == "restore" && argc == 4) return ReportPeak(Restore(argv[2], argv[3]));
  if (mode == "zlib9" && argc == 4) return ReportPeak(ZlibLoop(argv[2], argv[3]));
  if (mode == "run" && argc >= 3)
    return Run(fs::absolute(argv[2]), argc > 3 ? std::atoi(argv[3]) : 5,
               fs::canonical("/proc/self/exe").string());
  std::fprintf(stderr, "usage: archive_bench run WORKDIR [RUNS]\n");
  return 2;
}
