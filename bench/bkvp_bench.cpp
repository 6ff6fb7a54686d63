// Backups and restores through bkvp, the path users take, side by side with
// peers timed in the same run: a plain single-thread zlib loop, tar | pigz -9,
// zip -9 -r, unzip, and cp -r followed by sync.
//
//   bkvp_bench run WORKDIR [RUNS]      generate the corpora, time everything
//   bkvp_bench remote WORKDIR [RUNS]   backups to a WebDAV remote on 127.0.0.1
//                                      against a local backup plus rclone copyto
//   bkvp_bench zlib9 OUTPUT FOLDER     (internal) the plain zlib loop
//
// bkvp and its modules are taken from the folder of this program. Every bkvp
// run has its own BKVP_HOME below WORKDIR, registered and given its backup
// list before the timing starts.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "tests/support/rclone_server.h"

using namespace bench;

namespace {

struct Setup {
  fs::path bkvp;
  fs::path work;
};

// Runs a command to prepare the bench; stops the bench when it fails.
void Prepare(const std::vector<std::string>& argv, const fs::path& home) {
  std::string line = "BKVP_HOME='" + home.string() + "'";
  for (const std::string& a : argv) line += " '" + a + "'";
  line += " >/dev/null";
  if (std::system(line.c_str()) != 0) {
    std::fprintf(stderr, "bench: %s failed\n", line.c_str());
    std::exit(1);
  }
}

// A state folder whose backup list is exactly `folder`.
fs::path HomeFor(const Setup& setup, const std::string& name, const fs::path& folder) {
  const fs::path home = setup.work / ("home-" + name);
  const bool fresh = !fs::exists(home / "ready");
  if (fresh) {
    fs::remove_all(home);
    fs::create_directories(home);
  }
  // The modules beside the bkvp under test, whichever build made the home.
  Prepare({setup.bkvp.string(), "register"}, home);
  if (fresh) {
    Prepare({setup.bkvp.string(), "files", "add", folder.string()}, home);
    std::ofstream(home / "ready") << "ok";
  }
  return home;
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
  std::vector<std::string> debs;
  for (const auto& e : fs::directory_iterator("/var/cache/apt/archives"))
    if (e.path().extension() == ".deb") debs.push_back(e.path().string());
  std::sort(debs.begin(), debs.end());
  for (const std::string& deb : debs) {
    if (packages >= kPackageBytes) break;
    packages += fs::file_size(deb);
    fs::copy_file(deb, folder / fs::path(deb).filename());
  }
  int found = 0;
  for (const char* root : {"/usr/share", "/usr/lib", "/root", "/var/log"}) {
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(
             root, fs::directory_options::skip_permission_denied, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
      if (error || !it->is_regular_file(error)) continue;
      std::string ext = it->path().extension().string();
      std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
      if ((ext == ".jpg" || ext == ".jpeg" || ext == ".xz") && it->file_size(error) > 16384)
        fs::copy_file(it->path(),
                      folder / (std::to_string(found++) + "-" + it->path().filename().string()));
    }
  }
  std::ofstream(folder / ".done") << "ok";
  return folder;
}

// The archive a backup step left in `folder`.
fs::path ArchiveIn(const fs::path& folder) {
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().extension() == ".KV") return e.path();
  return {};
}

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

// `to` is where the archive goes (a folder, or a remote place) and `out`
// the folder that receives it, removed before each run.
Step BkvpBackup(const Setup& setup, const fs::path& home, const fs::path& inputs,
                const fs::path& out, const std::string& threads = "", const std::string& to = "") {
  Step step{{setup.bkvp.string(), "backup", "--to", to.empty() ? out.string() : to, "--client",
             "Files and folders", "--unattended", "--quiet"},
            setup.work,
            inputs,
            {out},
            {{"BKVP_HOME", home.string()}}};
  if (!threads.empty()) step.environment.push_back({"BKVP_THREADS", threads});
  return step;
}

Step BkvpRestore(const Setup& setup, const fs::path& home, const fs::path& archive,
                 const fs::path& restored) {
  return {{setup.bkvp.string(), "restore", archive.string(), "--to", restored.string(),
           "--unattended", "--quiet"},
          setup.work,
          archive.parent_path(),
          {restored},
          {{"BKVP_HOME", home.string()}}};
}

// Keeps the archive the last backup run left, under a name of its own.
fs::path KeepArchive(const fs::path& out, const fs::path& as) {
  fs::remove(as);
  fs::rename(ArchiveIn(out), as);
  return as;
}

// The corpus backed up once more on one thread: the size of that archive is
// what the workers' archive is held against.
uint64_t OneThreadArchiveBytes(const Setup& setup, const std::string& corpus, const fs::path& home,
                               const fs::path& inputs, const fs::path& out, double mb,
                               double files) {
  const auto serial = Compare(1, {BkvpBackup(setup, home, inputs, out, "1")});
  const uint64_t bytes = FileBytes(ArchiveIn(out));
  Row((corpus + ": bkvp backup, one thread").c_str(), serial[0], mb, files, bytes);
  return bytes;
}

// The kept archive restored, against unzip of the peer's zip of the corpus.
std::vector<Sample> RestoreAgainstUnzip(const Setup& setup, int runs, const std::string& corpus,
                                        const fs::path& home, const fs::path& archive,
                                        const fs::path& zip, const fs::path& restored, double mb,
                                        double files) {
  const auto samples = Compare(runs, {BkvpRestore(setup, home, archive, restored),
                                      {{"unzip", "-q", "-o", zip.string(), "-d", restored.string()},
                                       setup.work,
                                       setup.work,
                                       {restored}}});
  Row((corpus + ": bkvp restore").c_str(), samples[0], mb, files, 0);
  Row((corpus + ": unzip").c_str(), samples[1], mb, files, 0);
  return samples;
}

// A backup to a remote against what it cannot do without: the same backup
// into a local folder, and one "rclone copyto" of that archive to the remote.
void CompareUpload(const Setup& setup, int runs, const std::string& corpus, const fs::path& home,
                   const fs::path& inputs, const fs::path& served,
                   const std::vector<std::pair<std::string, std::string>>& rclone) {
  const fs::path out = setup.work / "out", kept = setup.work / "kept" / (corpus + ".KV");
  Step remote = BkvpBackup(setup, home, inputs, served / "remote", "", "rclone:bench:remote");
  Step copy{{"rclone", "copyto", kept.string(), "bench:copy/" + corpus + ".KV"},
            setup.work,
            kept.parent_path(),
            {served / "copy"}};
  for (const auto& variable : rclone) {
    remote.environment.push_back(variable);
    copy.environment.push_back(variable);
  }
  Compare(1, {BkvpBackup(setup, home, inputs, out)});
  KeepArchive(out, kept);
  const auto samples = Compare(runs, {BkvpBackup(setup, home, inputs, out), remote, copy});
  const double mb = FolderBytes(inputs) / 1e6, files = double(FilesBelow(inputs).size());
  Row((corpus + ": bkvp backup, local").c_str(), samples[0], mb, files, FileBytes(kept));
  Row((corpus + ": bkvp backup, WebDAV").c_str(), samples[1], mb, files, FileBytes(kept));
  Row((corpus + ": rclone copyto").c_str(), samples[2], mb, files, FileBytes(kept));
  Goal((corpus + ": WebDAV backup / (local backup + copyto)").c_str(),
       samples[1].seconds / (samples[0].seconds + samples[2].seconds), "<=", 1.0);
}

int RunRemote(const fs::path& work, int runs, const fs::path& self) {
  const Setup setup{self.parent_path() / "bkvp", work};
  const Corpora corpora = MakeCorpora(work);
  const fs::path served = work / "served", scratch = work / "server-scratch";
  fs::create_directories(served);
  fs::create_directories(scratch);
  fs::create_directories(work / "kept");
  bkvp::testing::RcloneServer server(bkvp::testing::RcloneServer::Kind::kWebdav, served, scratch);
  if (!server.running()) {
    std::fprintf(stderr, "bench: the WebDAV server did not start:\n%s", server.startLog().c_str());
    return 1;
  }
  const fs::path config = work / "rclone.conf";
  std::ofstream(config) << server.RemoteSection("bench");
  const std::vector<std::pair<std::string, std::string>> rclone = {
      {"RCLONE_CONFIG", config.string()}};
  std::printf("load average at the start: %s\n\n", LoadAverage().c_str());
  std::printf("| step | time (median of %d) | MB/s | files/s | output bytes | peak memory |\n",
              runs);
  std::printf("|---|---|---|---|---|---|\n");
  CompareUpload(setup, runs, "text", HomeFor(setup, "text", corpora.text), corpora.text, served,
                rclone);
  CompareUpload(setup, runs, "stored as is", HomeFor(setup, "packed", corpora.packed),
                corpora.packed, served, rclone);
  std::printf("\nload average at the end: %s\n", LoadAverage().c_str());
  fs::remove_all(served);
  fs::remove_all(work / "out");
  return 0;
}

int Run(const fs::path& work, int runs, const fs::path& self) {
  const Setup setup{self.parent_path() / "bkvp", work};
  const Corpora corpora = MakeCorpora(work);
  const fs::path compressed = MakeCompressedCorpus(work);
  const fs::path out = work / "out", kept = work / "kept", restored = work / "restored";
  fs::create_directories(kept);
  const fs::path textHome = HomeFor(setup, "text", corpora.text);
  const fs::path smallHome = HomeFor(setup, "small", corpora.small);
  const fs::path compressedHome = HomeFor(setup, "compressed", compressed);
  const double textMB = FolderBytes(corpora.text) / 1e6, smallMB = FolderBytes(corpora.small) / 1e6,
               compressedMB = FolderBytes(compressed) / 1e6;
  const double compressedFiles = static_cast<double>(FilesBelow(compressed).size());
  std::printf("load average at the start: %s\n\n", LoadAverage().c_str());

  const fs::path tgz = work / "peer.tar.gz", zip = work / "peer.zip", z = work / "peer.z",
                 copy = work / "copy";
  std::printf("| step | time (median of %d) | MB/s | files/s | output bytes | peak memory |\n",
              runs);
  std::printf("|---|---|---|---|---|---|\n");

  // Text: backup against the zlib loop, tar | pigz -9 and zip -9 -r.
  const auto text = Compare(
      runs,
      {BkvpBackup(setup, textHome, corpora.text, out),
       {{self.string(), "zlib9", z.string(), corpora.text.string()}, work, corpora.text, {z}},
       {{"sh", "-c", "tar cf - text | pigz -9 > " + tgz.string()},
        work / "corpus",
        corpora.text,
        {tgz}},
       {{"zip", "-9", "-r", "-q", zip.string(), "text"}, work / "corpus", corpora.text, {zip}}});
  const fs::path textArchive = KeepArchive(out, kept / "text.KV");
  Row("text: bkvp backup", text[0], textMB, 4, FileBytes(textArchive));
  Row("text: plain zlib level-9 loop", text[1], textMB, 4, FileBytes(z));
  Row("text: tar | pigz -9", text[2], textMB, 4, FileBytes(tgz));
  Row("text: zip -9 -r", text[3], textMB, 4, FileBytes(zip));
  const uint64_t textSerialBytes =
      OneThreadArchiveBytes(setup, "text", textHome, corpora.text, out, textMB, 4);
  const auto textRestore =
      RestoreAgainstUnzip(setup, runs, "text", textHome, textArchive, zip, restored, textMB, 4);

  // 20,000 small files: backup against zip -9 -r, restore against unzip.
  const auto small = Compare(
      runs,
      {BkvpBackup(setup, smallHome, corpora.small, out),
       {{"zip", "-9", "-r", "-q", zip.string(), "small"}, work / "corpus", corpora.small, {zip}}});
  const fs::path smallArchive = KeepArchive(out, kept / "small.KV");
  Row("20,000 small files: bkvp backup", small[0], smallMB, 20000, FileBytes(smallArchive));
  Row("20,000 small files: zip -9 -r", small[1], smallMB, 20000, FileBytes(zip));
  const uint64_t smallSerialBytes = OneThreadArchiveBytes(setup, "20,000 small files", smallHome,
                                                          corpora.small, out, smallMB, 20000);
  const auto smallRestore = RestoreAgainstUnzip(setup, runs, "20,000 small files", smallHome,
                                                smallArchive, zip, restored, smallMB, 20000);

  // Compressed already: backup against cp -r and sync.
  const auto packed =
      Compare(runs, {BkvpBackup(setup, compressedHome, compressed, out),
                     {{"sh", "-c", "cp -r compressed " + copy.string() + " && sync"},
                      work / "corpus",
                      compressed,
                      {copy}}});
  const fs::path packedArchive = KeepArchive(out, kept / "compressed.KV");
  Row("compressed already: bkvp backup", packed[0], compressedMB, compressedFiles,
      FileBytes(packedArchive));
  Row("compressed already: cp -r, sync", packed[1], compressedMB, compressedFiles, 0);

  std::printf("\n| goal | ratio | target | |\n|---|---|---|---|\n");
  Goal("zlib loop time / bkvp backup time (text)", text[1].seconds / text[0].seconds, ">=", 1.7);
  Goal("tar | pigz -9 time / bkvp backup time (text)", text[2].seconds / text[0].seconds,
       ">=", 1.0);
  Goal("zip -9 -r time / bkvp backup time (20,000 files)", small[1].seconds / small[0].seconds,
       ">=", 1.6);
  Goal("unzip time / bkvp restore time (text)", textRestore[1].seconds / textRestore[0].seconds,
       ">=", 1.5);
  Goal("unzip time / bkvp restore time (20,000 files)",
       smallRestore[1].seconds / smallRestore[0].seconds, ">=", 1.5);
  Goal("archive size / one thread's, text, percent",
       100.0 * FileBytes(textArchive) / textSerialBytes, "<=", 100.5);
  Goal("archive size / one thread's, 20,000 files, percent",
       100.0 * FileBytes(smallArchive) / smallSerialBytes, "<=", 100.5);
  Goal("bkvp backup time / cp -r + sync time (compressed already)",
       packed[0].seconds / packed[1].seconds, "<=", 1.5);
  const long peak = std::max({text[0].peakKiB, textRestore[0].peakKiB, small[0].peakKiB,
                              smallRestore[0].peakKiB, packed[0].peakKiB});
  Goal("peak memory of bkvp, MiB", peak / 1024.0, "<", 32);
  std::printf("\nload average at the end: %s\n", LoadAverage().c_str());
  fs::remove_all(out);
  fs::remove_all(restored);
  fs::remove_all(copy);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "zlib9" && argc == 4) return ZlibLoop(argv[2], argv[3]);
  if (mode == "run" && argc >= 3)
    return Run(fs::absolute(argv[2]), argc > 3 ? std::atoi(argv[3]) : 5,
               fs::canonical("/proc/self/exe"));
  if (mode == "remote" && argc >= 3)
    return RunRemote(fs::absolute(argv[2]), argc > 3 ? std::atoi(argv[3]) : 5,
                     fs::canonical("/proc/self/exe"));
  std::fprintf(stderr, "usage: bkvp_bench run|remote WORKDIR [RUNS]\n");
  return 2;
}
