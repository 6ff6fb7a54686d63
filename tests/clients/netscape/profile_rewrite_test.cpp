#include "clients/netscape/profile_rewrite.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "clients/netscape/staged_profile_swap.h"
#include "tests/support/test_support.h"

namespace bkvp::netscape {
namespace {

using bkvp::testing::ReadFile;
using bkvp::testing::TempDir;
using bkvp::testing::WriteFile;

TEST(ProfileRewrite, EncodeEscapesBlanksAmpersandsAndNonAsciiBytes) {
  EXPECT_EQ(Encode("C:/Documents and Settings"), "C:/Documents%20and%20Settings");
  EXPECT_EQ(Encode("/home/A&B_c-1.x~"), "/home/A&amp;B_c-1.x~");
  EXPECT_EQ(Encode("/tmp/\xC3\xA9t\xC3\xA9\t"), "/tmp/%C3%A9t%C3%A9%09");
  EXPECT_EQ(EscapeForPrefs("C:\\Users\\a b"), "C:\\\\Users\\\\a b");
  EXPECT_EQ(EscapeForPrefs("/home/a b"), "/home/a b");
}

TEST(ProfileRewrite, ReplacesEveryOccurrenceWithoutRescanningReplacedText) {
  TempDir dir;
  const std::string file = dir / "prefs.js";
  WriteFile(file, "/old /old/x /olderr");
  ASSERT_TRUE(ReplaceInFile(file, "/old", "/old/old"));
  EXPECT_EQ(ReadFile(file), "/old/old /old/old/x /old/olderr");
}

TEST(ProfileRewrite, MatchesAcrossChunkBoundariesAreFoundAndPermissionsKept) {
  TempDir dir;
  const std::string file = dir / "big.js";
  // Occurrences straddle every 64 KiB boundary of the stream.
  std::string content, expected;
  const std::string from = "/profile/path", to = "/new home/p";
  for (size_t i = 0; i < 20; ++i) {
    const std::string filler(65536 - 6 + i, 'x');
    content += filler + from;
    expected += filler + to;
  }
  WriteFile(file, content);
  chmod(file.c_str(), 0640);
  ASSERT_TRUE(ReplaceInFile(file, from, to));
  EXPECT_EQ(ReadFile(file), expected);
  struct stat st {};
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_FALSE(std::filesystem::exists(file + ".kvnew"));
}

TEST(ProfileRewrite, MovedProfileRewritesPrefsAndSkinsAndNeedsPrefs) {
  TempDir dir;
  const std::string staging = dir / "stage";
  WriteFile(staging + "/chrome/all-skins.rdf",
            "<RDF:Description about=\"file:///old%20place/p/chrome/x.jar\"/>");
  EXPECT_FALSE(RewriteMovedProfile(staging, "/old place/p", "/new/p"));

  WriteFile(staging + "/Prefs.js", "user_pref(\"mail.directory\", \"/old place/p/Mail\");");
  ASSERT_TRUE(RewriteMovedProfile(staging, "/old place/p", "/new & co/p"));
  EXPECT_EQ(ReadFile(staging + "/Prefs.js"),
            "user_pref(\"mail.directory\", \"/new & co/p/Mail\");");
  EXPECT_EQ(ReadFile(staging + "/chrome/all-skins.rdf"),
            "<RDF:Description about=\"file:///new%20&amp;%20co/p/chrome/x.jar\"/>");
}

TEST(StagedProfileSwap, StagingLiesBesideTheProfileAndReservedNamesAreRefused) {
  EXPECT_EQ(WithoutTrailingSeparators("/a/profile//"), "/a/profile");
  EXPECT_EQ(WithoutTrailingSeparators("/"), "/");
  EXPECT_EQ(StagingFolderFor("/a/my profile"), "/a/KV_RESTORE_FOLDER");
  EXPECT_EQ(StagingFolderFor("/p"), "/KV_RESTORE_FOLDER");
  EXPECT_FALSE(StagingFolderFor("profile"));
  EXPECT_FALSE(StagingFolderFor("/"));
  EXPECT_FALSE(StagingFolderFor("/a/KV_RESTORE_FOLDER"));
  EXPECT_FALSE(StagingFolderFor("/a/KV_RESTORE_FOLDER.old"));
}

TEST(StagedProfileSwap, TheStagedCopyReplacesTheProfileCompletely) {
  TempDir dir;
  WriteFile(dir / "profile/prefs.js", "old");
  WriteFile(dir / "profile/.hidden/state", "old");
  WriteFile(dir / "KV_RESTORE_FOLDER/prefs.js", "new");
  WriteFile(dir / "KV_RESTORE_FOLDER.old/stale", "from an earlier run");

  const SwapOutcome swap = SwapInStagedProfile(dir / "KV_RESTORE_FOLDER", dir / "profile");
  ASSERT_TRUE(swap.ok) << swap.error;
  EXPECT_TRUE(swap.leftover.empty());
  EXPECT_EQ(ReadFile(dir / "profile/prefs.js"), "new");
  EXPECT_FALSE(std::filesystem::exists(dir / "profile/.hidden"));
  EXPECT_FALSE(std::filesystem::exists(dir / "KV_RESTORE_FOLDER"));
  EXPECT_FALSE(std::filesystem::exists(dir / "KV_RESTORE_FOLDER.old"));
}

TEST(StagedProfileSwap, WhenTheStagedCopyCannotMoveInTheOldProfileIsPutBack) {
  TempDir dir;
  WriteFile(dir / "profile/prefs.js", "old");
  const SwapOutcome swap = SwapInStagedProfile(dir / "KV_RESTORE_FOLDER", dir / "profile");
  EXPECT_FALSE(swap.ok);
  EXPECT_NE(swap.error.find("KV_RESTORE_FOLDER"), std::string::npos);
  EXPECT_EQ(ReadFile(dir / "profile/prefs.js"), "old");
  EXPECT_FALSE(std::filesystem::exists(dir / "KV_RESTORE_FOLDER.old"));
}

}  // namespace
}  // namespace bkvp::netscape
