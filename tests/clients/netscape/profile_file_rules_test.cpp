#include "clients/netscape/profile_file_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/test_support.h"

namespace bkvp::netscape {
namespace {

using bkvp::testing::TempDir;
using bkvp::testing::WriteFile;

class ProfileFileRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* file : {"prefs.js",
                             "Bookmarks.html",
                             "cookies.txt",
                             "cert8.db",
                             "key3.db",
                             "downloads.dm.rdf",
                             "notes.txt",
                             "a.s",
                             "b.w",
                             "profile.bag",
                             "chrome/userChrome.css",
                             "chrome/theme.jar",
                             "chrome/all-skins.rdf",
                             "chrome/skins/modern.rdf",
                             "chrome/skins/modern.css",
                             "Mail/Local Folders/Inbox",
                             "Mail/Local Folders/Inbox.msf",
                             "Mail/Local Folders/Sent.sbd/Old",
                             "Mail/Local Folders/rules.dat",
                             "Mail/popstate.dat",
                             "ImapMail/imap.host/INBOX",
                             "News/news.host/hostinfo.dat",
                             "News/news.rc",
                             "Cache/deep.dm.rdf"})
      WriteFile(dir_ / file, file);
    std::filesystem::create_directory(dir_ / "Mail/Local Folders/Empty.sbd");
  }

  std::vector<std::string> Relative(const std::vector<std::string>& files) {
    std::vector<std::string> names;
    for (const std::string& file : files) names.push_back(file.substr(dir_.path().size() + 1));
    return names;
  }

  std::vector<std::string> Yield(const std::string& subfolder, const std::string& pattern,
                                 bool recursive) {
    return Relative(FilesOfRule(dir_.path(), {subfolder, pattern, recursive}));
  }

  TempDir dir_;
};

TEST_F(ProfileFileRulesTest, FolderAndFileNamesMatchWhateverTheirCase) {
  // The profile keeps its mail in "Mail" and its bookmarks in "Bookmarks.html".
  EXPECT_EQ(Yield("mail", "*.msf", true),
            (std::vector<std::string>{"Mail/Local Folders/Inbox.msf"}));
  EXPECT_EQ(Yield("", "bookmarks.html", false), (std::vector<std::string>{"Bookmarks.html"}));
  EXPECT_EQ(Yield("imapmail", "*.", true), (std::vector<std::string>{"ImapMail/imap.host/INBOX"}));
}

TEST_F(ProfileFileRulesTest, NamesWithoutExtensionRecurseButFoldersAreNeverYielded) {
  // "Empty.sbd" and "Sent.sbd" are folders; "Inbox", "Old" are mail boxes.
  EXPECT_EQ(
      Yield("mail", "*.", true),
      (std::vector<std::string>{"Mail/Local Folders/Inbox", "Mail/Local Folders/Sent.sbd/Old"}));
  EXPECT_EQ(Yield("mail", "*.", false), std::vector<std::string>{});
}

TEST_F(ProfileFileRulesTest, AFolderOwnMatchesComeBeforeItsSubfolders) {
  EXPECT_EQ(Yield("chrome", "*.rdf", true),
            (std::vector<std::string>{"chrome/all-skins.rdf", "chrome/skins/modern.rdf"}));
  EXPECT_EQ(Yield("chrome", "*.css", false), (std::vector<std::string>{"chrome/userChrome.css"}));
  // Recursive in the profile folder reaches every folder below it.
  EXPECT_EQ(Yield("", "*.dm.rdf", true),
            (std::vector<std::string>{"downloads.dm.rdf", "Cache/deep.dm.rdf"}));
}

TEST_F(ProfileFileRulesTest, AllRulesTakeTheProfileDataAndLeaveTheRest) {
  const std::vector<std::string> files =
      Relative(FilesOfRules(dir_.path(), ProfileFileRules(true)));
  // "prefs.js" is offered first and again later.
  EXPECT_EQ(files.front(), "prefs.js");
  EXPECT_EQ(std::count(files.begin(), files.end(), "prefs.js"), 2);
  for (const char* expected : {"chrome/userChrome.css", "Mail/Local Folders/rules.dat",
                               "News/news.rc", "News/news.host/hostinfo.dat", "a.s", "b.w",
                               "profile.bag", "cert8.db", "key3.db", "cookies.txt"})
    EXPECT_EQ(std::count(files.begin(), files.end(), expected), 1) << expected;
  for (const char* left : {"notes.txt", "Mail/popstate.dat", "chrome/skins/modern.css"})
    EXPECT_EQ(std::count(files.begin(), files.end(), left), 0) << left;

  // Netscape 6 keeps no style sheets in chrome/; otherwise the rules agree.
  const std::vector<std::string> six = Relative(FilesOfRules(dir_.path(), ProfileFileRules(false)));
  EXPECT_EQ(std::count(six.begin(), six.end(), "chrome/userChrome.css"), 0);
  EXPECT_EQ(six.size() + 1, files.size());
}

TEST_F(ProfileFileRulesTest, LinksToFoldersAreNotFollowed) {
  // A link back up the tree would otherwise recurse for ever.
  std::filesystem::create_directory_symlink(dir_.path(), dir_ / "Mail/loop");
  EXPECT_EQ(Yield("mail", "*.msf", true),
            (std::vector<std::string>{"Mail/Local Folders/Inbox.msf"}));
}

}  // namespace
}  // namespace bkvp::netscape
