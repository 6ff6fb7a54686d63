// BkVpFilesSrv driving the real archive writer and reader of BkVpSrv, both
// created by class identifier from modules registered in a fresh BKVP_HOME.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "clients/files/backup_list_store.h"
#include "clients/files/files_identity.h"
#include "contract/component.h"
#include "contract/identifiers.h"
#include "contract/interfaces.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "tests/clients/files/tree_fixture.h"
#include "tests/support/recording_progress.h"

namespace bkvp::files {
namespace {

using bkvp::testing::ReadFile;
using bkvp::testing::WriteFile;
using testing::Folder;
using testing::WriteFileOnDay;
using Paths = std::vector<std::string>;

time_t WriteSeconds(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? st.st_mtim.tv_sec : -1;
}

class FilesEndToEnd : public bkvp::testing::HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    const std::string bin = bkvp::testing::BinDir();
    if (!platform::FileExists(bin + "/BkVpSrv.so")) GTEST_SKIP() << "BkVpSrv is not built";
    ASSERT_EQ(RegisterModuleFile(bin + "/BkVpSrv.so"), S_OK) << LastComponentError();
    ASSERT_EQ(RegisterModuleFile(bin + "/BkVpFiles.so"), S_OK) << LastComponentError();
    ASSERT_EQ(CreateInstance(CLSID_BkVpFilesSrv, service), S_OK) << LastComponentError();
  }

  ComPtr<IBackuper> StartArchive() {
    ComPtr<IBackuper> writer;
    EXPECT_EQ(CreateInstance(CLSID_Backuper, writer), S_OK);
    writer->SetProgress(progress.get());
    writer->SetArchiveInfo(Bstr(archive).get(), Bstr("u").get(), Bstr("m").get(), Bstr("l").get(),
                           37000.0, 1);
    EXPECT_EQ(writer->StartBackup(), S_OK);
    return writer;
  }

  // A backup run with this client alone.
  HRESULT Backup() {
    ComPtr<IBackuper> writer = StartArchive();
    const HRESULT hr = service->Backup(writer.get(), progress.get());
    writer->FinishBackup(0);
    return hr;
  }

  // A hand-made section, as a damaged or foreign archive may hold it.
  void WriteSection(const std::vector<std::pair<std::string, std::string>>& names) {
    ComPtr<IBackuper> writer = StartArchive();
    writer->BeginClient(Bstr("Files and folders").get(), Bstr(kFilesServiceClsid).get(), 1);
    for (const auto& [fileName, localName] : names)
      ASSERT_EQ(writer->BackupFile(Bstr(fileName).get(), Bstr(localName).get(),
                                   Bstr("File Backup").get(), 1, 0),
                S_OK);
    writer->EndClient(0);
    writer->FinishBackup(0);
  }

  ComPtr<IRestorer> OpenArchive() {
    ComPtr<IRestorer> reader;
    EXPECT_EQ(CreateInstance(CLSID_Restorer, reader), S_OK);
    reader->SetProgress(progress.get());
    Bstr user, machine, label;
    DATE time;
    LONG clients;
    EXPECT_EQ(reader->GetArchiveInfo(Bstr(archive).get(), user.out(), machine.out(), label.out(),
                                     &time, &clients),
              S_OK);
    return reader;
  }

  HRESULT Restore(const std::string& destination, bool overwrite) {
    EXPECT_EQ(WriteRestoreChoices({destination, overwrite}), 0);
    return service->Restore(OpenArchive().get(), progress.get());
  }

  Paths ArchivedNames() {
    Paths names;
    ComPtr<IRestorer> reader = OpenArchive();
    if (Failed(reader->Iterate(Bstr(kFilesServiceClsid).get()))) return names;
    for (BOOL end = 0; Succeeded(reader->IsEnd(&end)) && !end; reader->Next()) {
      USHORT type;
      Bstr name;
      LONG weight;
      reader->GetObjectInfo(&type, name.out(), &weight);
      names.push_back(name.str());
    }
    return names;
  }

  size_t LinesWith(const std::string& part) {
    return std::count_if(progress->messages.begin(), progress->messages.end(),
                         [&](const std::string& m) { return m.find(part) != std::string::npos; });
  }

  bkvp::testing::TempDir src, out, dest;
  std::string archive = out / "Vopalarc000001.KV";
  ComPtr<IBkVpService> service;
  ComPtr<bkvp::testing::RecordingProgress> progress =
      ComPtr<bkvp::testing::RecordingProgress>::Attach(new bkvp::testing::RecordingProgress());
};

TEST_F(FilesEndToEnd, SelectionReachesTheArchiveOncePerFile) {
  const int64_t today = CurrentDateContext().today;
  WriteFileOnDay(src / "docs/report.doc", "report", today);
  WriteFileOnDay(src / "docs/notes.txt", "notes", today - 1);
  WriteFileOnDay(src / "docs/old.txt", "old", today - 40);
  WriteFileOnDay(src / "docs/cache/page.tmp", "tmp", today);
  WriteFileOnDay(src / "docs/sub/deep/data.txt", "data", today);
  FolderEntry recent = Folder(src / "docs", "*.*", "*.tmp");
  recent.includeRule = {kRuleLastDays, 7, {}};
  ASSERT_EQ(WriteBackupList({recent, Folder(src / "docs/sub", "*.txt"),
                             FileEntry{src / "docs/old.txt", {kRuleToday, -1, {}}}}),
            0);

  ASSERT_EQ(Backup(), S_OK);
  ASSERT_EQ(progress->firstSteps.size(), 1u);
  EXPECT_EQ(progress->firstSteps[0].name, "Files and folders");
  EXPECT_EQ(progress->firstSteps[0].weight, 3);
  EXPECT_EQ(ArchivedNames(), (Paths{src / "docs/notes.txt", src / "docs/report.doc",
                                    src / "docs/sub/deep/data.txt"}));
  EXPECT_EQ(LinesWith("File Backup " + src / "docs/notes.txt OK"), 1u);
}

TEST_F(FilesEndToEnd, EmptySelectionLeavesNoSectionWhileUnreadableSourcesFail) {
  ASSERT_TRUE(platform::CreateFolders(src / "empty"));
  ASSERT_EQ(WriteBackupList({Folder(src / "empty")}), 0);
  EXPECT_EQ(Backup(), S_OK);
  EXPECT_EQ(progress->messages, Paths{"No files to backup."});
  EXPECT_FALSE(platform::FileExists(archive));  // no client kept, no archive

  // A folder or a listed file gone, a path longer than the system allows:
  // failures, while what can be read is saved.
  progress->messages.clear();
  WriteFile(src / "ok.txt", "ok");
  const std::string tooLong = src / std::string(5000, 'x');
  ASSERT_EQ(WriteBackupList({Folder(src / "missing"), FileEntry{tooLong, {}},
                             FileEntry{src / "gone.txt", {}}, FileEntry{src / "ok.txt", {}}}),
            0);
  EXPECT_EQ(Backup(), E_FAIL);
  EXPECT_EQ(ArchivedNames(), Paths{src / "ok.txt"});
  EXPECT_EQ(
      progress->messages,
      (Paths{"Folder Backup " + src / "missing FAILED",
             src / "missing: " + platform::ErrorMessage(3), "File Backup " + tooLong + " FAILED",
             tooLong + ": " + platform::ErrorMessage(206), "File Backup " + src / "gone.txt FAILED",
             src / "gone.txt: " + platform::ErrorMessage(2), "File Backup " + src / "ok.txt OK"}));
}

TEST_F(FilesEndToEnd, ADestinationInsideTheSavedTreeNeverSavesTheArchiveIntoItself) {
  WriteFile(src / "doc.txt", "doc");
  ASSERT_TRUE(platform::CreateFolders(src / "backups"));
  ASSERT_EQ(::symlink((src / "backups").c_str(), (out / "link").c_str()), 0);
  archive = out / "link/Vopalarc000001.KV";
  ASSERT_EQ(WriteBackupList({Folder(src.path())}), 0);
  EXPECT_EQ(Backup(), S_OK);
  EXPECT_EQ(ArchivedNames(), Paths{src / "doc.txt"});
}

TEST_F(FilesEndToEnd, TheModuleDescribesItselfToTheProgram) {
  EXPECT_EQ(platform::RegReadString(std::string(kDiscoveryKey) + "\\" + kFilesServiceClsid, "Name"),
            "Files and folders");
  const auto text = [&](const char* property) {
    Variant value;
    EXPECT_EQ(service->GetClientInfo(Bstr(property).get(), &value), S_OK) << property;
    return value.get().vt == VT_BSTR ? ToAnsi(value.get().bstrVal) : "(not a string)";
  };
  EXPECT_EQ(text("ClientName"), "Files and folders");
  EXPECT_EQ(text("HasBackup"), "Files and folders\nError: no files to back up");
  ASSERT_EQ(WriteBackupList({Folder(src / "not even there")}), 0);
  EXPECT_EQ(text("HasBackup"), "");
}

TEST_F(FilesEndToEnd, RestoreIntoEmptyFolderReproducesBytesAndTimes) {
  std::string noisy;
  for (int i = 0; i < 150000; ++i) noisy += static_cast<char>((i * 7919) >> 3);
  const std::map<std::string, std::string> files{{"a/empty.dat", ""},
                                                 {"a/b/zlib-like.bin", "\x78\xDA\x01\x02"},
                                                 {"a/b/c/big.txt", std::string(200000, 'x')},
                                                 {"a/noisy.bin", noisy},
                                                 {"top.txt", "top"}};
  int64_t day = CurrentDateContext().today - 100;
  for (const auto& [name, content] : files) WriteFileOnDay(src / name, content, day++);
  ASSERT_EQ(WriteBackupList({Folder(src.path())}), 0);
  ASSERT_EQ(Backup(), S_OK);

  ASSERT_EQ(Restore(dest.path(), false), S_OK);
  for (const auto& [name, content] : files) {
    const std::string restored = dest / platform::FileNameOf(name);
    ASSERT_TRUE(platform::FileExists(restored)) << restored;
    EXPECT_EQ(ReadFile(restored), content) << name;
    EXPECT_EQ(WriteSeconds(restored), WriteSeconds(src / name)) << name;
  }
}

TEST_F(FilesEndToEnd, OriginalLocationRestoreRecreatesMissingFolders) {
  WriteFileOnDay(src / "x/y/z.txt", "deep", CurrentDateContext().today - 3);
  const time_t written = WriteSeconds(src / "x/y/z.txt");
  ASSERT_EQ(WriteBackupList({Folder(src / "x")}), 0);
  ASSERT_EQ(Backup(), S_OK);
  std::filesystem::remove_all(src / "x");

  ASSERT_EQ(Restore("", false), S_OK);
  EXPECT_EQ(ReadFile(src / "x/y/z.txt"), "deep");
  EXPECT_EQ(WriteSeconds(src / "x/y/z.txt"), written);
}

TEST_F(FilesEndToEnd, UnreadableFilesAreFailuresWithTheirLogLines) {
  WriteFile(src / "ok.txt", "fine");
  std::string unreadable = src / "locked.txt";
  if (geteuid() == 0) {
    // Permissions do not stop root; this process's memory file does, as
    // reading its address 0 fails for everybody.
    unreadable = "/proc/self/mem";
    FILE* f = std::fopen(unreadable.c_str(), "rb");
    const bool readFails = f && std::fgetc(f) == EOF && std::ferror(f);
    if (f) std::fclose(f);
    if (!readFails) GTEST_SKIP() << "running as root without an unreadable file at hand";
  } else {
    WriteFile(unreadable, "secret");
    ASSERT_EQ(::chmod(unreadable.c_str(), 0), 0);
  }
  ASSERT_EQ(WriteBackupList({FileEntry{src / "ok.txt", {}}, FileEntry{unreadable, {}}}), 0);
  EXPECT_EQ(Backup(), E_FAIL);
  const auto failed = std::find(progress->messages.begin(), progress->messages.end(),
                                "File Backup " + unreadable + " FAILED");
  ASSERT_NE(failed, progress->messages.end());
  ASSERT_NE(failed + 1, progress->messages.end());  // the writer's error text follows
  EXPECT_FALSE((failed + 1)->empty());
  EXPECT_EQ(ArchivedNames(), Paths{src / "ok.txt"});

  // When nothing at all could be saved, the section is dropped.
  archive = out / "Vopalarc000002.KV";
  ASSERT_EQ(WriteBackupList({FileEntry{unreadable, {}}}), 0);
  EXPECT_EQ(Backup(), E_FAIL);
  EXPECT_FALSE(platform::FileExists(archive));
}

TEST_F(FilesEndToEnd, ExistingTargetsFollowTheOverwriteChoice) {
  WriteFile(src / "1.txt", "new one");
  WriteFile(src / "2.txt", "new two");
  ASSERT_EQ(WriteBackupList({Folder(src.path())}), 0);
  ASSERT_EQ(Backup(), S_OK);

  // Without overwrite the reader asks: "No" keeps that file as it is (no
  // failure), "Cancel" stops.
  WriteFile(dest / "1.txt", "mine");
  progress->promptAnswers = {IDNO};
  EXPECT_EQ(Restore(dest.path(), false), S_OK);
  EXPECT_EQ(LinesWith(dest / "1.txt kept as it was"), 1u);
  EXPECT_EQ(LinesWith(" FAILED"), 0u);
  EXPECT_EQ(ReadFile(dest / "1.txt"), "mine");
  EXPECT_EQ(ReadFile(dest / "2.txt"), "new two");
  std::filesystem::remove(dest / "2.txt");
  progress->promptAnswers = {IDCANCEL};
  EXPECT_EQ(Restore(dest.path(), false), E_FAIL);
  EXPECT_FALSE(platform::FileExists(dest / "2.txt"));

  // With overwrite even a read-only target is replaced without a question.
  ASSERT_EQ(::chmod((dest / "1.txt").c_str(), 0444), 0);
  progress->prompts.clear();
  EXPECT_EQ(Restore(dest.path(), true), S_OK);
  EXPECT_EQ(ReadFile(dest / "1.txt"), "new one");
  EXPECT_TRUE(progress->prompts.empty());
}

TEST_F(FilesEndToEnd, ChosenFolderRestoreNeverWritesOutsideIt) {
  const std::string payload = src / "payload.txt", folder = dest / "chosen";
  WriteFile(payload, "payload");
  ASSERT_TRUE(platform::CreateFolders(folder));
  WriteSection({{payload, "../escape.txt"},
                {payload, ""},
                {payload, ".."},
                {payload, "sub/inner.txt"},
                {payload, "fine.txt"}});
  // A link at a restored name is replaced, never written through.
  WriteFile(dest / "outside.txt", "outside");
  ASSERT_EQ(::symlink((dest / "outside.txt").c_str(), (folder + "/fine.txt").c_str()), 0);

  EXPECT_EQ(Restore(folder, true), E_FAIL);
  EXPECT_FALSE(platform::FileExists(dest / "escape.txt"));
  EXPECT_EQ(ReadFile(dest / "outside.txt"), "outside");
  const auto inFolder = platform::FindFiles(folder + "/*");
  ASSERT_EQ(inFolder.size(), 1u);
  EXPECT_EQ(inFolder[0].name, "fine.txt");
  EXPECT_FALSE(inFolder[0].isSymlink);
  EXPECT_EQ(ReadFile(folder + "/fine.txt"), "payload");
  EXPECT_EQ(LinesWith(payload + " FAILED"), 4u);
}

TEST_F(FilesEndToEnd, EveryFileNotRestoredIsLoggedAsFailedAndFailsTheRestore) {
  for (const char* name : {"a/same.txt", "b/same.txt", "kept.txt", "folder.txt", "fine.txt"})
    WriteFile(src / name, name);
  WriteSection({{src / "a/same.txt", "same.txt"},
                {src / "b/same.txt", "same.txt"},
                {src / "kept.txt", "kept.txt"},
                {src / "folder.txt", "folder.txt"},
                {src / "fine.txt", "fine.txt"}});
  WriteFile(dest / "kept.txt", "mine");
  ASSERT_TRUE(platform::CreateFolders(dest / "folder.txt"));
  progress->promptAnswers = {IDNO};

  EXPECT_EQ(Restore(dest.path(), false), E_FAIL);
  // Side by side, the second file of one name is numbered, not lost.
  EXPECT_EQ(ReadFile(dest / "same.txt"), "a/same.txt");
  EXPECT_EQ(ReadFile(dest / "same (2).txt"), "b/same.txt");
  EXPECT_EQ(LinesWith("is restored as " + dest / "same (2).txt"), 1u);
  EXPECT_EQ(ReadFile(dest / "kept.txt"), "mine");
  EXPECT_EQ(ReadFile(dest / "fine.txt"), "fine.txt");
  // The folder in the way; the declined overwrite is no failure.
  EXPECT_EQ(LinesWith(" FAILED"), 1u);
  EXPECT_EQ(LinesWith(dest / "kept.txt kept as it was"), 1u);
}

TEST_F(FilesEndToEnd, OriginalLocationRefusesNamesThatAreNotAbsolute) {
  const std::string previous = std::filesystem::current_path();
  ASSERT_EQ(::chdir(src.path().c_str()), 0);
  WriteFile(src / "relative.txt", "rel");
  WriteSection({{"relative.txt", "relative.txt"}});
  ASSERT_EQ(::chdir(dest.path().c_str()), 0);
  const HRESULT restored = Restore("", true);
  ASSERT_EQ(::chdir(previous.c_str()), 0);

  EXPECT_EQ(restored, E_FAIL);
  EXPECT_FALSE(platform::FileExists(dest / "relative.txt"));
  EXPECT_EQ(LinesWith("relative.txt FAILED"), 1u);
}

}  // namespace
}  // namespace bkvp::files
