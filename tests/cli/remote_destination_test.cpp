// bkvp with a destination on another machine: a real "rclone serve" on
// 127.0.0.1 over a temporary folder, reached through a temporary rclone
// configuration (RCLONE_CONFIG), and the real tool, archive service and
// files client.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <regex>
#include <thread>

#include "platform/registry.h"
#include "tests/support/file_events.h"
#include "tests/support/rclone_server.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using bkvp::testing::BinDir;
using bkvp::testing::CommandResult;
using bkvp::testing::RcloneServer;
using bkvp::testing::ReadFile;
using bkvp::testing::RunCommand;
using bkvp::testing::TempDir;
using bkvp::testing::WriteFile;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// The names below a folder, relative to it, sorted.
std::vector<std::string> NamesBelow(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    if (it->is_regular_file()) names.push_back(fs::relative(it->path(), folder).string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> ArchiveNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const std::string& name : NamesBelow(folder))
    if (std::regex_match(name, std::regex("VOPALARC[0-9A-Z]{6}\\.KV"))) names.push_back(name);
  return names;
}

std::string RandomBytes(size_t count) {
  std::mt19937 random(7);
  std::string bytes(count, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

class RemoteDestination : public bkvp::testing::HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    server =
        std::make_unique<RcloneServer>(RcloneServer::Kind::kWebdav, served.path(), scratch.path());
    ASSERT_TRUE(server->running()) << server->startLog();
    WriteConfig(server->RemoteSection("dav") +
                bkvp::testing::CryptSection("sec", "dav:secret", "a-passphrase"));
    ASSERT_EQ(Bkvp("register").exitCode, 0);
    WriteFile(source / "a.txt", "alpha\n");
    WriteFile(source / "deep/b.bin", RandomBytes(300000));
    ASSERT_EQ(Bkvp("files add " + Quote(source.path())).exitCode, 0);
  }
  void TearDown() override {
    unsetenv("RCLONE_CONFIG");
    server.reset();
    HomeFixture::TearDown();
  }
  void WriteConfig(const std::string& sections) {
    WriteFile(home() + "/rclone.conf", sections);
    setenv("RCLONE_CONFIG", (home() + "/rclone.conf").c_str(), 1);
  }
  CommandResult Bkvp(const std::string& args) {
    return RunCommand(BinDir() + "/bkvp " + args + " </dev/null");
  }
  // The new archive's place, from the one line --quiet prints.
  std::string BackUpTo(const std::string& destination) {
    const CommandResult result =
        RunCommand(BinDir() + "/bkvp backup --quiet --to " + Quote(destination) + " 2>&1");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    std::string place = result.output;
    while (!place.empty() && place.back() == '\n') place.pop_back();
    return place;
  }
  void ExpectRestoredTreeEqual(const std::string& archive) {
    TempDir out;
    const CommandResult restored = Bkvp("restore " + Quote(archive) + " --to " + Quote(out.path()));
    ASSERT_EQ(restored.exitCode, 0) << restored.output;
    const CommandResult diff =
        RunCommand("diff -r " + Quote(source.path()) + " " + Quote(out.path() + source.path()));
    EXPECT_EQ(diff.exitCode, 0) << diff.output;
  }
  std::string Log() { return ReadFile(home() + "/BackupVopal.log"); }
  // A backup to `destination` started in the background with its upload
  // slowed down, its output going to `output`; returns once this run's
  // temporary upload has reached `folder` on the server, with its name.
  std::string SlowBackupCaughtUploading(const std::string& destination, const std::string& folder,
                                        const std::string& output) {
    WriteFile(source / "large.bin", RandomBytes(3 << 20));
    const std::string tool = BinDir() + "/bkvp";
    const char* argv[] = {tool.c_str(),        "backup",       "--to",
                          destination.c_str(), "--unattended", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    setenv("RCLONE_BWLIMIT", "512k", 1);
    const int spawned =
        posix_spawn(&pid, tool.c_str(), &actions, nullptr, const_cast<char**>(argv), environ);
    unsetenv("RCLONE_BWLIMIT");
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0);
    std::string uploading;
    const auto found = [&] {
      for (const std::string& name : NamesBelow(folder)) {
        std::error_code ec;
        if (name.starts_with(".bkvp-upload-") && name.find("-00000000-") == std::string::npos &&
            fs::file_size(folder + "/" + name, ec) > 0 && !ec) {
          uploading = name;
          return true;
        }
      }
      return false;
    };
    if (spawned != 0 || !bkvp::testing::WaitUntil(folder, found, std::chrono::minutes(1)))
      return "";
    return uploading;
  }
  int WaitForBackup() {
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  pid_t pid = 0;

  TempDir served, scratch, source;
  std::unique_ptr<RcloneServer> server;
};

TEST_F(RemoteDestination, BackupListVerifyRestoreAndExtractThroughWebdav) {
  const CommandResult backup = Bkvp("backup --json --to rclone:dav:backups/laptop");
  ASSERT_EQ(backup.exitCode, 0) << backup.output;
  std::smatch match;
  ASSERT_TRUE(std::regex_search(
      backup.output, match,
      std::regex("\"archive\":\"(rclone:dav:backups/laptop/(VOPALARC[0-9A-Z]{6}\\.KV))\".*"
                 "\"remote\":\"dav\",\"uploadedBytes\":([0-9]+)")))
      << backup.output;
  const std::string archive = match[1], name = match[2];
  // Only the archive reached the server, complete, and the cache is empty.
  EXPECT_EQ(NamesBelow(served / "backups/laptop"), std::vector<std::string>{name});
  EXPECT_EQ(fs::file_size(served / ("backups/laptop/" + name)), std::stoull(match[3]));
  EXPECT_TRUE(NamesBelow(home() + "/cache").empty());
  EXPECT_NE(Log().find("checked by reading it back"), std::string::npos) << Log();

  const CommandResult listed = Bkvp("archives rclone:dav:backups/laptop");
  ASSERT_EQ(listed.exitCode, 0) << listed.output;
  EXPECT_NE(listed.output.find(archive), std::string::npos) << listed.output;
  const CommandResult verified = Bkvp("verify " + archive);
  EXPECT_EQ(verified.exitCode, 0) << verified.output;
  EXPECT_NE(verified.output.find(archive + ": OK, 2 objects"), std::string::npos);
  EXPECT_NE(Bkvp("show " + archive).output.find(source / "deep/b.bin"), std::string::npos);
  ExpectRestoredTreeEqual(archive);
  TempDir extracted;
  EXPECT_EQ(Bkvp("extract " + archive + " " + Quote(extracted.path())).exitCode, 0);
  EXPECT_EQ(ReadFile(extracted.path() + "/Files and folders" + source.path() + "/a.txt"),
            "alpha\n");
  // Every downloaded copy went with its command.
  EXPECT_TRUE(NamesBelow(home() + "/cache").empty());
  // A folder that is not there is named as a local one would be.
  const CommandResult missing = Bkvp("archives rclone:dav:nothing-here");
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.output.find("directory not found"), std::string::npos) << missing.output;
}

// rclone encrypts names and data itself: nothing of the archive can be read
// on the server, and the project needs nothing of its own for it.
TEST_F(RemoteDestination, AnEncryptingRemoteNeedsNothingOfTheProject) {
  const std::string archive = BackUpTo("rclone:sec:laptop");
  ASSERT_TRUE(std::regex_match(archive, std::regex("rclone:sec:laptop/VOPALARC.*\\.KV")))
      << archive;
  const std::vector<std::string> stored = NamesBelow(served / "secret");
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].find("VOPALARC"), std::string::npos);
  // Every record names its file's path: in plain text it would be there.
  EXPECT_EQ(ReadFile(served / ("secret/" + stored[0])).find(source.path()), std::string::npos);
  EXPECT_NE(Bkvp("archives rclone:sec:laptop").output.find(archive), std::string::npos);
  ExpectRestoredTreeEqual(archive);
}

TEST_F(RemoteDestination, OverSftpTheCopyIsCheckedByAHashTheServerComputes) {
  TempDir sftpRoot;
  RcloneServer sftp(RcloneServer::Kind::kSftp, sftpRoot.path(), scratch.path());
  ASSERT_TRUE(sftp.running()) << sftp.startLog();
  WriteConfig(sftp.RemoteSection("sf"));
  const std::string archive = BackUpTo("rclone:sf:backups");
  EXPECT_EQ(ArchiveNamesIn(sftpRoot / "backups").size(), 1u);
  EXPECT_TRUE(std::regex_search(Log(), std::regex("checked by its (sha1|md5) hash"))) << Log();
  EXPECT_NE(Bkvp("archives rclone:sf:backups").output.find(archive), std::string::npos);
}

TEST_F(RemoteDestination, AnUploadKilledHalfWayLeavesNoArchiveAndTheNextRunClearsUp) {
  // What is not this run's to remove: another sender's temporary upload and
  // a user's file.
  const std::string folder = served / "laptop";
  WriteFile(folder + "/.bkvp-upload-00000000-0123456789abcdef.part", "someone else's");
  WriteFile(folder + "/notes.part", "mine");
  const std::string partial =
      SlowBackupCaughtUploading("rclone:dav:laptop", folder, home() + "/output");
  kill(pid, SIGKILL);
  EXPECT_EQ(WaitForBackup(), 128 + SIGKILL);
  ASSERT_FALSE(partial.empty()) << "the upload was never seen";
  EXPECT_TRUE(ArchiveNamesIn(folder).empty());

  const std::string archive = BackUpTo("rclone:dav:laptop");
  const std::vector<std::string> left = NamesBelow(folder);
  EXPECT_EQ(std::count(left.begin(), left.end(), partial), 0);
  EXPECT_EQ(std::count(left.begin(), left.end(), ".bkvp-upload-00000000-0123456789abcdef.part"), 1);
  EXPECT_EQ(std::count(left.begin(), left.end(), "notes.part"), 1);
  EXPECT_EQ(ArchiveNamesIn(folder).size(), 1u);
  EXPECT_NE(Log().find("Removed " + partial), std::string::npos) << Log();
  ExpectRestoredTreeEqual(archive);
}

TEST_F(RemoteDestination, ANameTakenOnTheServerDuringTheUploadIsLeftAloneAndALaterOneIsUsed) {
  const std::string folder = served / "laptop";
  const std::string output = home() + "/output";
  ASSERT_FALSE(SlowBackupCaughtUploading("rclone:dav:laptop", folder, output).empty());
  const std::vector<std::string> outgoing = ArchiveNamesIn(home() + "/cache/outgoing");
  ASSERT_EQ(outgoing.size(), 1u);
  // Another machine's backup takes, through the server, the name this run
  // is going to give its copy.
  const std::string theirs = home() + "/theirs";
  WriteFile(theirs, "another machine's archive");
  ASSERT_EQ(RunCommand("rclone copyto " + Quote(theirs) + " dav:laptop/" + outgoing[0]).exitCode,
            0);
  EXPECT_EQ(WaitForBackup(), 0) << ReadFile(output);
  EXPECT_EQ(ReadFile(folder + "/" + outgoing[0]), "another machine's archive");
  const std::vector<std::string> archives = ArchiveNamesIn(folder);
  ASSERT_EQ(archives.size(), 2u);
  EXPECT_EQ(archives[0], outgoing[0]);  // a later minute's name sorts after it
  ExpectRestoredTreeEqual("rclone:dav:laptop/" + archives[1]);
}

TEST_F(RemoteDestination, AServerThatIsDownFailsTheRunWithRclonesReason) {
  // Gone during the upload: the archive stays in the cache, and says so.
  const std::string output = home() + "/output";
  ASSERT_FALSE(SlowBackupCaughtUploading("rclone:dav:laptop", served / "laptop", output).empty());
  server->Stop();
  EXPECT_EQ(WaitForBackup(), 1) << ReadFile(output);
  const std::vector<std::string> kept = ArchiveNamesIn(home() + "/cache/outgoing");
  ASSERT_EQ(kept.size(), 1u) << ReadFile(output);
  EXPECT_NE(ReadFile(output).find("it is kept at " + home() + "/cache/outgoing/" + kept[0]),
            std::string::npos)
      << ReadFile(output);
  EXPECT_NE(Bkvp("status").output.find("Error state:  on"), std::string::npos);
  fs::remove(home() + "/cache/outgoing/" + kept[0]);

  // Gone before the run: nothing is done.
  const CommandResult backup = Bkvp("backup --to rclone:dav:laptop");
  EXPECT_EQ(backup.exitCode, 2);
  EXPECT_NE(backup.output.find("connection refused"), std::string::npos) << backup.output;
  EXPECT_NE(Log().find("connection refused"), std::string::npos) << Log();
  EXPECT_NE(Bkvp("status").output.find("Error state:  on"), std::string::npos);
  // Nothing was written, so nothing waits in the cache.
  EXPECT_TRUE(NamesBelow(home() + "/cache").empty());
  EXPECT_EQ(Bkvp("schedule set --daily --at 03:00 --to rclone:dav:laptop").exitCode, 2);

  const CommandResult missing = RunCommand("BKVP_RCLONE=/nonexistent/rclone " + BinDir() +
                                           "/bkvp backup --to rclone:dav:laptop");
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.output.find("Debian package rclone"), std::string::npos) << missing.output;
}

TEST_F(RemoteDestination, AScheduledRunPrunesTheRemoteToTheKeptArchives) {
  // Three older real archives, and an older file that only looks like one.
  TempDir local;
  const CommandResult made = Bkvp("backup --quiet --to " + Quote(local.path()));
  ASSERT_EQ(made.exitCode, 0) << made.output;
  const std::string real = ReadFile(made.output.substr(0, made.output.find('\n')));
  const std::string folder = served / "nightly";
  for (const char* name : {"VOPALARC11K000.KV", "VOPALARC11K001.KV", "VOPALARC11K002.KV"})
    WriteFile(folder + "/" + name, real);
  WriteFile(folder + "/VOPALARC11J000.KV", "not an archive, whatever its name");

  const CommandResult set =
      Bkvp("schedule set --daily --at 03:00 --keep 2 --to rclone:dav:nightly");
  ASSERT_EQ(set.exitCode, 0) << set.output;
  ASSERT_EQ(bkvp::platform::RegWriteDword(
                "HKEY_CURRENT_USER\\SOFTWARE\\Tarvik Systems\\Backup Vopal\\Schedule", "TaskTime",
                1000000000),
            bkvp::platform::ERROR_SUCCESS);
  const CommandResult tick = Bkvp("tick");
  ASSERT_EQ(tick.exitCode, 0) << tick.output;
  const std::vector<std::string> left = ArchiveNamesIn(folder);
  ASSERT_EQ(left.size(), 3u) << tick.output;
  EXPECT_EQ(left[0], "VOPALARC11J000.KV");
  EXPECT_EQ(left[1], "VOPALARC11K002.KV");
  EXPECT_NE(tick.output.find("rclone:dav:nightly/" + left[2]), std::string::npos) << tick.output;
}

}  // namespace
