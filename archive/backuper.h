// Backuper, the archive writer. The archive is built in a temporary file
// beside it, held by a lock while the writer lives, and renamed to its name
// only when complete and flushed, never over another file. Client sections
// go straight into that file, behind room left for the header and client
// table as the client register taken at StartBackup predicts them. When the
// table that FinishBackup writes has that size, it fills the room and
// nothing is copied; otherwise the sections are copied behind the real table
// in a fresh temporary file.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "archive/compress_stream.h"
#include "archive/file_layer.h"
#include "archive/guarded_ops.h"
#include "archive/progress_sink.h"
#include "contract/interfaces.h"
#include "contract/unknown.h"
#include "platform/files.h"

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
    uint64_t sectionOffset = 0;  // from the start of the data area
  };
  struct Description {
    double time = 0;
    std::string userName, machineName, label, archivePath;
    int32_t versionMajor = 0, versionMinor = 0;
    std::map<std::string, ClientRegistration> clients;
  };
  // kChanged: the file ended early, or its size or write time changed
  // while it was read.
  enum class StoreResult { kStored, kSourceFailed, kCompressionFailed, kChanged };

  // Requires: StartBackup() was called.
  bool StoreFile(const std::string& fileName, const std::string& localName, int32_t weight);
  StoreResult StoreRecord(const std::string& fileName, const std::string& localName, int32_t weight,
                          int source, const platform::FileInfo& info);
  StoreResult CheckUnchanged(int source, const platform::FileInfo& info);
  bool BeginsWithZlibMagic(int source);
  StoreResult ReadSource(int source, uint64_t offset, uint64_t size, size_t* got);
  StoreResult CopySource(int source, uint64_t size, PendingRecord& record);
  StoreResult CompressSource(int source, uint64_t size, PendingRecord& record);
  void PatchDataSize(uint64_t recordStart, uint64_t dataSize);
  // Runs a record writer; a cancelled prompt inside it cuts the record back
  // before the cancellation travels on.
  template <class Body>
  void WriteRecord(uint64_t recordStart, Body&& body);
  void CutAfterCancel(uint64_t position);
  void CloseOpenString();
  void RecordSourceError(const std::string& fileName, uint32_t code);
  bool CreateArchiveTemp();
  bool LockAsOwn(int fd, struct stat* st);
  bool IsOwnFile(const struct stat& st) const;
  void RemoveAbandonedTemps();
  bool PlaceArchive();
  // Header and client table at the start of the archive file; `dataBase` is
  // where the data area begins.
  void WriteTable(uint64_t dataBase);
  void WriteArchive();
  void DiscardFiles();

  FileLayer& layer_;
  ProgressSink progress_;
  Description description_;
  Description snapshot_;
  GuardedFile archive_;  // the file that is renamed into place at the end
  // The client sections: the data area of the file they were written into,
  // from the predicted table end on.
  GuardedFile data_;
  std::string archiveTempPath_;
  std::string dataPath_;         // the file holding the sections
  std::vector<uint8_t> buffer_;  // the writer's one 64 KiB chunk buffer
  // Kept from file to file: the deflate state is reset, not set up again,
  // and the 64 KiB output buffer is allocated once. Each file attaches
  // its own destination to the sink before the first byte.
  Compress::ZlibState deflateState_{Compress::ZlibState::Direction::kDeflate};
  Compress::ChunkSink compressedSink_{nullptr};

  std::string clientName_, clientClsid_;
  uint64_t sectionStart_ = 0;
  bool sectionOpen_ = false;
  uint32_t weightSum_ = 0;  // I4 in the file; wraps like one
  std::vector<std::string> keptClients_;
  // The writer's temporary files, by device and inode.
  std::vector<struct stat> ownFiles_;
  // FinishBackup found the archive's name taken; the archive is complete.
  bool awaitingName_ = false;

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
