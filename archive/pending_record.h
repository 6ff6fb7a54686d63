// A file record on its way into the writer's data file. Its head and the
// first stretch of its data wait here, so that a record whose data fits one
// chunk reaches the file in a single write with its data size already set;
// longer data goes to the file as it comes and the size is patched at the end.
#pragma once

#include <cstdint>
#include <vector>

#include "archive/format.h"
#include "archive/guarded_ops.h"

namespace bkvp::archive {

class PendingRecord {
 public:
  // `head` is the record up to its data part, D still 0; the record starts
  // at the current end of the file.
  PendingRecord(GuardedFile& file, std::vector<uint8_t> head)
      : file_(file), bytes_(std::move(head)), headSize_(bytes_.size()), start_(file.size()) {}

  void Append(const uint8_t* data, size_t size) {
    if (!flushed_ && bytes_.size() - headSize_ + size <= kChunkSize) {
      bytes_.insert(bytes_.end(), data, data + size);
      return;
    }
    Flush();
    file_.Append(data, size);
  }
  // Writes what waits; from now on data goes straight to the file (and may
  // be appended to it by other means).
  void Flush() {
    if (flushed_) return;
    file_.Append(bytes_.data(), bytes_.size());
    flushed_ = true;
    bytes_ = std::vector<uint8_t>();
  }
  bool flushed() const { return flushed_; }
  // Sets the data size D. Requires: every data byte was appended.
  void Finish() {
    uint8_t size[8];
    if (!flushed_) {
      PutLE<uint64_t>(bytes_.data() + kRecordDataSizeOffset, bytes_.size() - headSize_);
      Flush();
      return;
    }
    PutLE<uint64_t>(size, file_.size() - start_ - headSize_);
    file_.WriteAt(start_ + kRecordDataSizeOffset, size, sizeof size);
  }

 private:
  GuardedFile& file_;
  std::vector<uint8_t> bytes_;
  size_t headSize_;
  uint64_t start_;
  bool flushed_ = false;
};

}  // namespace bkvp::archive
