// Restorer, the archive reader. Lists the client sections of an archive,
// walks one section by the weights of its records, and restores files,
// registry keys and strings. A damaged archive is refused where the damage
// is met; nothing in it can make the reader loop, read outside the file or
// allocate without bound.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/byte_buffer.h"
#include "archive/compress_stream.h"
#include "archive/file_layer.h"
#include "archive/folder_cache.h"
#include "archive/guarded_ops.h"
#include "archive/progress_sink.h"
#include "archive/restore_prefetch.h"
#include "archive/whole_buffer_codec.h"
#include "contract/interfaces.h"
#include "contract/unknown.h"

namespace bkvp::archive {

class TargetFile;

class Restorer : public DispatchObject<IRestorer> {
 public:
  // `threads`: 0 as configured (thread_setting.h), 1 reads no data ahead.
  explicit Restorer(FileLayer& layer = DefaultFileLayer(), int threads = 0);

  HRESULT SetProgress(IProgress* progress) override;
  HRESULT GetVersionInfo(LONG* major, LONG* minor) override;
  HRESULT Reserved1(LONG*, LONG*, DATE*) override { return E_NOTIMPL; }
  HRESULT GetArchiveInfo(BSTR archiveName, BSTR* userName, BSTR* machineName, BSTR* label,
                         DATE* time, LONG* clients) override;
  HRESULT GetClient(INT index, BSTR* name, BSTR* clsid) override;
  HRESULT GetClientOptions(BSTR clsid, VARIANT* options) override;
  HRESULT Iterate(BSTR clsid) override;
  HRESULT Next() override;
  HRESULT IsEnd(BOOL* end) override;
  HRESULT GetObjectInfo(USHORT* type, BSTR* name, LONG* weight) override;
  HRESULT RestoreFile(BSTR fileName, LONG option, BOOL writeInLog) override;
  HRESULT RestoreRegistryKey(BSTR keyName) override;
  HRESULT GetObjectOptions(VARIANT* options) override;
  HRESULT BeginRestoreString(LPSTR buffer, LONG bufferSize, LONG* read, LONG* totalSize) override;
  HRESULT RestoreNextPartOfString(LPSTR buffer, LONG bufferSize, LONG* read) override;

 protected:
  ~Restorer() override = default;

 private:
  // The record the iteration stands on; false with the reader's failure set.
  bool LocateCurrent();
  // Shows the failure's text with a stop icon, then throws ComError.
  [[noreturn]] void PromptAndThrow();
  [[noreturn]] void ThrowWithoutPrompt();
  // Asks whether a failed read of the archive is to be tried again.
  bool AskAboutArchiveRead(uint32_t code);
  // Writes the data part to the target; false when it could not be done
  // completely. Throws ComError when the archive cannot be read.
  bool CopyDataPart(TargetFile& target);
  // Restores the file from its content in memory, read ahead.
  bool WriteContent(const std::string& path, bool overwrite, std::span<const uint8_t> content,
                    const FileInfoBlock& block);
  // An info block that marks a stored link (restorer_links.cpp).
  static bool IsLinkInfo(const std::vector<uint8_t>& info);
  // Restores the current record, a stored link, as a link.
  bool RestoreLink(const std::string& path, bool overwrite, const FileInfoBlock& block);
  // The target text of the stored link at the current record; nullopt when
  // it is damaged or no text a link can hold. Throws ComError when the
  // archive cannot be read.
  std::optional<std::string> StoredLinkTarget();
  // The info block of the current record, read ahead or read now into
  // `scratch`; null when it cannot be read.
  const std::vector<uint8_t>* CurrentInfo(std::vector<uint8_t>& scratch);
  // Workers read ahead once a section is walked with more than one thread.
  void StartReadAhead();
  std::optional<bool> WriteInflatedWhole(TargetFile& target, std::span<const uint8_t> dataPart);
  bool InflateAfterHead(TargetFile& target, HeadStartJob& head);
  bool Inflate(TargetFile& target, HeadStartJob* head, std::span<const uint8_t> first);
  bool InflateRest(Compress::InflateStream& stream, uint64_t done);
  std::optional<uint32_t> TrailerAt(uint64_t end);

  FileLayer& layer_;
  int threadsWanted_;
  ProgressSink progress_;
  ArchiveReader reader_;
  FolderCache folders_;
  std::vector<uint8_t> buffer_;  // one piece of a data part
  // Kept from file to file: the inflate state is reset, not set up again,
  // and the 64 KiB output buffer is allocated once. Each file attaches
  // its own destination to the sink before the first byte.
  Compress::ZlibState inflateState_{Compress::ZlibState::Direction::kInflate};
  // A restored file is written in pieces of 256 KiB: fewer, larger writes.
  // Two buffers in turn leave one piece to the workers' sum (SideAdler).
  Compress::ChunkSink inflatedSink_{nullptr, 256 * 1024, 2};
  // A data part read whole is inflated whole into this room, if its content
  // fits: up to the size the writer deflates whole. Filled again and again,
  // so on huge pages.
  static constexpr size_t kContentRoom = 8u << 20;
  WholeInflater wholeInflater_;
  platform::LargeBuffer contentRoom_;

  bool iterating_ = false;
  uint64_t current_ = 0;
  int32_t sectionTotal_ = 0;
  uint32_t weightPassed_ = 0;  // compared as I4
  RecordLocation record_;
  bool recordValid_ = false;

  std::unique_ptr<CompressionPool> pool_;
  std::unique_ptr<RestorePrefetch> prefetch_;  // declared after the pool it uses
  unsigned creationMask_ = 0777;               // the umask, taken per section
  // The program's own settings and state: no restored file lands there.
  std::vector<FolderIdentity> ownFolders_;
  std::string refusal_;  // why the last file was refused, for its log line
  // The links this restore made: their targets came from the archive, so
  // no later file of it is written through them.
  std::vector<platform::LinkIdentity> ownLinks_;
  bool archiveReadStopped_ = false;  // the user stopped after a failed read
  bool linkRestored_ = false;        // the last file restored was a link

  uint64_t stringPosition_ = 0;
  uint64_t stringRemaining_ = 0;
};

}  // namespace bkvp::archive
