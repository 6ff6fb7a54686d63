// The stored text of backup list entries, and the list in the registry.
#include <gtest/gtest.h>

#include "clients/files/backup_list_store.h"
#include "clients/files/entry_text.h"
#include "clients/files/files_identity.h"
#include "tests/clients/files/tree_fixture.h"

namespace bkvp::files {
namespace {

using testing::Folder;

TEST(EntryText, FieldsEndWithTheirSeparatorAndDatesOnlyForBeforeAndAfter) {
  FolderEntry folder = Folder("/data/", "*.doc | *.xls");
  folder.includeRule = {kRuleLastDays, 7, {}};
  EXPECT_EQ(FormatEntry(folder), "/data/\t1\t*.doc | *.xls\t1\t7\t\t-1\t-1\t");

  folder = Folder("/d", "*.*", "old*.txt", false);
  folder.includeRule = {kRuleBefore, -1, {2003, 3, 7}};
  folder.excludeRule = {kRuleAfter, -1, {2002, 12, 31}};
  EXPECT_EQ(FormatEntry(folder), "/d\t0\t*.*\t4\t-1\t2003\t3\t7\told*.txt\t5\t-1\t2002\t12\t31\t");
  EXPECT_EQ(ParseEntry(FormatEntry(folder)), ListEntry(folder));

  const FileEntry file{"/home/u/report.doc", {kRuleAfter, -1, {2003, 1, 2}}};
  EXPECT_EQ(FormatEntry(file), "/home/u/report.doc\r5\r-1\r2003\r1\r2\r");
  EXPECT_EQ(ParseEntry(FormatEntry(file)), ListEntry(file));
}

TEST(EntryText, IncompleteOrPathlessTextIsRefused) {
  for (const char* text :
       {"", "/d\t1\t*.*\t-1\t-1\t\t-1\t-1", "/d\t1\t*.*\t4\t-1\t2003\t3\t", "/f\r5\r-1\r2003\r",
        "\t1\t*.*\t-1\t-1\t\t-1\t-1\t", "\r-1\r-1\r", "just some text"})
    EXPECT_FALSE(ParseEntry(text)) << text;
}

TEST(EntryText, FieldsAreReadLenientlyButBounded) {
  // Anything but "1" is not recursive, numbers stop at the first other
  // character, impossible dates roll over, huge numbers are clamped.
  const auto entry = ParseEntry("/d\tyes\t*.txt\t 3x\tabc\t\t5\t-1\t2003\t13\t32\textra");
  ASSERT_TRUE(entry);
  const auto& folder = std::get<FolderEntry>(*entry);
  EXPECT_FALSE(folder.recursive);
  EXPECT_EQ(folder.includeRule, (DateRule{3, 0, {}}));
  EXPECT_EQ(folder.excludeRule.date, (CalendarDate{2004, 2, 1}));
  const auto huge = ParseEntry("/f\r99999999999\r-99999999999\r");
  ASSERT_TRUE(huge);
  EXPECT_EQ(std::get<FileEntry>(*huge).rule, (DateRule{2147483647, -2147483647 - 1, {}}));
}

TEST(EntryText, MasksSplitAtBarsWithBlanksTrimmed) {
  EXPECT_EQ(SplitMasks("*.doc|*.xls"), SplitMasks("*.doc | *.xls"));
  EXPECT_EQ(SplitMasks("  a*.txt |  | b?.c  "), (std::vector<std::string>{"a*.txt", "b?.c"}));
  EXPECT_TRUE(SplitMasks(" | ").empty());
  EXPECT_EQ(JoinMasks({"*.doc", "*.xls"}), "*.doc | *.xls");
}

class BackupListStore : public bkvp::testing::HomeFixture {
 protected:
  void Put(const std::string& name, const std::string& text) {
    ASSERT_EQ(platform::RegWriteString(BackuperKeyPath(), name, text), 0);
  }
};

TEST_F(BackupListStore, OnlyFileValuesThatParseAreEntriesInStoredOrder) {
  EXPECT_FALSE(HasBackupEntries());  // no key at all
  Put("RECURSIVE", "/not-an-entry\r-1\r-1\r");
  EXPECT_FALSE(HasBackupEntries());
  Put("file1", "/b\r-1\r-1\r");
  Put("FILE12", "/a\r-1\r-1\r");
  Put("file2", "garbage");
  ASSERT_EQ(platform::RegWriteDword(BackuperKeyPath(), "file3", 7), 0);
  Put("file0", FormatEntry(Folder("/c")));

  const std::vector<ListEntry> list = ReadBackupList();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(EntryPath(list[0]), "/b");
  EXPECT_EQ(EntryPath(list[1]), "/a");
  EXPECT_EQ(list[2], ListEntry(Folder("/c")));
  EXPECT_TRUE(HasBackupEntries());
}

TEST_F(BackupListStore, WritingReplacesEveryValueWithNumberedEntries) {
  Put("file7", "old");
  Put("Other", "old");
  const std::vector<ListEntry> entries{Folder("/x", "*.txt"), FileEntry{"/y", {}}};
  ASSERT_EQ(WriteBackupList(entries), 0);
  EXPECT_EQ(platform::RegReadString(BackuperKeyPath(), "file1"), "/y\r-1\r-1\r");
  EXPECT_FALSE(platform::RegReadString(BackuperKeyPath(), "file7"));
  EXPECT_FALSE(platform::RegReadString(BackuperKeyPath(), "Other"));
  EXPECT_EQ(ReadBackupList(), entries);
  ASSERT_EQ(WriteBackupList({}), 0);
  EXPECT_FALSE(HasBackupEntries());
}

TEST_F(BackupListStore, RestoreChoicesDefaultToOriginalPlaceWithoutOverwrite) {
  EXPECT_EQ(ReadRestoreChoices().destination, "");
  EXPECT_FALSE(ReadRestoreChoices().overwrite);
  ASSERT_EQ(WriteRestoreChoices({"/restore/here", true}), 0);
  EXPECT_EQ(ReadRestoreChoices().destination, "/restore/here");
  EXPECT_EQ(platform::RegReadDword(RestorerKeyPath(), "Overwrite"), 1u);
}

}  // namespace
}  // namespace bkvp::files
