// Choosing the files to save over real trees: masks, recursion, links,
// dates and duplicates.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "tests/clients/files/tree_fixture.h"

namespace bkvp::files {
namespace {

using bkvp::testing::WriteFile;
using testing::Folder;
using Paths = std::vector<std::string>;

class FileSelection : public ::testing::Test {
 protected:
  Paths Select(const std::vector<ListEntry>& entries) {
    std::vector<BackupItem> items = SelectFiles(entries, ctx).items;
    SortAndRemoveDuplicates(items);
    return testing::PathsOf(items);
  }
  std::string P(const std::string& relative) const { return tree / relative; }
  void Write(std::initializer_list<const char*> names) {
    for (const char* name : names) WriteFile(P(name), name);
  }

  bkvp::testing::TempDir tree;
  DateContext ctx = testing::ContextOn();
};

TEST_F(FileSelection, IncludeAndExcludeMasksApplyThroughoutTheTree) {
  Write({"a.txt", "b.doc", "old1.txt", "sub/c.TXT", "sub/old2.txt", "sub/deep/d.txt", "x.bin",
         ".hidden/f.txt", "noext", "logs/today.log"});
  EXPECT_EQ(Select({Folder(tree.path(), "*.txt | noext | *.log", "old* | logs")}),
            (Paths{P(".hidden/f.txt"), P("a.txt"), P("logs/today.log"), P("noext"), P("sub/c.TXT"),
                   P("sub/deep/d.txt")}));
  // Not recursive: the folder itself only.
  EXPECT_EQ(Select({Folder(tree.path() + "/", "*.txt", "old*", false)}), (Paths{P("a.txt")}));
  // No include mask, a missing folder or file: nothing, and no error.
  EXPECT_TRUE(Select({Folder(tree.path(), " | "), Folder(P("missing")), FileEntry{P("gone"), {}},
                      FileEntry{P("sub"), {}}})
                  .empty());
}

TEST_F(FileSelection, DateRulesOfFolderAndFileEntries) {
  testing::WriteFileOnDay(P("new.txt"), "n", ctx.today);
  testing::WriteFileOnDay(P("recent.txt"), "r", ctx.today - 2);
  testing::WriteFileOnDay(P("old.txt"), "o", ctx.today - 30);
  FolderEntry lastThreeButNotToday = Folder(tree.path());
  lastThreeButNotToday.includeRule = {kRuleLastDays, 3, {}};
  lastThreeButNotToday.excludeRule = {kRuleToday, -1, {}};
  EXPECT_EQ(Select({lastThreeButNotToday}), (Paths{P("recent.txt")}));
  EXPECT_EQ(Select({FileEntry{P("old.txt"), {kRuleLastDays, 3, {}}}}), Paths{});
  EXPECT_EQ(Select({FileEntry{P("old.txt"), {kRuleBefore, -1, DateFromDayNumber(ctx.today)}}}),
            (Paths{P("old.txt")}));
}

TEST_F(FileSelection, LinksInAFolderAreSavedAsLinksAndNeverFollowed) {
  Write({"root/a.txt", "elsewhere/secret.txt"});
  ASSERT_EQ(::symlink(P("root").c_str(), P("root/loop").c_str()), 0);
  ASSERT_EQ(::symlink(P("elsewhere").c_str(), P("root/out").c_str()), 0);
  ASSERT_EQ(::symlink(P("elsewhere/secret.txt").c_str(), P("root/link.txt").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere.txt", P("root/dangling.txt").c_str()), 0);
  std::vector<BackupItem> items = SelectFiles({Folder(P("root"))}, ctx).items;
  SortAndRemoveDuplicates(items);
  std::string seen;
  for (const BackupItem& item : items) seen += item.fullPath + (item.link ? " link\n" : "\n");
  EXPECT_EQ(seen, P("root/a.txt") + "\n" + P("root/dangling.txt") + " link\n" + P("root/link.txt") +
                      " link\n" + P("root/loop") + " link\n" + P("root/out") + " link\n");
  // Masks apply to a link's own name.
  EXPECT_EQ(Select({Folder(P("root"), "*.txt")}),
            (Paths{P("root/a.txt"), P("root/dangling.txt"), P("root/link.txt")}));
}

// Runs `walk` as an ordinary user, in a process of its own when this one is
// root (whom no permission stops), and returns what it returned.
std::string AsOrdinaryUser(const std::function<std::string()>& walk) {
  if (::geteuid() != 0) return walk();
  int result[2];
  if (::pipe(result) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(1);
    const std::string text = walk();
    (void)!::write(result[1], text.data(), text.size());
    ::_exit(0);
  }
  ::close(result[1]);
  std::string text;
  char buffer[512];
  for (ssize_t n; (n = ::read(result[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  ::close(result[0]);
  ::waitpid(child, nullptr, 0);
  return text;
}

TEST_F(FileSelection, FoldersThatCannotBeListedAreProblemsNotEmptyFolders) {
  Write({"open/a.txt", "locked/b.txt", "blind/c.txt"});
  ASSERT_EQ(::chmod(tree.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(P("locked").c_str(), 0), 0);
  ASSERT_EQ(::chmod(P("blind").c_str(), 0644), 0);  // names listed, none looked up
  const std::string seen = AsOrdinaryUser([&] {
    Selection selection = SelectFiles({Folder(tree.path())}, ctx);
    std::vector<SelectionProblem>& problems = selection.problems;
    std::string text;
    for (const BackupItem& item : selection.items) text += item.fullPath + "\n";
    std::sort(problems.begin(), problems.end(),
              [](const auto& a, const auto& b) { return a.path < b.path; });
    for (const SelectionProblem& p : problems)
      text += p.path + " " + std::to_string(p.error) + (p.folder ? " folder\n" : " file\n");
    return text;
  });
  EXPECT_EQ(seen,
            P("open/a.txt") + "\n" + P("blind") + " 5 folder\n" + P("locked") + " 5 folder\n");
}

TEST_F(FileSelection, FileReachedThroughSeveralEntriesIsSavedOnce) {
  Write({"docs/a.txt", "docs/sub/b.txt"});
  EXPECT_EQ(Select({Folder(P("docs")), Folder(P("docs/sub")), Folder(P("docs//./"), "*.txt"),
                    FileEntry{P("docs/a.txt"), {}}}),
            (Paths{P("docs/a.txt"), P("docs/sub/b.txt")}));
}

TEST_F(FileSelection, NamesDifferingOnlyInCaseAreTwoFilesHere) {
  Write({"Report.txt", "report.txt"});
  struct stat upper, lower;
  ASSERT_EQ(::stat(P("Report.txt").c_str(), &upper), 0);
  ASSERT_EQ(::stat(P("report.txt").c_str(), &lower), 0);
  if (upper.st_ino == lower.st_ino) GTEST_SKIP() << "this file system ignores letter case";
  EXPECT_EQ(Select({Folder(tree.path()), FileEntry{P("REPORT.TXT"), {}}}),
            (Paths{P("Report.txt"), P("report.txt")}));
}

TEST(FileSelectionOrder, SortIgnoresCaseAndLocalNameIsTheLastComponent) {
  std::vector<BackupItem> items{{"/b/x", "x"}, {"/A/y", "y"}, {"/a/z", "z"}, {"/b/x", "x"}};
  SortAndRemoveDuplicates(items);
  EXPECT_EQ(testing::PathsOf(items), (Paths{"/A/y", "/a/z", "/b/x"}));
  EXPECT_EQ(LocalNameOf("/home/u/folder/"), "folder");
  EXPECT_EQ(LocalNameOf("plain"), "plain");
}

}  // namespace
}  // namespace bkvp::files
