// What a restore leaves when it fails or is killed, where it refuses to
// write, and the permission bits restored files get.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "archive/format.h"
#include "contract/errors.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "tests/archive/archive_harness.h"
#include "tests/archive/independent_writer.h"
#include "tests/support/test_support.h"

namespace bkvp::testing {
namespace {

unsigned ModeOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0xFFFF;
}

// Stops the process for good once the restore has written its first piece.
class StallingLayer : public archive::FileLayer {
 public:
  int signalFd = -1;
  ssize_t WriteAt(int fd, const void* data, size_t size, uint64_t offset) override {
    const ssize_t n = FileLayer::WriteAt(fd, data, size, offset);
    (void)!::write(signalFd, "w", 1);
    for (;;) ::pause();
    return n;
  }
};

class RestoreSafety : public HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    WriterHarness w;
    ASSERT_EQ(w.Start(archivePath), S_OK);
    w.Begin(kClsidA);
    for (const auto& [name, mode] : {std::pair{"new.txt", 0644}, std::pair{"private.txt", 0600},
                                     std::pair{"tool.sh", 0755}, std::pair{"setuid", 04755}}) {
      WriteFile(in / name, std::string(300000, 'n'));
      ::chmod((in / name).c_str(), mode);
      ASSERT_EQ(w.File(in / name, name), S_OK);
    }
    w.End();
    ASSERT_EQ(w.Finish(), S_OK);
  }
  // A reader standing on the index-th object.
  std::unique_ptr<ReaderHarness> ReaderAt(int index, archive::FileLayer& layer) {
    auto r = std::make_unique<ReaderHarness>(layer);
    r->Open(archivePath);
    r->Iterate(kClsidA);
    for (int i = 0; i < index; ++i) r->api->Next();
    return r;
  }
  std::unique_ptr<ReaderHarness> ReaderAt(int index) {
    return ReaderAt(index, archive::DefaultFileLayer());
  }

  TempDir dir, in, out;
  std::string archivePath = dir / "VOPALARC373E05.KV";
  std::string target = out / "target.txt";
};

TEST_F(RestoreSafety, AnExistingFileStaysAsItWasUntilTheNewOneIsComplete) {
  WriteFile(target, "old");
  // A restore killed in the middle of the file.
  int written[2];
  ASSERT_EQ(::pipe(written), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    StallingLayer stalling;
    stalling.signalFd = written[1];
    ReaderAt(0, stalling)->RestoreFile(target);
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(written[0], &c, 1), 1);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(ReadFile(target), "old");

  EXPECT_EQ(ReaderAt(0)->RestoreFile(target), S_OK);
  EXPECT_EQ(ReadFile(target), std::string(300000, 'n'));
}

TEST_F(RestoreSafety, LinksAtTheTargetOrPlantedOnTheWayAreNeverWrittenThrough) {
  const std::string outside = dir / "outside.txt";
  WriteFile(outside, "outside");
  ASSERT_EQ(::symlink(outside.c_str(), target.c_str()), 0);
  EXPECT_EQ(ReaderAt(0)->RestoreFile(target), S_OK);
  EXPECT_EQ(ReadFile(outside), "outside");
  EXPECT_EQ(ReadFile(target), std::string(300000, 'n'));

  // A link of the user's own on the way is followed; one that somebody else
  // owns is not.
  ASSERT_EQ(::symlink(dir.path().c_str(), (out / "mine").c_str()), 0);
  EXPECT_EQ(ReaderAt(0)->RestoreFile(out / "mine/through.txt"), S_OK);
  EXPECT_TRUE(platform::FileExists(dir / "through.txt"));
  if (::geteuid() != 0) GTEST_SKIP() << "only root can plant a link owned by somebody else";
  ASSERT_EQ(::symlink(dir.path().c_str(), (out / "planted").c_str()), 0);
  ASSERT_EQ(::lchown((out / "planted").c_str(), 65534, 65534), 0);
  auto refused = ReaderAt(0);
  EXPECT_THROW(refused->RestoreFile(out / "planted/stolen.txt"), KVError);  // Ignore
  EXPECT_FALSE(platform::FileExists(dir / "stolen.txt"));
  ASSERT_EQ(refused->progress->clientErrors.size(), 1u);
  EXPECT_EQ(refused->progress->clientErrors[0].type, platform::ERROR_ACCESS_DENIED);
}

TEST_F(RestoreSafety, PermissionBitsComeBackWithoutSetUserIdAndOldArchivesGetTheUmask) {
  for (const auto& [index, name, mode] :
       {std::tuple{1, "private.txt", 0600u}, std::tuple{2, "tool.sh", 0755u},
        std::tuple{3, "setuid", 0755u}}) {
    EXPECT_EQ(ReaderAt(index)->RestoreFile(out / name), S_OK);
    EXPECT_EQ(ModeOf(out / name), mode) << name;
  }

  // Archives without the mode: a new file's bits, read-only taking away
  // every write bit.
  const std::string old = dir / "old.KV";
  auto record = [](const char* name, uint32_t attributes) {
    return plain::Record(0, 1, std::string(name) + '\0', plain::FileInfo(attributes, 1, 2, 3, name),
                         "x");
  };
  WriteFile(old, plain::ComposeArchive(
                     "u", "m", "l", 1, 1, 0,
                     {{kClsidA, "A", "", {record("/a", 0x20), record("/b", 0x21)}, 2}}));
  const mode_t previous = ::umask(027);
  ReaderHarness r;
  r.Open(old);
  r.Iterate(kClsidA);
  EXPECT_EQ(r.RestoreFile(out / "a"), S_OK);
  r.api->Next();
  EXPECT_EQ(r.RestoreFile(out / "b"), S_OK);
  ::umask(previous);
  EXPECT_EQ(ModeOf(out / "a"), 0640u);
  EXPECT_EQ(ModeOf(out / "b"), 0440u);
}

// Files of one folder follow each other; the reader keeps that folder open
// from one to the next. A folder replaced by a link meanwhile is never
// written through, and one removed is made again.
TEST_F(RestoreSafety, AFolderReplacedOrRemovedBetweenTwoFilesIsNotWrittenThrough) {
  archive::FileLayer layer;
  auto r = ReaderAt(0, layer);
  const std::string folder = out / "target";
  const std::string elsewhere = out / "elsewhere";
  ASSERT_TRUE(platform::CreateFolders(elsewhere));
  ASSERT_EQ(r->RestoreFile(folder + "/new.txt"), S_OK);
  // Moved away and a link to another folder put in its place.
  ASSERT_EQ(::rename(folder.c_str(), (out / "moved").c_str()), 0);
  ASSERT_EQ(::symlink(elsewhere.c_str(), folder.c_str()), 0);
  r->api->Next();
  r->RestoreFile(folder + "/private.txt");
  EXPECT_FALSE(platform::FileExists(elsewhere + "/private.txt"));
  // Removed: made again.
  std::filesystem::remove_all(out / "moved");
  ASSERT_EQ(::unlink(folder.c_str()), 0);
  r->api->Next();
  ASSERT_EQ(r->RestoreFile(folder + "/tool.sh"), S_OK);
  EXPECT_EQ(ReadFile(folder + "/tool.sh"), std::string(300000, 'n'));
}

}  // namespace
}  // namespace bkvp::testing
