// Archives crafted by somebody else, restored and read with bkvp as real
// processes: nothing may be written outside the places its client restores,
// no class registration or setting of the program's own may change, and a
// pipe put where an archive is expected is refused at once.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "contract/identifiers.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "tests/archive/independent_writer.h"
#include "tests/support/test_support.h"

namespace {

namespace plain = bkvp::testing::plain;
using namespace bkvp::testing;

constexpr char kOutlookExpress[] = "{045DAD87-41B3-41FF-8B2E-357B39E46F77}";
constexpr char kFilesClient[] = "{8EF0498D-1F92-406D-9C2D-CD35883C6581}";
constexpr char kStoreRoot[] = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Outlook Express\\5.0";
const std::string kProgramSchedule = std::string(bkvp::kProgramKey) + "\\Schedule";
constexpr char kClassKey[] =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{8EF0498D-1F92-406D-9C2D-CD35883C6581}\\"
    "InprocServer32";

std::string FileRecord(const std::string& path, const std::string& content) {
  return plain::Record(0, 1, path + std::string(1, '\0'),
                       plain::FileInfo(0x20, 1, 2, 3, std::filesystem::path(path).filename()),
                       content);
}

std::string KeyRecord(const std::string& key, const std::string& value) {
  return plain::Record(1, 1, key + std::string(1, '\0'), "",
                       plain::KeyBlocks({{"", {{"", 1, value + std::string(1, '\0')}}}}));
}

class HostileArchive : public HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    ASSERT_EQ(Bkvp("register").exitCode, 0);
  }
  CommandResult Bkvp(const std::string& args) {
    return RunCommand(BinDir() + "/bkvp " + args + " </dev/null");
  }
  std::string Archive(const std::vector<plain::SectionSpec>& sections) {
    const std::string path = dir / "VOPALARC373E05.KV";
    WriteFile(path, plain::ComposeArchive("mallory", "far", "evil", 37687.5, 2, 1, sections));
    return path;
  }
  TempDir dir;
};

TEST_F(HostileArchive, AMailSectionWritesOnlyBelowItsClientsOwnPlaces) {
  // Outlook Express is present here and keeps its mail in `store`.
  const std::string store = dir / "store";
  std::filesystem::create_directories(store);
  bkvp::platform::RegWriteString(kStoreRoot, "Store Root", store);
  WriteFile(dir / "victim.txt", "the user's own file");

  const std::string archive =
      Archive({{kOutlookExpress,
                "Outlook Express",
                "",
                {FileRecord(store + "/Inbox.dbx", "mail"),
                 FileRecord(dir / "victim.txt", "overwritten"), FileRecord(dir / "evil.so", "code"),
                 FileRecord(store + "/../escaped.txt", "out"), KeyRecord(kStoreRoot, "moved"),
                 KeyRecord(kClassKey, dir / "evil.so"), KeyRecord(kProgramSchedule, "x")},
                7}});
  const CommandResult restored = Bkvp("restore '" + archive + "' --to '" + (dir / "out") + "'");
  EXPECT_EQ(restored.exitCode, 1) << restored.output;
  EXPECT_NE(restored.output.find("Outlook Express: back to its own places"), std::string::npos)
      << restored.output;

  EXPECT_EQ(ReadFile(store + "/Inbox.dbx"), "mail");
  EXPECT_EQ(ReadFile(dir / "victim.txt"), "the user's own file");
  EXPECT_FALSE(std::filesystem::exists(dir / "evil.so"));
  EXPECT_FALSE(std::filesystem::exists(dir / "escaped.txt"));
  EXPECT_EQ(bkvp::platform::RegReadString(kStoreRoot, "").value_or(""), "moved");
  EXPECT_NE(bkvp::platform::RegReadString(kProgramSchedule, "").value_or(""), "x");
  EXPECT_NE(bkvp::platform::RegReadString(kClassKey, "").value_or(""), dir / "evil.so");
  const std::string log = ReadFile(home() + "/BackupVopal.log");
  EXPECT_NE(log.find(dir / "evil.so FAILED"), std::string::npos) << log;
  EXPECT_NE(log.find("left out: outside the places Outlook Express restores"), std::string::npos);
  EXPECT_NE(log.find("left out: no archive may write this key"), std::string::npos);
  // The tool still finds its own clients, not the archive's module.
  const CommandResult clients = Bkvp("clients");
  EXPECT_EQ(clients.exitCode, 0) << clients.output;
}

TEST_F(HostileArchive, NoSectionWritesTheSettingsStoreOrAKeyBelowAProtectedOne) {
  // Whichever client's section: the files client puts a file back at its
  // original place, but never into the program's own settings folder.
  const std::string store = bkvp::platform::RegistryFolder() + "HKEY_LOCAL_MACHINE.db";
  const std::string before = ReadFile(store);
  const std::string archive =
      Archive({{kFilesClient, "Files and folders", "", {FileRecord(store, "not a database")}, 1}});
  EXPECT_EQ(Bkvp("restore '" + archive + "' --overwrite").exitCode, 1);
  EXPECT_EQ(ReadFile(store), before);
  EXPECT_EQ(Bkvp("clients").exitCode, 0);
}

TEST_F(HostileArchive, ALinkInTheArchiveNeverLeadsALaterFileOutOfTheTarget) {
  // A stored link `x` to a folder outside, then a file stored below `x`.
  const std::string outside = dir / "outside";
  std::filesystem::create_directories(outside);
  const std::string base = "/home/mallory";
  const std::string link = plain::Record(0, 1, base + "/x" + std::string(1, '\0'),
                                         plain::FileInfo(0xA1FF0400, 1, 2, 3, "x"), outside);
  const std::string archive =
      Archive({{kFilesClient,
                "Files and folders",
                "",
                {link, FileRecord(base + "/x/evil.txt", "through the link")},
                2}});
  const std::string target = dir / "out";
  const CommandResult restored = Bkvp("restore '" + archive + "' --to '" + target + "'");
  EXPECT_EQ(restored.exitCode, 1) << restored.output;
  EXPECT_FALSE(std::filesystem::exists(outside + "/evil.txt"));
  EXPECT_EQ(std::filesystem::read_symlink(target + base + "/x").string(), outside);
}

TEST_F(HostileArchive, APipeWhereAnArchiveIsExpectedIsRefusedAtOnce) {
  const std::string pipe = dir / "VOPALARC373E05.KV";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string command : {"show", "verify", "restore"}) {
    const CommandResult result = Bkvp(command + " '" + pipe + "'");
    EXPECT_EQ(result.exitCode, 2) << command << ": " << result.output;
  }
  EXPECT_EQ(Bkvp("extract '" + pipe + "' '" + (dir / "out") + "'").exitCode, 2);
  const CommandResult listed = Bkvp("archives '" + dir.path() + "'");
  EXPECT_EQ(listed.output.find("VOPALARC373E05"), std::string::npos) << listed.output;
}

}  // namespace
