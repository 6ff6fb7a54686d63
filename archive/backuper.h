// Backuper, the archive writer. Everything clients store goes into a
// temporary data file; FinishBackup writes header and client table into a
// temporary file beside the archive, copies the data behind them, flushes,
// and only then renames it over the archive's name. Until that rename an
// earlier archive of the same name stays as it was.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "archive/file_layer.h"
#include "archive/guarded_ops.h"
#include "archive/progress_sink.h"
#include "contract/interfaces.h"
#include "contract/unknown.h"

namespace bkvp::archive {

class PendingRecord;

class Backuper : public DispatchObject<IBackuper> {
 public:
  explicit Backuper(FileLayer& layer = DefaultFileLayer());

  HRESULT SetProgress(IProgress* progress) override;
  HRESULT SetVersionInfo(LONG major, LONG minor) override;
  HRESULT Reserved1(LONG, LONG, DATE) override { return E_NOTIMPL; }
  HRESULT SetArchiveInfo(BSTR archiveName, BSTR userName, BSTR machineName, BSTR label, DATE time,
                         LONG clients) override;
  HRESULT BeginClient(BSTR clientName, BSTR clsid, INT totalWeight) override;
  HRESULT EndClient(INT deleteClient) override;
  HRESULT BackupFile(BSTR fileName, BSTR localName, BSTR actionName, INT weight,
                     BOOL writeInLog) override;
  HRESULT BackupRegistryKey(BSTR keyName, BSTR actionName, INT weight) override;
  HRESULT SetClientOptions(BSTR clsid, BSTR name, VARIANT options) override;
  HRESULT GetClientOptions(BSTR clsid, VARIANT* options) override;
  HRESULT GetLastError(INT* errCode, BSTR* text) override;
  HRESULT StartBackup() override;
  HRESULT FinishBackup(INT erase) override;
  HRESULT BeginBackupString(BSTR stringName, BSTR logText, BSTR firstText, INT weight,
                            BOOL writeInLog) override;
  HRESULT BackupNextPartOfString(BSTR text) override;
  HRESULT EndBackupString() override;

 protected:
  ~Backuper() override;

 private:
  struct ClientRegistration {
    std::string name;
    std::vector<uint8_t> options;
    uint64_t sectionOffset = 0;  // in the data file
  };
  struct Description {
    double time = 0;
    std::string userName, machineName, label, archivePath;
    int32_t versionMajor = 0, versionMinor = 0;
    std::map<std::string, ClientRegistration> clients;
  };
  enum class StoreResult { kStored, kSourceFailed, kCompressionFailed };

  // Requires: StartBackup() was called.
  bool StoreFile(const std::string& fileName, const std::string& localName, int32_t weight);
  bool BeginsWithZlibMagic(int source);
  StoreResult ReadSource(int source, uint64_t offset, uint64_t knownSize, size_t* got,
                         bool* atEnd);
  StoreResult CopySource(int source, uint64_t knownSize, PendingRecord& record);
  StoreResult CompressSource(int source, uint64_t knownSize, PendingRecord& record);
  void PatchDataSize(uint64_t recordStart, uint64_t dataSize);
  // Runs a record writer; a cancelled prompt inside it cuts the record back
  // before the cancellation travels on.
  template <class Body>
  void WriteRecord(uint64_t recordStart, Body&& body);
  void CutAfterCancel(uint64_t position);
  void CloseOpenString();
  void RecordSourceError(const std::string& fileName, uint32_t code);
  void WriteArchive();
  void DiscardFiles();

  FileLayer& layer_;
  ProgressSink progress_;
  Description description_;
  Description snapshot_;
  GuardedFile archive_;
  GuardedFile data_;
  std::string archiveTempPath_;
  std::vector<uint8_t> buffer_;  // the writer's one 64 KiB chunk buffer

  std::string clientName_, clientClsid_;
  uint64_t sectionStart_ = 0;
  bool sectionOpen_ = false;
  uint32_t weightSum_ = 0;  // I4 in the file; wraps like one
  std::vector<std::string> keptClients_;

  bool stringOpen_ = false;
  uint64_t stringRecordStart_ = 0;
  uint64_t stringBytes_ = 0;
  int32_t stringWeight_ = 0;

  int sourceErrno_ = 0;  // why the last source read failed
  std::string lastProgressName_;
  uint32_t lastErrorCode_ = 0;
  std::string lastErrorText_;
  // A cancelled write could not be cut back: the data file is not trusted.
  bool damaged_ = false;
};

}  // namespace bkvp::archive
