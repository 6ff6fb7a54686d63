// Reads an archive with every length checked against the file: the header,
// the client table, section totals and record heads. Nothing it is told by
// the file makes it read outside the file, allocate more than the format's
// limits allow, or go backwards.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "archive/file_layer.h"
#include "archive/layout.h"

namespace bkvp::archive {

// Why the last read failed: a system error (the file could not be read) or
// an archive that is damaged or cut short.
struct ReadFailure {
  uint32_t code = 0;
  std::string text;  // at most 255 bytes
  bool systemError = false;
  bool notRegularFile = false;  // a folder, pipe, socket or device was named
  // For a damaged archive: what is wrong ("name length 257 is out of
  // range") and where, without the sentence around it.
  std::string what;
  uint64_t offset = 0;
};

// One entry of the client table as it stands, in table order.
struct TableEntry {
  uint64_t sectionOffset = 0;
  std::string clsid;
  std::string name;
  uint32_t optionBytes = 0;
};

// One record, located: where its parts begin and whether its data part lies
// wholly inside the file.
struct RecordLocation {
  uint64_t position = 0;
  RecordHead head;
  uint64_t infoOffset = 0;
  uint64_t dataOffset = 0;
  uint64_t next = 0;           // valid only when dataInFile
  uint64_t dataAvailable = 0;  // bytes of the data part present in the file
  bool dataInFile = false;
};

class ArchiveReader {
 public:
  explicit ArchiveReader(FileLayer& layer) : layer_(layer) {}

  // Opens the file and reads header and client table. Later entries of the
  // same class identifier replace earlier ones. Only a regular file is
  // taken; a pipe or device is refused without waiting on it.
  bool Open(const std::string& path);
  void Close();
  bool isOpen() const { return file_.valid(); }

  const ArchiveHeader& header() const { return header_; }
  // Ordered by byte-wise comparison of the identifiers.
  const std::map<std::string, ClientTableEntry>& clients() const { return clients_; }
  // Every entry of the table, in its order, duplicates included.
  const std::vector<TableEntry>& table() const { return table_; }
  uint64_t fileSize() const { return fileSize_; }
  // Where the client table ends and the data area begins.
  uint64_t tableEnd() const { return tableEnd_; }
  int fd() const { return file_.fd(); }
  const std::string& path() const { return path_; }
  FileLayer& layer() const { return layer_; }
  const ReadFailure& failure() const { return failure_; }
  // Puts an earlier failure back: reads made ahead of time leave no trace.
  void RestoreFailure(ReadFailure failure) { failure_ = std::move(failure); }

  bool ReadSectionTotal(uint64_t sectionOffset, int32_t* total);
  bool ReadRecord(uint64_t position, RecordLocation* record);
  // The record's info block (at most the format's limit).
  bool ReadInfo(const RecordLocation& record, std::vector<uint8_t>* info);
  // Exactly `size` bytes or false (system error, or the end of the file).
  bool ReadExact(uint64_t offset, void* buffer, size_t size);
  // Up to `size` bytes; -1 on a system error. Small reads are served from
  // one window of the file read ahead, so walking records costs one read
  // for many of them.
  ssize_t ReadSome(uint64_t offset, void* buffer, size_t size);

  // Records a damaged archive as the failure; always returns false.
  bool Damaged(const std::string& what, uint64_t offset);

  // Asked, with the system error, when a read of the archive fails: true
  // opens the file again and retries the read (the medium may be back),
  // false lets the read fail. Reads made ahead of time (SetAsking(false))
  // fail quietly: the read that needs the bytes asks. Returns the old state.
  void AskOnReadError(std::function<bool(uint32_t code)> ask) { ask_ = std::move(ask); }
  bool SetAsking(bool asking) {
    std::swap(asking, asking_);
    return asking;
  }

 private:
  bool ReadHeader();
  bool ReadClientTable(int32_t count, uint64_t offset);
  ssize_t ReadFromFile(uint64_t offset, void* buffer, size_t size);
  void ForgetWindow() { windowSize_ = 0; }

  FileLayer& layer_;
  FileHandle file_;
  std::string path_;
  uint64_t fileSize_ = 0;
  uint64_t tableEnd_ = 0;
  ArchiveHeader header_;
  std::map<std::string, ClientTableEntry> clients_;
  std::vector<TableEntry> table_;
  ReadFailure failure_;
  std::function<bool(uint32_t code)> ask_;
  bool asking_ = true;
  std::vector<uint8_t> window_;  // the bytes from windowStart_ on
  uint64_t windowStart_ = 0;
  size_t windowSize_ = 0;
};

// Why the file at `path` is not one of this program's archives; "" when it
// is: a regular file (not a link, pipe or folder) whose name is an archive
// name (IsArchiveFileName) and whose header and client table read.
std::string WhyNotAnArchive(FileLayer& layer, const std::string& path);

}  // namespace bkvp::archive
