#include "archive/backuper.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <random>

#include "archive/format.h"
#include "archive/layout.h"
#include "archive/pending_record.h"
#include "archive/registry_capture.h"
#include "contract/errors.h"
#include "contract/variant.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text.h"

namespace bkvp::archive {

namespace {

constexpr uint32_t kErrorFilenameTooLong = 206;
constexpr size_t kMaxErrorText = 255;
constexpr int kTempNameAttempts = 100;

// ".<archive name>.<random>.tmp" beside the archive: hidden, and never
// matching the "*.KV" names under which archives are listed.
std::string TempNameBeside(const std::string& archivePath) {
  static std::mt19937_64 random{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string unique;
  for (int i = 0; i < 8; ++i) unique += kDigits[random() % 36];
  const std::string folder = platform::ParentFolder(archivePath);
  return (folder.empty() ? "" : folder + "/") + "." + platform::FileNameOf(archivePath) + "." +
         unique + ".tmp";
}

bool FitsNameLimit(const std::string& name) { return name.size() + 1 <= kMaxNameBytes; }

}  // namespace

// Readers take every data part that begins with 78 DA for a zlib stream, so
// such bytes are never stored as they are: they go through the compressor,
// and the stream that readers find is then a real one.
bool Backuper::BeginsWithZlibMagic(int source) {
  uint8_t first[2];
  return layer_.ReadAt(source, first, sizeof first, 0) == 2 && first[0] == kZlibMagic[0] &&
         first[1] == kZlibMagic[1];
}

Backuper::Backuper(FileLayer& layer)
    : layer_(layer),
      archive_(layer, progress_, DiskFile::kArchive),
      data_(layer, progress_, DiskFile::kDataFile) {}

Backuper::~Backuper() { DiscardFiles(); }

HRESULT Backuper::SetProgress(IProgress* progress) {
  progress_.Set(progress);
  return S_OK;
}

HRESULT Backuper::SetVersionInfo(LONG major, LONG minor) {
  description_.versionMajor = major;
  description_.versionMinor = minor;
  return S_OK;
}

HRESULT Backuper::SetArchiveInfo(BSTR archiveName, BSTR userName, BSTR machineName, BSTR label,
                                 DATE time, LONG) {
  description_.archivePath = ToAnsi(archiveName);
  description_.userName = ToAnsi(userName);
  description_.machineName = ToAnsi(machineName);
  description_.label = ToAnsi(label);
  description_.time = time;
  return S_OK;
}

HRESULT Backuper::SetClientOptions(BSTR clsid, BSTR name, VARIANT options) {
  ClientRegistration& entry = description_.clients[ToAnsi(clsid)];
  entry.name = ToAnsi(name);
  const auto bytes = ByteArrayOf(options);
  if (!bytes) return E_INVALIDARG;
  // The reader refuses more; better to say so now than write such an archive.
  if (entry.options.size() + bytes->size() > kMaxOptionBytes) return E_INVALIDARG;
  entry.options.insert(entry.options.end(), bytes->begin(), bytes->end());
  return S_OK;
}

HRESULT Backuper::GetClientOptions(BSTR clsid, VARIANT* options) {
  if (!options) return E_POINTER;
  const auto it = description_.clients.find(ToAnsi(clsid));
  *options = MakeByteArrayVariant(it == description_.clients.end() ? std::vector<uint8_t>()
                                                                   : it->second.options);
  return S_OK;
}

HRESULT Backuper::GetLastError(INT* errCode, BSTR* text) {
  if (!errCode || !text) return E_POINTER;
  *errCode = static_cast<INT>(lastErrorCode_);
  *text = AllocBstr(lastErrorText_);
  return S_OK;
}

// Under a random name in the archive's own folder, so that the final rename
// stays on one file system.
bool Backuper::CreateArchiveTemp() {
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    const std::string candidate = TempNameBeside(snapshot_.archivePath);
    if (archive_.Create(candidate, O_RDWR | O_EXCL | O_TRUNC, 0666, snapshot_.archivePath)) {
      archiveTempPath_ = candidate;
      return true;
    }
  }
  return false;
}

HRESULT Backuper::StartBackup() {
  DiscardFiles();
  snapshot_ = description_;
  buffer_.resize(kChunkSize);
  if (!CreateArchiveTemp()) return E_FAIL;

  // Every client registered now is expected to keep one section; the table
  // then takes exactly this much room in front of the data area.
  uint64_t predictedBase = kHeaderSize;
  for (const auto& [clsid, reg] : snapshot_.clients)
    predictedBase += kClientEntrySize + reg.options.size();
  const int fd = layer_.Open(archiveTempPath_, O_RDWR, 0);
  if (fd < 0) {
    DiscardFiles();
    return E_FAIL;
  }
  data_.Adopt(fd, archiveTempPath_, predictedBase);
  dataPath_ = archiveTempPath_;
  keptClients_.clear();
  sectionOpen_ = false;
  stringOpen_ = false;
  damaged_ = false;
  PumpMessages();
  return S_OK;
}

HRESULT Backuper::BeginClient(BSTR clientName, BSTR clsid, INT totalWeight) {
  clientName_ = ToAnsi(clientName);
  clientClsid_ = ToAnsi(clsid);
  progress_.FirstStep(clientName_, totalWeight);
  lastProgressName_.clear();
  if (!data_.isOpen()) return E_FAIL;
  CloseOpenString();
  weightSum_ = 0;
  sectionStart_ = data_.size();
  const uint8_t placeholder[kSectionWeightSize] = {};
  WriteRecord(sectionStart_, [&] { data_.Append(placeholder, sizeof placeholder); });
  sectionOpen_ = true;
  PumpMessages();
  return S_OK;
}

HRESULT Backuper::EndClient(INT deleteClient) {
  if (!data_.isOpen()) return E_FAIL;
  if (deleteClient != 0) {
    stringOpen_ = false;
    if (sectionOpen_) data_.SetEnd(sectionStart_);
    snapshot_.clients.erase(clientClsid_);
    description_.clients.erase(clientClsid_);
    // An earlier kept section of this client lost its register entry with
    // it; a table entry without one would point at another client's data.
    std::erase(keptClients_, clientClsid_);
  } else if (sectionOpen_) {
    CloseOpenString();
    uint8_t sum[kSectionWeightSize];
    PutLE<uint32_t>(sum, weightSum_);
    data_.WriteAt(sectionStart_, sum, sizeof sum);
    snapshot_.clients[clientClsid_].sectionOffset = sectionStart_;
    keptClients_.push_back(clientClsid_);
  }
  sectionOpen_ = false;
  PumpMessages();
  return S_OK;
}

// ---- Files -----------------------------------------------------------------

HRESULT Backuper::BackupFile(BSTR fileName, BSTR localName, BSTR actionName, INT weight,
                             BOOL writeInLog) {
  const std::string name = ToAnsi(fileName);
  const bool stored = StoreFile(name, ToAnsi(localName), weight);
  if (name != lastProgressName_) progress_.NextStep(name, weight);
  if (writeInLog == VARIANT_TRUE)
    progress_.Message(ToAnsi(actionName) + " " + name + (stored ? " OK" : " FAILED"));
  lastProgressName_ = name;
  PumpMessages();
  return stored ? S_OK : E_FAIL;
}

void Backuper::RecordSourceError(const std::string& fileName, uint32_t code) {
  lastErrorCode_ = code;
  lastErrorText_ =
      std::string(platform::CutUtf8(fileName + ": " + platform::ErrorMessage(code), kMaxErrorText));
}

bool Backuper::StoreFile(const std::string& fileName, const std::string& localName,
                         int32_t weight) {
  // The archive never contains itself.
  if (platform::EqualsIgnoreCase(fileName, snapshot_.archivePath) ||
      (!archiveTempPath_.empty() && fileName == archiveTempPath_))
    return true;
  if (!data_.isOpen()) {
    RecordSourceError(fileName, platform::ERROR_INVALID_HANDLE);
    return false;
  }
  if (!FitsNameLimit(fileName) || !FitsNameLimit(localName)) {
    RecordSourceError(fileName, kErrorFilenameTooLong);
    return false;
  }
  const auto info = platform::GetFileInfo(fileName);
  if (!info) {
    RecordSourceError(fileName, platform::GetLastError());
    return false;
  }
  // Opened without blocking: a pipe or device handed over as a file must
  // fail here instead of waiting for a writer for ever.
  FileHandle source(layer_, layer_.Open(fileName, O_RDONLY | O_NONBLOCK, 0));
  if (!source.valid()) {
    RecordSourceError(fileName, platform::SetLastErrorFromErrno(errno));
    return false;
  }
  struct stat sourceStat {};
  if (fstat(source.fd(), &sourceStat) != 0 || !S_ISREG(sourceStat.st_mode)) {
    RecordSourceError(fileName, platform::ERROR_ACCESS_DENIED);
    return false;
  }

  CloseOpenString();
  const uint64_t recordStart = data_.size();
  FileInfoBlock block{info->attributes, info->creationTime, info->lastAccessTime,
                      info->lastWriteTime, localName};
  std::vector<uint8_t> head =
      ComposeRecordHead(0, kObjectFile, weight, fileName, true,
                        static_cast<uint32_t>(kFileInfoFixedSize + localName.size() + 1));
  const std::vector<uint8_t> infoBytes = ComposeFileInfo(block);
  head.insert(head.end(), infoBytes.begin(), infoBytes.end());

  StoreResult result = StoreResult::kStored;
  WriteRecord(recordStart, [&] {
    PendingRecord record(data_, std::move(head));
    const bool compress =
        (Compress::IsCompressible(fileName) && static_cast<uint32_t>(info->size) != 0) ||
        BeginsWithZlibMagic(source.fd());
    result = compress ? CompressSource(source.fd(), info->size, record)
                      : CopySource(source.fd(), info->size, record);
    if (result == StoreResult::kStored) record.Finish();
  });
  if (result == StoreResult::kStored) {
    weightSum_ += static_cast<uint32_t>(weight);
    return true;
  }
  if (result == StoreResult::kSourceFailed)
    RecordSourceError(fileName, platform::SetLastErrorFromErrno(sourceErrno_));
  // Cut the record: the section is as it was before the call.
  data_.SetEnd(recordStart);
  return false;
}

// Reads the next chunk of the source; the short read at its known end
// saves asking again just to hear "end of file".
Backuper::StoreResult Backuper::ReadSource(int source, uint64_t offset, uint64_t knownSize,
                                           size_t* got, bool* atEnd) {
  const ssize_t n = layer_.ReadAt(source, buffer_.data(), buffer_.size(), offset);
  if (n < 0) {
    sourceErrno_ = errno;
    return StoreResult::kSourceFailed;
  }
  *got = static_cast<size_t>(n);
  *atEnd = n == 0 || (*got < buffer_.size() && offset + *got >= knownSize);
  return StoreResult::kStored;
}

Backuper::StoreResult Backuper::CopySource(int source, uint64_t knownSize, PendingRecord& record) {
  uint64_t offset = 0;
  bool kernelCopy = true;
  for (;;) {
    if (kernelCopy && record.flushed()) {
      const ssize_t n = data_.CopyAppendFrom(source, offset, kKernelCopyRange);
      if (n == 0) return StoreResult::kStored;
      if (n > 0) {
        offset += static_cast<uint64_t>(n);
        continue;
      }
      kernelCopy = false;
    }
    size_t got = 0;
    bool atEnd = false;
    if (ReadSource(source, offset, knownSize, &got, &atEnd) != StoreResult::kStored)
      return StoreResult::kSourceFailed;
    record.Append(buffer_.data(), got);
    offset += got;
    if (atEnd) return StoreResult::kStored;
    // More than a chunk: the rest goes file to file.
    record.Flush();
    PumpMessages();
  }
}

// Compresses straight into the data file: the bytes are those a separate
// compressed copy would hold, without writing and reading them twice.
Backuper::StoreResult Backuper::CompressSource(int source, uint64_t knownSize,
                                               PendingRecord& record) {
  try {
    compressedSink_.Attach(
        [&record](const uint8_t* data, size_t size) { record.Append(data, size); });
    Compress::DeflateStream stream(compressedSink_, deflateState_);
    for (uint64_t offset = 0;;) {
      size_t got = 0;
      bool atEnd = false;
      if (ReadSource(source, offset, knownSize, &got, &atEnd) != StoreResult::kStored)
        return StoreResult::kSourceFailed;
      stream.Write(buffer_.data(), got);
      offset += got;
      PumpMessages();
      if (atEnd) break;
    }
    stream.Finish();
    compressedSink_.Close();
  } catch (const Compress::CCompressException&) {
    return StoreResult::kCompressionFailed;
  }
  return StoreResult::kStored;
}

void Backuper::PatchDataSize(uint64_t recordStart, uint64_t dataSize) {
  uint8_t bytes[8];
  PutLE<uint64_t>(bytes, dataSize);
  data_.WriteAt(recordStart + kRecordDataSizeOffset, bytes, sizeof bytes);
}

template <class Body>
void Backuper::WriteRecord(uint64_t recordStart, Body&& body) {
  try {
    body();
  } catch (const ComError&) {
    CutAfterCancel(recordStart);
    throw;
  }
}

void Backuper::CutAfterCancel(uint64_t position) {
  if (!data_.TryCutTo(position)) damaged_ = true;
}

// ---- Registry keys -------------------------------------------------------------

HRESULT Backuper::BackupRegistryKey(BSTR keyName, BSTR actionName, INT weight) {
  const std::string key = ToAnsi(keyName);
  const std::string action = ToAnsi(actionName);
  if (!data_.isOpen() || !FitsNameLimit(key)) {
    progress_.NextStep(action, weight);
    progress_.Message(action + " " + key + " FAILED");
    return E_FAIL;
  }
  CloseOpenString();
  const uint64_t recordStart = data_.size();
  WriteRecord(recordStart, [&] {
    const std::vector<uint8_t> head =
        ComposeRecordHead(0, kObjectRegistryKey, weight, key, true, 0);
    data_.Append(head.data(), head.size());
    const uint64_t written =
        CaptureKey(key, "", [this](const uint8_t* data, size_t size) { data_.Append(data, size); });
    PatchDataSize(recordStart, written);
  });
  weightSum_ += static_cast<uint32_t>(weight);
  progress_.NextStep(action, weight);
  progress_.Message(action + " " + key + " OK");
  PumpMessages();
  return S_OK;
}

// ---- Strings -------------------------------------------------------------------

HRESULT Backuper::BeginBackupString(BSTR stringName, BSTR logText, BSTR firstText, INT weight,
                                    BOOL writeInLog) {
  if (!data_.isOpen()) return E_FAIL;
  CloseOpenString();
  // A string's name has no zero in the archive; it is cut to the name limit.
  const std::string name(platform::CutUtf8(ToAnsi(stringName), kMaxNameBytes));
  const std::string text = ToAnsi(firstText);
  const uint64_t recordStart = data_.size();
  WriteRecord(recordStart, [&] {
    const std::vector<uint8_t> head = ComposeRecordHead(0, kObjectString, weight, name, false, 0);
    data_.Append(head.data(), head.size());
    data_.Append(text.data(), text.size());
  });
  stringOpen_ = true;
  stringRecordStart_ = recordStart;
  stringBytes_ = text.size();
  stringWeight_ = weight;
  weightSum_ += static_cast<uint32_t>(weight);
  const std::string log = ToAnsi(logText);
  if (writeInLog == VARIANT_TRUE && !log.empty()) progress_.Message(log + " " + " OK");
  PumpMessages();
  return S_OK;
}

HRESULT Backuper::BackupNextPartOfString(BSTR text) {
  // Without an open string the bytes would land in no record.
  if (!stringOpen_) return E_FAIL;
  const std::string part = ToAnsi(text);
  try {
    data_.Append(part.data(), part.size());
  } catch (const ComError&) {
    CutAfterCancel(stringRecordStart_);
    weightSum_ -= static_cast<uint32_t>(stringWeight_);
    stringOpen_ = false;
    throw;
  }
  stringBytes_ += part.size();
  PumpMessages();
  return S_OK;
}

HRESULT Backuper::EndBackupString() {
  CloseOpenString();
  progress_.NextStep("", stringWeight_);
  stringWeight_ = 0;
  PumpMessages();
  return S_OK;
}

void Backuper::CloseOpenString() {
  if (!stringOpen_) return;
  stringOpen_ = false;
  PatchDataSize(stringRecordStart_, stringBytes_);
  stringBytes_ = 0;
}

// ---- Finishing -----------------------------------------------------------------

HRESULT Backuper::FinishBackup(INT erase) {
  if (erase == 1 || keptClients_.empty() || damaged_ || !archive_.isOpen() || !data_.isOpen()) {
    const bool failed = damaged_ && erase != 1;
    DiscardFiles();
    PumpMessages();
    return failed ? E_FAIL : S_OK;
  }
  try {
    WriteArchive();
  } catch (...) {
    DiscardFiles();
    throw;
  }
  PumpMessages();
  return S_OK;
}

void Backuper::WriteTable(uint64_t dataBase) {
  ArchiveHeader header{snapshot_.time,
                       snapshot_.userName,
                       snapshot_.machineName,
                       snapshot_.label,
                       snapshot_.versionMajor,
                       snapshot_.versionMinor,
                       static_cast<int32_t>(keptClients_.size())};
  uint64_t position = 0;
  auto put = [&](const std::vector<uint8_t>& bytes) {
    archive_.WriteAt(position, bytes.data(), bytes.size());
    position += bytes.size();
  };
  put(ComposeHeader(header));
  for (const std::string& clsid : keptClients_) {
    const ClientRegistration& reg = snapshot_.clients[clsid];
    put(ComposeClientEntry({dataBase + reg.sectionOffset, clsid, reg.name, reg.options}));
  }
}

void Backuper::WriteArchive() {
  uint64_t dataBase = kHeaderSize;
  for (const std::string& clsid : keptClients_)
    dataBase += kClientEntrySize + snapshot_.clients[clsid].options.size();

  if (dataBase == data_.base()) {
    // The room left at StartBackup fits the table: the sections are in place.
    archive_.AssumeSize(data_.base() + data_.size());
    WriteTable(dataBase);
  } else {
    // A section was discarded, a client came without registering or one
    // closed twice: the sections move behind the real table, into a fresh
    // file (the kernel copies within one file system).
    if (!CreateArchiveTemp()) throw ComError(E_FAIL);
    WriteTable(dataBase);
    const bool copied = CopyBytes(
        data_.size(), buffer_,
        [&](uint64_t done, size_t n) {
          return archive_.CopyAppendFrom(data_.fd(), data_.base() + done, n);
        },
        [&](uint64_t done, uint8_t* buffer, size_t n) {
          return static_cast<ssize_t>(data_.ReadAt(done, buffer, n));
        },
        [&](const uint8_t* buffer, size_t n) {
          archive_.Append(buffer, n);
          return true;
        },
        PumpMessages);
    if (!copied) throw ComError(E_FAIL);  // the data area cannot have shrunk
  }

  archive_.Sync();
  archive_.Close();
  if (layer_.Rename(archiveTempPath_, snapshot_.archivePath) != 0) {
    const uint32_t code = platform::SetLastErrorFromErrno(errno);
    progress_.Prompt(platform::ErrorMessage(code), kStyleStopOk);
    throw ComError(E_FAIL);
  }
  if (dataPath_ == archiveTempPath_) dataPath_.clear();  // renamed with it
  archiveTempPath_.clear();
  layer_.SyncFolder(platform::ParentFolder(snapshot_.archivePath));
  DiscardFiles();
}

void Backuper::DiscardFiles() {
  archive_.Close();
  data_.Close();
  if (!archiveTempPath_.empty()) layer_.Remove(archiveTempPath_);
  if (!dataPath_.empty() && dataPath_ != archiveTempPath_) layer_.Remove(dataPath_);
  archiveTempPath_.clear();
  dataPath_.clear();
  keptClients_.clear();
  sectionOpen_ = false;
  stringOpen_ = false;
}

}  // namespace bkvp::archive
