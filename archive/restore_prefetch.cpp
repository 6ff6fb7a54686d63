#include "archive/restore_prefetch.h"

#include <algorithm>
#include <new>

#include "archive/layout.h"
#include "contract/com_types.h"

namespace bkvp::archive {

namespace {

// What the read-ahead may hold at once, whatever the archive claims: memory
// stays bounded by these, and a small file's turn comes long before the
// limits bite.
constexpr size_t kMaxRecordsAhead = 64;
constexpr uint64_t kMaxInputAhead = 4u << 20;
constexpr uint64_t kMaxOutputAhead = 8u << 20;
// Larger data parts are not held whole: content of megabytes in fresh
// memory costs more in page faults than the workers save.
constexpr uint64_t kMaxDataPartAhead = 256u << 10;
// A stream's content may be this many times its size (text shrinks to a
// fifth, logs further), within these bounds.
constexpr uint64_t kContentPerDataByte = 16;
constexpr uint64_t kMinContentLimit = 128u << 10;
constexpr uint64_t kMaxContentLimit = 2u << 20;
// Larger streams get a head start: two at a time, each the content that
// the first MiB of the data part gives, up to 3 MiB. The caller then
// writes that out and inflates the rest itself.
constexpr int kMaxHeads = 2;
constexpr size_t kHeadInput = 1u << 20;
constexpr size_t kHeadOutput = 3u << 20;

}  // namespace

void RestorePrefetch::MoveTo(uint64_t position, uint32_t passed, int32_t total) {
  while (!ahead_.empty() && ahead_.front().location.position != position) {
    // A file passed without its content: the caller picks files.
    if ((ahead_.front().job || ahead_.front().large) && !ahead_.front().used) skipping_ = true;
    Drop(ahead_.front());
    ahead_.pop_front();
  }
  if (ahead_.empty()) {
    nextPosition_ = position;
    passed_ = passed;
    walkEnded_ = false;
  }
  total_ = total;
  // Topped up in batches, not record by record: the workers then take many
  // jobs per wake-up instead of sleeping and waking for each small file.
  if (ahead_.size() <= kMaxRecordsAhead / 2 && inputBytes_ <= kMaxInputAhead / 2 &&
      outputLimits_ <= kMaxOutputAhead / 2)
    TopUp();
  StartHeads();
}

void RestorePrefetch::Clear() {
  for (PrefetchedRecord& record : ahead_) Drop(record);
  ahead_.clear();
  walkEnded_ = true;
  skipping_ = false;
}

PrefetchedRecord* RestorePrefetch::Find(uint64_t position) {
  for (PrefetchedRecord& record : ahead_)
    if (record.location.position == position) return &record;
  return nullptr;
}

std::optional<std::span<const uint8_t>> RestorePrefetch::ContentOf(PrefetchedRecord& record) {
  record.used = true;
  if (skipping_) {
    // The caller restores every file again: read ahead again.
    skipping_ = false;
    TopUp();
  }
  if (!record.job) return std::nullopt;
  if (record.submitted) pool_.Wait(*record.job);
  return record.job->content();
}

std::shared_ptr<HeadStartJob> RestorePrefetch::TakeHead(PrefetchedRecord& record) {
  record.used = true;
  std::shared_ptr<HeadStartJob> head = std::move(record.head);
  if (!head) return nullptr;
  pool_.Wait(*head);
  if (head->outcome() != HeadStartJob::Outcome::kFailed) return head;
  GiveBack(*head);
  return nullptr;
}

void RestorePrefetch::GiveBack(HeadStartJob& head) {
  Reclaim(head);
  StartHeads();
}

void RestorePrefetch::Reclaim(HeadStartJob& head) {
  if (auto buffers = head.TakeBuffers()) {
    spareHeads_.push_back(std::move(buffers));
    --headsOut_;
  }
}

void RestorePrefetch::StartHeads() {
  // Not for the record the caller stands on: it would only wait for it.
  for (size_t i = 1; i < ahead_.size() && headsOut_ < kMaxHeads && untried_ > 0 && !skipping_; ++i)
    if (ahead_[i].large && !ahead_[i].headTried) {
      ahead_[i].headTried = true;
      --untried_;
      StartHead(ahead_[i]);
    }
}

void RestorePrefetch::StartHead(PrefetchedRecord& record) {
  std::unique_ptr<HeadStartBuffers> buffers;
  if (spareHeads_.empty()) {
    try {
      buffers = std::make_unique<HeadStartBuffers>(kHeadInput, kHeadOutput);
    } catch (const std::bad_alloc&) {
      return;  // the caller inflates it all itself
    }
  } else {
    buffers = std::move(spareHeads_.back());
    spareHeads_.pop_back();
  }
  buffers->inputSize =
      static_cast<size_t>(std::min<uint64_t>(kHeadInput, record.location.dataAvailable));
  buffers->wholePart = buffers->inputSize == record.location.dataAvailable;
  const ReadFailure before = reader_.failure();
  const bool asking = reader_.SetAsking(false);
  const bool read =
      reader_.ReadExact(record.location.dataOffset, buffers->input(), buffers->inputSize);
  reader_.RestoreFailure(before);
  reader_.SetAsking(asking);
  if (!read) {
    spareHeads_.push_back(std::move(buffers));
    return;
  }
  record.head = std::make_shared<HeadStartJob>(std::move(buffers));
  pool_.Submit(record.head);
  ++headsOut_;
}

void RestorePrefetch::TopUp() {
  // Reads made ahead of time leave no failure behind: the caller meets a
  // damaged record when it gets there, as it would have.
  const ReadFailure before = reader_.failure();
  const bool asking = reader_.SetAsking(false);
  while (!walkEnded_ && ahead_.size() < kMaxRecordsAhead && inputBytes_ < kMaxInputAhead &&
         outputLimits_ < kMaxOutputAhead) {
    if (static_cast<int32_t>(passed_) >= total_) {
      walkEnded_ = true;
      break;
    }
    PrefetchedRecord record;
    if (!reader_.ReadRecord(nextPosition_, &record.location) || !record.location.dataInFile) {
      walkEnded_ = true;
      break;
    }
    record.haveInfo = reader_.ReadInfo(record.location, &record.info);
    if (record.location.head.type == kObjectFile && !skipping_) ReadDataPart(record);
    passed_ += static_cast<uint32_t>(record.location.head.weight);
    nextPosition_ = record.location.next;
    ahead_.push_back(std::move(record));
  }
  reader_.RestoreFailure(before);
  reader_.SetAsking(asking);
}

void RestorePrefetch::ReadDataPart(PrefetchedRecord& record) {
  const uint64_t size = record.location.dataAvailable;
  // The caller inflates these whole itself, faster than a head start.
  if (size > kMaxDataPartAhead && size <= kWholeInflateDataPart) return;
  if (size > kMaxDataPartAhead) {
    uint8_t magic[2];
    record.large = reader_.ReadExact(record.location.dataOffset, magic, sizeof magic) &&
                   BeginsWithZlibMagic(magic, sizeof magic);
    if (record.large) ++untried_;
    return;
  }
  std::vector<uint8_t> data(static_cast<size_t>(size));
  if (!reader_.ReadExact(record.location.dataOffset, data.data(), data.size())) return;
  const bool stream = BeginsWithZlibMagic(data.data(), data.size());
  record.inputBytes = size;
  record.outputLimit =
      stream ? std::clamp(size * kContentPerDataByte, kMinContentLimit, kMaxContentLimit) : 0;
  inputBytes_ += record.inputBytes;
  outputLimits_ += record.outputLimit;
  record.job = std::make_shared<InflateJob>(std::move(data), stream,
                                            static_cast<size_t>(record.outputLimit));
  if (stream) {
    pool_.Submit(record.job);
    record.submitted = true;
  }
}

void RestorePrefetch::Drop(PrefetchedRecord& record) {
  // A job nobody will wait for leaves the queue with its bytes.
  if (record.submitted) pool_.Withdraw(*record.job);
  inputBytes_ -= record.inputBytes;
  outputLimits_ -= record.outputLimit;
  record.job.reset();
  if (record.large && !record.headTried) --untried_;
  if (record.head) {
    // A job no worker took is simply not run.
    if (!pool_.Withdraw(*record.head)) pool_.Wait(*record.head);
    Reclaim(*record.head);
    record.head.reset();
  }
}

}  // namespace bkvp::archive
