#include "app/engine/run_backup.h"

#include "app/engine/archive_naming.h"
#include "app/engine/error_state.h"
#include "app/engine/last_good_backup.h"
#include "app/engine/run_log.h"
#include "platform/errors.h"
#include "platform/time.h"
#include "tests/engine/engine_doubles.h"
#include "tests/support/calendar_time.h"
#include "tests/support/test_support.h"

namespace bkvp::engine {
namespace {

using bkvp::testing::EntryFor;
using bkvp::testing::LinesOf;
using bkvp::testing::ReadFile;
using bkvp::testing::RecordingBackuper;
using bkvp::testing::ScriptedService;

constexpr const char* kFirst = "{00000000-0000-0000-0000-00000000000A}";
constexpr const char* kSecond = "{00000000-0000-0000-0000-00000000000B}";
const std::string kStars(46, '*');

class RunBackupTest : public bkvp::testing::HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    backuper = ComPtr<RecordingBackuper>::Attach(new RecordingBackuper);
    job.time = platform::MakeLocalTime(testing::CalendarTime(2003, 3, 7, 14, 5));
    job.userName = "ann";
    job.machineName = "desk";
    job.label = "weekly";
    job.versionMajor = 2;
    job.versionMinor = 1;
    job.scheduleText = "Now";
  }
  ScriptedService* AddClient(const std::string& name, const std::string& clsid,
                             bool selected = true) {
    auto* service = new ScriptedService;
    service->name = name;
    clients.Add(EntryFor(service, clsid, selected));
    service->Release();  // the list holds it
    return service;
  }
  RunOutcome Run(const CancelRequest* cancel = nullptr) {
    outcome = RunBackup(job, clients, "/backups/", nullptr, cancel, [this](ComPtr<IBackuper>& out) {
      out = ComPtr<IBackuper>(backuper.get());
      return S_OK;
    });
    return outcome;
  }
  // After an error exception out of the first client: the second is skipped,
  // the error state set and the archive discarded.
  void ExpectStoppedAndDiscarded() {
    ScriptedService* second = AddClient("Never", kSecond);
    EXPECT_EQ(Run().result, RunResult::kStopped);
    EXPECT_EQ(second->calls, 0);
    EXPECT_TRUE(ErrorStateOn());
    EXPECT_EQ(backuper->calls.back(), "FinishBackup 1");
  }

  ComPtr<RecordingBackuper> backuper;
  BackupJob job;
  ClientList clients;
  RunOutcome outcome;
};

TEST_F(RunBackupTest, LogOfTwoClientsLineByLine) {
  AddClient("Files and folders", kFirst)->messages = {"/home/ann/a.txt OK"};
  AddClient("Mail", kSecond)->messages = {"inbox OK", "sent OK"};
  Run();
  EXPECT_EQ(
      LinesOf(ReadFile(LogPath())),
      (std::vector<std::string>{
          "This is a Backup Vopal log file.", "Date: Friday, March 07, 2003 14:05:00",
          "Label: weekly", "Destination:   /backups/VOPALARC373E05.KV", "Schedule:   Now", kStars,
          "Files and folders", "/home/ann/a.txt OK", kStars, "Mail", "inbox OK", "sent OK"}));
}

TEST_F(RunBackupTest, CallsTheWriterInTheContractsOrder) {
  AddClient("Files", kFirst);
  AddClient("Unselected", kSecond, false);
  Run();
  EXPECT_EQ(backuper->archiveName, "/backups/VOPALARC373E05.KV");
  EXPECT_EQ(backuper->calls, (std::vector<std::string>{
                                 "SetProgress", "SetVersionInfo 2 1", "SetArchiveInfo ann weekly 1",
                                 std::string("SetClientOptions ") + kFirst + " Files",
                                 "StartBackup", "FinishBackup 0"}));
  EXPECT_EQ(outcome.clientsRun, 1);
}

TEST_F(RunBackupTest, AFailingClientSetsTheErrorStateAndTheRunGoesOn) {
  AddClient("Broken", kFirst)->result = E_FAIL;
  ScriptedService* second = AddClient("Fine", kSecond);
  Run();
  EXPECT_EQ(second->calls, 1);
  EXPECT_EQ(outcome.clientsFailed, 1);
  EXPECT_TRUE(outcome.errorStateSet);
  EXPECT_TRUE(ErrorStateOn());
  EXPECT_EQ(DefaultTrayCommand(), kCommandViewLog);
  EXPECT_EQ(backuper->calls.back(), "FinishBackup 0");
}

TEST_F(RunBackupTest, AnErrorExceptionSkipsTheRestAndDiscardsTheArchive) {
  AddClient("Cancelled", kFirst)->throwComError = true;
  ExpectStoppedAndDiscarded();
}

TEST_F(RunBackupTest, AnErrorExceptionWhileHandingOverOptionsAlsoDiscardsTheArchive) {
  AddClient("Cancelled", kFirst)->throwFromGetOptions = true;
  ExpectStoppedAndDiscarded();
}

TEST_F(RunBackupTest, AFullDiskEndsWithTheFolderThatIsFullNotTheQuestionAgain) {
  ScriptedService* client = AddClient("Files", kFirst);
  client->throwComError = true;  // as the writer does when its question to clear space is cancelled
  client->thrownError = StatusOfSystemError(platform::ERROR_DISK_FULL);
  ExpectStoppedAndDiscarded();
  EXPECT_EQ(outcome.problem, "the folder /backups is full");
  EXPECT_EQ(LinesOf(ReadFile(LogPath())).back(),
            "The run stopped: the folder /backups is full; the archive was discarded.");
}

TEST_F(RunBackupTest, AFullFolderIsMeasuredAgainstTheLastGoodArchive) {
  RunOutcome good;
  good.result = RunResult::kSucceeded;
  good.archivePath = "/backups/VOPALARC373E05.KV";
  good.archiveBytes = uint64_t{1} << 50;
  RecordGoodBackup(good, job.time);
  EXPECT_EQ(FullFolderProblem("/media/backup/"),
            "the folder /media/backup is full (the last backup's archive took 1.0 PiB)");
}

// A writer whose archive name another process takes at the last moment.
class RaceLosingBackuper : public RecordingBackuper {
 public:
  int losses = 1;
  HRESULT FinishBackup(INT erase) override {
    RecordingBackuper::FinishBackup(erase);
    return erase == 0 && losses-- > 0 ? E_ARCHIVE_NAME_TAKEN : S_OK;
  }
};

TEST_F(RunBackupTest, AnArchiveWhoseNameIsTakenAtTheEndGetsTheNextFreeOne) {
  testing::TempDir dir;
  const std::string folder = dir.path() + "/";
  const std::string wanted = folder + ArchiveName(platform::LocalTime(job.time));
  testing::WriteFile(NextFreeArchivePath(wanted), "another run");  // the next minute's
  auto racing = ComPtr<RaceLosingBackuper>::Attach(new RaceLosingBackuper);
  AddClient("Files", kFirst);
  const auto run = [&] {
    return RunBackup(job, clients, folder, nullptr, nullptr, [&](ComPtr<IBackuper>& out) {
      out = ComPtr<IBackuper>(racing.get());
      return S_OK;
    });
  };
  run();
  EXPECT_EQ(racing->archiveName, NextFreeArchivePath(wanted));
  EXPECT_EQ(LinesOf(ReadFile(LogPath())).back(), NameTakenNote(wanted, racing->archiveName));

  // Nobody ever lets go: the archive is discarded, and the run says so.
  racing->losses = 1000;
  EXPECT_EQ(run().result, RunResult::kStopped);
  EXPECT_EQ(racing->calls.back(), "FinishBackup 1");
  const std::vector<std::string> log = LinesOf(ReadFile(LogPath()));
  EXPECT_EQ(log[log.size() - 2],
            "No free name is left for the archive in " + dir.path() + "/; it was discarded.");
}

TEST_F(RunBackupTest, AWriterThatCannotStartStopsTheRunBeforeAnyClient) {
  ScriptedService* client = AddClient("Files and folders", kFirst);
  backuper->startResult = E_FAIL;
  EXPECT_EQ(Run().result, RunResult::kCouldNotStart);
  EXPECT_EQ(client->calls, 0);
  EXPECT_TRUE(ErrorStateOn());
  EXPECT_EQ(backuper->calls.back(), "FinishBackup 1");
  const std::vector<std::string> lines = LinesOf(ReadFile(LogPath()));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(),
            "The run could not start: the archive /backups/VOPALARC373E05.KV cannot be created.");
}

TEST_F(RunBackupTest, WithoutSelectedClientsTheRunStillStartsAndFinishes) {
  Run();
  EXPECT_EQ(backuper->calls.back(), "FinishBackup 0");
  EXPECT_EQ(LinesOf(ReadFile(LogPath())).size(), 5u);
  EXPECT_FALSE(ErrorStateOn());
}

TEST_F(RunBackupTest, AMissingWriterStopsTheRunBeforeItStarts) {
  AddClient("Files", kFirst);
  outcome = RunBackup(job, clients, "/backups/", nullptr, nullptr,
                      [](ComPtr<IBackuper>&) { return REGDB_E_CLASSNOTREG; });
  EXPECT_EQ(outcome.result, RunResult::kCouldNotStart);
  EXPECT_FALSE(outcome.problem.empty());
  EXPECT_EQ(outcome.clientsRun, 0);
}

// Cancelling is noticed after the object in hand: the rest of the run is
// skipped, the archive discarded, and the log says so. A person's cancel
// leaves the error state off; a run ended by the system turns it on.
TEST_F(RunBackupTest, ACancelledRunStopsAfterTheCurrentObjectAndDiscardsTheArchive) {
  for (const auto reason : {CancelRequest::Reason::kUser, CancelRequest::Reason::kInterrupted}) {
    SetErrorState(false);
    backuper->calls.clear();
    clients = ClientList();
    ScriptedService* first = AddClient("Files and folders", kFirst);
    first->messages = {"/home/ann/a.txt OK", "/home/ann/b.txt OK"};
    ScriptedService* second = AddClient("Mail", kSecond);
    CancelRequest cancel;
    cancel.Request(reason);
    EXPECT_EQ(Run(&cancel).result, RunResult::kCancelled);
    EXPECT_EQ(second->calls, 0);
    EXPECT_EQ(backuper->calls.back(), "FinishBackup 1");
    const std::vector<std::string> lines = LinesOf(ReadFile(LogPath()));
    EXPECT_EQ(lines.back(), reason == CancelRequest::Reason::kUser
                                ? "The run was cancelled; the archive was discarded."
                                : "The run was interrupted; the archive was discarded.");
    EXPECT_EQ(ErrorStateOn(), reason == CancelRequest::Reason::kInterrupted);
  }
}

TEST_F(RunBackupTest, ObjectsThatFailedAreCountedAndNamesCannotForgeLogLines) {
  AddClient("Files and folders", kFirst)->messages = {"File Backup /a OK",
                                                      "File Backup /b\nFile Backup /etc OK FAILED"};
  Run();
  EXPECT_EQ(outcome.objectsDone, 1);
  EXPECT_EQ(outcome.objectsFailed, 1);
  const std::vector<std::string> lines = LinesOf(ReadFile(LogPath()));
  EXPECT_EQ(lines.back(), "File Backup /b\\nFile Backup /etc OK FAILED");
}

TEST(WithTrailingSlash, AddsOneOnlyWhenMissing) {
  EXPECT_EQ(WithTrailingSlash("/a"), "/a/");
  EXPECT_EQ(WithTrailingSlash("/a/"), "/a/");
  EXPECT_EQ(WithTrailingSlash(""), "/");
}

}  // namespace
}  // namespace bkvp::engine
