#include "tests/clients/common/archive_harness.h"

#include <gtest/gtest.h>

#include "contract/component.h"
#include "contract/errors.h"
#include "contract/identifiers.h"
#include "tests/support/test_support.h"

namespace bkvp::testing {

namespace {

template <class T>
ComPtr<T> Create(const CLSID& clsid) {
  ComPtr<T> object;
  const HRESULT hr = CreateInstance(clsid, object);
  EXPECT_EQ(hr, S_OK) << LastComponentError();
  return object;
}

// Opens the archive in a new reader; null when it cannot be opened.
ComPtr<IRestorer> OpenArchive(const std::string& archivePath, IProgress* progress, LONG* clients) {
  auto restorer = Create<IRestorer>(CLSID_Restorer);
  if (!restorer) return restorer;
  restorer->SetProgress(progress);
  Bstr path(archivePath), user, machine, label;
  DATE time = 0;
  if (Failed(restorer->GetArchiveInfo(path.get(), user.out(), machine.out(), label.out(), &time,
                                      clients)))
    restorer.Reset();
  return restorer;
}

}  // namespace

void RegisterArchiveService() {
  ASSERT_EQ(RegisterModuleFile(BinDir() + "/BkVpSrv.so"), S_OK) << LastComponentError();
}

HRESULT BackupToArchive(IBkVpService* client, const std::string& clientClsid,
                        const std::string& archivePath, RecordingProgress& progress,
                        bool askOptions) {
  auto backuper = Create<IBackuper>(CLSID_Backuper);
  if (!backuper) return E_FAIL;
  backuper->SetProgress(&progress);
  backuper->SetVersionInfo(0, 2);
  Bstr path(archivePath), user("tester"), machine("testhost"), label("");
  backuper->SetArchiveInfo(path.get(), user.get(), machine.get(), label.get(), 0, 1);
  Variant options, name;
  if (askOptions) client->GetOptions(&options);
  Bstr property("ClientName"), clsid(clientClsid);
  client->GetClientInfo(property.get(), &name);
  if (ByteArrayOf(options.get()))
    backuper->SetClientOptions(clsid.get(), name.get().vt == VT_BSTR ? name.get().bstrVal : nullptr,
                               options.get());
  backuper->StartBackup();
  HRESULT hr = E_FAIL;
  try {
    hr = client->Backup(backuper.get(), &progress);
  } catch (const ComError&) {
    backuper->FinishBackup(1);
    throw;
  }
  backuper->FinishBackup(0);
  return hr;
}

HRESULT RestoreFromArchive(IBkVpService* client, const std::string& archivePath,
                           RecordingProgress& progress) {
  LONG clients = 0;
  auto restorer = OpenArchive(archivePath, &progress, &clients);
  if (!restorer) return E_FAIL;
  for (LONG i = 0; i < clients; ++i) {
    Bstr name, clsid;
    restorer->GetClient(i, name.out(), clsid.out());
    Variant options;
    restorer->GetClientOptions(clsid.get(), &options);
    client->SetOptions(options.get());
  }
  return client->Restore(restorer.get(), &progress);
}

ArchivedSection ReadSection(const std::string& archivePath, const std::string& clientClsid) {
  ArchivedSection section;
  RecordingProgress progress;
  LONG clients = 0;
  auto restorer = OpenArchive(archivePath, &progress, &clients);
  if (!restorer) return section;
  Bstr clsid(clientClsid);
  Variant options;
  restorer->GetClientOptions(clsid.get(), &options);
  section.options = ByteArrayOf(options.get()).value_or(std::vector<uint8_t>{});
  if (Failed(restorer->Iterate(clsid.get()))) return section;
  section.present = true;
  if (!progress.firstSteps.empty()) section.totalWeight = progress.firstSteps.back().weight;
  for (int guard = 0; guard < 100000; ++guard) {
    BOOL end = 0;
    if (Failed(restorer->IsEnd(&end)) || end) break;
    ArchivedObject object;
    Bstr name;
    restorer->GetObjectInfo(&object.type, name.out(), &object.weight);
    object.name = name.str();
    if (object.type == kObjectFile) {
      Variant info;
      restorer->GetObjectOptions(&info);
      const auto bytes = ByteArrayOf(info.get()).value_or(std::vector<uint8_t>{});
      // The file info block: attributes and three times (28 bytes), then
      // the local name with its zero.
      if (bytes.size() > 28)
        object.localName = std::string(bytes.begin() + 28, bytes.end()).c_str();
    }
    section.objects.push_back(object);
    restorer->Next();
  }
  return section;
}

}  // namespace bkvp::testing
