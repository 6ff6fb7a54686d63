// The "Include Mask" and "Exclude Mask" texts of backup list entries, as the
// backup page and "bkvp files list" show them.
#include "clients/files/entry_columns.h"

#include <gtest/gtest.h>

namespace bkvp::files {
namespace {

std::string Include(const DateRule& rule, const std::string& masks = "*.doc | *.xls") {
  return ColumnsOf(FolderEntry{"/data", true, masks, rule}).include;
}

TEST(EntryColumns, RulesReadAsWordsAfterTheMasks) {
  const CalendarDate march7{2003, 3, 7};
  EXPECT_EQ(Include({}), "*.doc | *.xls");
  EXPECT_EQ(Include({kRuleToday, -1}), "*.doc | *.xls modified today");
  // Days never drop their plural; weeks and months do for one.
  EXPECT_EQ(Include({kRuleLastDays, 1}), "*.doc | *.xls modified for last 1 days");
  EXPECT_EQ(Include({kRuleLastDays, 7}), "*.doc | *.xls modified for last 7 days");
  EXPECT_EQ(Include({kRuleLastWeeks, 1}), "*.doc | *.xls modified for last 1 week");
  EXPECT_EQ(Include({kRuleLastWeeks, 2}), "*.doc | *.xls modified for last 2 weeks");
  EXPECT_EQ(Include({kRuleLastMonths, 1}), "*.doc | *.xls modified for last 1 month");
  EXPECT_EQ(Include({kRuleLastMonths, 36}), "*.doc | *.xls modified for last 36 months");
  EXPECT_EQ(Include({kRuleBefore, -1, march7}), "*.doc | *.xls modified before 07 Mar 2003");
  EXPECT_EQ(Include({kRuleAfter, -1, march7}), "*.doc | *.xls modified after 07 Mar 2003");
  EXPECT_EQ(Include({9, 3}), "*.doc | *.xls");  // a kind no dialog writes has no words
}

TEST(EntryColumns, ExcludeRuleWithoutMasksHasNoLeadingSpaceAndFilesShowNone) {
  FolderEntry folder{"/data"};
  folder.excludeRule = {kRuleToday, -1};
  EXPECT_EQ(ColumnsOf(folder).exclude, "modified today");
  folder.excludeMasks = "*.bak";
  EXPECT_EQ(ColumnsOf(folder).exclude, "*.bak modified today");
  EXPECT_EQ(ColumnsOf(FolderEntry{"/data"}).exclude, "");

  const EntryColumns always = ColumnsOf(FileEntry{"/data/a.txt"});
  EXPECT_EQ(always.include, "Backup Allways");
  EXPECT_EQ(always.exclude, "[none]");
  EXPECT_EQ(ColumnsOf(FileEntry{"/data/a.txt", {kRuleLastMonths, 3}}).include,
            "modified for last 3 months");
}

}  // namespace
}  // namespace bkvp::files
