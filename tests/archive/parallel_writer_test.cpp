// The writer with compression workers against the writer on one thread:
// the same files, the same failures, the same archive contents, progress
// steps, log lines and prompts.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <functional>
#include <regex>

#include "archive/block_deflate.h"
#include "archive/deflate_jobs.h"
#include "contract/errors.h"
#include "platform/files.h"
#include "tests/archive/archive_harness.h"
#include "tests/archive/independent_reader.h"
#include "tests/support/test_support.h"

namespace bkvp::testing {
namespace {

using archive::kBlockSize;
using archive::kSampleSize;
using archive::kSmallFileSize;
using archive::kWholeFileSize;

constexpr int kWorkers = 4;

// Everything a run shows from outside: what each call returned or threw,
// the progress steps, the log lines, the questions, and what the archive
// holds (or that there is none).
struct RunRecord {
  std::vector<std::string> calls;
  std::vector<std::string> steps;
  std::vector<std::string> messages;
  std::vector<std::string> prompts;
  std::vector<std::pair<std::string, std::string>> stored;  // name, content
  bool archiveExists = false;

  bool operator==(const RunRecord&) const = default;
};

void PrintTo(const RunRecord& r, std::ostream* os) {
  *os << "calls:";
  for (const auto& c : r.calls) *os << " [" << c << "]";
  *os << "\nmessages:";
  for (const auto& m : r.messages) *os << " [" << m << "]";
  *os << "\nprompts: " << r.prompts.size() << ", stored: " << r.stored.size();
}

class ParallelWriter : public HomeFixture {
 protected:
  // Backs up `files` (in this order) into a fresh archive with `threads`
  // workers through `layer`, and says what happened.
  RunRecord Backup(int threads, const std::vector<std::string>& files, archive::FileLayer& layer,
                   const std::function<void(RecordingProgress&)>& script = nullptr) {
    const std::string archivePath = dir / ("threads" + std::to_string(threads) + ".KV");
    std::filesystem::remove(archivePath);
    WriterHarness w(ComPtr<IBackuper>::Attach(new archive::Backuper(layer, threads)));
    if (script) script(*w.progress.get());
    RunRecord record;
    auto call = [&](const std::string& what, const std::function<HRESULT()>& body) {
      try {
        record.calls.push_back(what + " " + std::to_string(body()));
      } catch (const ComError& e) {
        record.calls.push_back(what + " threw " + std::to_string(e.Error()));
        return false;
      }
      return true;
    };
    w.Options(kClsidA, "Files", {});
    bool going = call("start", [&] { return w.Start(archivePath); }) &&
                 call("begin", [&] { return w.Begin(kClsidA, "Files", int(files.size())); });
    for (size_t i = 0; going && i < files.size(); ++i)
      going = call(platform::FileNameOf(files[i]), [&] { return w.File(files[i]); });
    going = going && call("key", [&] { return w.Key("HKEY_CURRENT_USER\\Software\\Bench"); });
    going = going && call("end", [&] { return w.End(); });
    call("finish", [&] { return w.Finish(going ? 0 : 1); });

    for (const auto& s : w.progress->nextSteps) record.steps.push_back(s.name);
    record.messages = w.progress->messages;
    // A full disk's question says what the real disk has free, which other
    // programs change between the runs compared; the rest is the writer's.
    const std::regex freeSpace("; it has [0-9.]+ [A-Za-z]+ free");
    for (const auto& p : w.progress->prompts)
      record.prompts.push_back(std::regex_replace(p.text, freeSpace, ""));
    record.archiveExists = platform::FileExists(archivePath);
    if (record.archiveExists) {
      std::string error;
      const auto parsed = plain::ParseArchive(ReadFile(archivePath), &error);
      EXPECT_TRUE(parsed) << error;
      if (parsed)
        for (const auto& rec : parsed->sections.at(0).records)
          if (rec.type == 0) record.stored.emplace_back(rec.name, rec.content);
    }
    return record;
  }

  std::string Make(const std::string& name, const std::string& content) {
    const std::string path = dir / name;
    WriteFile(path, content);
    return path;
  }

  TempDir dir;
};

TEST_F(ParallelWriter, OneAndSeveralWorkersStoreTheSameRecordsThatPlainZlibInflates) {
  std::string zlibLooking = "\x78\xDA" + Noise(3000, 5);
  std::vector<std::string> files = {
      Make("empty.txt", ""),
      Make("one.txt", "x"),
      Make("small.txt", Text(kSmallFileSize, 1)),
      Make("small-and-one.txt", Text(kSmallFileSize + 1, 2)),
      Make("whole.txt", Text(kWholeFileSize, 3)),
      Make("large.txt", Text(kWholeFileSize + 5 * kBlockSize + 4321, 4)),
      Make("large-noise.txt", Noise(3 * kBlockSize, 9)),
      Make("large-zlib-looking.bin", "\x78\xDA" + Noise(2 * kBlockSize, 11)),
      Make("huge-zlib-looking.bin", "\x78\xDA" + Noise(kWholeFileSize + kBlockSize, 12)),
      // Judged by more than its head: a megabyte of noise, then text.
      Make("noise-then-text.dat", Noise(kWholeFileSize / 4, 13) + Text(kWholeFileSize * 3 / 4, 14)),
      // Its head sample says text, but the file as a whole does not shrink.
      Make("text-then-noise.dat", Text(kSampleSize, 15) + Noise(kWholeFileSize - kSampleSize, 16)),
      Make("small-noise.dat", Noise(20000, 4)),
      Make("zlib-looking.zip", zlibLooking),
      Make("stored.zip", Text(50000, 6)),
  };
  for (int i = 0; i < 60; ++i)
    files.push_back(Make("small" + std::to_string(i) + ".txt", Text(100 + 997 * i, i)));

  archive::FileLayer layer;
  const RunRecord one = Backup(1, files, layer);
  const RunRecord several = Backup(kWorkers, files, layer);
  EXPECT_EQ(one, several);
  ASSERT_EQ(several.stored.size(), files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(several.stored[i].first, files[i]);
    EXPECT_EQ(several.stored[i].second, ReadFile(files[i])) << files[i];
  }

  // The records of files deflated whole are the same bytes either way;
  // every file is stored compressed exactly when it shrinks, or begins like
  // a zlib stream, and every stream has the header readers look for.
  std::string error;
  const auto a = plain::ParseArchive(ReadFile(dir / "threads1.KV"), &error);
  const auto b = plain::ParseArchive(ReadFile(dir / "threads4.KV"), &error);
  ASSERT_TRUE(a && b) << error;
  const auto& ra = a->sections.at(0).records;
  const auto& rb = b->sections.at(0).records;
  for (size_t i = 0; i < files.size(); ++i) {
    const uint64_t size = ReadFile(files[i]).size();
    if (size <= kWholeFileSize) {
      EXPECT_EQ(ra[i].data, rb[i].data) << files[i];
    }
    EXPECT_EQ(ra[i].compressed, rb[i].compressed) << files[i];
    for (const auto* r : {&ra[i], &rb[i]})
      if (r->compressed) {
        EXPECT_EQ(r->data.substr(0, 2), "\x78\xDA") << files[i];
      }
  }
  auto compressed = [&](const std::string& name) {
    for (const auto& r : rb)
      if (platform::FileNameOf(r.name) == name) return r.compressed;
    return false;
  };
  EXPECT_TRUE(compressed("whole.txt"));
  EXPECT_TRUE(compressed("large.txt"));
  EXPECT_FALSE(compressed("large-noise.txt"));
  EXPECT_TRUE(compressed("large-zlib-looking.bin"));
  EXPECT_TRUE(compressed("huge-zlib-looking.bin"));
  EXPECT_TRUE(compressed("noise-then-text.dat"));
  EXPECT_FALSE(compressed("text-then-noise.dat"));
  EXPECT_FALSE(compressed("small-noise.dat"));
  EXPECT_TRUE(compressed("zlib-looking.zip"));
  EXPECT_FALSE(compressed("stored.zip"));

  // What the reader makes of both archives is the same files.
  for (const std::string archive : {"threads1.KV", "threads4.KV"}) {
    ReaderHarness r;
    ASSERT_EQ(r.Open(dir / archive), S_OK);
    ASSERT_EQ(r.Iterate(kClsidA), S_OK);
    for (size_t i = 0; i < files.size() && !r.AtEnd(); ++i) {
      const std::string target = dir / ("out-" + archive + "/" + platform::FileNameOf(files[i]));
      EXPECT_EQ(r.RestoreFile(target), S_OK);
      EXPECT_EQ(ReadFile(target), ReadFile(files[i])) << target;
      r.api->Next();
    }
  }
}

// On prose of a few words repeated zlib's deeper search finds more than the
// faster deflater, by a few percent; the file's samples say so, and the file
// is stored no larger than zlib's level 9 makes it.
TEST_F(ParallelWriter, ProseOfAFewWordsIsStoredNoLargerThanZlibLevel9MakesIt) {
  static const char* const kWords[] = {"backup", "archive", "restore", "the", "of",    "file",
                                       "folder", "mail",    "profile", "key", "value", "a"};
  std::string words;
  for (uint32_t seed = 7; words.size() < 1500000;) {
    seed = seed * 1103515245 + 12345;
    words += kWords[(seed >> 16) % 12];
    words += (seed >> 8) % 11 == 0 ? ".\n" : " ";
  }
  const std::string file = Make("words.txt", words);
  uLongf zlibSize = compressBound(uLong(words.size()));
  std::vector<Bytef> stream(zlibSize);
  ASSERT_EQ(compress2(stream.data(), &zlibSize, reinterpret_cast<const Bytef*>(words.data()),
                      uLong(words.size()), 9),
            Z_OK);
  archive::FileLayer layer;
  for (int threads : {1, kWorkers}) {
    Backup(threads, {file}, layer);
    std::string error;
    const auto parsed =
        plain::ParseArchive(ReadFile(dir / ("threads" + std::to_string(threads) + ".KV")), &error);
    ASSERT_TRUE(parsed) << error;
    const auto& record = parsed->sections.at(0).records.at(0);
    EXPECT_EQ(record.content, words);
    EXPECT_LE(record.data.size(), zlibSize) << "with " << threads << " workers";
  }
}

TEST_F(ParallelWriter, FaultsGiveTheSamePromptsLinesAndResultsWithOneAndSeveralWorkers) {
  std::vector<std::string> files;
  for (int i = 0; i < 24; ++i)
    files.push_back(
        Make("f" + std::to_string(i) + (i == 9 ? ".unreadable" : ".txt"), Text(300 + 1500 * i, i)));
  files.insert(files.begin() + 12, Make("large.txt", Text(kWholeFileSize + 3 * kBlockSize, 40)));

  struct Scenario {
    const char* what;
    std::function<void(FaultyFileLayer&)> fault;
    std::function<void(RecordingProgress&)> answers;
  };
  const Scenario scenarios[] = {
      {"a file that cannot be read", [](FaultyFileLayer& l) { l.readPathPart = ".unreadable"; },
       nullptr},
      {"a full disk, made room on",
       [](FaultyFileLayer& l) {
         l.pathPart = "threads";
         l.failAt = 7;
         l.partial = true;
       },
       nullptr},
      {"a full disk, cancelled while a queued file is written",
       [](FaultyFileLayer& l) {
         l.pathPart = "threads";
         l.failAt = 5;
       },
       [](RecordingProgress& p) { p.promptAnswers = {IDCANCEL}; }},
      // The section's weight sum, twelve small files, then the large one.
      {"a full disk, cancelled while a large file is written",
       [](FaultyFileLayer& l) {
         l.pathPart = "threads";
         l.failAt = 14;
         l.failCount = 100;
       },
       [](RecordingProgress& p) { p.promptAnswers = {IDCANCEL}; }},
  };
  for (const Scenario& s : scenarios) {
    FaultyFileLayer serialLayer, parallelLayer;
    s.fault(serialLayer);
    s.fault(parallelLayer);
    const RunRecord one = Backup(1, files, serialLayer, s.answers);
    const RunRecord several = Backup(kWorkers, files, parallelLayer, s.answers);
    EXPECT_EQ(one.messages, several.messages) << s.what;
    EXPECT_EQ(one.steps, several.steps) << s.what;
    EXPECT_EQ(one.prompts, several.prompts) << s.what;
    EXPECT_EQ(one.stored, several.stored) << s.what;
    EXPECT_EQ(one.archiveExists, several.archiveExists) << s.what;
    // The calls end alike; only which call carries a cancellation may
    // differ, as the records of small files follow their calls.
    EXPECT_EQ(one.calls.back(), several.calls.back()) << s.what;
    if (!one.archiveExists) {
      // The last line names the file that could not be stored.
      ASSERT_FALSE(several.messages.empty()) << s.what;
      const std::string& last = several.messages.back();
      EXPECT_TRUE(last.ends_with(" FAILED")) << last;
      if (std::string(s.what).find("large") != std::string::npos) {
        EXPECT_EQ(last, "File Backup " + (dir / "large.txt") + " FAILED");
      }
    }
  }
}

// Where the system gives no threads (a limit on processes is reached), the
// writer and the reader do all the work on the calling thread instead of
// failing the run. Such limits do not bind root, so the child gives root up.
TEST_F(ParallelWriter, WithoutThreadsToStartTheCallingThreadDoesTheWork) {
  const std::vector<std::string> files = {Make("large.txt", Text(kWholeFileSize + kBlockSize, 21)),
                                          Make("small.txt", Text(5000, 22))};
  std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit one{1, 1};
    if ((geteuid() == 0 && setuid(65534) != 0) || setrlimit(RLIMIT_NPROC, &one) != 0) _exit(2);
    bool same = false;
    try {
      archive::FileLayer layer;
      const RunRecord run = Backup(kWorkers, files, layer);
      ReaderHarness r;
      same = run.archiveExists && run.stored.size() == files.size() &&
             r.Open(dir / ("threads" + std::to_string(kWorkers) + ".KV")) == S_OK &&
             r.Iterate(kClsidA) == S_OK;
      for (size_t i = 0; same && i < files.size(); ++i, r.api->Next()) {
        const std::string target = dir / ("out-" + std::to_string(i));
        same = r.RestoreFile(target) == S_OK && ReadFile(target) == ReadFile(files[i]);
      }
    } catch (...) {
    }
    _exit(same ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "no limit on processes could be set";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace bkvp::testing
