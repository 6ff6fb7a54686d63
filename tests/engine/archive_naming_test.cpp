#include "app/engine/archive_naming.h"

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include "app/engine/pruning.h"
#include "app/engine/run_log.h"
#include "platform/files.h"
#include "tests/archive/independent_writer.h"
#include "tests/engine/engine_doubles.h"
#include "tests/support/calendar_time.h"
#include "tests/support/test_support.h"

namespace bkvp::engine {
namespace {

using bkvp::testing::TempDir;
using bkvp::testing::WriteFile;
namespace plain = bkvp::testing::plain;

// The moment an archive is named after.
constexpr auto Moment = testing::CalendarTime;

TEST(ArchiveName, EncodesTheMomentInBase36UpperCase) {
  EXPECT_EQ(ArchiveName(Moment(2003, 3, 7, 14, 5)), "VOPALARC373E05.KV");
  EXPECT_EQ(ArchiveName(Moment(2003, 12, 31, 23, 40)), "VOPALARCCV3N14.KV");
  EXPECT_EQ(ArchiveName(Moment(2000, 1, 1, 0, 0)), "VOPALARC110000.KV");
  EXPECT_EQ(ArchiveName(Moment(2035, 10, 29, 9, 59)), "VOPALARCATZ91N.KV");
}

TEST(ArchiveName, EveryNameOfTheSupportedYearsMatchesThePattern) {
  for (int year : {2000, 2019, 2035})
    for (int minute : {0, 5, 35, 36, 59}) {
      const std::string name = ArchiveName(Moment(year, 12, 31, 23, minute));
      EXPECT_TRUE(platform::WildcardMatch(kArchivePattern, name)) << name;
    }
}

TEST(ArchiveName, DecodingGivesBackTheMomentInEitherLetterCase) {
  const ArchiveMoment m = DecodeArchiveName("VOPALARC373E05.KV");
  EXPECT_EQ((ArchiveMoment{3, 3, 7, 14, 5}), m);
  EXPECT_EQ(DecodeArchiveName("vopalarccv3n14.kv"), (ArchiveMoment{3, 12, 31, 23, 40}));
}

TEST(ArchiveName, ACharacterThatIsNoDigitRaisesBadNumber) {
  EXPECT_THROW(DecodeArchiveName("VOPALARC37-E05.KV"), bad_number);
  EXPECT_THROW(DecodeArchiveName("VOPALARC373E0"), bad_number);
  EXPECT_THROW(DecodeArchiveName("VOPALARC373E_5.KV"), bad_number);
}

TEST(ArchiveName, DecodedMomentsOrderByTimeNotByName) {
  // "Z" sorts after "1" as text, but month 1 of year 4 is later than
  // month 12 of year 3.
  EXPECT_LT(DecodeArchiveName("VOPALARCCV3N14.KV"), DecodeArchiveName("VOPALARC114000.KV"));
}

TEST(ArchiveName, TheNextMinuteCarriesIntoHourDayMonthAndYear) {
  EXPECT_EQ(NextMinuteName(ArchiveName(Moment(2003, 3, 7, 14, 5))),
            ArchiveName(Moment(2003, 3, 7, 14, 6)));
  EXPECT_EQ(NextMinuteName(ArchiveName(Moment(2004, 2, 28, 23, 59))),
            ArchiveName(Moment(2004, 2, 29, 0, 0)));
  EXPECT_EQ(NextMinuteName(ArchiveName(Moment(2003, 12, 31, 23, 59))),
            ArchiveName(Moment(2004, 1, 1, 0, 0)));
  EXPECT_EQ(NextMinuteName(ArchiveName(Moment(2035, 12, 31, 23, 59))), "");
}

TEST(ArchiveName, TheNextFreePathSkipsTakenMinutes) {
  TempDir dir;
  const std::string wanted = dir / ArchiveName(Moment(2003, 3, 7, 14, 5));
  WriteFile(dir / ArchiveName(Moment(2003, 3, 7, 14, 6)), "another run");
  EXPECT_EQ(NextFreeArchivePath(wanted), dir / ArchiveName(Moment(2003, 3, 7, 14, 7)));
  EXPECT_EQ(NextFreeArchivePath(dir / ArchiveName(Moment(2035, 12, 31, 23, 59))), "");
  EXPECT_EQ(NextFreeArchivePath(dir / "notes.txt"), "");
}

class Pruning : public ::testing::Test {
 protected:
  std::string Archive(const std::tm& moment, time_t fileTime) {
    const std::string path = dir / ArchiveName(moment);
    WriteFile(path, plain::ComposeArchive("user", "machine", "label", 0, 2, 1, {}));
    utimbuf times{fileTime, fileTime};
    utime(path.c_str(), &times);
    return path;
  }
  std::string folder() const { return dir.path() + "/"; }
  TempDir dir;
};

TEST_F(Pruning, DeletesTheOldestEncodedMomentsWhateverTheFileDates) {
  // File dates run against the encoded moments.
  const std::string a = Archive(Moment(2003, 3, 1, 8, 0), 5000);
  const std::string b = Archive(Moment(2003, 3, 2, 8, 0), 4000);
  const std::string c = Archive(Moment(2003, 3, 3, 8, 0), 3000);
  const std::string d = Archive(Moment(2003, 3, 4, 8, 0), 2000);
  const std::string e = Archive(Moment(2004, 1, 1, 8, 0), 1000);
  const PruneResult result = PruneArchives(folder(), 3, e);
  EXPECT_EQ(result.deleted, (std::vector<std::string>{a, b}));
  for (const auto& kept : {c, d, e}) EXPECT_TRUE(platform::FileExists(kept)) << kept;
}

TEST_F(Pruning, SkipsNamesThatDoNotDecodeAndKeepsWithinTheCount) {
  WriteFile(dir / "Vopalarc!!!!!!.KV", "not an archive name");
  const std::string a = Archive(Moment(2003, 3, 1, 8, 0), 0);
  const std::string b = Archive(Moment(2003, 3, 2, 8, 0), 0);
  const PruneResult result = PruneArchives(folder(), 1, b);
  EXPECT_EQ(result.deleted, (std::vector<std::string>{a}));
  EXPECT_EQ(result.undecodable, (std::vector<std::string>{"Vopalarc!!!!!!.KV"}));
  EXPECT_TRUE(platform::FileExists(dir / "Vopalarc!!!!!!.KV"));
}

TEST_F(Pruning, NeverDeletesTheArchiveJustWritten) {
  // The clock went back: the new archive encodes the earliest moment.
  const std::string justWritten = Archive(Moment(2002, 1, 1, 8, 0), 0);
  const std::string older = Archive(Moment(2003, 3, 1, 8, 0), 0);
  const std::string newer = Archive(Moment(2003, 3, 2, 8, 0), 0);
  const PruneResult result = PruneArchives(folder(), 2, justWritten);
  EXPECT_EQ(result.deleted, (std::vector<std::string>{older}));
  EXPECT_TRUE(platform::FileExists(justWritten));
  EXPECT_TRUE(platform::FileExists(newer));
}

TEST_F(Pruning, OnlyRegularFilesThatAreArchivesByNameAndHeaderGo) {
  // Files of the user's that merely look like archives, each older by its
  // name than the two real archives.
  WriteFile(dir / "VOPALARC111111.KV", "a text file of the user's");
  WriteFile(dir / "vopalarc111112.kv", plain::ComposeArchive("u", "m", "l", 0, 2, 1, {}));
  const std::string target = dir / "target.txt";
  WriteFile(target, "what a link points to");
  ASSERT_EQ(::symlink(target.c_str(), (dir / "VOPALARC111113.KV").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir / "VOPALARC111114.KV").c_str(), 0600), 0);
  const std::string older = Archive(Moment(2003, 3, 1, 8, 0), 0);
  const std::string newer = Archive(Moment(2003, 3, 2, 8, 0), 0);

  const PruneResult result = PruneArchives(folder(), 1, newer);
  EXPECT_EQ(result.deleted, (std::vector<std::string>{older}));
  for (const char* name : {"VOPALARC111111.KV", "vopalarc111112.kv", "VOPALARC111113.KV",
                           "VOPALARC111114.KV", "target.txt"})
    EXPECT_TRUE(platform::FileExists(dir / name)) << name;
  EXPECT_EQ(result.leftAlone.size(), 4u);
  EXPECT_NE(bkvp::testing::ReadFile(LogPath()).find("Removed " + older), std::string::npos);
}

TEST_F(Pruning, NothingHappensWithinTheKeepCount) {
  Archive(Moment(2003, 3, 1, 8, 0), 0);
  EXPECT_TRUE(PruneArchives(folder(), 1, "").deleted.empty());
}

}  // namespace
}  // namespace bkvp::engine
