// Reading ahead of a restore. While the calling thread writes one file, the
// next records of the section are located, their info blocks and data parts
// read, and workers inflate those data parts into memory; the caller then
// only writes them out. Of a stream too large to hold whole, workers
// inflate the head (see HeadStartJob). What the read-ahead finds is a
// shortcut, never a decision: a record it cannot read or a data part that
// does not inflate is simply not prefetched, and the caller reads it itself
// as it would without a read-ahead (failures, prompts and all). The workers
// never touch a file; the archive is read on the caller's thread.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/compression_pool.h"
#include "archive/inflate_jobs.h"

namespace bkvp::archive {

// A record located ahead of the caller, with what could be read of it.
struct PrefetchedRecord {
  RecordLocation location;
  std::vector<uint8_t> info;
  bool haveInfo = false;
  std::shared_ptr<InflateJob> job;  // null: the data part was not prefetched
  bool submitted = false;           // the job went to a worker
  // A stream too large to hold whole: its head may be inflated ahead
  // instead.
  bool large = false;
  bool headTried = false;
  std::shared_ptr<HeadStartJob> head;  // until the caller takes it
  uint64_t inputBytes = 0;
  uint64_t outputLimit = 0;
  bool used = false;  // the caller took its content
};

// Compressed data parts up to this size are read whole by the restore and
// inflated whole (libdeflate, several times faster than zlib's stream) when
// their content fits the room it keeps; larger ones get head starts.
constexpr uint64_t kWholeInflateDataPart = 2u << 20;

class RestorePrefetch {
 public:
  RestorePrefetch(ArchiveReader& reader, CompressionPool& pool) : reader_(reader), pool_(pool) {}

  ~RestorePrefetch() { Clear(); }

  // The caller stands on the record at `position` of a section of weight
  // `total`, of which `passed` lies behind it. What lies before is dropped
  // and the read-ahead is topped up.
  void MoveTo(uint64_t position, uint32_t passed, int32_t total);
  // Drops everything read ahead (another section or archive follows).
  void Clear();
  // The record at `position`, when it was read ahead.
  PrefetchedRecord* Find(uint64_t position);
  // The content of that record's data part, once its worker is done;
  // nullopt when there is none. Data parts are read ahead only while the caller
  // takes the content of every file it passes: a caller that picks a few
  // files from an archive must not make the whole archive be read.
  std::optional<std::span<const uint8_t>> ContentOf(PrefetchedRecord& record);
  // Hands the head start of that record's stream to the caller once its
  // worker is done; null when there is none or it failed. It is the
  // caller's from then on, and taken once.
  std::shared_ptr<HeadStartJob> TakeHead(PrefetchedRecord& record);
  // The caller has written a head out: its memory serves the next one.
  // Giving it back again does nothing.
  void GiveBack(HeadStartJob& head);

 private:
  void TopUp();
  void ReadDataPart(PrefetchedRecord& record);
  // Starts heads for the large data parts ahead of the caller's record.
  void StartHeads();
  void StartHead(PrefetchedRecord& record);
  void Reclaim(HeadStartJob& head);
  void Drop(PrefetchedRecord& record);

  ArchiveReader& reader_;
  CompressionPool& pool_;
  std::deque<PrefetchedRecord> ahead_;
  uint64_t nextPosition_ = 0;  // of the first record not read ahead yet
  uint32_t passed_ = 0;        // the weight before nextPosition_
  int32_t total_ = 0;
  bool walkEnded_ = true;
  bool skipping_ = false;      // the caller passed a file without its content
  uint64_t inputBytes_ = 0;    // of the data parts held
  uint64_t outputLimits_ = 0;  // the sum of their jobs' limits
  int headsOut_ = 0;           // head starts holding buffers
  size_t untried_ = 0;         // large records ahead not given a head start yet
  std::vector<std::unique_ptr<HeadStartBuffers>> spareHeads_;
};

}  // namespace bkvp::archive
