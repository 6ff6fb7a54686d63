// "bkvp files" run as a real process against the test's registry.
#include <gtest/gtest.h>

#include "clients/files/backup_list_store.h"
#include "clients/files/files_identity.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "tests/support/test_support.h"

namespace bkvp::files {
namespace {

using bkvp::testing::BinDir;
using bkvp::testing::CommandResult;
using bkvp::testing::ReadFile;
using bkvp::testing::TempDir;
using bkvp::testing::WriteFile;

class FilesCommand : public bkvp::testing::HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    if (!platform::FileExists(BinDir() + "/bkvp")) GTEST_SKIP() << "bkvp is not built";
  }
  CommandResult Run(const std::string& arguments) {
    return bkvp::testing::RunCommand(BinDir() + "/bkvp " + arguments);
  }
  std::optional<std::string> Stored(const std::string& name) {
    return platform::RegReadString(BackuperKeyPath(), name);
  }
  TempDir tree;
};

TEST_F(FilesCommand, AddWritesWhatTheBackupPageWrites) {
  WriteFile(tree / "docs/a.doc", "a");
  WriteFile(tree / "work/b.xls", "b");
  for (const char* name : {"one.txt", "two.txt", "three.txt"}) WriteFile(tree / name, "s");
  const std::string docs = tree / "docs";
  const std::string work = tree / "work";

  ASSERT_EQ(Run("files add '" + docs + "/'").exitCode, 0);
  // Repeated --include and --exclude add their masks up.
  ASSERT_EQ(Run("files add '" + work +
                "' --no-recursive --include doc --include '*.xls'"
                " --exclude 'old*.* | bak*' --modified days:7 --exclude-modified before:2003-03-07")
                .exitCode,
            0);
  ASSERT_EQ(Run("files add '" + tree / "one.txt" + "' --modified today").exitCode, 0);
  ASSERT_EQ(Run("files add '" + tree / "two.txt" + "' --modified days:1").exitCode, 0);
  ASSERT_EQ(Run("files add '" + tree / "three.txt" + "' --modified after:2004-02-29").exitCode, 0);
  // A path that is on the list already is not added twice.
  const CommandResult again = Run("files add '" + docs + "' --include doc");
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.output.find("already on the backup list as entry 0"), std::string::npos);

  EXPECT_EQ(Stored("file0"), docs + "\t1\t*.*\t-1\t-1\t\t-1\t-1\t");
  EXPECT_EQ(Stored("file1"),
            work + "\t0\t*.doc | *.xls\t1\t7\told*.* | *.bak*\t4\t-1\t2003\t3\t7\t");
  EXPECT_EQ(Stored("file2"), tree / "one.txt" + "\r0\r-1\r");
  EXPECT_EQ(Stored("file3"), tree / "two.txt" + "\r0\r-1\r");
  EXPECT_EQ(Stored("file4"), tree / "three.txt" + "\r5\r-1\r2004\r2\r29\r");
  EXPECT_FALSE(Stored("file5"));
}

TEST_F(FilesCommand, ListRemoveAndClear) {
  WriteFile(tree / "one/x", "x");
  WriteFile(tree / "two/y", "y");
  ASSERT_EQ(Run("files add " + tree / "one").exitCode, 0);
  ASSERT_EQ(Run("files add " + tree / "two" + " --modified weeks:2").exitCode, 0);

  CommandResult list = Run("files list");
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_NE(list.output.find("0  folder  " + tree / "one"), std::string::npos) << list.output;
  EXPECT_NE(list.output.find("*.* modified for last 2 weeks"), std::string::npos) << list.output;

  ASSERT_EQ(Run("files remove 0").exitCode, 0);
  const auto rest = ReadBackupList();
  ASSERT_EQ(rest.size(), 1u);
  EXPECT_EQ(EntryPath(rest[0]), tree / "two");
  EXPECT_EQ(Stored("file0"), tree / "two" + "\t1\t*.*\t2\t2\t\t-1\t-1\t");
  EXPECT_EQ(Run("files remove 1").exitCode, 1);

  ASSERT_EQ(Run("files clear").exitCode, 0);
  EXPECT_FALSE(HasBackupEntries());
  EXPECT_NE(Run("files list").output.find("empty"), std::string::npos);
}

TEST_F(FilesCommand, BadArgumentsChangeNothing) {
  WriteFile(tree / "f.txt", "f");
  const std::string folder = tree.path();
  EXPECT_EQ(Run("files add " + folder + " --modified yesterday").exitCode, 2);
  const CommandResult badDate = Run("files add " + folder + " --modified before:2003-02-30");
  EXPECT_EQ(badDate.exitCode, 2);
  EXPECT_NE(badDate.output.find("2003-02-30 is not a valid date"), std::string::npos);
  const CommandResult allFiles = Run("files add " + folder + " --exclude '*.*'");
  EXPECT_EQ(allFiles.exitCode, 2);
  EXPECT_NE(allFiles.output.find("The mask *.* is not allowed."), std::string::npos);
  EXPECT_EQ(Run("files add " + folder + " --include 'c:*.doc'").exitCode, 2);
  EXPECT_EQ(Run("files add " + folder + " --include '*.doc | doc'").exitCode, 2);  // twice
  EXPECT_EQ(Run("files add " + folder + " --include '*." + std::string(259, 'x') + "'").exitCode,
            2);
  EXPECT_EQ(Run("files add " + folder + " --exclude 'a\tb'").exitCode,
            2);  // would split the record
  EXPECT_EQ(Run("files add " + tree / "f.txt" + " --no-recursive").exitCode, 2);
  EXPECT_EQ(Run("files add " + tree / "missing").exitCode, 1);
  EXPECT_FALSE(HasBackupEntries());
}

// A tree with sub-folders and a repeated name comes back as the same tree
// below the chosen folder, or side by side with the repeated name numbered.
TEST_F(FilesCommand, BackupAndRestoreThroughTheTool) {
  ASSERT_EQ(Run("register").exitCode, 0);
  WriteFile(tree / "data/a.txt", "alpha");
  WriteFile(tree / "data/sub/a.txt", "inner alpha");
  WriteFile(tree / "data/sub/deeper/b.bin", std::string(100000, 'b'));
  TempDir out, kept, flat;
  ASSERT_EQ(Run("files add " + tree / "data").exitCode, 0);
  const CommandResult backup = Run("backup --to " + out.path() + " --client 'Files and folders'");
  ASSERT_EQ(backup.exitCode, 0) << backup.output;
  const auto archives = platform::FindFiles(out / "*.KV");
  ASSERT_EQ(archives.size(), 1u) << backup.output;
  const std::string archive = out / archives[0].name;

  const CommandResult restore = Run("restore " + archive + " --to " + kept.path());
  ASSERT_EQ(restore.exitCode, 0) << restore.output;
  EXPECT_EQ(
      bkvp::testing::RunCommand("diff -r " + tree / "data" + " " + kept.path() + tree / "data")
          .exitCode,
      0);

  const CommandResult sideBySide = Run("restore " + archive + " --flat --to " + flat.path());
  ASSERT_EQ(sideBySide.exitCode, 0) << sideBySide.output;
  EXPECT_EQ(ReadFile(flat / "a.txt"), "alpha");
  EXPECT_EQ(ReadFile(flat / "a (2).txt"), "inner alpha");
  EXPECT_EQ(ReadFile(flat / "b.bin"), std::string(100000, 'b'));
}

}  // namespace
}  // namespace bkvp::files
