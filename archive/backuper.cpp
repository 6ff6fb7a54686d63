#include "archive/backuper.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "archive/format.h"
#include "archive/layout.h"
#include "archive/registry_capture.h"
#include "archive/thread_setting.h"
#include "contract/errors.h"
#include "contract/variant.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text.h"

namespace bkvp::archive {

namespace {

constexpr int kTempNameAttempts = 100;

// A temporary file beside the archive: hidden, and never matching the
// names under which archives are listed.
std::string TempPathBeside(const std::string& archivePath) {
  return platform::JoinPath(platform::ParentFolder(archivePath),
                            TemporaryNameFor(platform::FileNameOf(archivePath)));
}

// The archive name's extension with its dot ("" when none): the writer's
// temporary files of any archive of that kind carry it.
std::string ExtensionOf(const std::string& archivePath) {
  const std::string name = platform::FileNameOf(archivePath);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? "" : name.substr(dot);
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

Backuper::Backuper(FileLayer& layer, int threads)
    : layer_(layer),
      archive_(layer, progress_, DiskFile::kArchive),
      data_(layer, progress_, DiskFile::kDataFile),
      threadsWanted_(threads) {}

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
// stays on one file system. Its lock tells a later run that a living writer
// holds it.
bool Backuper::CreateArchiveTemp() {
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    const std::string candidate = TempPathBeside(snapshot_.archivePath);
    if (!archive_.Create(candidate, O_RDWR | O_EXCL | O_TRUNC, 0666, snapshot_.archivePath))
      continue;
    // Between creating and locking, another run may have taken the file for
    // abandoned and removed it; the name is then no longer this file's.
    struct stat opened {};
    struct stat named {};
    if (!LockAsOwn(archive_.fd(), &opened) || ::stat(candidate.c_str(), &named) != 0 ||
        !SameFile(opened, named)) {
      archive_.Close();
      continue;
    }
    archiveTempPath_ = candidate;
    return true;
  }
  return false;
}

// Holds a shared lock on the descriptor for as long as it is open (every
// descriptor of the writer holds one, so closing one of two keeps the file
// held), and remembers the file as one of the writer's own.
bool Backuper::LockAsOwn(int fd, struct stat* st) {
  // Where locks are not supported the file stays unheld: another run then
  // cannot lock it either and leaves it alone.
  layer_.Lock(fd, false, true);
  if (::fstat(fd, st) != 0) return false;
  ownFiles_.push_back(*st);
  return true;
}

bool Backuper::IsOwnFile(uint64_t device, uint64_t inode) const {
  return std::any_of(ownFiles_.begin(), ownFiles_.end(), [&](const struct stat& own) {
    return static_cast<uint64_t>(own.st_dev) == device &&
           static_cast<uint64_t>(own.st_ino) == inode;
  });
}

// Temporary files of writers that were killed stay behind; a file that no
// living writer holds can go.
void Backuper::RemoveAbandonedTemps() {
  const std::string folder = platform::ParentFolder(snapshot_.archivePath);
  const std::string extension = ExtensionOf(snapshot_.archivePath);
  for (const platform::FindData& found : platform::FindFiles(platform::JoinPath(folder, "*"))) {
    if (found.isSymlink || (found.attributes & platform::FILE_ATTRIBUTE_DIRECTORY) ||
        !IsTemporaryNameFor(found.name, extension))
      continue;
    const std::string path = platform::JoinPath(folder, found.name);
    FileHandle file(layer_, layer_.Open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK, 0));
    struct stat opened {};
    struct stat named {};
    if (!file.valid() || layer_.Lock(file.fd(), true, false) != 0 ||
        ::fstat(file.fd(), &opened) != 0 || ::lstat(path.c_str(), &named) != 0 ||
        !SameFile(opened, named) || !S_ISREG(opened.st_mode))
      continue;
    if (layer_.Remove(path) == 0)
      progress_.Message("Removed " + path + ", left behind by an interrupted backup.");
  }
}

HRESULT Backuper::StartBackup() {
  DiscardFiles();
  snapshot_ = description_;
  buffer_.resize(kChunkSize);
  ownFiles_.clear();
  RemoveAbandonedTemps();
  if (!CreateArchiveTemp()) return E_FAIL;
  pool_ = StartCompressionPool(CompressionThreads(threadsWanted_));

  // Every client registered now is expected to keep one section; the table
  // then takes exactly this much room in front of the data area.
  uint64_t predictedBase = kHeaderSize;
  for (const auto& [clsid, reg] : snapshot_.clients)
    predictedBase += kClientEntrySize + reg.options.size();
  const int fd = layer_.Open(archiveTempPath_, O_RDWR, 0);
  struct stat st {};
  if (fd < 0 || !LockAsOwn(fd, &st)) {
    if (fd >= 0) layer_.Close(fd);
    DiscardFiles();
    return E_FAIL;
  }
  data_.Adopt(fd, archiveTempPath_, predictedBase);
  dataPath_ = archiveTempPath_;
  keptClients_.clear();
  sectionOpen_ = false;
  stringOpen_ = false;
  damaged_ = false;
  awaitingName_ = false;
  PumpMessages();
  return S_OK;
}

HRESULT Backuper::BeginClient(BSTR clientName, BSTR clsid, INT totalWeight) {
  clientName_ = ToAnsi(clientName);
  clientClsid_ = ToAnsi(clsid);
  progress_.FirstStep(clientName_, totalWeight);
  lastProgressName_.clear();
  if (!data_.isOpen()) return E_FAIL;
  FlushQueue();
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
  FlushQueue();
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

void Backuper::PatchDataSize(uint64_t recordStart, uint64_t dataSize) {
  uint8_t bytes[8];
  PutLE<uint64_t>(bytes, dataSize);
  data_.WriteAt(recordStart + kRecordDataSizeOffset, bytes, sizeof bytes);
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
  FlushQueue();
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
  FlushQueue();
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
  FlushQueue();
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
  if (erase == 1)
    DropQueue();
  else
    FlushQueue();
  if (awaitingName_ && erase != 1) {
    // The archive is complete; only its name was taken.
    snapshot_.archivePath = description_.archivePath;
  } else if (erase == 1 || keptClients_.empty() || damaged_ || !archive_.isOpen() ||
             !data_.isOpen()) {
    const bool failed = damaged_ && erase != 1;
    DiscardFiles();
    PumpMessages();
    return failed ? E_FAIL : S_OK;
  }
  try {
    if (!awaitingName_) {
      // A section that was begun and never ended belongs to no client.
      if (sectionOpen_) data_.SetEnd(sectionStart_);
      sectionOpen_ = false;
      WriteArchive();
    }
    awaitingName_ = !PlaceArchive();
  } catch (...) {
    DiscardFiles();
    throw;
  }
  if (awaitingName_) return E_ARCHIVE_NAME_TAKEN;
  DiscardFiles();
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

  // Stays open, and so held, until it has its name.
  archive_.Sync();
}

// Moves the flushed archive to its name, never over another file: false
// when a file has that name, even one created this very moment.
bool Backuper::PlaceArchive() {
  if (layer_.RenameAt(AT_FDCWD, archiveTempPath_, AT_FDCWD, snapshot_.archivePath, false) != 0) {
    if (errno == EEXIST) return false;
    const uint32_t code = platform::SetLastErrorFromErrno(errno);
    progress_.Prompt(platform::ErrorMessage(code), kStyleStopOk);
    throw ComError(E_FAIL);
  }
  if (dataPath_ == archiveTempPath_) dataPath_.clear();  // renamed with it
  archiveTempPath_.clear();
  layer_.SyncFolder(platform::ParentFolder(snapshot_.archivePath));
  return true;
}

void Backuper::DiscardFiles() {
  DropQueue();
  pool_.reset();
  archive_.Close();
  data_.Close();
  if (!archiveTempPath_.empty()) layer_.Remove(archiveTempPath_);
  if (!dataPath_.empty() && dataPath_ != archiveTempPath_) layer_.Remove(dataPath_);
  archiveTempPath_.clear();
  dataPath_.clear();
  keptClients_.clear();
  sectionOpen_ = false;
  stringOpen_ = false;
  awaitingName_ = false;
}

}  // namespace bkvp::archive
