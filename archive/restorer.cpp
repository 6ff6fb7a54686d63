#include "archive/restorer.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "archive/guarded_ops.h"
#include "archive/registry_capture.h"
#include "archive/thread_setting.h"
#include "contract/errors.h"
#include "contract/variant.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace bkvp::archive {

namespace {

// Thrown inside the decompressor's sink when the user gave up on a target
// write; ends the file without a decision of its own.
struct TargetAbandoned {};

// A data part is read in pieces of this size, straight from the file (the
// reader's window serves small reads only).
constexpr size_t kReadSize = 256 * 1024;

}  // namespace

Restorer::Restorer(FileLayer& layer, int threads)
    : layer_(layer),
      threadsWanted_(threads),
      reader_(layer),
      folders_(layer, [this](const std::string& path) {
        progress_.Message("Removed " + path + ", left behind by an interrupted restore.");
      }) {
  folders_.RefuseLinks(&ownLinks_);
  reader_.AskOnReadError([this](uint32_t code) { return AskAboutArchiveRead(code); });
  for (const std::string& folder : {platform::RegistryFolder(), platform::ProgramFolder()}) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0)
      ownFolders_.push_back({static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)});
  }
}

HRESULT Restorer::SetProgress(IProgress* progress) {
  progress_.Set(progress);
  return S_OK;
}

HRESULT Restorer::GetArchiveInfo(BSTR archiveName, BSTR* userName, BSTR* machineName, BSTR* label,
                                 DATE* time, LONG* clients) {
  iterating_ = false;
  recordValid_ = false;
  if (prefetch_) prefetch_->Clear();
  archiveReadStopped_ = false;
  const bool opened = reader_.Open(ToAnsi(archiveName));
  PumpMessages();
  if (!opened) return E_FAIL;
  const ArchiveHeader& h = reader_.header();
  if (userName) *userName = AllocBstr(h.userName);
  if (machineName) *machineName = AllocBstr(h.machineName);
  if (label) *label = AllocBstr(h.label);
  if (time) *time = h.time;
  if (clients) *clients = static_cast<LONG>(reader_.clients().size());
  return S_OK;
}

HRESULT Restorer::GetVersionInfo(LONG* major, LONG* minor) {
  if (!reader_.isOpen()) return E_FAIL;
  if (major) *major = reader_.header().versionMajor;
  if (minor) *minor = reader_.header().versionMinor;
  return S_OK;
}

HRESULT Restorer::GetClient(INT index, BSTR* name, BSTR* clsid) {
  const auto& clients = reader_.clients();
  if (!reader_.isOpen() || index < 0 || static_cast<size_t>(index) >= clients.size()) return E_FAIL;
  const auto it = std::next(clients.begin(), index);
  if (name) *name = AllocBstr(it->second.name);
  if (clsid) *clsid = AllocBstr(it->first);
  return S_OK;
}

HRESULT Restorer::GetClientOptions(BSTR clsid, VARIANT* options) {
  if (!options) return E_POINTER;
  const auto it = reader_.clients().find(ToAnsi(clsid));
  *options = MakeByteArrayVariant(it == reader_.clients().end() ? std::vector<uint8_t>()
                                                                : it->second.options);
  return S_OK;
}

// ---- Walking a section -----------------------------------------------------

void Restorer::PromptAndThrow() {
  progress_.Prompt(reader_.failure().text, kStyleStopOk);
  throw ComError(E_FAIL);
}

void Restorer::ThrowWithoutPrompt() { throw ComError(E_FAIL); }

// A medium that is not ready may be put back and the read tried again;
// any other read error is told and ends the restore.
// Once the user has stopped (or been told), later reads of the same
// archive fail without asking again.
bool Restorer::AskAboutArchiveRead(uint32_t code) {
  if (archiveReadStopped_) return false;
  const std::string message =
      ComposeDiskMessage(code, platform::MountPointOf(reader_.path()), DiskFile::kArchive);
  if (IsRecoverableDiskError(code) && progress_.Prompt(message, kStyleStopOkCancel) != IDCANCEL)
    return true;
  if (!IsRecoverableDiskError(code)) progress_.Prompt(message, kStyleStopOk);
  archiveReadStopped_ = true;
  return false;
}

bool Restorer::LocateCurrent() {
  if (!iterating_) return reader_.Damaged("no section is being read", 0);
  if (recordValid_ && record_.position == current_) return true;
  if (const PrefetchedRecord* ahead = prefetch_ ? prefetch_->Find(current_) : nullptr) {
    record_ = ahead->location;
    recordValid_ = true;
    return true;
  }
  recordValid_ = reader_.ReadRecord(current_, &record_);
  return recordValid_;
}

const std::vector<uint8_t>* Restorer::CurrentInfo(std::vector<uint8_t>& scratch) {
  if (!LocateCurrent()) return nullptr;
  if (const PrefetchedRecord* ahead = prefetch_ ? prefetch_->Find(current_) : nullptr;
      ahead && ahead->haveInfo)
    return &ahead->info;
  return reader_.ReadInfo(record_, &scratch) ? &scratch : nullptr;
}

void Restorer::StartReadAhead() {
  if (!prefetch_) {
    pool_ = StartCompressionPool(CompressionThreads(threadsWanted_));
    if (!pool_) return;
    prefetch_ = std::make_unique<RestorePrefetch>(reader_, *pool_);
  }
  creationMask_ = platform::FileCreationMask();
  prefetch_->Clear();
  prefetch_->MoveTo(current_, weightPassed_, sectionTotal_);
}

HRESULT Restorer::Iterate(BSTR clsid) {
  const auto it = reader_.clients().find(ToAnsi(clsid));
  if (!reader_.isOpen() || it == reader_.clients().end()) return E_FAIL;
  int32_t total = 0;
  if (!reader_.ReadSectionTotal(it->second.sectionOffset, &total)) PromptAndThrow();
  sectionTotal_ = total;
  current_ = it->second.sectionOffset + kSectionWeightSize;
  weightPassed_ = 0;
  iterating_ = true;
  recordValid_ = false;
  StartReadAhead();
  progress_.FirstStep(it->second.name, total);
  PumpMessages();
  return S_OK;
}

HRESULT Restorer::IsEnd(BOOL* end) {
  if (!end) return E_POINTER;
  *end = static_cast<int32_t>(weightPassed_) >= sectionTotal_ ? 1 : 0;
  return S_OK;
}

HRESULT Restorer::GetObjectInfo(USHORT* type, BSTR* name, LONG* weight) {
  if (!LocateCurrent()) PromptAndThrow();
  if (type) *type = record_.head.type;
  if (name) *name = AllocBstr(record_.head.name);
  if (weight) *weight = record_.head.weight;
  PumpMessages();
  return S_OK;
}

HRESULT Restorer::Next() {
  if (!LocateCurrent()) PromptAndThrow();
  progress_.NextStep(record_.head.name, record_.head.weight);
  // A data part running past the end of the file leaves nowhere to go.
  if (!record_.dataInFile) {
    reader_.Damaged("data part beyond the end", record_.dataOffset);
    ThrowWithoutPrompt();
  }
  weightPassed_ += static_cast<uint32_t>(record_.head.weight);
  current_ = record_.next;
  if (prefetch_) prefetch_->MoveTo(current_, weightPassed_, sectionTotal_);
  PumpMessages();
  return S_OK;
}

HRESULT Restorer::GetObjectOptions(VARIANT* options) {
  if (!options) return E_POINTER;
  std::vector<uint8_t> scratch;
  const std::vector<uint8_t>* info = CurrentInfo(scratch);
  if (!info) PromptAndThrow();
  *options = MakeByteArrayVariant(*info);
  PumpMessages();
  return S_OK;
}

// ---- Files ---------------------------------------------------------------------

HRESULT Restorer::RestoreFile(BSTR fileName, LONG option, BOOL writeInLog) {
  const std::string path = ToAnsi(fileName);
  bool restored = false;
  std::vector<uint8_t> scratch;
  const std::vector<uint8_t>* info = CurrentInfo(scratch);
  if (!info) {
    if (reader_.failure().systemError) ThrowWithoutPrompt();
  } else if (IsLinkInfo(*info)) {
    restored = RestoreLink(path, option != 0, ParseFileInfo(info->data(), info->size()));
  } else if (info->size() >= kFileInfoFixedSize) {
    const FileInfoBlock block = ParseFileInfo(info->data(), info->size());
    PrefetchedRecord* ahead = prefetch_ ? prefetch_->Find(current_) : nullptr;
    const auto content = ahead ? prefetch_->ContentOf(*ahead) : std::nullopt;
    const std::shared_ptr<HeadStartJob> head =
        ahead && !content ? prefetch_->TakeHead(*ahead) : nullptr;
    // Its memory goes back however the restore ends.
    struct HeadReturn {
      RestorePrefetch* prefetch;
      HeadStartJob* head;
      ~HeadReturn() {
        if (head) prefetch->GiveBack(*head);
      }
    } headReturn{prefetch_.get(), head.get()};
    if (content) {
      restored = WriteContent(path, option != 0, *content, block);
    } else if (head && head->outcome() == HeadStartJob::Outcome::kWhole) {
      restored = WriteContent(path, option != 0, head->content(), block);
    } else {
      TargetFile target(layer_, progress_, &folders_);
      target.RefuseFolders(&ownFolders_);
      target.RefuseLinks(&ownLinks_);
      // Only a complete data part (a compressed one with its Adler-32
      // checked by inflating it to the end) takes the target's place.
      restored =
          target.Open(path, option != 0) &&
          (head ? InflateAfterHead(target, *head) : CopyDataPart(target)) &&
          target.Commit(RestoredMode(block.attributes), block.lastAccessTime, block.lastWriteTime);
      refusal_ = target.refusal();
    }
  }
  if (writeInLog == VARIANT_TRUE)
    progress_.Message(path + (!restored ? " FAILED" : linkRestored_ ? kLinkLineEnd : " OK"));
  linkRestored_ = false;
  if (!refusal_.empty()) progress_.Message(path + ": " + std::exchange(refusal_, {}) + ".");
  PumpMessages();
  return restored ? S_OK : E_FAIL;
}

bool Restorer::WriteContent(const std::string& path, bool overwrite,
                            std::span<const uint8_t> content, const FileInfoBlock& block) {
  const unsigned mode = RestoredMode(block.attributes);
  const TargetFile::ContentInHand inHand{mode, (mode & ~creationMask_) == mode};
  TargetFile target(layer_, progress_, &folders_);
  target.RefuseFolders(&ownFolders_);
  target.RefuseLinks(&ownLinks_);
  const bool written = target.Open(path, overwrite, &inHand) &&
                       target.Write(content.data(), content.size()) &&
                       target.Commit(mode, block.lastAccessTime, block.lastWriteTime);
  refusal_ = target.refusal();
  return written;
}

bool Restorer::CopyDataPart(TargetFile& target) {
  buffer_.resize(kReadSize);
  const uint64_t available = record_.dataAvailable;
  const size_t firstSize = static_cast<size_t>(std::min<uint64_t>(kReadSize, available));
  const ssize_t got = reader_.ReadSome(record_.dataOffset, buffer_.data(), firstSize);
  if (got < 0) ThrowWithoutPrompt();
  if (static_cast<size_t>(got) != firstSize) return false;
  if (BeginsWithZlibMagic(buffer_.data(), firstSize)) {
    size_t held = firstSize;
    if (held < available && available <= kWholeInflateDataPart && record_.dataInFile) {
      buffer_.resize(static_cast<size_t>(available));
      if (reader_.ReadExact(record_.dataOffset + held, buffer_.data() + held, available - held))
        held = static_cast<size_t>(available);
      else if (reader_.failure().systemError)
        ThrowWithoutPrompt();
    }
    if (held == available && record_.dataInFile)
      if (const auto written = WriteInflatedWhole(target, {buffer_.data(), held})) return *written;
    return Inflate(target, nullptr, {buffer_.data(), held}) && record_.dataInFile;
  }

  if (!target.Write(buffer_.data(), firstSize)) return false;
  // The rest goes from file to file by the kernel's copy where it can.
  const uint64_t start = record_.dataOffset + firstSize;
  const bool copied = CopyBytes(
      available - firstSize, buffer_,
      [&](uint64_t done, size_t n) {
        const ssize_t copied =
            layer_.CopyRange(reader_.fd(), start + done, target.fd(), target.written(), n);
        if (copied > 0) target.Advance(static_cast<uint64_t>(copied));
        return copied;
      },
      [&](uint64_t done, uint8_t* buffer, size_t n) {
        const ssize_t got = reader_.ReadSome(start + done, buffer, n);
        if (got < 0) ThrowWithoutPrompt();
        return got;
      },
      [&](const uint8_t* buffer, size_t n) { return target.Write(buffer, n); }, PumpMessages);
  return copied && record_.dataInFile;
}

// A data part read whole is inflated whole when its content fits the room
// kept for it; nullopt leaves it to zlib's stream.
std::optional<bool> Restorer::WriteInflatedWhole(TargetFile& target,
                                                 std::span<const uint8_t> dataPart) {
  if (contentRoom_.size() == 0) contentRoom_ = platform::LargeBuffer(kContentRoom);
  const auto inflated = wholeInflater_.Inflate(dataPart, {contentRoom_.data(), kContentRoom});
  if (!inflated) return std::nullopt;
  return target.Write(contentRoom_.data(), inflated->contentSize);
}

// The head inflated ahead goes out first; the stream then goes on from
// where the head stopped reading.
bool Restorer::InflateAfterHead(TargetFile& target, HeadStartJob& head) {
  if (!target.Write(head.content().data(), head.content().size())) return false;
  prefetch_->GiveBack(head);
  return Inflate(target, &head, {});
}

// Inflates the rest of the current data part straight from the archive
// into the target (the restored bytes are those a decompressed temporary
// copy would give): a fresh stream beginning with `first`, or the stream a
// head start left.
bool Restorer::Inflate(TargetFile& target, HeadStartJob* head, std::span<const uint8_t> first) {
  const uint64_t done = head ? head->consumed() : first.size();
  // More than one piece to go: the workers sum the content.
  std::optional<SideAdler> sideAdler;
  try {
    std::optional<Compress::InflateStream> stream;
    if (head)
      stream.emplace(inflatedSink_, head->state(), Compress::InflateStream::Resumed{});
    else
      stream.emplace(inflatedSink_, inflateState_);
    if (pool_ && record_.dataAvailable > done) {
      sideAdler.emplace(*pool_, stream->adler());
      stream->LeaveAdlerToCaller();
    }
    inflatedSink_.Attach([&target, &sideAdler](const uint8_t* data, size_t size) {
      if (sideAdler) sideAdler->Add(data, size);
      if (!target.Write(data, size)) throw TargetAbandoned();
      // The sink's other buffer is filled next.
      if (sideAdler) sideAdler->WaitAllBut(1);
    });
    // The first chunk sits in buffer_, which is also the read buffer: feed
    // it before reading on.
    stream->Write(first.data(), first.size());
    if (!InflateRest(*stream, done)) return false;
    if (sideAdler && sideAdler->Value() != TrailerAt(record_.dataOffset + stream->consumed()))
      return false;
  } catch (const Compress::CCompressException&) {
    return false;
  } catch (const TargetAbandoned&) {
    return false;
  }
  return true;
}

// Feeds the data part from `done` on until the stream ends; a stream that
// does not end within it throws.
bool Restorer::InflateRest(Compress::InflateStream& stream, uint64_t done) {
  buffer_.resize(kReadSize);
  while (done < record_.dataAvailable && !stream.ended()) {
    const size_t want =
        static_cast<size_t>(std::min<uint64_t>(kReadSize, record_.dataAvailable - done));
    const ssize_t n = reader_.ReadSome(record_.dataOffset + done, buffer_.data(), want);
    if (n < 0) ThrowWithoutPrompt();
    if (n == 0) return false;
    stream.Write(buffer_.data(), static_cast<size_t>(n));
    done += static_cast<uint64_t>(n);
    PumpMessages();
  }
  stream.Finish();
  inflatedSink_.Close();
  return true;
}

// The Adler-32 of a stream ending at `end`: its last four bytes.
std::optional<uint32_t> Restorer::TrailerAt(uint64_t end) {
  uint8_t trailer[4];
  const ssize_t got = reader_.ReadSome(end - sizeof trailer, trailer, sizeof trailer);
  if (got < 0) ThrowWithoutPrompt();
  if (got != sizeof trailer) return std::nullopt;
  return uint32_t{trailer[0]} << 24 | uint32_t{trailer[1]} << 16 | uint32_t{trailer[2]} << 8 |
         trailer[3];
}

// ---- Registry keys ---------------------------------------------------------------

HRESULT Restorer::RestoreRegistryKey(BSTR keyName) {
  const std::string key = ToAnsi(keyName);
  if (!LocateCurrent()) ThrowWithoutPrompt();
  // D is checked against the file here, so the blocks cannot claim more
  // bytes (and no value more memory) than the archive holds.
  if (!record_.dataInFile) {
    reader_.Damaged("registry key data beyond the end", record_.dataOffset);
    ThrowWithoutPrompt();
  }
  uint64_t offset = record_.dataOffset;
  const KeyRestore restored =
      RestoreKeyBlocks(key, record_.head.dataSize, [&](void* buffer, size_t size) {
        if (!reader_.ReadExact(offset, buffer, size)) return false;
        offset += size;
        return true;
      });
  if (!restored.complete) {
    if (!reader_.failure().systemError) reader_.Damaged("registry key blocks", offset);
    ThrowWithoutPrompt();
  }
  PumpMessages();
  if (restored.leftOutCount == 0) {
    progress_.Message(key + " OK");
    return S_OK;
  }
  progress_.Message(key + " FAILED");
  for (const std::string& line : restored.leftOut) progress_.Message(line);
  if (restored.leftOutCount > restored.leftOut.size())
    progress_.Message(key + ": " + std::to_string(restored.leftOutCount - restored.leftOut.size()) +
                      " more keys or values left out");
  return E_FAIL;
}

// ---- Strings -------------------------------------------------------------------

HRESULT Restorer::BeginRestoreString(LPSTR buffer, LONG bufferSize, LONG* read, LONG* totalSize) {
  if (!read || !totalSize) return E_POINTER;
  if (!LocateCurrent() || !record_.dataInFile) return E_FAIL;
  stringPosition_ = record_.dataOffset;
  stringRemaining_ = record_.head.dataSize;
  // Out-parameters stay unwritten when the first read fails.
  const HRESULT hr = RestoreNextPartOfString(buffer, bufferSize, read);
  if (Succeeded(hr)) *totalSize = static_cast<LONG>(static_cast<uint32_t>(record_.head.dataSize));
  return hr;
}

HRESULT Restorer::RestoreNextPartOfString(LPSTR buffer, LONG bufferSize, LONG* read) {
  if (!read) return E_POINTER;
  const uint64_t want = std::min<uint64_t>(static_cast<uint32_t>(bufferSize), stringRemaining_);
  if (want > 0 && !buffer) return E_POINTER;
  const ssize_t got = want > 0 ? reader_.ReadSome(stringPosition_, buffer, want) : 0;
  if (got < 0) return E_FAIL;
  stringPosition_ += static_cast<uint64_t>(got);
  stringRemaining_ = got == 0 ? 0 : stringRemaining_ - static_cast<uint64_t>(got);
  *read = static_cast<LONG>(got);
  PumpMessages();
  return S_OK;
}

}  // namespace bkvp::archive
