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
#include "bench/bench_support.h"
#include "contract/bstr.h"
#include "contract/variant.h"

using namespace bkvp;
using namespace bench;

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

int Run(const fs::path& work, int runs, const std::string& self) {
  const Corpora corpora = MakeCorpora(work);
  const fs::path &text = corpora.text, &packed = corpora.packed, &small = corpora.small;
  const fs::path out = work / "out";
  fs::create_directories(out);
  const double textMB = FolderBytes(text) / 1e6, packedMB = FolderBytes(packed) / 1e6,
               smallMB = FolderBytes(small) / 1e6;
  const fs::path kv = out / "bench.KV", zip = out / "bench.zip", z = out / "bench.z",
                 copy = out / "copy", restored = out / "restored";
  const auto size = FileBytes;

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
