// bkvp backup, archives, show, verify, restore, schedule, tick and status as
// real processes, with the real archive service and files client registered
// into a fresh BKVP_HOME.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/engine/archive_naming.h"
#include "platform/registry.h"
#include "tests/archive/independent_writer.h"
#include "tests/support/file_events.h"
#include "tests/support/test_support.h"

namespace {

using bkvp::testing::BinDir;
using bkvp::testing::CommandResult;
using bkvp::testing::ReadFile;
using bkvp::testing::RunCommand;
using bkvp::testing::TempDir;
using bkvp::testing::WriteFile;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

class EngineCommands : public bkvp::testing::HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    ASSERT_EQ(Bkvp("register").exitCode, 0);
    WriteFile(source / "a.txt", "alpha\n");
    WriteFile(source / "b.txt", std::string(200000, 'b'));
    ASSERT_EQ(Bkvp("files add " + Quote(source.path())).exitCode, 0);
  }
  // stdin is not a terminal here, so every run is unattended.
  CommandResult Bkvp(const std::string& args) {
    return RunCommand(BinDir() + "/bkvp " + args + " </dev/null");
  }
  std::string Stdout(const std::string& args) {
    return RunCommand(BinDir() + "/bkvp " + args + " </dev/null 2>/dev/null").output;
  }
  std::string BackUp() {
    std::string path = Stdout("backup --quiet --to " + Quote(dest.path()) + " --label first");
    if (!path.empty() && path.back() == '\n') path.pop_back();
    return path;
  }
  TempDir source, dest, out;
};

TEST_F(EngineCommands, BackupListVerifyAndRestoreGiveTheFilesBack) {
  const std::string archive = BackUp();
  ASSERT_TRUE(std::filesystem::exists(archive)) << archive;
  EXPECT_EQ(std::filesystem::path(archive).parent_path(), dest.path());

  const std::string listing = Stdout("archives " + Quote(dest.path()));
  EXPECT_NE(listing.find("first"), std::string::npos) << listing;
  const std::string shown = Stdout("show " + Quote(archive));
  EXPECT_NE(shown.find("Files and folders"), std::string::npos) << shown;
  EXPECT_NE(shown.find(source / "b.txt"), std::string::npos) << shown;
  EXPECT_EQ(Bkvp("verify " + Quote(archive)).exitCode, 0);

  const CommandResult restored = Bkvp("restore " + Quote(archive) + " --to " + Quote(out.path()));
  ASSERT_EQ(restored.exitCode, 0) << restored.output;
  EXPECT_EQ(ReadFile(out.path() + source / "a.txt"), "alpha\n");
  EXPECT_EQ(ReadFile(out.path() + source / "b.txt"), std::string(200000, 'b'));
  const std::string log = ReadFile(home() + "/BackupVopal.log");
  EXPECT_EQ(log.rfind("This is a Backup Vopal log file.\nRestoring\n", 0), 0u) << log;
  EXPECT_NE(Stdout("status").find("Error state:  off"), std::string::npos);
}

TEST_F(EngineCommands, VerifyNamesTheDamagedObject) {
  const std::string archive = BackUp();
  ASSERT_FALSE(archive.empty());
  // Flip a byte in the middle of the large file's compressed data, which
  // lies at the end of the archive.
  {
    std::fstream f(archive, std::ios::in | std::ios::out | std::ios::binary);
    f.seekg(0, std::ios::end);
    const auto size = static_cast<long>(f.tellg());
    f.seekp(size - 40);
    f.put('\x5a');
  }
  const CommandResult result = Bkvp("verify " + Quote(archive));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.output.find("damaged"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("object 2"), std::string::npos) << result.output;
}

TEST_F(EngineCommands, VerifyNeedsNoScratchSpace) {
  const std::string archive = BackUp();
  const CommandResult sound =
      RunCommand("TMPDIR=/nonexistent " + BinDir() + "/bkvp verify " + Quote(archive));
  EXPECT_EQ(sound.exitCode, 0) << sound.output;
  EXPECT_NE(sound.output.find("OK, 2 objects"), std::string::npos) << sound.output;
}

TEST_F(EngineCommands, ABackupNeverReplacesAnArchiveOfTheSameMinute) {
  // Archives of this minute and the next two exist already.
  const std::time_t now = std::time(nullptr);
  std::vector<std::string> occupied;
  for (int minute = 0; minute < 3; ++minute) {
    const std::time_t then = now + 60 * minute;
    std::tm local{};
    localtime_r(&then, &local);
    occupied.push_back(dest / bkvp::engine::ArchiveName(local));
    WriteFile(occupied.back(), "an earlier archive");
  }
  const std::string archive = BackUp();
  ASSERT_FALSE(archive.empty());
  for (const std::string& earlier : occupied) {
    EXPECT_NE(archive, earlier);
    EXPECT_EQ(ReadFile(earlier), "an earlier archive");
  }
  const std::string name = std::filesystem::path(archive).filename();
  EXPECT_GT(
      bkvp::engine::DecodeArchiveName(name),
      bkvp::engine::DecodeArchiveName(std::filesystem::path(occupied[0]).filename().string()));
  EXPECT_NE(ReadFile(home() + "/BackupVopal.log").find(" is taken; the archive is " + archive),
            std::string::npos);
}

TEST_F(EngineCommands, ABackupWithoutDestinationCannotStart) {
  const CommandResult result = Bkvp("backup");
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.output.find("--to"), std::string::npos) << result.output;
  EXPECT_EQ(Bkvp("backup --to " + Quote(dest.path()) + " --client nosuch").exitCode, 2);
}

// With the backup list emptied, neither a backup nor a schedule finds
// anything to save, and both say why.
TEST_F(EngineCommands, NothingToSaveIsSaidBeforeARunOrASchedule) {
  EXPECT_EQ(Stdout("files clear"), "removed 1 entry; the backup list is empty\n");
  for (const std::string& command :
       {"backup --to " + Quote(dest.path()),
        "schedule set --daily --at 03:00 --to " + Quote(dest.path()),
        "schedule set --daily --at 03:00 --client 'files and folders' --to " +
            Quote(dest.path())}) {
    const CommandResult refused = Bkvp(command);
    EXPECT_EQ(refused.exitCode, 2) << command;
    EXPECT_NE(refused.output.find("Files and folders: no files to back up (see bkvp clients; "),
              std::string::npos)
        << command << "\n"
        << refused.output;
  }
  EXPECT_NE(Stdout("schedule show").find("off"), std::string::npos);
}

TEST_F(EngineCommands, ScheduleAndTickBackUpWhenDueAndPrune) {
  // Two older archives by name; pruning orders by the encoded moments, and
  // takes only files that read as archives.
  const std::string empty = bkvp::testing::plain::ComposeArchive("u", "m", "l", 0, 2, 1, {});
  WriteFile(dest / "VOPALARC113000.KV", empty);
  WriteFile(dest / "VOPALARC213000.KV", empty);
  const CommandResult set = Bkvp("schedule set --daily --at 03:00 --keep 2 --to " +
                                 Quote(dest.path()) + " --client 'files and folders'");
  ASSERT_EQ(set.exitCode, 0) << set.output;
  EXPECT_NE(set.output.find("every day at 03:00"), std::string::npos) << set.output;
  EXPECT_NE(Stdout("tick").find("Not due"), std::string::npos);
  // The program started at login works in this state root; another root's
  // "schedule off" leaves the entry alone.
  const std::string entry = home() + "/xdg-config/autostart/BackupVopal.desktop";
  EXPECT_NE(set.output.find("Autostart entry: " + entry), std::string::npos) << set.output;
  EXPECT_NE(ReadFile(entry).find("Exec=env \"BKVP_HOME=" + home() + "\" "), std::string::npos)
      << ReadFile(entry);
  const TempDir otherRoot;
  EXPECT_EQ(RunCommand("BKVP_HOME='" + otherRoot.path() + "' " + BinDir() +
                       "/bkvp schedule off </dev/null")
                .exitCode,
            0);
  EXPECT_TRUE(std::filesystem::exists(entry));

  // Make the run due now.
  ASSERT_EQ(bkvp::platform::RegWriteDword(
                "HKEY_CURRENT_USER\\SOFTWARE\\Tarvik Systems\\Backup Vopal\\Schedule", "TaskTime",
                1000000000),
            bkvp::platform::ERROR_SUCCESS);
  const CommandResult tick = Bkvp("tick");
  ASSERT_EQ(tick.exitCode, 0) << tick.output;
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dest.path()))
    names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], "VOPALARC213000.KV");
  EXPECT_NE(Stdout("schedule show").find("completed"), std::string::npos);
  EXPECT_EQ(Bkvp("schedule off").exitCode, 0);
  EXPECT_NE(Stdout("tick").find("off"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST_F(EngineCommands, EverySubcommandHasHelp) {
  for (const char* command : {"backup", "restore", "archives", "show", "verify", "clients",
                              "schedule", "tick", "status", "log"}) {
    const CommandResult result = Bkvp(std::string(command) + " --help");
    EXPECT_EQ(result.exitCode, 0) << command;
    EXPECT_EQ(result.output.rfind(std::string("usage: bkvp ") + command, 0), 0u) << result.output;
  }
}

// A damaged store is named and left as it is; nothing reads it as "no
// settings" and writes over it.
TEST_F(EngineCommands, ADamagedSettingsStoreIsRefusedAndLeftUntouched) {
  const std::string store = home() + "/registry/HKEY_CURRENT_USER.db";
  const std::string damage = "this is not a database" + std::string(4000, '!');
  WriteFile(store, damage);
  for (const char* command :
       {"status", "schedule set --daily --at 03:00 --to /tmp", "files list", "backup --to /tmp"}) {
    const CommandResult result = Bkvp(command);
    EXPECT_EQ(result.exitCode, 1) << command;
    EXPECT_NE(result.output.find(store), std::string::npos) << result.output;
  }
  EXPECT_EQ(ReadFile(store), damage);
}

// SIGINT, SIGTERM and SIGHUP end a backup cleanly: the unfinished archive is
// removed, the log says why, the run lock is free again, and the exit status
// tells which signal it was.
TEST_F(EngineCommands, SignalsEndABackupCleanly) {
  ASSERT_EQ(Bkvp(std::string("register ") + STALL_CLIENT_MODULE).exitCode, 0);
  const std::string marker = out / "stalling";
  const std::string tool = BinDir() + "/bkvp";
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    std::filesystem::remove(marker);
    setenv("BKVP_TEST_STALL_MARKER", marker.c_str(), 1);
    const char* argv[] = {tool.c_str(),      "backup", "--client",
                          "Stalling client", "--to",   dest.path().c_str(),
                          "--unattended",    nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, tool.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ),
              0);
    ASSERT_TRUE(bkvp::testing::WaitUntil(out.path(), [&] {
      return std::filesystem::exists(marker);
    })) << "the run never reached the client";
    ASSERT_FALSE(std::filesystem::is_empty(dest.path()));  // the archive being written
    kill(pid, signal);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << signal;
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
    EXPECT_TRUE(std::filesystem::is_empty(dest.path()));
    const std::string log = ReadFile(home() + "/BackupVopal.log");
    EXPECT_NE(log.find(signal == SIGINT ? "The run was cancelled; the archive was discarded."
                                        : "The run was interrupted; the archive was discarded."),
              std::string::npos)
        << log;
  }
  unsetenv("BKVP_TEST_STALL_MARKER");
  EXPECT_NE(Stdout("status").find("Last backup:  started by hand, cancelled"), std::string::npos);
  // The runs after the first interrupted one kept its log; "bkvp log" shows
  // both and turns the error state off, and a run that succeeds drops it.
  const std::string earlier = home() + "/BackupVopal.failed.log";
  EXPECT_TRUE(std::filesystem::exists(earlier));
  const CommandResult log = Bkvp("log");
  EXPECT_NE(log.output.find("The earlier run that failed"), std::string::npos) << log.output;
  EXPECT_NE(Stdout("status").find("Error state:  off"), std::string::npos);
  // The lock was released: another run can start.
  EXPECT_EQ(Bkvp("backup --client 'Files and folders' --to " + Quote(dest.path())).exitCode, 0);
  EXPECT_FALSE(std::filesystem::exists(earlier));
}

// Each module reports the version compiled into it; discovery leaves out a
// client whose version is newer than the program's or that reports none.
// Restoring over files that exist, without --overwrite, restores nothing of
// them: the run says how many were not restored and fails.
TEST_F(EngineCommands, AFileKeptAsItWasIsNoFailureButOneThatCannotBeWrittenIs) {
  const std::string archive = BackUp();
  ASSERT_FALSE(archive.empty());
  // Without --overwrite an unattended restore keeps what is there.
  WriteFile(out / "a.txt", "newer\n");
  const CommandResult kept =
      Bkvp("restore " + Quote(archive) + " --flat --to " + Quote(out.path()));
  EXPECT_EQ(kept.exitCode, 0) << kept.output;
  EXPECT_NE(kept.output.find("1 file kept as it was. Use --overwrite to replace them."),
            std::string::npos)
      << kept.output;
  EXPECT_EQ(ReadFile(out / "a.txt"), "newer\n");
  EXPECT_NE(ReadFile(home() + "/BackupVopal.log").find(out / "a.txt kept as it was\n"),
            std::string::npos);
  EXPECT_NE(Stdout("status").find("Error state:  off"), std::string::npos);

  // A folder in the way cannot be replaced by a file: that fails the run.
  std::filesystem::remove(out / "a.txt");
  std::filesystem::create_directories(out / "a.txt");
  const CommandResult failed =
      Bkvp("restore " + Quote(archive) + " --flat --overwrite --to " + Quote(out.path()));
  EXPECT_EQ(failed.exitCode, 1) << failed.output;
  EXPECT_NE(failed.output.find("1 not restored"), std::string::npos) << failed.output;
  EXPECT_NE(Stdout("status").find("Error state:  on"), std::string::npos);
  EXPECT_NE(Stdout("status").find("Last restore: completed with failures"), std::string::npos);
}

// Counts the archives a folder holds.
size_t ArchivesIn(const std::string& folder) {
  size_t count = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    count += e.path().extension() == ".KV";
  return count;
}

// The drive of a destination is recorded when it is chosen; a run into a
// stored destination whose drive is gone is refused and creates nothing,
// whether started by hand or by the schedule.
TEST_F(EngineCommands, TheLastDestinationIsRememberedAndRefusedWhenItsDriveIsGone) {
  const std::string program = "HKEY_CURRENT_USER\\SOFTWARE\\Tarvik Systems\\Backup Vopal";
  const std::string drive = dest / "drive";
  ASSERT_EQ(Bkvp("backup --to " + Quote(drive)).exitCode, 0);
  // A destination that failed is not remembered.
  WriteFile(dest / "plain", "x");
  EXPECT_EQ(Bkvp("backup --to " + Quote(dest / "plain/sub")).exitCode, 2);
  const CommandResult again = Bkvp("backup");
  EXPECT_EQ(again.exitCode, 0) << again.output;
  EXPECT_NE(again.output.find("backing up into the last destination, " + drive), std::string::npos)
      << again.output;
  EXPECT_EQ(ArchivesIn(drive), 2u);

  // The drive is unplugged: its folder is gone and the path now lies on
  // another file system.
  std::filesystem::remove_all(drive);
  ASSERT_EQ(bkvp::platform::RegWriteString(program, "StoreMount", "/media/unplugged"),
            bkvp::platform::ERROR_SUCCESS);
  const std::string refusal = "The backup drive for " + drive + " is not connected";
  const CommandResult refused = Bkvp("backup");
  EXPECT_EQ(refused.exitCode, 2) << refused.output;
  EXPECT_NE(refused.output.find(refusal), std::string::npos) << refused.output;
  EXPECT_FALSE(std::filesystem::exists(drive));
  EXPECT_NE(ReadFile(home() + "/BackupVopal.log").find(refusal + ".\n"), std::string::npos);
  const CommandResult status = Bkvp("status --json");
  EXPECT_EQ(status.exitCode, 1);
  EXPECT_NE(status.output.find("{\"errorState\":true,"), std::string::npos) << status.output;

  // Another file system mounted at the same place is not the drive either.
  ASSERT_EQ(Bkvp("schedule set --daily --at 03:00 --to " + Quote(drive)).exitCode, 0);
  ASSERT_EQ(bkvp::platform::RegWriteString(program + "\\Schedule", "StoreVolume", "uuid:gone"),
            bkvp::platform::ERROR_SUCCESS);
  ASSERT_EQ(bkvp::platform::RegWriteDword(program + "\\Schedule", "TaskTime", 1000000000),
            bkvp::platform::ERROR_SUCCESS);
  std::filesystem::remove_all(drive);
  EXPECT_NE(Bkvp("tick").exitCode, 0);
  EXPECT_FALSE(std::filesystem::exists(drive));
  EXPECT_NE(ReadFile(home() + "/BackupVopal.log").find(refusal + ".\n"), std::string::npos);

  // Naming the destination again records its drive as it is now.
  ASSERT_EQ(Bkvp("backup --to " + Quote(drive)).exitCode, 0);
  EXPECT_EQ(Bkvp("backup").exitCode, 0);
  EXPECT_EQ(ArchivesIn(drive), 2u);
  const std::string listed = Stdout("archives --json " + Quote(drive));
  EXPECT_EQ(listed.rfind("[{\"time\":", 0), 0u) << listed;
  EXPECT_NE(listed.find(",\"clients\":1,"), std::string::npos) << listed;
  const CommandResult missing = Bkvp("verify --json " + Quote(drive + "/VOPALARC000000.KV"));
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.output.find("\"result\":\"not checked\""), std::string::npos) << missing.output;
}

// The names of the files below a folder, at any depth, sorted.
std::vector<std::string> FileNamesBelow(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
    if (e.is_regular_file()) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(EngineCommands, OnlyRestoresTheChosenFiles) {
  WriteFile(source / "sub/c.log", "log");
  WriteFile(source / "sub/d.txt", "d");
  const std::string archive = BackUp();
  ASSERT_FALSE(archive.empty());
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {source / "a.txt", {"a.txt"}},
      {"**/*.txt", {"a.txt", "b.txt", "d.txt"}},
      {source / "sub", {"c.log", "d.txt"}},
      {source / "?.txt", {"a.txt", "b.txt"}},
      // Without a slash: a name in any folder.
      {"*.txt", {"a.txt", "b.txt", "d.txt"}},
      {"sub", {"c.log", "d.txt"}},
  };
  for (const auto& [pattern, expected] : cases) {
    TempDir target;
    const CommandResult result = Bkvp("restore " + Quote(archive) + " --only " + Quote(pattern) +
                                      " --to " + Quote(target.path()));
    EXPECT_EQ(result.exitCode, 0) << pattern << "\n" << result.output;
    EXPECT_EQ(FileNamesBelow(target.path()), expected) << pattern;
  }
  // show --files lists what such a restore would write, with the sizes
  // the files had.
  const std::string listed = Stdout("show " + Quote(archive) + " --files '**/*.txt'");
  EXPECT_NE(listed.find(" 200000  " + source / "b.txt\n"), std::string::npos) << listed;
  EXPECT_EQ(listed.find("c.log"), std::string::npos) << listed;
  // A pattern that picks nothing is mistyped: said so, and nothing restored.
  TempDir target;
  const CommandResult none = Bkvp("restore " + Quote(archive) + " --only '*.md' --only '*.log'" +
                                  " --to " + Quote(target.path()));
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_NE(none.output.find("no file in the archive matches *.md\n"), std::string::npos)
      << none.output;
  EXPECT_TRUE(FileNamesBelow(target.path()).empty());
  const CommandResult shown = Bkvp("show " + Quote(archive) + " --files '*.md'");
  EXPECT_EQ(shown.exitCode, 1);
  EXPECT_NE(shown.output.find("no file in the archive matches *.md"), std::string::npos);
  const std::string json = Stdout("show " + Quote(archive) + " --files --json " + source / "a.txt");
  EXPECT_NE(json.find("{\"path\":\"" + source / "a.txt" + "\",\"size\":6,"), std::string::npos)
      << json;
}

TEST_F(EngineCommands, EveryShippedClientIsAcceptedByDiscovery) {
  const std::string listing = Stdout("clients");
  for (const char* name : {"Files and folders", "Outlook Express", "Outlook ", "Netscape 4x",
                           "Netscape 6", "Netscape 7"})
    EXPECT_NE(listing.find(name), std::string::npos) << name << "\n" << listing;
  EXPECT_EQ(listing.find("refused"), std::string::npos) << listing;
}

}  // namespace
