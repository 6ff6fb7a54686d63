// The archive service's check for verification, on archives composed from
// the format description: sound ones pass, and each mismatch a restore
// would stumble over (or silently lose objects to) is named.
#include "archive/archive_check.h"

#include <gtest/gtest.h>

#include "tests/archive/archive_harness.h"
#include "tests/archive/independent_writer.h"
#include "tests/support/test_support.h"

namespace bkvp::testing {
namespace {

using plain::KeyBlock;
using plain::LE;
using plain::Record;

const std::string kText(100000, 't');

std::string FileRecord(const std::string& data, int32_t weight = 1) {
  return Record(0, weight, std::string("/home/a.txt") + '\0',
                plain::FileInfo(0x20, 1, 2, 3, "a.txt"), data);
}

std::string KeyRecord(const std::string& blocks) {
  return Record(1, 1, std::string("HKEY_CURRENT_USER\\Software\\K") + '\0', "", blocks);
}

const std::string kBlocks = plain::KeyBlocks({{"", {{"v", 1, std::string("1\0", 2)}}}});

class ArchiveCheckTest : public HomeFixture {
 protected:
  archive::ArchiveCheck Check(const std::vector<std::string>& records, int32_t total) {
    WriteFile(path, plain::ComposeArchive("u", "m", "l", 1.0, 1, 0,
                                          {{kClsidA, "Files", "", records, total}}));
    return archive::CheckArchiveFile(path);
  }
  TempDir dir;
  std::string path = dir / "composed.KV";
};

TEST_F(ArchiveCheckTest, SoundArchivesPassWithEveryObjectCounted) {
  const auto sound = Check({FileRecord(plain::Deflate(kText)), KeyRecord(kBlocks),
                            Record(2, 1, "s", "", "string text"), FileRecord("raw")},
                           4);
  EXPECT_TRUE(sound.opened);
  EXPECT_EQ(sound.problem, "");
  EXPECT_EQ(sound.objects, 4);

  // A client whose section was closed twice leaves its first section
  // unreferenced but whole: not damage.
  WriteFile(dir / "a.txt", "a");
  WriterHarness w;
  ASSERT_EQ(w.Start(dir / "written.KV"), S_OK);
  for (int i = 0; i < 2; ++i) {
    w.Begin(kClsidA);
    w.File(dir / "a.txt");
    w.End();
  }
  w.Begin(kClsidB);
  w.File(dir / "a.txt");
  w.End();
  ASSERT_EQ(w.Finish(), S_OK);
  const auto closedTwice = archive::CheckArchiveFile(dir / "written.KV");
  EXPECT_EQ(closedTwice.problem, "");
  EXPECT_EQ(closedTwice.objects, 2);
}

TEST_F(ArchiveCheckTest, EveryMismatchARestoreWouldMeetIsNamed) {
  std::string badAdler = plain::Deflate(kText);
  badAdler.back() ^= 0x01;
  std::string absurdCount = kBlocks;
  absurdCount.replace(absurdCount.size() - 4 - 2 - 4 - 4 - 2 - 4, 4, LE(0x7FFFFFFF, 4));
  const struct {
    const char* what;
    std::vector<std::string> records;
    int32_t total;
    std::string expected;
  } cases[] = {
      {"a weight overshoots the sum",
       {FileRecord("1"), FileRecord("2", 5), FileRecord("3")},
       3,
       "client Files: the weights of its objects add up to 6, not to the section's sum 3"},
      {"the sum stops short of the objects",
       {FileRecord("1"), FileRecord("2"), FileRecord("3")},
       2,
       "belong to no object"},
      {"a key record with an absurd value count",
       {KeyRecord(absurdCount)},
       1,
       "object 1 (HKEY_CURRENT_USER\\Software\\K): its data is damaged (its registry key blocks "
       "do not fill its record)"},
      {"an Adler-32 that does not match",
       {FileRecord("ok"), FileRecord(badAdler)},
       2,
       "object 2 (/home/a.txt): its data is damaged (its compressed data does not inflate"},
  };
  for (const auto& c : cases) {
    const auto check = Check(c.records, c.total);
    EXPECT_TRUE(check.opened) << c.what;
    EXPECT_NE(check.problem.find(c.expected), std::string::npos) << c.what << ": " << check.problem;
  }
}

}  // namespace
}  // namespace bkvp::testing
