#include "app/engine/run_restore.h"

#include <map>

#include "app/engine/archive_list.h"
#include "app/engine/error_state.h"
#include "app/engine/run_log.h"
#include "platform/time.h"
#include "tests/engine/engine_doubles.h"
#include "tests/support/calendar_time.h"
#include "tests/support/test_support.h"

namespace bkvp::engine {
namespace {

using bkvp::testing::EntryFor;
using bkvp::testing::LinesOf;
using bkvp::testing::ReadFile;
using bkvp::testing::ScriptedService;
using bkvp::testing::TempDir;
using bkvp::testing::WriteFile;

constexpr const char* kFiles = "{00000000-0000-0000-0000-00000000000A}";
constexpr const char* kMail = "{00000000-0000-0000-0000-00000000000B}";

// A reader whose archives are described by a table keyed by path; any other
// file is "not an archive".
class TableRestorer : public bkvp::DispatchObject<IRestorer> {
 public:
  struct Archive {
    DATE time;
    std::string label;
    std::vector<std::pair<std::string, std::string>> clients;  // name, clsid
  };
  explicit TableRestorer(const std::map<std::string, Archive>& table) : table_(table) {}

  HRESULT SetProgress(IProgress*) override { return S_OK; }
  HRESULT GetVersionInfo(LONG* major, LONG* minor) override {
    *major = 2, *minor = 1;
    return S_OK;
  }
  HRESULT Reserved1(LONG*, LONG*, DATE*) override { return E_NOTIMPL; }
  HRESULT GetArchiveInfo(BSTR name, BSTR* user, BSTR* machine, BSTR* label, DATE* time,
                         LONG* clients) override {
    auto it = table_.find(ToAnsi(name));
    if (it == table_.end()) return E_FAIL;
    open_ = &it->second;
    *user = AllocBstr("ann");
    *machine = AllocBstr("desk");
    *label = AllocBstr(open_->label);
    *time = open_->time;
    *clients = LONG(open_->clients.size());
    return S_OK;
  }
  HRESULT GetClient(INT index, BSTR* name, BSTR* clsid) override {
    if (!open_ || index < 0 || size_t(index) >= open_->clients.size()) return E_FAIL;
    *name = AllocBstr(open_->clients[size_t(index)].first);
    *clsid = AllocBstr(open_->clients[size_t(index)].second);
    return S_OK;
  }
  HRESULT GetClientOptions(BSTR, VARIANT* options) override {
    *options = MakeByteArrayVariant({7, 8, 9});
    return S_OK;
  }
  HRESULT Iterate(BSTR) override { return S_OK; }
  HRESULT Next() override { return S_OK; }
  HRESULT IsEnd(BOOL* end) override {
    *end = 1;
    return S_OK;
  }
  HRESULT GetObjectInfo(USHORT*, BSTR*, LONG*) override { return E_FAIL; }
  HRESULT RestoreFile(BSTR, LONG, BOOL) override { return E_FAIL; }
  HRESULT RestoreRegistryKey(BSTR) override { return E_FAIL; }
  HRESULT GetObjectOptions(VARIANT*) override { return E_FAIL; }
  HRESULT BeginRestoreString(LPSTR, LONG, LONG*, LONG*) override { return E_FAIL; }
  HRESULT RestoreNextPartOfString(LPSTR, LONG, LONG*) override { return E_FAIL; }

 private:
  const std::map<std::string, Archive>& table_;
  const Archive* open_ = nullptr;
};

DATE March(int day) { return platform::DateFromTm(testing::CalendarTime(2003, 3, day, 14, 5)); }

class RestoreTest : public bkvp::testing::HomeFixture {
 protected:
  RestorerFactory Factory() {
    return [this](ComPtr<IRestorer>& out) {
      out = ComPtr<IRestorer>::Attach(new TableRestorer(table));
      return S_OK;
    };
  }
  ScriptedService* AddClient(const std::string& name, const std::string& clsid, bool present) {
    auto* service = new ScriptedService;
    service->name = name;
    service->present = present;
    clients.Add(EntryFor(service, clsid, false));
    service->Release();
    return service;
  }
  std::string folder() const { return dir.path() + "/"; }
  std::map<std::string, TableRestorer::Archive> table;
  ClientList clients;
  TempDir dir;
};

TEST_F(RestoreTest, ArchivesAreListedNewestFirstAndNonArchivesLeftOut) {
  // Names in search order differ from the order of the moments.
  table[folder() + "VOPALARC313E05.KV"] = {March(1), "first", {}};
  table[folder() + "VOPALARC333E05.KV"] = {March(3), "third", {}};
  table[folder() + "VOPALARC323E05.KV"] = {March(2), "second", {}};
  for (const auto& [path, archive] : table) WriteFile(path, "");
  WriteFile(dir / "VOPALARC343E05.KV", "not an archive");
  WriteFile(dir / "notes.txt", "");
  const auto list = ListArchives(folder(), Factory());
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].label, "third");
  EXPECT_EQ(list[1].label, "second");
  EXPECT_EQ(list[2].label, "first");
  EXPECT_EQ(list[0].userName, "ann");
  EXPECT_EQ(list[0].versionMajor, 2);
}

TEST_F(RestoreTest, MatchingHandsOptionsToInstalledClientsOnly) {
  ScriptedService* files = AddClient("Files", kFiles, true);
  ScriptedService* mail = AddClient("Mail", kMail, false);
  const std::string path = folder() + "VOPALARC373E05.KV";
  table[path] = {
      March(7),
      "weekly",
      {{"Files", kFiles}, {"Mail", kMail}, {"Gone", "{00000000-0000-0000-0000-00000000000C}"}}};
  ArchiveEntry archive;
  ASSERT_TRUE(OpenArchive(path, archive, Factory()).ok());
  const auto matched = MatchClients(archive, clients);
  ASSERT_EQ(matched.size(), 3u);
  EXPECT_TRUE(matched[0].restorable());
  EXPECT_FALSE(matched[1].restorable());  // installed, application not present
  EXPECT_EQ(matched[2].installed, nullptr);
  EXPECT_EQ(files->optionsGiven, (std::vector<uint8_t>{7, 8, 9}));
  EXPECT_EQ(mail->optionsGiven, (std::vector<uint8_t>{7, 8, 9}));
}

TEST_F(RestoreTest, MatchingComparesIdentifiersWithLetterCase) {
  AddClient("Files", kFiles, true);
  const std::string path = folder() + "VOPALARC373E05.KV";
  table[path] = {March(7), "x", {{"Files", "{00000000-0000-0000-0000-00000000000a}"}}};
  ArchiveEntry archive;
  ASSERT_TRUE(OpenArchive(path, archive, Factory()).ok());
  EXPECT_EQ(MatchClients(archive, clients)[0].installed, nullptr);
}

TEST_F(RestoreTest, LogOfARestoreLineByLineAndFailuresSetTheErrorState) {
  AddClient("Files", kFiles, true)->messages = {"/home/ann/a.txt OK"};
  AddClient("Mail", kMail, true)->result = E_FAIL;
  const std::string path = folder() + "VOPALARC373E05.KV";
  table[path] = {March(7), "weekly", {{"Files", kFiles}, {"Mail", kMail}}};
  ArchiveEntry archive;
  ASSERT_TRUE(OpenArchive(path, archive, Factory()).ok());
  for (auto& entry : clients.entries()) entry.selected = true;
  const RunOutcome outcome = RunRestore(archive, clients, nullptr);
  EXPECT_EQ(outcome.result, RunResult::kFailures);
  const std::string stars(46, '*');
  EXPECT_EQ(LinesOf(ReadFile(LogPath())),
            (std::vector<std::string>{"This is a Backup Vopal log file.", "Restoring",
                                      "Date: Friday, March 07, 2003 14:05:00", "Source: " + path,
                                      "Label: weekly", stars, "Files", "/home/ann/a.txt OK", stars,
                                      "Mail"}));
  EXPECT_EQ(outcome.clientsFailed, 1);
  EXPECT_EQ(outcome.objectsDone, 1);
  EXPECT_TRUE(ErrorStateOn());
}

}  // namespace
}  // namespace bkvp::engine
