#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "platform/errors.h"
#include "tests/support/test_support.h"

namespace bkvp::platform {
namespace {

using bkvp::testing::TempDir;
using bkvp::testing::WriteFile;

std::vector<std::string> NamesOf(const std::vector<FindData>& found) {
  std::vector<std::string> names;
  for (const FindData& f : found) names.push_back(f.name);
  return names;
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

TEST(Wildcard, StarAndStarDotStarMatchEveryName) {
  for (const char* name : {"a", "a.b", ".hidden", "noext", "x.tar.gz"}) {
    EXPECT_TRUE(WildcardMatch("*", name)) << name;
    EXPECT_TRUE(WildcardMatch("*.*", name)) << name;
  }
}

TEST(Wildcard, StarDotMatchesOnlyNamesWithoutADot) {
  EXPECT_TRUE(WildcardMatch("*.", "README"));
  EXPECT_FALSE(WildcardMatch("*.", "a.b"));
  EXPECT_FALSE(WildcardMatch("*.", "x.tar.gz"));
  EXPECT_TRUE(WildcardMatch("*.?", "README"));  // the dot and the "?" may both match nothing
}

TEST(Wildcard, ExtensionsAndPrefixesIgnoreCase) {
  EXPECT_TRUE(WildcardMatch("*.txt", "NOTES.TXT"));
  EXPECT_TRUE(WildcardMatch("*.TXT", "a.b.txt"));
  EXPECT_FALSE(WildcardMatch("*.txt", "a.txt.bak"));
  EXPECT_FALSE(WildcardMatch("*.txt", "txt"));
  EXPECT_TRUE(WildcardMatch("old*.txt", "Old2.txt"));
  EXPECT_FALSE(WildcardMatch("old*.txt", "bold.txt"));
  EXPECT_TRUE(WildcardMatch("ÄPFEL*", "äpfelkuchen"));
}

TEST(Wildcard, QuestionMarkIsOneCharacterButNeverADot) {
  EXPECT_TRUE(WildcardMatch("file?.txt", "file1.txt"));
  EXPECT_TRUE(WildcardMatch("file?.txt", "file.txt"));  // nothing, before a dot
  EXPECT_FALSE(WildcardMatch("file?.txt", "file12.txt"));
  EXPECT_FALSE(WildcardMatch("a?b", "a.b"));
  EXPECT_TRUE(WildcardMatch("??", "a"));  // nothing, at the end
  EXPECT_FALSE(WildcardMatch("??", "abc"));
  EXPECT_FALSE(WildcardMatch("a?c", "ac"));
  EXPECT_TRUE(WildcardMatch("?", "é"));  // one character, two bytes
  EXPECT_TRUE(WildcardMatch("Vopalarc??????.KV", "VOPALARC373E05.KV"));
  EXPECT_FALSE(WildcardMatch("Vopalarc??????.KV", "VOPALARC373E051.KV"));
}

class FindFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"b.TXT", "a.txt", "C.txt", "noext", ".hidden", "sub/inner.txt"})
      WriteFile(dir_ / name, "data");
    ASSERT_EQ(symlink("a.txt", (dir_ / "link.txt").c_str()), 0);
    ASSERT_EQ(symlink("gone", (dir_ / "dangling").c_str()), 0);
  }
  TempDir dir_;
};

TEST_F(FindFilesTest, ResultsComeInNameOrderIgnoringCase) {
  EXPECT_EQ(NamesOf(FindFiles(dir_ / "*.txt")),
            (std::vector<std::string>{"a.txt", "b.TXT", "C.txt", "link.txt"}));
  EXPECT_EQ(NamesOf(FindFiles(dir_ / "*.*")),
            (std::vector<std::string>{".hidden", "a.txt", "b.TXT", "C.txt", "dangling", "link.txt",
                                      "noext", "sub"}));
  EXPECT_EQ(NamesOf(FindFiles(dir_ / "*.")),
            (std::vector<std::string>{"dangling", "noext", "sub"}));
}

TEST_F(FindFilesTest, ReportsAttributesAndLinks) {
  for (const FindData& f : FindFiles(dir_ / "*")) {
    if (f.name == "sub") {
      EXPECT_EQ(f.attributes, FILE_ATTRIBUTE_DIRECTORY);
    }
    if (f.name == ".hidden") {
      EXPECT_EQ(f.attributes, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    }
    if (f.name == "link.txt") {
      EXPECT_TRUE(f.isSymlink);
      EXPECT_EQ(f.attributes, FILE_ATTRIBUTE_ARCHIVE);  // the target's
      EXPECT_EQ(f.size, 4u);
    }
    if (f.name == "dangling") {
      EXPECT_TRUE(f.isSymlink);
    }
    if (f.name == "a.txt") {
      EXPECT_FALSE(f.isSymlink);
    }
  }
}

TEST_F(FindFilesTest, PlainNameFindsExactlyThatEntry) {
  const auto found = FindFiles(dir_ / "sub");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].attributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(FindFiles(dir_ / "missing.txt").empty());
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FindFilesTest, MissingFolderGivesPathNotFound) {
  EXPECT_TRUE(FindFiles(dir_ / "nowhere/*.*").empty());
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_TRUE(FindFiles(dir_ / "..").empty());
  EXPECT_TRUE(FindFiles(dir_.path() + "/").empty());
}

TEST(FileAttributes, ReadOnlyRoundTripsThroughThePermissions) {
  TempDir dir;
  const std::string file = dir / "f.txt";
  WriteFile(file, "x");
  ASSERT_EQ(chmod(file.c_str(), 0664), 0);
  EXPECT_EQ(GetFileAttributes(file), FILE_ATTRIBUTE_ARCHIVE);

  ASSERT_TRUE(SetFileAttributes(file, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(ModeOf(file), 0444u);  // nobody keeps write permission
  EXPECT_EQ(GetFileAttributes(file), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);

  ASSERT_TRUE(SetFileAttributes(file, FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(ModeOf(file), 0644u);
  EXPECT_EQ(GetFileAttributes(file), FILE_ATTRIBUTE_ARCHIVE);
}

TEST(FileAttributes, HiddenDirectoryAndOtherKinds) {
  TempDir dir;
  WriteFile(dir / ".profile", "x");
  ASSERT_EQ(mkdir((dir / ".cache").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
  EXPECT_EQ(GetFileAttributes(dir / ".profile"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(GetFileAttributes(dir / ".cache/"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributes(dir / "pipe"), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(GetFileAttributes(dir / "missing"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(SetFileAttributes(dir / "missing", FILE_ATTRIBUTE_READONLY));
}

TEST(FileTimes, SetTimesReadBackExactly) {
  TempDir dir;
  const std::string file = dir / "f.txt";
  const FILETIME beforeBirth = FileTimeFromTimePoint(Clock::now()) - 20'000'000;
  WriteFile(file, "x");
  const FILETIME access = kFileTimeUnixEpoch - 1'234'567;  // before 1970, odd 100 ns
  const FILETIME write = 127'000'000'000'000'123ULL;
  const FILETIME creation = 1;
  ASSERT_TRUE(SetFileTimes(file, &creation, &access, &write));
  auto info = GetFileInfo(file);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->lastAccessTime, access);
  EXPECT_EQ(info->lastWriteTime, write);
  // Creation cannot be set here: it is the birth time or, where the file
  // system keeps none, the last write.
  EXPECT_TRUE(info->creationTime >= beforeBirth || info->creationTime == write);

  // A null time stays as it was.
  const FILETIME later = write + 10'000'000;
  ASSERT_TRUE(SetFileTimes(file, nullptr, nullptr, &later));
  info = GetFileInfo(file);
  EXPECT_EQ(info->lastAccessTime, access);
  EXPECT_EQ(info->lastWriteTime, later);
  EXPECT_EQ(info->size, 1u);

  EXPECT_FALSE(SetFileTimes(dir / "missing", nullptr, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(TempFiles, AreNewOwnerOnlyAndNamedByPrefix) {
  TempDir dir;
  const mode_t previousMask = umask(0);  // owner-only must not depend on the umask
  std::set<std::string> paths;
  for (int i = 0; i < 200; ++i) {
    const auto path = CreateTempFile(dir.path(), "bkvpx");
    ASSERT_TRUE(path);
    EXPECT_EQ(ParentFolder(*path), dir.path());
    const std::string name = FileNameOf(*path);
    EXPECT_EQ(name.substr(0, 3), "bkv");
    EXPECT_EQ(name.substr(name.size() - 4), ".tmp");
    EXPECT_EQ(ModeOf(*path), 0600u);
    paths.insert(*path);
  }
  umask(previousMask);
  EXPECT_EQ(paths.size(), 200u);
}

TEST(TempFiles, PrefixCannotLeaveTheFolder) {
  TempDir dir;
  const auto path = CreateTempFile(dir.path() + "/", "../x");
  ASSERT_TRUE(path);
  EXPECT_EQ(ParentFolder(*path), dir.path());
  EXPECT_EQ(FileNameOf(*path).substr(0, 3), ".._");
  EXPECT_FALSE(CreateTempFile(dir / "missing", "abc"));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(Volumes, MountPointOfMissingFileIsThatOfItsFolder) {
  TempDir dir;
  const auto expected =
      bkvp::testing::RunCommand("df --output=target " + dir.path() + " | tail -n 1");
  ASSERT_EQ(expected.exitCode, 0);
  EXPECT_EQ(MountPointOf(dir.path()) + "\n", expected.output);
  EXPECT_EQ(MountPointOf(dir / "not/yet/there.kv"), MountPointOf(dir.path()));
  EXPECT_EQ(MountPointOf("/proc/self/status"), "/proc");
  EXPECT_GT(FreeSpace(dir / "not/yet/there.kv").value_or(0), 0u);
}

TEST(PathHelpers, SplitAndJoinAtSlashes) {
  EXPECT_EQ(ParentFolder("/a/b/c.txt"), "/a/b");
  EXPECT_EQ(ParentFolder("/a/b/"), "/a");
  EXPECT_EQ(ParentFolder("/a"), "/");
  EXPECT_EQ(ParentFolder("/"), "");
  EXPECT_EQ(ParentFolder("name"), "");
  EXPECT_EQ(ParentFolder("a//b"), "a");
  EXPECT_EQ(FileNameOf("/a/b/c.txt"), "c.txt");
  EXPECT_EQ(FileNameOf("/a/Mail/"), "Mail");
  EXPECT_EQ(FileNameOf("name"), "name");
  EXPECT_EQ(FileNameOf("/"), "");
  EXPECT_EQ(JoinPath("", "b"), "b");
  EXPECT_EQ(JoinPath("a", ""), "a");
  EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
  EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
}

TEST(PathHelpers, CreateFoldersMakesEveryMissingLevel) {
  TempDir dir;
  EXPECT_TRUE(CreateFolders(dir / "x/y/z"));
  EXPECT_TRUE(DirectoryExists(dir / "x/y/z"));
  EXPECT_TRUE(CreateFolders(dir / "x/y/z"));  // already there
  WriteFile(dir / "file", "x");
  EXPECT_FALSE(CreateFolders(dir / "file/sub"));
  EXPECT_TRUE(FileExists(dir / "file"));
  EXPECT_FALSE(DirectoryExists(dir / "file"));
}

}  // namespace
}  // namespace bkvp::platform
