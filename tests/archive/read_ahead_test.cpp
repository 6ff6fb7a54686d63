// The reader with workers reading ahead against the reader on one thread:
// the same results, log lines, prompts and restored files, also where the
// read-ahead has to give up (a damaged data part, a file too large for it,
// content far larger than its data part) or is not wanted (a caller that
// picks files, a target that exists).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <set>

#include "archive/restorer.h"
#include "contract/errors.h"
#include "platform/files.h"
#include "tests/archive/archive_harness.h"
#include "tests/archive/independent_reader.h"
#include "tests/support/test_support.h"

namespace bkvp::testing {
namespace {

struct RestoreRecord {
  std::vector<std::string> calls;
  std::vector<std::string> messages;
  std::vector<std::string> prompts;
  std::map<std::string, std::string> files;  // name below the target, content

  bool operator==(const RestoreRecord&) const = default;
};

void PrintTo(const RestoreRecord& r, std::ostream* os) {
  *os << "calls:";
  for (const auto& c : r.calls) *os << " [" << c << "]";
  *os << "\nmessages:";
  for (const auto& m : r.messages) *os << " [" << m << "]";
  *os << "\nprompts:";
  for (const auto& p : r.prompts) *os << " [" << p << "]";
  *os << "\nfiles: " << r.files.size();
}

// Compresses to about half: a data part of several reads.
std::string HalfNoise(size_t size, uint32_t seed) {
  std::string content;
  for (uint32_t i = seed; content.size() < size; ++i) content += Text(2048, i) + Noise(2048, i);
  return content.substr(0, size);
}

class ReadAhead : public HomeFixture {
 protected:
  std::string Make(const std::string& name, const std::string& content) {
    const std::string path = dir / ("saved/" + name);
    WriteFile(path, content);
    return path;
  }

  // One section holding `files`.
  void WriteArchive(const std::string& archivePath, const std::vector<std::string>& files) {
    WriterHarness w;
    w.Options(kClsidA, "Files", {});
    ASSERT_EQ(w.Start(archivePath), S_OK);
    ASSERT_EQ(w.Begin(kClsidA, "Files", int(files.size())), S_OK);
    for (const auto& f : files) ASSERT_EQ(w.File(f), S_OK);
    ASSERT_EQ(w.End(), S_OK);
    ASSERT_EQ(w.Finish(0), S_OK);
  }

  // Restores every file of the archive below `target`, except those the
  // caller passes by, and says what happened.
  RestoreRecord Restore(int threads, const std::string& archivePath, const std::string& target,
                        const std::function<bool(size_t)>& passBy) {
    archive::FileLayer layer;
    ReaderHarness r(ComPtr<IRestorer>::Attach(new archive::Restorer(layer, threads)));
    r.progress->defaultPromptAnswer = IDNO;  // an existing file stays
    RestoreRecord record;
    EXPECT_EQ(r.Open(archivePath), S_OK);
    EXPECT_EQ(r.Iterate(kClsidA), S_OK);
    for (size_t i = 0; !r.AtEnd(); ++i) {
      const std::string name = platform::FileNameOf(r.Current().name);
      if (!passBy(i)) {
        try {
          record.calls.push_back(name + " " +
                                 std::to_string(r.RestoreFile(target + "/" + name, 0)));
        } catch (const KVError& e) {
          record.calls.push_back(name + " declined " + std::to_string(e.code));
        }
      }
      r.api->Next();
    }
    for (const auto& line : r.progress->messages)
      record.messages.push_back(line.substr(line.find_last_of('/') + 1));
    for (const auto& p : r.progress->prompts)
      record.prompts.push_back(p.text.substr(0, p.text.find(target)) +
                               p.text.substr(p.text.find(target) + target.size()));
    for (const auto& entry : std::filesystem::directory_iterator(target)) {
      struct stat st {};
      ::lstat(entry.path().c_str(), &st);
      record.files[entry.path().filename()] =
          ReadFile(entry.path()) + " mode " + std::to_string(st.st_mode & 07777);
    }
    return record;
  }

  TempDir dir;
};

TEST_F(ReadAhead, WorkersRestoreWhatOneThreadRestoresWhereverTheReadAheadGivesUp) {
  std::vector<std::string> files = {
      Make("empty.txt", ""),
      Make("one.txt", "x"),
      Make("text.txt", Text(3u << 20, 1)),           // summed by the workers
      Make("zeros.txt", std::string(12u << 20, 0)),  // far more than its data part
      Make("noise.bin", Noise(3u << 20, 2)),         // stored, too large to read ahead
      Make("damaged.txt", Text(9000, 3)),
      Make("bad-sum.txt", HalfNoise(1u << 20, 4)),  // only its Adler-32 is wrong
      Make("exists.txt", "saved content"),
  };
  for (int i = 0; i < 150; ++i) {
    files.push_back(Make("small" + std::to_string(i) + ".txt", Text(50 + 211 * i, i)));
    ::chmod(files.back().c_str(), i % 3 == 0 ? 0755 : i % 3 == 1 ? 0600 : 0644);
  }
  // Data parts larger than a head start reads; the last one is passed by.
  for (const char* name : {"large1.txt", "bad-tail.txt", "bad-end-sum.txt", "large4.txt"})
    files.push_back(Make(name, HalfNoise(4u << 20, static_cast<uint32_t>(files.size()))));

  const std::string archivePath = dir / "files.KV";
  ASSERT_NO_FATAL_FAILURE(WriteArchive(archivePath, files));
  // One byte of a compressed data part changed: its check fails. In some
  // large ones, the last byte of its Adler-32.
  const std::set<std::string> damaged = {"damaged.txt", "bad-sum.txt", "bad-tail.txt",
                                         "bad-end-sum.txt"};
  std::string bytes = ReadFile(archivePath);
  std::string error;
  const auto parsed = plain::ParseArchive(bytes, &error);
  ASSERT_TRUE(parsed) << error;
  for (const auto& rec : parsed->sections.at(0).records) {
    const std::string name = platform::FileNameOf(rec.name);
    if (!damaged.count(name)) continue;
    ASSERT_TRUE(rec.compressed);
    const size_t at = bytes.find(rec.data);
    ASSERT_NE(at, std::string::npos);
    const size_t damage = name == "damaged.txt"    ? rec.data.size() / 2
                          : name == "bad-tail.txt" ? (3u << 20) / 2  // after what a head reads
                                                   : rec.data.size() - 1;
    ASSERT_LT(damage, rec.data.size());
    bytes[at + damage] ^= 0x55;
  }
  WriteFile(archivePath, bytes);

  // Files 40 to 59 are passed by, and every seventh after them.
  const auto passBy = [](size_t i) { return (i >= 40 && i < 60) || (i > 60 && i % 7 == 0); };
  ASSERT_TRUE(passBy(files.size() - 1));
  RestoreRecord records[2];
  const int threads[2] = {1, 3};
  // A umask that would take bits away from new files: they still get theirs.
  const mode_t usual = ::umask(0277);
  for (int k = 0; k < 2; ++k) {
    const std::string target = dir / ("out" + std::to_string(threads[k]));
    WriteFile(target + "/exists.txt", "already there");
    records[k] = Restore(threads[k], archivePath, target, passBy);
  }
  ::umask(usual);
  EXPECT_EQ(records[0], records[1]);

  const RestoreRecord& restored = records[1];
  EXPECT_TRUE(restored.files.at("exists.txt").starts_with("already there mode"));
  for (const std::string& name : damaged) {
    EXPECT_FALSE(restored.files.count(name));
    EXPECT_EQ(std::count(restored.messages.begin(), restored.messages.end(), name + " FAILED"), 1);
  }
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string name = platform::FileNameOf(files[i]);
    if (damaged.count(name) || name == "exists.txt") continue;
    if (passBy(i)) {
      EXPECT_FALSE(restored.files.count(name)) << name;
    } else {
      ASSERT_TRUE(restored.files.count(name)) << name;
      struct stat st {};
      ::lstat(files[i].c_str(), &st);
      EXPECT_EQ(restored.files.at(name),
                ReadFile(files[i]) + " mode " + std::to_string(st.st_mode & 07777))
          << name;
    }
  }
}

// A caller may restore the file it stands on more than once; a large file's
// head start serves only the first time.
TEST_F(ReadAhead, ALargeFileRestoredTwiceComesOutWholeEachTime) {
  const std::vector<std::string> files = {Make("first.txt", "x"),
                                          Make("large1.txt", HalfNoise(4u << 20, 1)),
                                          Make("large2.txt", HalfNoise(2u << 20, 2))};
  const std::string archivePath = dir / "files.KV";
  ASSERT_NO_FATAL_FAILURE(WriteArchive(archivePath, files));
  archive::FileLayer layer;
  ReaderHarness r(ComPtr<IRestorer>::Attach(new archive::Restorer(layer, 3)));
  ASSERT_EQ(r.Open(archivePath), S_OK);
  ASSERT_EQ(r.Iterate(kClsidA), S_OK);
  for (size_t i = 0; !r.AtEnd(); ++i, r.api->Next()) {
    const std::string name = platform::FileNameOf(r.Current().name);
    for (const char* copy : {"/one/", "/two/"}) {
      ASSERT_EQ(r.RestoreFile(dir / ("out" + std::string(copy) + name)), S_OK) << name;
      EXPECT_EQ(ReadFile(dir / ("out" + std::string(copy) + name)), ReadFile(files[i])) << name;
    }
  }
}

}  // namespace
}  // namespace bkvp::testing
