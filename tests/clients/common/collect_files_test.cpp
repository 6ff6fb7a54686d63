#include "clients/common/collect_files.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace bkvp::clients {
namespace {

using testing::TempDir;
using testing::WriteFile;

TEST(CollectFiles, WalksFoldersInNameOrderWithLocalNamesBelowTheFolder) {
  TempDir dir;
  WriteFile(dir / "Mail/Inbox.dbx", "in");
  WriteFile(dir / "Mail/Sub/Sent.dbx", "sent");
  WriteFile(dir / "Mail/.hidden", "x");
  WriteFile(dir / "Mail/.cache/skip.dbx", "x");
  WriteFile(dir / "Mail/Folders.dbx", "f");
  std::vector<FileItem> list;
  CollectFiles(list, dir / "Mail", "Mail");
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].path, dir / "Mail/Folders.dbx");
  EXPECT_EQ(list[0].localName, "Mail/Folders.dbx");
  EXPECT_EQ(list[1].localName, "Mail/Inbox.dbx");
  EXPECT_EQ(list[2].path, dir / "Mail/Sub/Sent.dbx");
  EXPECT_EQ(list[2].localName, "Mail/Sub/Sent.dbx");
}

TEST(CollectFiles, KeepsEachPathOnceByteForByteAndSkipsMissingOnes) {
  TempDir dir;
  WriteFile(dir / "store/a.dbx", "a");
  WriteFile(dir / "store/A.dbx", "upper");  // another file here, saved too
  std::vector<FileItem> list;
  CollectFiles(list, dir / "store", "store");
  CollectFiles(list, dir / "store/a.dbx", "a.dbx");
  CollectFiles(list, dir / "missing", "missing");
  CollectFiles(list, "", "");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].localName, "store/A.dbx");
  EXPECT_EQ(list[1].localName, "store/a.dbx");
}

TEST(CollectFiles, LeavesOutPipesAndSockets) {
  TempDir dir;
  WriteFile(dir / "store/a.dbx", "a");
  ASSERT_EQ(mkfifo((dir / "store/pipe").c_str(), 0600), 0);
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  const std::string socketPath = dir / "store/socket";
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  std::vector<FileItem> list;
  CollectFiles(list, dir / "store", "store");
  CollectFiles(list, dir / "store/pipe", "pipe");
  close(listener);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].localName, "store/a.dbx");
}

TEST(CollectFiles, DoesNotFollowALinkBackUpTheTree) {
  TempDir dir;
  WriteFile(dir / "store/a.dbx", "a");
  ASSERT_EQ(symlink((dir / "store").c_str(), (dir / "store/loop").c_str()), 0);
  std::vector<FileItem> list;
  CollectFiles(list, dir / "store", "store");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].localName, "store/a.dbx");
}

}  // namespace
}  // namespace bkvp::clients
