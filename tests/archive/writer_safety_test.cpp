// What the writer does when other processes get in its way: writers killed
// or still running in the same destination, files that change while read.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "archive/format.h"
#include "platform/files.h"
#include "tests/archive/archive_harness.h"
#include "tests/archive/independent_reader.h"
#include "tests/support/test_support.h"

namespace bkvp::testing {
namespace {

// A writer in another process that has started its archive and waits to
// be killed; its pid, or -1.
pid_t StartWriterProcess(const std::string& archive) {
  int ready[2];
  if (::pipe(ready) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    WriterHarness w;
    if (w.Start(archive) == S_OK) (void)!::write(ready[1], "y", 1);
    for (;;) ::pause();
  }
  char started = 0;
  if (::read(ready[0], &started, 1) != 1) ::kill(child, SIGKILL);
  ::close(ready[0]);
  ::close(ready[1]);
  return started == 'y' ? child : -1;
}

std::vector<std::string> TemporaryFiles(const std::string& folder) {
  std::vector<std::string> found;
  for (const platform::FindData& f : platform::FindFiles(folder + "/*"))
    if (archive::IsTemporaryNameFor(f.name, ".KV")) found.push_back(folder + "/" + f.name);
  return found;
}

class WriterSafety : public HomeFixture {
 protected:
  TempDir dir;
};

TEST_F(WriterSafety, TemporaryFilesOfKilledWritersGoAndThoseOfLivingWritersStay) {
  const pid_t other = StartWriterProcess(dir / "VOPALARC373E05.KV");
  ASSERT_GT(other, 0);
  const std::vector<std::string> left = TemporaryFiles(dir.path());
  WriterHarness alongside;
  const HRESULT started = alongside.Start(dir / "VOPALARC373E06.KV");
  const bool stayed = left.size() == 1 && platform::FileExists(left[0]);
  ::kill(other, SIGKILL);
  ::waitpid(other, nullptr, 0);
  ASSERT_EQ(started, S_OK);
  ASSERT_TRUE(stayed);  // a living writer's file stays
  EXPECT_EQ(alongside.Finish(1), S_OK);
  WriterHarness next;
  ASSERT_EQ(next.Start(dir / "VOPALARC373E07.KV"), S_OK);
  EXPECT_FALSE(platform::FileExists(left[0]));
  EXPECT_EQ(
      next.progress->messages,
      std::vector<std::string>{"Removed " + left[0] + ", left behind by an interrupted backup."});
  EXPECT_EQ(TemporaryFiles(dir.path()).size(), 1u);  // its own
  EXPECT_EQ(next.Finish(1), S_OK);
  EXPECT_TRUE(TemporaryFiles(dir.path()).empty());
}

// Changes the source file on its first reads, as another program might
// while the writer reads it.
class ChangingLayer : public archive::FileLayer {
 public:
  std::string source;
  int changes = 0;
  std::function<void()> change;

  int Open(const std::string& path, int flags, unsigned mode) override {
    const int fd = FileLayer::Open(path, flags, mode);
    if (path == source) sourceFd_ = fd;
    return fd;
  }
  ssize_t ReadAt(int fd, void* buffer, size_t size, uint64_t offset) override {
    const ssize_t n = FileLayer::ReadAt(fd, buffer, size, offset);
    // The first chunk, not the look at the first two bytes.
    if (fd == sourceFd_ && offset == 0 && size > 2 && changes > 0) {
      --changes;
      change();
    }
    return n;
  }
  ssize_t CopyRange(int, uint64_t, int, uint64_t, size_t) override {
    errno = EXDEV;
    return -1;
  }

 private:
  int sourceFd_ = -1;
};

TEST_F(WriterSafety, AFileThatChangesWhileReadIsReadAgainOnceAndNeverStoredCut) {
  const std::string archivePath = dir / "VOPALARC373E05.KV";
  const std::string shrinking = dir / "shrinking.txt", growing = dir / "growing.zip";
  WriteFile(shrinking, std::string(200000, 's'));
  WriteFile(growing, std::string(200000, 'g'));
  ChangingLayer layer;
  WriterHarness w(layer);
  ASSERT_EQ(w.Start(archivePath), S_OK);
  w.Begin(kClsidA);

  // Cut on every read: it fails, and says why.
  layer.source = shrinking;
  layer.changes = 2;
  layer.change = [&] { ::truncate(shrinking.c_str(), platform::GetFileInfo(shrinking)->size / 2); };
  EXPECT_EQ(w.File(shrinking), E_FAIL);
  INT code = 0;
  Bstr text;
  w.api->GetLastError(&code, text.out());
  EXPECT_EQ(text.str(), shrinking + ": the file changed while it was read.");

  // Grown once: the second reading is whole.
  layer.source = growing;
  layer.changes = 1;
  layer.change = [&] { WriteFile(growing, std::string(200000, 'g') + "grown"); };
  EXPECT_EQ(w.File(growing), S_OK);

  // A file whose size says 0 while it holds text.
  EXPECT_EQ(w.File("/proc/self/status"), E_FAIL);

  // Across the line between files read whole and files cut into blocks,
  // the second reading goes the way of the new size.
  const std::string growingPast = dir / "growing-past.txt";
  const std::string shrinkingBelow = dir / "shrinking-below.txt";
  WriteFile(growingPast, std::string(1000, 'u'));
  WriteFile(shrinkingBelow, std::string(200000, 'd'));
  layer.source = growingPast;
  layer.changes = 1;
  layer.change = [&] { WriteFile(growingPast, std::string(200000, 'u')); };
  EXPECT_EQ(w.File(growingPast), S_OK);
  layer.source = shrinkingBelow;
  layer.changes = 1;
  layer.change = [&] { WriteFile(shrinkingBelow, std::string(1000, 'd')); };
  EXPECT_EQ(w.File(shrinkingBelow), S_OK);

  w.End();
  ASSERT_EQ(w.Finish(), S_OK);
  std::string error;
  const auto parsed = plain::ParseArchive(ReadFile(archivePath), &error);
  ASSERT_TRUE(parsed) << error;
  const auto& records = parsed->sections.at(0).records;
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].content, std::string(200000, 'g') + "grown");
  EXPECT_EQ(records[1].content, std::string(200000, 'u'));
  EXPECT_EQ(records[2].content, std::string(1000, 'd'));
}

}  // namespace
}  // namespace bkvp::testing
