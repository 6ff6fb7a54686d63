// What a saved tree may hold besides plain files with plain names, backed up
// and restored with bkvp as real processes: the backup's own destination,
// names that are not UTF-8, symbolic links, sockets and pipes, sparse files.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace bkvp::testing;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

class OddFiles : public HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    ASSERT_EQ(Bkvp("register").exitCode, 0);
    ASSERT_EQ(Bkvp("files add " + Quote(source.path())).exitCode, 0);
  }
  CommandResult Bkvp(const std::string& args) {
    return RunCommand(BinDir() + "/bkvp " + args + " </dev/null");
  }
  std::string BackUp(const std::string& destination) {
    CommandResult result = Bkvp("backup --quiet --to " + Quote(destination));
    EXPECT_EQ(result.exitCode, 0) << result.output;
    std::string path = result.output;
    while (!path.empty() && path.back() == '\n') path.pop_back();
    return path.substr(path.rfind('\n') + 1);
  }
  std::string Log() { return ReadFile(home() + "/BackupVopal.log"); }
  TempDir source, out;
};

TEST_F(OddFiles, TheDestinationInsideTheSavedFolderIsLeftOut) {
  WriteFile(source / "a.txt", std::string(100000, 'a'));
  const std::string first = BackUp(source / "backups");
  // A second run would store the first archive; and an archive kept
  // elsewhere in the tree is left out as well.
  fs::copy_file(first, source / "VOPALARC111111.KV");
  const std::string second = BackUp(source / "backups");
  EXPECT_LT(fs::file_size(second), fs::file_size(first) + 1000);
  EXPECT_NE(Log().find("Left out: " + (source / "backups") + " and everything below it"),
            std::string::npos)
      << Log();
  EXPECT_NE(Log().find("Left out: " + (source / "VOPALARC111111.KV") + ", a backup archive"),
            std::string::npos);
  // A file that only looks like one by its name is saved.
  WriteFile(source / "VOPALARC222222.KV", "a note of the user's");
  const std::string third = BackUp(out / "elsewhere");
  const CommandResult shown = Bkvp("show --files " + Quote(third));
  EXPECT_NE(shown.output.find("VOPALARC222222.KV"), std::string::npos) << shown.output;
}

TEST_F(OddFiles, NamesThatAreNotUtf8ComeBackByteForByte) {
  const std::string names[] = {"bad\xff\xfe.txt", "\xff.txt", "\xef\xbf\xbd.txt"};
  for (const std::string& name : names) WriteFile(source / name, "content of " + name);
  const std::string archive = BackUp(out / "archives");
  ASSERT_EQ(Bkvp("restore " + Quote(archive) + " --to " + Quote(out / "restored")).exitCode, 0)
      << Log();
  for (const std::string& name : names)
    EXPECT_EQ(ReadFile(out / "restored" + source / name), "content of " + name);
}

TEST_F(OddFiles, LinksComeBackAsLinksWithTheirOwnText) {
  WriteFile(source / "a.txt", "alpha");
  WriteFile(source / "dir/b.txt", "beta");
  const std::pair<std::string, std::string> links[] = {
      {"to-file", "a.txt"}, {"to-folder", source / "dir"}, {"dangling", "../nowhere"}};
  for (const auto& [name, target] : links)
    ASSERT_EQ(::symlink(target.c_str(), (source / name).c_str()), 0);
  const std::string archive = BackUp(out / "archives");

  const CommandResult restored = Bkvp("restore " + Quote(archive) + " --to " + Quote(out / "r"));
  ASSERT_EQ(restored.exitCode, 0) << restored.output << Log();
  EXPECT_NE(restored.output.find("3 of them are links"), std::string::npos) << restored.output;
  const std::string back = out / "r" + source.path();
  for (const auto& [name, target] : links) {
    ASSERT_TRUE(fs::is_symlink(back + "/" + name)) << name;
    EXPECT_EQ(fs::read_symlink(back + "/" + name).string(), target);
  }
  // The folder a link pointed at was saved once, as itself, not through it.
  EXPECT_EQ(ReadFile(back + "/dir/b.txt"), "beta");
  EXPECT_EQ(Bkvp("show --files " + Quote(archive)).output.find("to-folder/b.txt"),
            std::string::npos);
  // Restored again without --overwrite: the links there are kept, not failed.
  const CommandResult again = Bkvp("restore " + Quote(archive) + " --to " + Quote(out / "r"));
  EXPECT_EQ(again.exitCode, 0) << again.output;
}

TEST_F(OddFiles, SocketsAndPipesAreLeftOutWithoutFailingTheRun) {
  WriteFile(source / "a.txt", "alpha");
  ASSERT_EQ(::mkfifo((source / "pipe").c_str(), 0600), 0);
  const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = source / "socket";
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  BackUp(out / "archives");
  ::close(socket);
  EXPECT_NE(Log().find(socketPath + " left out: a socket, not a file"), std::string::npos) << Log();
  EXPECT_NE(Log().find(source / "pipe left out: a pipe, not a file"), std::string::npos);
  EXPECT_NE(Bkvp("status").output.find("Error state:  off"), std::string::npos);
}

TEST_F(OddFiles, ASparseFileComesBackWithItsHoles) {
  const std::string path = source / "disk.img";
  {
    std::ofstream file(path, std::ios::binary);
    file << "start";
    file.seekp(64 << 20);
    file << "end";
  }
  const std::string archive = BackUp(out / "archives");
  ASSERT_EQ(Bkvp("restore " + Quote(archive) + " --to " + Quote(out / "restored")).exitCode, 0);
  const std::string restored = out / "restored" + path;
  EXPECT_EQ(ReadFile(restored), ReadFile(path));
  struct stat st {};
  ASSERT_EQ(::stat(restored.c_str(), &st), 0);
  EXPECT_LT(st.st_blocks * 512, 1 << 20) << "allocated " << st.st_blocks * 512;
}

}  // namespace
