// Backups and restores through bkvp, the path users take, side by side with
// peers timed in the same run: a plain single-thread zlib loop, tar | pigz -9,
// zip -9 -r, unzip, and cp -r followed by sync. Two sets of corpora, each
// with its own table and goals: the generated ones (bench_support.h) and
// larger ones made of the machine's own files (system_corpora.h).
//
//   bkvp_bench run WORKDIR [RUNS]      generate the corpora, time everything
//   bkvp_bench remote WORKDIR [RUNS]   backups to a WebDAV remote on 127.0.0.1
//                                      against a local backup plus rclone copyto
//   bkvp_bench ceiling WORKDIR [RUNS]  the deflaters alone on one core: how
//                                      fast a backup can be at most
//   bkvp_bench zlib9 OUTPUT FOLDER     (internal) the plain zlib loop
//
// bkvp and its modules are taken from the folder of this program. Every bkvp
// run has its own BKVP_HOME below WORKDIR, registered and given its backup
// list before the timing starts.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/deflate_ceiling.h"
#include "bench/system_corpora.h"
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

// A corpus with what the bench knows of it.
struct Corpus {
  std::string label;
  fs::path folder;
  fs::path home;  // a state folder whose backup list is the corpus
  double mb = 0;
  double files = 0;
};

Corpus Describe(const Setup& setup, const std::string& label, const std::string& homeName,
                const fs::path& folder) {
  return {label, folder, HomeFor(setup, homeName, folder), FolderBytes(folder) / 1e6,
          static_cast<double>(FilesBelow(folder).size())};
}

// The peers run beside the corpus and name it by its folder's name, so
// that their archives hold relative names as bkvp's hold full ones.
Step Peer(const Corpus& corpus, const std::string& shell, const fs::path& output) {
  return {{"sh", "-c", shell}, corpus.folder.parent_path(), corpus.folder, {output}};
}
Step TarPigz(const Corpus& corpus, const fs::path& tgz) {
  return Peer(
      corpus,
      "tar cf - '" + corpus.folder.filename().string() + "' | pigz -9 > '" + tgz.string() + "'",
      tgz);
}
Step Zip(const Corpus& corpus, const fs::path& zip) {
  return Peer(corpus,
              "zip -9 -r -q '" + zip.string() + "' '" + corpus.folder.filename().string() + "'",
              zip);
}
Step CopyAndSync(const Corpus& corpus, const fs::path& copy) {
  return Peer(corpus,
              "cp -r '" + corpus.folder.filename().string() + "' '" + copy.string() + "' && sync",
              copy);
}

// What an archive would take if each of its compressed data parts were
// zlib's level-9 stream of the file, as the writer on one thread made them
// before whole-buffer deflate: the archive's size is held against it.
uint64_t ZlibLevel9ArchiveBytes(const Setup& setup, const Corpus& corpus, const fs::path& archive) {
  const std::string command = "BKVP_HOME='" + corpus.home.string() + "' '" + setup.bkvp.string() +
                              "' show '" + archive.string() + "'";
  FILE* listing = popen(command.c_str(), "r");
  if (!listing) return 0;
  int64_t bytes = static_cast<int64_t>(FileBytes(archive));
  char line[4096];
  while (std::fgets(line, sizeof line, listing)) {
    // "  file  WEIGHT  STORED  yes  NAME"
    char type[16], compressed[8];
    long long weight = 0, stored = 0;
    int nameAt = 0;
    if (std::sscanf(line, " %15s %lld %lld %7s %n", type, &weight, &stored, compressed, &nameAt) <
            4 ||
        std::string(type) != "file" || std::string(compressed) != "yes")
      continue;
    std::string name = line + nameAt;
    while (!name.empty() && (name.back() == '\n' || name.back() == ' ')) name.pop_back();
    bytes += static_cast<int64_t>(ZlibLevel9Bytes(name)) - stored;
  }
  pclose(listing);
  return static_cast<uint64_t>(bytes);
}

// The figures of one set of corpora that the goals are made of.
struct SetFigures {
  double textLoop = 0, textPigz = 0, smallZip = 0;  // peer time / bkvp time
  double textSize = 0, smallSize = 0;               // percent of zlib level 9's
  double textRestore = 0, smallRestore = 0;         // bkvp time / cp + sync time
  double compressedBackup = 0;                      // bkvp time / cp + sync time
  long peakKiB = 0;
};

// Backs `corpus` up with bkvp and the peers in turns, prints a row for
// each and keeps bkvp's archive as `keep`. The samples are bkvp's first.
std::vector<Sample> BackupAgainst(const Setup& setup, int runs, const Corpus& corpus,
                                  const std::vector<std::pair<std::string, Step>>& peers,
                                  const fs::path& out, const fs::path& keep) {
  std::vector<Step> steps = {BkvpBackup(setup, corpus.home, corpus.folder, out)};
  for (const auto& peer : peers) steps.push_back(peer.second);
  const std::vector<Sample> samples = Compare(runs, steps);
  KeepArchive(out, keep);
  Row((corpus.label + ": bkvp backup").c_str(), samples[0], corpus.mb, corpus.files,
      FileBytes(keep));
  for (size_t i = 0; i < peers.size(); ++i)
    Row((corpus.label + ": " + peers[i].first).c_str(), samples[i + 1], corpus.mb, corpus.files,
        FileBytes(peers[i].second.outputs.front()));
  return samples;
}

// The kept archive restored, against unzip of the peer's zip of the corpus
// and a copy of the corpus; bkvp's samples first, the copy's last.
std::vector<Sample> RestoreAgainst(const Setup& setup, int runs, const Corpus& corpus,
                                   const fs::path& archive, const fs::path& zip,
                                   const fs::path& restored, const fs::path& copy) {
  const auto samples = Compare(runs, {BkvpRestore(setup, corpus.home, archive, restored),
                                      {{"unzip", "-q", "-o", zip.string(), "-d", restored.string()},
                                       setup.work,
                                       setup.work,
                                       {restored}},
                                      CopyAndSync(corpus, copy)});
  Row((corpus.label + ": bkvp restore").c_str(), samples[0], corpus.mb, corpus.files, 0);
  Row((corpus.label + ": unzip").c_str(), samples[1], corpus.mb, corpus.files, 0);
  Row((corpus.label + ": cp -r, sync").c_str(), samples[2], corpus.mb, corpus.files, 0);
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

SetFigures RunSet(const Setup& setup, int runs, const fs::path& self, const std::string& name,
                  const Corpus& text, const Corpus& small, const Corpus& compressed) {
  const fs::path& work = setup.work;
  const fs::path out = work / "out", kept = work / "kept", restored = work / "restored",
                 tgz = work / "peer.tar.gz", zip = work / "peer.zip", z = work / "peer.z",
                 copy = work / "copy";
  fs::create_directories(kept);
  auto zlibLoop = [&](const Corpus& corpus) {
    return Step{
        {self.string(), "zlib9", z.string(), corpus.folder.string()}, work, corpus.folder, {z}};
  };
  const std::vector<std::pair<std::string, Step>> peersOf[] = {
      {{"plain zlib level-9 loop", zlibLoop(text)},
       {"tar \\| pigz -9", TarPigz(text, tgz)},
       {"zip -9 -r", Zip(text, zip)}},
      {{"plain zlib level-9 loop", zlibLoop(small)},
       {"tar \\| pigz -9", TarPigz(small, tgz)},
       {"zip -9 -r", Zip(small, zip)}}};

  std::printf("### %s corpora\n\n", name.c_str());
  std::printf("| step | time (median of %d) | MB/s | files/s | output bytes | peak memory |\n",
              runs);
  std::printf("|---|---|---|---|---|---|\n");
  SetFigures f;
  const fs::path textArchive = kept / (name + "-text.KV");
  const auto textBackup = BackupAgainst(setup, runs, text, peersOf[0], out, textArchive);
  const auto textRestore = RestoreAgainst(setup, runs, text, textArchive, zip, restored, copy);
  const fs::path smallArchive = kept / (name + "-small.KV");
  const auto smallBackup = BackupAgainst(setup, runs, small, peersOf[1], out, smallArchive);
  const auto smallRestore = RestoreAgainst(setup, runs, small, smallArchive, zip, restored, copy);
  const fs::path compressedArchive = kept / (name + "-compressed.KV");
  const auto packed =
      BackupAgainst(setup, runs, compressed, {{"cp -r, sync", CopyAndSync(compressed, copy)}}, out,
                    compressedArchive);

  f.textLoop = textBackup[1].seconds / textBackup[0].seconds;
  f.textPigz = textBackup[2].seconds / textBackup[0].seconds;
  f.smallZip = smallBackup[3].seconds / smallBackup[0].seconds;
  f.textSize = 100.0 * FileBytes(textArchive) / ZlibLevel9ArchiveBytes(setup, text, textArchive);
  f.smallSize =
      100.0 * FileBytes(smallArchive) / ZlibLevel9ArchiveBytes(setup, small, smallArchive);
  f.textRestore = textRestore[0].seconds / textRestore[2].seconds;
  f.smallRestore = smallRestore[0].seconds / smallRestore[2].seconds;
  f.compressedBackup = packed[0].seconds / packed[1].seconds;
  f.peakKiB = std::max({textBackup[0].peakKiB, textRestore[0].peakKiB, smallBackup[0].peakKiB,
                        smallRestore[0].peakKiB, packed[0].peakKiB});

  std::printf("\n| goal (%s corpora) | ratio | target | |\n|---|---|---|---|\n", name.c_str());
  Goal("zlib loop time / bkvp backup time (text)", f.textLoop, ">=", 2.5);
  Goal("tar \\| pigz -9 time / bkvp backup time (text)", f.textPigz, ">=", 1.8);
  Goal("zip -9 -r time / bkvp backup time (small files)", f.smallZip, ">=", 2.5);
  Goal("archive size / zlib level 9's, text, percent", f.textSize, "<=", 100.0);
  Goal("archive size / zlib level 9's, small files, percent", f.smallSize, "<=", 100.0);
  Goal("bkvp restore time / cp -r + sync time (text)", f.textRestore, "<=", 1.1);
  Goal("bkvp restore time / cp -r + sync time (small files)", f.smallRestore, "<=", 1.1);
  Goal("bkvp backup time / cp -r + sync time (compressed)", f.compressedBackup, "<=", 1.2);
  Goal("peak memory of bkvp, MiB", f.peakKiB / 1024.0, "<", 32);
  std::printf("\n");
  for (const fs::path& p : {out, restored, copy, tgz, zip, z}) fs::remove_all(p);
  return f;
}

// Every step is forked from this process and starts with its resident size
// as its peak: the corpora are made in a child of their own, so that the
// memory making them takes never shows in a step's figure.
void MakeCorporaAside(const fs::path& work) {
  const pid_t pid = fork();
  if (pid == 0) {
    MakeCorpora(work);
    MakeCompressedCorpus(work);
    MakeSystemCorpora(work);
    _exit(0);
  }
  int status = 0;
  if (pid > 0) waitpid(pid, &status, 0);
}

int Run(const fs::path& work, int runs, const fs::path& self) {
  const Setup setup{self.parent_path() / "bkvp", work};
  MakeCorporaAside(work);
  const Corpora generated = MakeCorpora(work);
  const fs::path packages = MakeCompressedCorpus(work);
  const SystemCorpora system = MakeSystemCorpora(work);
  std::printf("load average at the start: %s\n\n", LoadAverage().c_str());
  RunSet(setup, runs, self, "bench", Describe(setup, "text", "text", generated.text),
         Describe(setup, "20,000 small files", "small", generated.small),
         Describe(setup, "compressed already", "compressed", packages));
  std::printf("load average between the sets: %s\n\n", LoadAverage().c_str());
  RunSet(setup, runs, self, "system", Describe(setup, "system text", "system-text", system.text),
         Describe(setup, "20,000 cut files", "system-small", system.small),
         Describe(setup, "system compressed", "system-compressed", system.compressed));
  std::printf("load average at the end: %s\n", LoadAverage().c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "zlib9" && argc == 4) return ZlibLoop(argv[2], argv[3]);
  if (mode == "run" && argc >= 3)
    return Run(fs::absolute(argv[2]), argc > 3 ? std::atoi(argv[3]) : 5,
               fs::canonical("/proc/self/exe"));
  if (mode == "ceiling" && argc >= 3)
    return bench::RunDeflateCeiling(fs::absolute(argv[2]), argc > 3 ? std::atoi(argv[3]) : 3);
  if (mode == "remote" && argc >= 3)
    return RunRemote(fs::absolute(argv[2]), argc > 3 ? std::atoi(argv[3]) : 5,
                     fs::canonical("/proc/self/exe"));
  std::fprintf(stderr, "usage: bkvp_bench run|remote|ceiling WORKDIR [RUNS]\n");
  return 2;
}
