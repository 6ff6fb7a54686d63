// A Netscape 4.79 installation with two profiles saved with "bkvp backup",
// wiped, and brought back with "bkvp restore", both run as real processes.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/registry.h"
#include "tests/clients/navigator/nsreg_fixture.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace bkvp::testing;

constexpr const char* kBiffUsers =
    "HKEY_CURRENT_USER\\Software\\Netscape\\Netscape Navigator\\biff\\users";

// Bytes of every value, a long run of them and a compressible stretch.
std::string MixedBytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7919 + i / 300) & 0xFF);
  return bytes + std::string(5000, 'z');
}

class NavigatorCommands : public HomeFixture {
 protected:
  void Run(const std::string& arguments) {
    const CommandResult result = RunCommand(BinDir() + "/bkvp " + arguments);
    EXPECT_EQ(result.exitCode, 0) << arguments << "\n" << result.output;
  }

  // Netscape 4.79: the version, the Windows directory with "nsreg.dat"
  // naming the two profiles, the profiles' files and the mail check key.
  void InstallNetscape479() {
    bkvp::platform::RegWriteString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Netscape\\Netscape Navigator",
                                   "CurrentVersion", "4.79 (en)");
    bkvp::platform::RegWriteString(
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot",
        install_ + "/Windows");
    const std::string alice = install_ + "/Users/alice", bob = install_ + "/Program Files/bob 2";
    WriteFileBytes(install_ + "/Windows/nsreg.dat", NsregBytes({{"alice", alice}, {"bob", bob}}));
    for (const std::string& profile : {alice, bob}) {
      WriteFile(profile + "/prefs.js",
                "user_pref(\"mail.directory\", \"" + profile + "/mail\");\n");
      WriteFile(profile + "/bookmark.htm",
                "<DL><DT><A HREF=\"http://home.netscape.com\">x</A></DL>");
      WriteFile(profile + "/cert7.db", MixedBytes(200000));
      WriteFile(profile + "/mail/Inbox", "From a@b\r\n\r\nhello " + profile + "\r\n");
      WriteFile(profile + "/mail/Inbox.snm", MixedBytes(3000));
      WriteFile(profile + "/mail/Lists.sbd/netscape", "From list@x\r\n\r\nlist mail\r\n");
      WriteFile(profile + "/mail/Empty", "");
    }
    WriteFile(alice + "/news/news.example.net/comp.lang.c.snm", MixedBytes(1000));
    bkvp::platform::RegWriteDword(kBiffUsers, "alice", 1);
    bkvp::platform::RegWriteString(std::string(kBiffUsers) + "\\bob", "server", "pop.example.net");
  }

  std::string ExportBiffUsers() {
    std::string text;
    EXPECT_TRUE(bkvp::platform::ExportRegText(kBiffUsers, text).ok);
    return text;
  }

  TempDir dir_;
  const std::string install_ = dir_ / "install";
};

TEST_F(NavigatorCommands, TwoProfilesSurviveBackupWipeAndRestoreByteForByte) {
  Run("register " + BinDir() + "/BkVpSrv.so " + BinDir() + "/Navigator4x.so");
  InstallNetscape479();
  fs::copy(install_, dir_ / "pristine", fs::copy_options::recursive);
  const std::string keyBefore = ExportBiffUsers();

  // What a user types: the name the client gives itself.
  Run("backup --to '" + (dir_ / "archives") + "' --client 'Netscape 4x' --unattended");
  std::vector<fs::path> archives;
  for (const auto& entry : fs::directory_iterator(dir_ / "archives"))
    archives.push_back(entry.path());
  ASSERT_EQ(archives.size(), 1u);

  fs::remove_all(install_);
  bkvp::platform::RegDeleteTree(bkvp::platform::HKEY_CURRENT_USER, "Software\\Netscape");
  // The name it is registered under names it as well.
  Run("restore '" + archives.front().string() +
      "' --client 'Netscape 4.x' --saved-places --unattended");

  const CommandResult diff = RunCommand("diff -r '" + (dir_ / "pristine") + "' '" + install_ + "'");
  EXPECT_EQ(diff.exitCode, 0) << diff.output;
  EXPECT_EQ(ExportBiffUsers(), keyBefore);
}

}  // namespace
