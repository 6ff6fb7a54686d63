// bkvp extract on a machine that knows none of the clients: only the archive
// service is registered, and every section still comes out.
#include <gtest/gtest.h>

#include <filesystem>

#include "contract/component.h"
#include "contract/identifiers.h"
#include "platform/registry.h"
#include "tests/support/recording_progress.h"
#include "tests/support/test_support.h"

namespace bkvp {
namespace {

using testing::BinDir;
using testing::CommandResult;
using testing::ReadFile;
using testing::RunCommand;
using testing::TempDir;
using testing::WriteFile;

struct ClientSpec {
  const char* name;
  const char* clsid;
};
// The six clients this system ships, by the names and identifiers their
// archives carry.
const ClientSpec kClients[] = {
    {"Files and folders", "{8EF0498D-1F92-406D-9C2D-CD35883C6581}"},
    {"Outlook Express", "{045DAD87-41B3-41FF-8B2E-357B39E46F77}"},
    {"Outlook", "{53FA8AB8-13BA-4011-8007-A7998B8ED53B}"},
    {"Netscape 4x", "{2A6219FC-7154-49C0-B62D-CB8B1CB43937}"},
    {"Netscape 6", "{13FDAABA-B599-4705-A50F-F2C51DBDF9F1}"},
    {"Netscape 7", "{FCA2981A-71DE-4974-AD4D-02DAF60B1084}"},
};

std::string KeyOf(int client) {
  return "HKEY_CURRENT_USER\\Software\\Extract Test\\Client " + std::to_string(client);
}

std::string Export(const std::string& key) {
  std::string text;
  EXPECT_TRUE(platform::ExportRegText(key, text).ok) << key;
  return text;
}

class Extract : public testing::HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    ASSERT_EQ(Bkvp("register " + BinDir() + "/BkVpSrv.so").exitCode, 0);
  }
  CommandResult Bkvp(const std::string& args) {
    return RunCommand(BinDir() + "/bkvp " + args + " </dev/null");
  }

  // One section per client, each with a file, a registry key and a text.
  std::string WriteArchive() {
    ComPtr<IBackuper> writer;
    EXPECT_EQ(CreateInstance(CLSID_Backuper, writer), S_OK) << LastComponentError();
    if (!writer) return "";
    auto progress = ComPtr<testing::RecordingProgress>::Attach(new testing::RecordingProgress);
    writer->SetProgress(progress.get());
    writer->SetVersionInfo(2, 1);
    const std::string path = archives / "VOPALARC373E05.KV";
    writer->SetArchiveInfo(Bstr(path).get(), Bstr("ann").get(), Bstr("desk").get(),
                           Bstr("all clients").get(), 37687.5, 6);
    for (const ClientSpec& client : kClients) {
      Variant none;
      writer->SetClientOptions(Bstr(client.clsid).get(), Bstr(client.name).get(), none.get());
    }
    EXPECT_EQ(writer->StartBackup(), S_OK);
    for (int i = 0; i < 6; ++i) {
      const std::string file = data / (std::to_string(i) + "/mail.box");
      WriteFile(file, "mail of client " + std::to_string(i));
      platform::RegWriteString(KeyOf(i), "Account", "ann@example.org");
      platform::RegWriteDword(KeyOf(i) + "\\Options", "Interval", 30 + i);
      // A value larger than the pieces an extraction writes at once.
      std::vector<uint8_t> blob(200000);
      for (size_t b = 0; b < blob.size(); ++b) blob[b] = static_cast<uint8_t>(b * 7 + i);
      platform::RegWriteBinary(KeyOf(i) + "\\Options", "Blob", blob);
      writer->BeginClient(Bstr(kClients[i].name).get(), Bstr(kClients[i].clsid).get(), 3);
      writer->BackupFile(Bstr(file).get(), Bstr("mail.box").get(), Bstr("File Backup").get(), 1,
                         VARIANT_TRUE);
      writer->BackupRegistryKey(Bstr(KeyOf(i)).get(), Bstr("Registry Key Backup").get(), 1);
      writer->BeginBackupString(Bstr("profile").get(), Bstr("").get(),
                                Bstr("profile of client ").get(), 1, VARIANT_FALSE);
      writer->BackupNextPartOfString(Bstr(std::to_string(i)).get());
      writer->EndBackupString();
      writer->EndClient(0);
    }
    EXPECT_EQ(writer->FinishBackup(0), S_OK);
    return path;
  }

  TempDir archives, data, out;
};

TEST_F(Extract, EveryClientsObjectsComeOutWithoutTheClients) {
  const std::string archive = WriteArchive();
  ASSERT_TRUE(std::filesystem::exists(archive));
  std::vector<std::string> exported;
  for (int i = 0; i < 6; ++i) exported.push_back(Export(KeyOf(i)));
  auto parent = platform::SplitKeyPath("HKEY_CURRENT_USER\\Software\\Extract Test");
  platform::RegDeleteTree(parent->root, parent->subKey.c_str());

  const CommandResult result = Bkvp("extract " + archive + " " + out.path());
  ASSERT_EQ(result.exitCode, 0) << result.output;
  EXPECT_NE(result.output.find("Extracted 18 items"), std::string::npos) << result.output;
  // Extraction applied no key: it only wrote them down.
  EXPECT_FALSE(platform::RegReadString(KeyOf(0), "Account"));
  for (int i = 0; i < 6; ++i) {
    const std::string client = out / kClients[i].name;
    EXPECT_EQ(ReadFile(client + data.path() + "/" + std::to_string(i) + "/mail.box"),
              "mail of client " + std::to_string(i));
    EXPECT_EQ(ReadFile(client + "/profile.txt"), "profile of client " + std::to_string(i));
    const std::string reg =
        client + "/HKEY_CURRENT_USER/Software/Extract Test/Client " + std::to_string(i) + ".reg";
    ASSERT_EQ(Bkvp("reg import '" + reg + "'").exitCode, 0) << reg;
    EXPECT_EQ(Export(KeyOf(i)), exported[i]);
  }
  // The keys were written down straight from the archive, not by way of
  // this machine's settings.
  EXPECT_TRUE(platform::RegListSubKeys(std::string(kProgramKey)).empty() ||
              platform::RegListSubKeys(std::string(kProgramKey) + "\\Extract").empty());

  // Chosen files only, and a second extraction leaves what is there alone.
  TempDir chosen;
  const CommandResult only =
      Bkvp("extract " + archive + " " + chosen.path() + " --only '**/3/mail.box'");
  ASSERT_EQ(only.exitCode, 0) << only.output;
  size_t files = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(chosen.path()))
    files += e.is_regular_file();
  EXPECT_EQ(files, 1u);
  // An empty pattern is a usage mistake, for extract and for show alike.
  EXPECT_EQ(Bkvp("extract " + archive + " " + chosen.path() + " --only=").exitCode, 2);
  EXPECT_EQ(Bkvp("show " + archive + " --files ''").exitCode, 2);
  // What is there already is kept, counted in one line, and no failure.
  WriteFile(out / "Outlook/profile.txt", "changed since");
  const CommandResult again = Bkvp("extract " + archive + " " + out.path());
  EXPECT_EQ(again.exitCode, 0) << again.output;
  EXPECT_NE(again.output.find("18 files kept as they were. Use --overwrite to replace them."),
            std::string::npos)
      << again.output;
  EXPECT_EQ(ReadFile(out / "Outlook/profile.txt"), "changed since");
  EXPECT_EQ(Bkvp("extract " + archive + " " + out.path() + " --overwrite").exitCode, 0);
  EXPECT_EQ(ReadFile(out / "Outlook/profile.txt"), "profile of client 2");
}

}  // namespace
}  // namespace bkvp
