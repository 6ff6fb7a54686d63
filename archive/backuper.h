// Backuper, the archive writer. The archive is built in a temporary file
// beside it, held by a lock while the writer lives, and renamed to its name
// only when complete and flushed, never over another file. Client sections
// go straight into that file, behind room left for the header and client
// table as the client register taken at StartBackup predicts them. When the
// table that FinishBackup writes has that size, it fills the room and
// nothing is copied; otherwise the sections are copied behind the real table
// in a fresh temporary file.
//
// With more than one compression thread (thread_setting.h), workers deflate
// while the calling thread reads and writes. A small file, or a larger one
// worth compressing up to the whole-file size (deflate_jobs.h), is read
// whole during its BackupFile call, which then returns; a worker deflates it
// whole (whole_buffer_codec.h), and its record, progress step and log line
// follow in call order during a later call, so the archive and the log are
// those of a run on one thread. A file larger still is cut into blocks that
// the workers deflate side by side (block_deflate.h). Everything that
// touches a file, the progress object or the log stays on the calling
// thread.
#pragma once

#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "archive/compress_stream.h"
#include "archive/compression_pool.h"
#include "archive/deflate_jobs.h"
#include "archive/file_layer.h"
#include "archive/format.h"
#include "archive/guarded_ops.h"
#include "archive/progress_sink.h"
#include "contract/errors.h"
#include "contract/interfaces.h"
#include "contract/unknown.h"
#include "platform/files.h"

namespace bkvp::archive {

class PendingRecord;

class Backuper : public DispatchObject<IBackuper>, public ILinkBackuper {
 public:
  // `threads` 0 takes the configured number (thread_setting.h).
  explicit Backuper(FileLayer& layer = DefaultFileLayer(), int threads = 0);

  // IUnknown for both interfaces.
  HRESULT QueryInterface(const IID& iid, void** object) override;
  ULONG AddRef() override { return DispatchObject<IBackuper>::AddRef(); }
  ULONG Release() override { return DispatchObject<IBackuper>::Release(); }
  // backuper_links.cpp
  HRESULT BackupLink(BSTR fileName, BSTR localName, BSTR actionName, INT weight,
                     BOOL writeInLog) override;

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
  static constexpr size_t kMaxErrorText = 255;
  // A file that changes while it is read is read once more before it fails.
  static constexpr int kReadAttempts = 2;
  static bool FitsNameLimit(const std::string& name) { return name.size() + 1 <= kMaxNameBytes; }

  // kChanged: the file ended early, or its size or write time changed
  // while it was read.
  enum class StoreResult { kStored, kSourceFailed, kCompressionFailed, kChanged };
  // What became of a BackupFile call: stored (or passed over, as the
  // writer's own files are), failed, read and waiting for its record, or
  // left out on purpose (leftOutLine_ says why, when not said before).
  enum class Acceptance { kStored, kFailed, kQueued, kLeftOut };
  // What the progress object and the log hear about one file.
  struct FileReport {
    std::string name;
    std::string action;
    int32_t weight = 0;
    bool log = false;
    bool link = false;  // a symbolic link stored as a link
  };
  // A small file read whole, waiting for its record to be written.
  struct QueuedFile {
    FileReport report;
    std::vector<uint8_t> head;  // record head and info block, D still 0
    std::shared_ptr<WholeFileJob> job;
    bool compressing = false;  // the job was handed out and must be waited for
  };

  bool ReadyToStore(const std::string& fileName, const std::string& localName);
  // Requires: StartBackup() was called.
  Acceptance StoreLink(const FileReport& report, const std::string& localName);
  // What comes after storing a file: its queued record, its log line.
  HRESULT FinishFileCall(const FileReport& report, Acceptance accepted);
  // Requires: StartBackup() was called.
  Acceptance StoreFile(const FileReport& report, const std::string& localName);
  // A file read whole joins the queue of records to write.
  Acceptance Queue(const FileReport& report, const std::string& localName,
                   const platform::FileInfo& info, ByteBuffer bytes, Deflater deflater);
  // `compress`: as one zlib stream (else the bytes as they are).
  StoreResult StoreRecord(const FileReport& report, const std::string& localName, int source,
                          const platform::FileInfo& info, bool compress);
  std::vector<uint8_t> RecordHead(const std::string& fileName, const std::string& localName,
                                  int32_t weight, const platform::FileInfo& info);
  // Whether a file above the small-file size is to be stored compressed,
  // and if it is deflated whole, by which compressor.
  struct Verdict {
    bool compress = true;
    Deflater deflater = Deflater::kWholeBuffer;
  };
  StoreResult ChooseCompression(int source, uint64_t size, const std::string& fileName,
                                Verdict* verdict);
  StoreResult JudgeBySamples(int source, uint64_t size, Verdict* verdict);
  StoreResult CheckUnchanged(int source, const platform::FileInfo& info);
  bool BeginsWithZlibMagic(int source);
  // Reads up to `size` bytes at `offset`, fewer only at the end of the file
  // (or, with `once`, whatever one read gives).
  StoreResult ReadUpTo(int source, uint64_t offset, uint8_t* out, size_t size, size_t* got,
                       bool once = false);
  StoreResult ReadSource(int source, uint64_t offset, uint64_t size, size_t* got);
  // The whole file, which must still have the size and write time of `info`.
  StoreResult ReadWhole(int source, const platform::FileInfo& info, ByteBuffer* bytes);
  // The data part of a file read as it is stored: its bytes, one zlib
  // stream made on this thread, or one made of blocks by the workers.
  StoreResult CopySource(int source, uint64_t size, PendingRecord& record);
  StoreResult CompressSource(int source, uint64_t size, PendingRecord& record);
  StoreResult CompressBlocks(int source, uint64_t size, PendingRecord& record);
  void RecordFailure(const std::string& fileName, StoreResult result);
  void Report(const FileReport& report, bool stored);
  void ReportLeftOut(const FileReport& report);
  // The records of queued files, in order: all of them, or those whose
  // compression is done (then as many more as keep the queue within bounds).
  void FlushQueue();
  void WriteFinishedFiles();
  void MakeRoomFor(uint64_t size);
  void WriteFrontOfQueue();
  void DropQueue();
  void PatchDataSize(uint64_t recordStart, uint64_t dataSize);
  // Runs a record writer; a cancelled prompt inside it cuts the record back
  // before the cancellation travels on.
  template <class Body>
  void WriteRecord(uint64_t recordStart, Body&& body);
  // The same for a file's record; the log then names the file whose record
  // could not be written.
  template <class Body>
  void WriteFileRecord(uint64_t recordStart, const FileReport& report, Body&& body);
  void CutAfterCancel(uint64_t position);
  void CloseOpenString();
  void RecordSourceError(const std::string& fileName, uint32_t code);
  bool CreateArchiveTemp();
  bool LockAsOwn(int fd, struct stat* st);
  bool IsOwnFile(uint64_t device, uint64_t inode) const;
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
  std::string leftOutLine_;  // why the last file was left out
  std::string archiveTempPath_;
  std::string dataPath_;         // the file holding the sections
  std::vector<uint8_t> buffer_;  // the writer's one 64 KiB chunk buffer
  // A large file's samples, kept from file to file so that their memory
  // is faulted in once.
  std::array<std::vector<uint8_t>, kSamples> samples_;
  // Kept from file to file: the deflate state is reset, not set up again,
  // and the 64 KiB output buffer is allocated once. Each file attaches
  // its own destination to the sink before the first byte.
  Compress::ZlibState deflateState_{Compress::ZlibState::Direction::kDeflate};
  Compress::ChunkSink compressedSink_{nullptr};
  // For the calling thread's own whole-file and sample compression.
  WorkerStates ownStates_;

  int threadsWanted_;                      // 0: as configured
  std::unique_ptr<CompressionPool> pool_;  // none with one thread
  BlockBuffers blockBuffers_;
  std::deque<QueuedFile> queue_;
  uint64_t queuedBytes_ = 0;     // the queued jobs' memory bounds
  size_t queuedLargeFiles_ = 0;  // queued files above the small-file size

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

template <class Body>
void Backuper::WriteRecord(uint64_t recordStart, Body&& body) {
  try {
    body();
  } catch (const ComError&) {
    CutAfterCancel(recordStart);
    throw;
  }
}

}  // namespace bkvp::archive
