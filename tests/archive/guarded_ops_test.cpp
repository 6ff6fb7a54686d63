// Disk trouble while writing the archive or restoring a file: the prompts,
// their texts and styles, and what retrying or giving up leaves behind.
#include "archive/guarded_ops.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "contract/errors.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "tests/archive/archive_harness.h"
#include "tests/archive/independent_reader.h"
#include "tests/support/test_support.h"

namespace bkvp::testing {
namespace {

using archive::LoadString;

class GuardedWrites : public HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    WriteFile(source, std::string(200000, 'a') + "tail");
  }
  // A backup of one compressible file by a client that registered first, as
  // the program's clients do; the writes of `part` fail as set up.
  void Backup(WriterHarness& w) {
    w.Options(kClsidA, "Files", {});
    ASSERT_EQ(w.Start(archivePath), S_OK);
    w.Begin(kClsidA);
    ASSERT_EQ(w.File(source), S_OK);
    w.End();
    w.Finish();
  }
  bool ArchiveIsWhole() {
    std::string error;
    const auto parsed = plain::ParseArchive(ReadFile(archivePath), &error);
    return parsed && parsed->sections.size() == 1 &&
           parsed->sections[0].records.at(0).content == ReadFile(source);
  }

  TempDir dir;
  std::string archivePath = dir / "Vopalarc000001.KV";
  std::string source = dir / "big.txt";
  FaultyFileLayer layer;
};

// The sections go straight into the archive's temporary file, behind the
// room kept for header and table.
constexpr uint64_t kTableEndOfOneClient = 394 + 110;

TEST_F(GuardedWrites, FullDiskUnderSectionsAsksForRoomAndRetriesTheWrite) {
  layer.pathPart = "Vopalarc";
  layer.failAt = 3;
  layer.partial = true;  // half the bytes land before the failure
  WriterHarness w(layer);
  Backup(w);
  ASSERT_EQ(w.progress->prompts.size(), 1u);
  const std::string drive = platform::MountPointOf(dir.path());
  const std::string& text = w.progress->prompts[0].text;
  const std::string serviceText =
      "There is no room for the temporary file.\r\nTo continue backup clear space on disk " +
      drive + " and press OK.";
  EXPECT_EQ(text.substr(0, serviceText.size()), serviceText);
  // Beside the service's own words: which folder is full, and how far the
  // archive got.
  EXPECT_NE(text.find("\r\n\r\nThe folder " + dir.path() + " is where the archive is written; "),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(" free. The archive has reached "), std::string::npos) << text;
  EXPECT_EQ(w.progress->prompts[0].type, 273u);
  EXPECT_TRUE(ArchiveIsWhole());
}

TEST(FullPlaceNote, SaysWhatIsFreeWhenItIsKnown) {
  EXPECT_EQ(archive::FullPlaceNote("/media/b", uint64_t{1024}, 5u << 20),
            "The folder /media/b is where the archive is written; it has 1.0 KiB free. The "
            "archive has reached 5.0 MiB.");
  EXPECT_EQ(archive::FullPlaceNote("/media/b", std::nullopt, 0),
            "The folder /media/b is where the archive is written. The archive has reached 0 B.");
}

TEST_F(GuardedWrites, ArchiveDiskMessagesNameTheMountPoint) {
  const std::string drive = platform::MountPointOf(dir.path());
  const struct {
    int error;
    std::string text;
  } cases[] = {
      {EROFS, "The disk " + drive + " is write-protected.\r\n" + LoadString(106)},
      {ENOMEDIUM, "The drive " + drive + " is not ready.\r\nInsert disk into drive " + drive +
                      " and press OK to continue or Cancel to abort backup."},
      {ENOSPC, "The disk " + drive + " is full.\r\n" + LoadString(105)},
  };
  for (const auto& c : cases) {
    FaultyFileLayer faulty;
    faulty.pathPart = "Vopalarc";         // the archive under its temporary name
    faulty.below = kTableEndOfOneClient;  // its header and table
    faulty.failAt = 1;
    faulty.error = c.error;
    WriterHarness w(faulty);
    Backup(w);
    ASSERT_EQ(w.progress->prompts.size(), 1u) << c.error;
    // A full disk's text goes on with the folder and the room it needs.
    const std::string& text = w.progress->prompts[0].text;
    EXPECT_EQ(c.error == ENOSPC ? text.substr(0, c.text.size()) : text, c.text);
    EXPECT_EQ(w.progress->prompts[0].type, 273u);
    EXPECT_TRUE(ArchiveIsWhole()) << c.error;
  }
}

TEST_F(GuardedWrites, CancelDuringFinishRemovesAllFilesAndKeepsEarlierArchive) {
  WriteFile(archivePath, "earlier archive");
  // Registered, the table entry (the second write below the table's end)
  // fails; unregistered, the sections begin at 394 and are copied behind the
  // real table in a fresh file, whose header write fails.
  for (const bool registered : {true, false}) {
    FaultyFileLayer faulty;
    faulty.pathPart = "Vopalarc";
    faulty.below = registered ? kTableEndOfOneClient : 394;
    faulty.failAt = registered ? 2 : 1;
    faulty.failCount = 100;
    faulty.error = EROFS;
    WriterHarness w(faulty);
    w.progress->promptAnswers = {IDOK, IDCANCEL};
    if (registered) w.Options(kClsidA, "Files", {});
    ASSERT_EQ(w.Start(archivePath), S_OK);
    w.Begin(kClsidA);
    w.File(source);
    w.End();
    EXPECT_THROW(w.Finish(), ComError);
    EXPECT_EQ(w.progress->prompts.size(), 2u) << registered;
    EXPECT_EQ(ReadFile(archivePath), "earlier archive");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2) << registered;
  }
}

TEST_F(GuardedWrites, OtherErrorsAreShownOnceAndEndTheCall) {
  layer.pathPart = "Vopalarc";
  layer.failAt = 1;
  layer.error = EACCES;
  WriterHarness w(layer);
  ASSERT_EQ(w.Start(archivePath), S_OK);
  EXPECT_THROW(w.Begin(kClsidA), ComError);
  ASSERT_EQ(w.progress->prompts.size(), 1u);
  EXPECT_EQ(w.progress->prompts[0].type, 16u);
  EXPECT_EQ(w.progress->prompts[0].text, platform::ErrorMessage(5));
}

// Past a few steps of written bytes, the disk is asked to flush them on a
// thread aside while the writer goes on. A finished archive is whole; a run
// cancelled after such flushes (its last write fails) ends and leaves no file.
TEST_F(GuardedWrites, LargeArchivesFlushedAsideEndWholeOrCleanlyCancelled) {
  const std::string large = dir / "large.bin";
  WriteFile(large, Noise(24u << 20, 3));
  for (const bool cancelled : {false, true}) {
    FaultyFileLayer faulty;
    faulty.pathPart = "Vopalarc";
    // The section's write, the record's head and first block, then the
    // record's size once all the rest has been copied.
    faulty.failAt = cancelled ? 3 : 0;
    WriterHarness w(faulty);
    w.progress->promptAnswers = {IDCANCEL};
    w.Options(kClsidA, "Files", {});
    ASSERT_EQ(w.Start(archivePath), S_OK);
    w.Begin(kClsidA);
    if (cancelled) {
      EXPECT_THROW(w.File(large), ComError);
      w.Finish(1);
      EXPECT_FALSE(platform::FileExists(archivePath));
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
      continue;
    }
    ASSERT_EQ(w.File(large), S_OK);
    w.End();
    ASSERT_EQ(w.Finish(), S_OK);
    std::string error;
    const auto parsed = plain::ParseArchive(ReadFile(archivePath), &error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_TRUE(parsed->sections.at(0).records.at(0).content == ReadFile(large));
    std::filesystem::remove(archivePath);
  }
}

TEST_F(GuardedWrites, CancelInsideAFileCutsTheRecordSoTheArchiveStaysReadable) {
  // Noise does not compress: its record reaches the data file in several
  // writes, and the third write of the file (after the section's) fails.
  std::string noise(300000, '\0');
  uint32_t x = 1;
  for (char& c : noise) c = char((x = x * 1103515245 + 12345) >> 16);
  WriteFile(dir / "noise.txt", noise);
  layer.pathPart = "Vopalarc";
  layer.failAt = 3;
  WriterHarness w(layer);
  w.progress->promptAnswers = {IDCANCEL};
  ASSERT_EQ(w.Start(archivePath), S_OK);
  w.Begin(kClsidA);
  EXPECT_THROW(w.File(dir / "noise.txt"), ComError);
  EXPECT_EQ(layer.writes, 3);
  // A caller that goes on regardless still gets a consistent archive.
  WriteFile(dir / "small.txt", "small");
  EXPECT_EQ(w.File(dir / "small.txt"), S_OK);
  w.End();
  EXPECT_EQ(w.Finish(), S_OK);
  std::string error;
  const auto parsed = plain::ParseArchive(ReadFile(archivePath), &error);
  ASSERT_TRUE(parsed) << error;
  ASSERT_EQ(parsed->sections[0].records.size(), 1u);
  EXPECT_EQ(parsed->sections[0].records[0].content, "small");
}

class GuardedTargets : public HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    WriteArchive(std::string(100000, 'z'));
  }
  // An archive at archivePath whose one client holds in.txt with `content`.
  void WriteArchive(const std::string& content) {
    WriteFile(dir / "in.txt", content);
    WriterHarness w;
    ASSERT_EQ(w.Start(archivePath), S_OK);
    w.Begin(kClsidA);
    w.File(dir / "in.txt");
    w.End();
    w.Finish();
  }
  ReaderHarness& Reader() {
    reader = std::make_unique<ReaderHarness>(layer);
    reader->Open(archivePath);
    reader->Iterate(kClsidA);
    return *reader;
  }

  TempDir dir;
  std::string archivePath = dir / "Vopalarc000001.KV";
  std::string target = dir / "out.txt";
  FaultyFileLayer layer;
  std::unique_ptr<ReaderHarness> reader;
};

TEST_F(GuardedTargets, ExistingTargetIsReplacedOnlyWhenTheUserAgrees) {
  const struct {
    int answer;
    int32_t code;  // 0: restored
  } cases[] = {{IDNO, kKeptExisting}, {IDCANCEL, E_FAIL}, {IDYES, 0}};
  for (const auto& c : cases) {
    WriteFile(target, "keep");
    auto& r = Reader();
    r.progress->promptAnswers = {c.answer};
    if (c.code != 0) {
      try {
        r.RestoreFile(target, 0);
        ADD_FAILURE() << "no KVError for answer " << c.answer;
      } catch (const KVError& e) {
        EXPECT_EQ(e.code, c.code);
      }
      EXPECT_EQ(ReadFile(target), "keep");
      EXPECT_TRUE(r.progress->messages.empty());
    } else {
      EXPECT_EQ(r.RestoreFile(target, 0), S_OK);
      EXPECT_EQ(ReadFile(target), std::string(100000, 'z'));
    }
    ASSERT_EQ(r.progress->prompts.size(), 1u);
    EXPECT_EQ(r.progress->prompts[0].text,
              "The file " + target + " already exists. \r\nDo you wish to overwrite it?");
    EXPECT_EQ(r.progress->prompts[0].type, 307u);
  }
}

TEST_F(GuardedTargets, FailedTargetWriteAsksTheClientWhatToDo) {
  layer.pathPart = "out.txt";
  layer.failAt = 1;
  layer.error = ENOSPC;

  auto& retry = Reader();
  retry.progress->clientErrorAnswers = {IDRETRY};
  EXPECT_EQ(retry.RestoreFile(target), S_OK);
  EXPECT_EQ(ReadFile(target), std::string(100000, 'z'));
  ASSERT_EQ(retry.progress->clientErrors.size(), 1u);
  EXPECT_EQ(retry.progress->clientErrors[0].type, 112u);
  EXPECT_EQ(retry.progress->clientErrors[0].defaultButton, 1);
  EXPECT_EQ(retry.progress->clientErrors[0].text, platform::ErrorMessage(112));

  layer.writes = 0;
  auto& ignore = Reader();
  ignore.progress->clientErrorAnswers = {IDIGNORE};
  EXPECT_THROW(ignore.RestoreFile(target), KVError);

  layer.writes = 0;
  auto& abort = Reader();
  abort.progress->clientErrorAnswers = {IDABORT};
  EXPECT_THROW(abort.RestoreFile(target), ComError);

  layer.writes = 0;
  auto& other = Reader();
  other.progress->clientErrorAnswers = {IDOK};
  EXPECT_EQ(other.RestoreFile(target), E_FAIL);
  EXPECT_EQ(other.progress->messages, std::vector<std::string>{target + " FAILED"});
}

TEST_F(GuardedTargets, TargetThatCannotBeCreatedIsNamedInTheQuestion) {
  auto& r = Reader();
  r.progress->clientErrorAnswers = {IDCANCEL};
  // Missing folders are made; a file where a folder should be is in the way.
  EXPECT_EQ(r.RestoreFile(dir / "new/folders/out.txt"), S_OK);
  const std::string unreachable = dir / "in.txt/out.txt";
  EXPECT_THROW(r.RestoreFile(unreachable), KVError);
  ASSERT_EQ(r.progress->clientErrors.size(), 1u);
  EXPECT_EQ(r.progress->clientErrors[0].text, unreachable + "\r\n" + platform::ErrorMessage(3));
}

TEST(WrapLines, LongLinesBreakEvery254BytesNeverInsideACharacter) {
  EXPECT_EQ(archive::WrapLines("short\r\nlines", 254), "short\r\nlines");
  const std::string wide = std::string(253, 'a') + "\xC3\xA9" + "b";
  EXPECT_EQ(archive::WrapLines(wide, 254), std::string(253, 'a') + "\r\n\xC3\xA9" + "b");
  EXPECT_EQ(archive::WrapLines(std::string(600, 'x'), 254),
            std::string(254, 'x') + "\r\n" + std::string(254, 'x') + "\r\n" + std::string(92, 'x'));
}

TEST_F(GuardedTargets, AnArchiveThatCannotBeReadAsksAndIsReadAgainOrStops) {
  // The medium goes away in the middle of a data part: the user may put it
  // back and go on, or stop; an error no one can mend is told and stops.
  archivePath = dir / "Vopalarc000002.KV";
  WriteArchive(Noise(300000, 7));
  layer.readPathPart = "Vopalarc";
  layer.readFailFrom = std::filesystem::file_size(archivePath) - 1000;
  const struct {
    int error, failures, answer;
    unsigned style;
    bool restored;
  } cases[] = {{ENOMEDIUM, 1, IDOK, 273u, true},
               {ENOMEDIUM, -1, IDCANCEL, 273u, false},
               {EIO, -1, IDOK, 16u, false}};
  for (const auto& c : cases) {
    std::filesystem::remove(target);
    layer.readError = c.error;
    layer.readFailures = c.failures;
    auto& r = Reader();
    r.progress->promptAnswers = {c.answer};
    r.progress->defaultPromptAnswer = IDCANCEL;  // a second question ends the run
    if (c.restored) {
      EXPECT_EQ(r.RestoreFile(target), S_OK);
      EXPECT_EQ(ReadFile(target), Noise(300000, 7));
    } else {
      EXPECT_THROW(r.RestoreFile(target), ComError);
      EXPECT_FALSE(std::filesystem::exists(target));
    }
    ASSERT_EQ(r.progress->prompts.size(), 1u) << c.error;
    EXPECT_EQ(r.progress->prompts[0].type, c.style);
  }
}

}  // namespace
}  // namespace bkvp::testing
