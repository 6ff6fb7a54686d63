// Backuper: storing files. A file is read only up to the size it had when
// opened and stored only if it still has that size and write time after
// the read; one that changed is read once more. Small files, and larger
// ones worth compressing up to the whole-file size, are read whole and
// queued for their record (see backuper.h); the others are written during
// their own call.
#include <fcntl.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "archive/archive_reader.h"
#include "archive/backuper.h"
#include "archive/block_deflate.h"
#include "archive/deflate_jobs.h"
#include "archive/layout.h"
#include "archive/pending_record.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text.h"

namespace bkvp::archive {

namespace {

// How much waits in the queue: enough to keep every worker busy while the
// calling thread reads the next files (two files of the whole-file size
// among them), little enough to stay small. Bytes as WholeFileJob's
// memoryBound counts them.
constexpr size_t kQueuedFilesPerWorker = 64;
constexpr uint64_t kMaxQueuedBytes = 24u << 20;
// Blocks of one large file read ahead of the one being written.
constexpr size_t kBlocksInFlightPerWorker = 2;

// How a large file is cut into the pieces its workers deflate: blocks, but
// for the last block per worker, cut in quarters. Whole blocks at the end
// would leave one worker idle while another finishes, and whatever comes
// next (another file, the end of the run) would wait for that block alone.
struct PieceCuts {
  static constexpr uint64_t kTailCut = 4;
  uint64_t size;
  uint64_t workers;

  uint64_t EndOfPieceAt(uint64_t start) const {
    const uint64_t piece =
        size - start <= workers * kBlockSize ? kBlockSize / kTailCut : kBlockSize;
    return std::min(size, start + piece);
  }
};

bool BeginsWithMagic(std::span<const uint8_t> bytes) {
  return BeginsWithZlibMagic(bytes.data(), bytes.size());
}

}  // namespace

HRESULT Backuper::BackupFile(BSTR fileName, BSTR localName, BSTR actionName, INT weight,
                             BOOL writeInLog) {
  const FileReport report{ToAnsi(fileName), ToAnsi(actionName), weight, writeInLog == VARIANT_TRUE};
  return FinishFileCall(report, StoreFile(report, ToAnsi(localName)));
}

HRESULT Backuper::FinishFileCall(const FileReport& report, Acceptance accepted) {
  if (accepted == Acceptance::kLeftOut) {
    FlushQueue();
    ReportLeftOut(report);
  } else if (accepted == Acceptance::kQueued) {
    // On one thread the record follows at once, as the queue holds one file.
    if (pool_)
      WriteFinishedFiles();
    else
      FlushQueue();
  } else {
    FlushQueue();
    Report(report, accepted == Acceptance::kStored);
  }
  PumpMessages();
  return accepted == Acceptance::kFailed ? E_FAIL : S_OK;
}

void Backuper::Report(const FileReport& report, bool stored) {
  if (report.name != lastProgressName_) progress_.NextStep(report.name, report.weight);
  if (report.log)
    progress_.Message(report.action + " " + report.name +
                      (!stored       ? " FAILED"
                       : report.link ? kLinkLineEnd
                                     : " OK"));
  lastProgressName_ = report.name;
}

void Backuper::ReportLeftOut(const FileReport& report) {
  if (report.name != lastProgressName_) progress_.NextStep(report.name, report.weight);
  if (!leftOutLine_.empty()) progress_.Message(leftOutLine_);
  leftOutLine_.clear();
  lastProgressName_ = report.name;
}

void Backuper::RecordSourceError(const std::string& fileName, uint32_t code) {
  lastErrorCode_ = code;
  lastErrorText_ =
      std::string(platform::CutUtf8(fileName + ": " + platform::ErrorMessage(code), kMaxErrorText));
}

void Backuper::RecordFailure(const std::string& fileName, StoreResult result) {
  switch (result) {
    case StoreResult::kSourceFailed:
      RecordSourceError(fileName, platform::SetLastErrorFromErrno(sourceErrno_));
      break;
    case StoreResult::kChanged:
      lastErrorCode_ = platform::ERROR_SHARING_VIOLATION;
      lastErrorText_ = std::string(
          platform::CutUtf8(fileName + ": the file changed while it was read.", kMaxErrorText));
      break;
    default:
      break;
  }
}

// A file or link can be stored only into an open data file and under names
// the format can hold; otherwise the failure is recorded for it.
bool Backuper::ReadyToStore(const std::string& fileName, const std::string& localName) {
  if (!data_.isOpen()) {
    RecordSourceError(fileName, platform::ERROR_INVALID_HANDLE);
    return false;
  }
  if (!FitsNameLimit(fileName) || !FitsNameLimit(localName)) {
    RecordSourceError(fileName, platform::ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  return true;
}

Backuper::Acceptance Backuper::StoreFile(const FileReport& report, const std::string& localName) {
  const std::string& fileName = report.name;
  if (!ReadyToStore(fileName, localName)) return Acceptance::kFailed;
  // Opened without blocking: a pipe or device handed over as a file must
  // fail here instead of waiting for a writer for ever.
  FileHandle source(layer_, layer_.Open(fileName, O_RDONLY | O_NONBLOCK, 0));
  if (!source.valid()) {
    RecordSourceError(fileName, platform::SetLastErrorFromErrno(errno));
    return Acceptance::kFailed;
  }
  // One look at the open file serves for its kind, its identity, its
  // attributes and times, and its size.
  auto info = platform::GetOpenFileInfo(source.fd(), platform::FileNameOf(fileName));
  if (!info) {
    RecordSourceError(fileName, platform::GetLastError());
    return Acceptance::kFailed;
  }
  if (!info->isRegular) {
    RecordSourceError(fileName, platform::ERROR_ACCESS_DENIED);
    return Acceptance::kFailed;
  }
  // Nor its own temporary files, whatever path leads to them: a destination
  // reached through a link inside the saved tree shows them under other names.
  if (IsOwnFile(info->device, info->inode)) return Acceptance::kStored;
  // Archives of earlier runs kept elsewhere would grow every backup by
  // themselves.
  if (IsArchiveFileName(platform::FileNameOf(fileName)) &&
      WhyNotAnArchive(layer_, fileName).empty()) {
    leftOutLine_ = "Left out: " + fileName + ", a backup archive.";
    return Acceptance::kLeftOut;
  }

  CloseOpenString();
  // One attempt at the file as `found` describes it: a small file, or a
  // larger one worth compressing whole, is read whole, to be queued; any
  // other is stored with its record, after the records of the files before
  // it. A file that changed while it was read is looked at and read once
  // more, the way its size then says.
  ByteBuffer bytes;
  bool readWhole = false;
  Verdict verdict;
  const auto attempt = [&](const platform::FileInfo& found) {
    verdict = Verdict{};
    readWhole = found.size <= kSmallFileSize;
    if (!readWhole) {
      if (const StoreResult r = ChooseCompression(source.fd(), found.size, fileName, &verdict);
          r != StoreResult::kStored)
        return r;
      readWhole = verdict.compress && found.size <= kWholeFileSize;
    }
    if (readWhole) {
      MakeRoomFor(found.size);
      return ReadWhole(source.fd(), found, &bytes);
    }
    FlushQueue();
    return StoreRecord(report, localName, source.fd(), found, verdict.compress);
  };
  StoreResult result = attempt(*info);
  for (int again = 1; again < kReadAttempts && result == StoreResult::kChanged; ++again) {
    info = platform::GetOpenFileInfo(source.fd(), platform::FileNameOf(fileName));
    if (!info) {
      RecordSourceError(fileName, platform::GetLastError());
      return Acceptance::kFailed;
    }
    result = attempt(*info);
  }
  if (result != StoreResult::kStored) {
    RecordFailure(fileName, result);
    return Acceptance::kFailed;
  }
  if (readWhole) return Queue(report, localName, *info, std::move(bytes), verdict.deflater);
  weightSum_ += static_cast<uint32_t>(report.weight);
  return Acceptance::kStored;
}

// ---- Files read whole ------------------------------------------------------

Backuper::Acceptance Backuper::Queue(const FileReport& report, const std::string& localName,
                                     const platform::FileInfo& info, ByteBuffer bytes,
                                     Deflater deflater) {
  // Readers take every data part that begins with 78 DA for a zlib stream, so
  // such bytes are never stored as they are: they go through the compressor,
  // and the stream that readers find is then a real one.
  const bool mustCompress = BeginsWithMagic(bytes.view());
  const bool compress = mustCompress || (Compress::IsCompressible(report.name) &&
                                         static_cast<uint32_t>(info.size) != 0);
  QueuedFile queued{
      report, RecordHead(report.name, localName, report.weight, info),
      std::make_shared<WholeFileJob>(std::move(bytes), mustCompress, compress, deflater), false};
  if (compress) {
    if (pool_) {
      pool_->Submit(queued.job);
      queued.compressing = true;
    } else {
      queued.job->Run(ownStates_);
    }
  }
  queuedBytes_ += queued.job->memoryBound();
  if (queued.job->size() > kSmallFileSize) ++queuedLargeFiles_;
  queue_.push_back(std::move(queued));
  return Acceptance::kQueued;
}

// One read of the size and a byte more: a file that holds more or less than
// its size said has changed since, as has one whose write time moved.
Backuper::StoreResult Backuper::ReadWhole(int source, const platform::FileInfo& info,
                                          ByteBuffer* bytes) {
  *bytes = ByteBuffer(static_cast<size_t>(info.size) + 1);
  size_t got = 0;
  // A read that stops short of the byte more has found the end already.
  for (;;) {
    size_t more = 0;
    if (const StoreResult r =
            ReadUpTo(source, got, bytes->data() + got, bytes->size() - got, &more, true);
        r != StoreResult::kStored)
      return r;
    got += more;
    if (more == 0 || got >= info.size) break;
  }
  if (got != info.size) return StoreResult::kChanged;
  bytes->Shrink(got);
  const auto after = platform::GetOpenFileInfo(source, "");
  if (!after || after->size != info.size || after->lastWriteTime != info.lastWriteTime)
    return StoreResult::kChanged;
  return StoreResult::kStored;
}

void Backuper::FlushQueue() {
  while (!queue_.empty()) WriteFrontOfQueue();
}

void Backuper::WriteFinishedFiles() {
  while (!queue_.empty() && (!queue_.front().compressing || pool_->IsDone(*queue_.front().job)))
    WriteFrontOfQueue();
  const size_t maxFiles = kQueuedFilesPerWorker * static_cast<size_t>(pool_->workers());
  while (queue_.size() > maxFiles || queuedBytes_ > kMaxQueuedBytes) WriteFrontOfQueue();
}

// Writes the records at the front of the queue until a file of `size`
// fits beside the rest; the queue may always take one file. No more files
// above the small-file size wait than there are workers to deflate them:
// more would only hold their memory.
void Backuper::MakeRoomFor(uint64_t size) {
  const bool large = size > kSmallFileSize;
  const auto full = [&] {
    return queuedBytes_ + 2 * size > kMaxQueuedBytes ||
           (large && queuedLargeFiles_ >= static_cast<size_t>(pool_ ? pool_->workers() : 1));
  };
  while (!queue_.empty() && full()) WriteFrontOfQueue();
}

void Backuper::WriteFrontOfQueue() {
  QueuedFile file = std::move(queue_.front());
  queue_.pop_front();
  queuedBytes_ -= file.job->memoryBound();
  if (file.job->size() > kSmallFileSize) --queuedLargeFiles_;
  try {
    if (file.compressing) pool_->Wait(*file.job);
    const bool stored = !file.job->failed();
    if (stored) {
      const uint64_t recordStart = data_.size();
      WriteFileRecord(recordStart, file.report, [&] {
        PendingRecord record(data_, std::move(file.head));
        const std::span<const uint8_t> data = file.job->dataPart();
        record.Append(data.data(), data.size());
        record.Finish();
      });
      weightSum_ += static_cast<uint32_t>(file.report.weight);
    }
    Report(file.report, stored);
  } catch (...) {
    // The run ends here: the files behind it are never written.
    DropQueue();
    throw;
  }
}

void Backuper::DropQueue() {
  queue_.clear();
  queuedBytes_ = 0;
  queuedLargeFiles_ = 0;
}

// ---- Files read as they are stored ----------------------------------------

std::vector<uint8_t> Backuper::RecordHead(const std::string& fileName, const std::string& localName,
                                          int32_t weight, const platform::FileInfo& info) {
  FileInfoBlock block{info.isSymlink ? LinkAttributes(info.attributes)
                                     : AttributesWithMode(info.attributes, info.mode),
                      info.creationTime, info.lastAccessTime, info.lastWriteTime, localName};
  std::vector<uint8_t> head =
      ComposeRecordHead(0, kObjectFile, weight, fileName, true,
                        static_cast<uint32_t>(kFileInfoFixedSize + localName.size() + 1));
  const std::vector<uint8_t> infoBytes = ComposeFileInfo(block);
  head.insert(head.end(), infoBytes.begin(), infoBytes.end());
  return head;
}

// One attempt at the record: exactly the bytes the file had when its size
// was taken, and only if it still has that size and write time afterwards.
// A record that fails is cut, so the section is as it was before.
Backuper::StoreResult Backuper::StoreRecord(const FileReport& report, const std::string& localName,
                                            int source, const platform::FileInfo& info,
                                            bool compress) {
  const uint64_t recordStart = data_.size();
  StoreResult result = StoreResult::kStored;
  WriteFileRecord(recordStart, report, [&] {
    PendingRecord record(data_, RecordHead(report.name, localName, report.weight, info));
    if (!compress)
      result = CopySource(source, info.size, record);
    else if (pool_)
      result = CompressBlocks(source, info.size, record);
    else
      result = CompressSource(source, info.size, record);
    if (result == StoreResult::kStored) result = CheckUnchanged(source, info);
    if (result == StoreResult::kStored) record.Finish();
  });
  if (result != StoreResult::kStored) data_.SetEnd(recordStart);
  return result;
}

// The extension rule first (stored-as-is types and empty files are copied),
// then the content: a file whose samples do not shrink enough is copied
// too. Data beginning 78 DA is always compressed.
Backuper::StoreResult Backuper::ChooseCompression(int source, uint64_t size,
                                                  const std::string& fileName, Verdict* verdict) {
  const bool byName = Compress::IsCompressible(fileName) && static_cast<uint32_t>(size) != 0;
  verdict->compress = !byName && BeginsWithZlibMagic(source);
  if (!byName) return StoreResult::kStored;
  return JudgeBySamples(source, size, verdict);
}

// The verdict is wanted now: this thread deflates the head sample itself
// and hands the others to the workers ahead of the files queued before,
// but deflates those too when no worker has taken them yet (they are all
// busy with longer work). A file that is deflated whole is deflated by
// whichever compressor makes its samples smaller.
Backuper::StoreResult Backuper::JudgeBySamples(int source, uint64_t size, Verdict* verdict) {
  const size_t sampleSize = static_cast<size_t>(std::min<uint64_t>(kSampleSize, size));
  for (size_t i = 0; i < kSamples; ++i) {
    std::vector<uint8_t>& sample = samples_[i];
    sample.resize(sampleSize);
    size_t got = 0;
    if (const StoreResult r = ReadUpTo(source, (size - sampleSize) * i / (kSamples - 1),
                                       sample.data(), sampleSize, &got);
        r != StoreResult::kStored)
      return r;
    if (got != sampleSize) return StoreResult::kChanged;
  }
  const bool compareZlib = size <= kWholeFileSize;
  std::array<std::shared_ptr<SampleJob>, kSamples> jobs;
  for (size_t i = 0; i < kSamples; ++i) {
    jobs[i] = std::make_shared<SampleJob>(samples_[i], compareZlib);
    if (pool_ && i > 0) pool_->SubmitFirst(jobs[i]);
  }
  size_t deflated = 0, zlib = 0;
  for (size_t i = 0; i < kSamples; ++i) {
    if (!pool_ || i == 0 || pool_->Withdraw(*jobs[i]))
      jobs[i]->Run(ownStates_);
    else
      pool_->Wait(*jobs[i]);
    deflated += jobs[i]->sizes().wholeBuffer;
    zlib += jobs[i]->sizes().zlib;
  }
  // Data beginning 78 DA is compressed however little it shrinks: readers
  // take such a data part for a stream.
  verdict->compress =
      BeginsWithMagic(samples_[0]) || ShrinksEnough(deflated, kSamples * sampleSize);
  verdict->deflater = zlib < deflated ? Deflater::kZlib : Deflater::kWholeBuffer;
  return StoreResult::kStored;
}

// After the read: the file must end where its size said (a file whose size
// says less than it holds, as some system files do, would otherwise be
// stored cut) and still have that size and write time.
Backuper::StoreResult Backuper::CheckUnchanged(int source, const platform::FileInfo& info) {
  uint8_t beyond;
  const ssize_t n = layer_.ReadAt(source, &beyond, 1, info.size);
  if (n < 0) {
    sourceErrno_ = errno;
    return StoreResult::kSourceFailed;
  }
  const auto after = platform::GetOpenFileInfo(source, "");
  if (n > 0 || !after || after->size != info.size || after->lastWriteTime != info.lastWriteTime)
    return StoreResult::kChanged;
  return StoreResult::kStored;
}

bool Backuper::BeginsWithZlibMagic(int source) {
  uint8_t first[2];
  return layer_.ReadAt(source, first, sizeof first, 0) == 2 &&
         archive::BeginsWithZlibMagic(first, 2);
}

Backuper::StoreResult Backuper::ReadUpTo(int source, uint64_t offset, uint8_t* out, size_t size,
                                         size_t* got, bool once) {
  size_t done = 0;
  while (done < size && (!once || done == 0)) {
    const ssize_t n = layer_.ReadAt(source, out + done, size - done, offset + done);
    if (n < 0) {
      sourceErrno_ = errno;
      return StoreResult::kSourceFailed;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  *got = done;
  return StoreResult::kStored;
}

// Reads the next chunk of the source, never past `size`. A file that ends
// before it has changed since its size was taken.
Backuper::StoreResult Backuper::ReadSource(int source, uint64_t offset, uint64_t size,
                                           size_t* got) {
  const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer_.size(), size - offset));
  const ssize_t n = layer_.ReadAt(source, buffer_.data(), want, offset);
  if (n < 0) {
    sourceErrno_ = errno;
    return StoreResult::kSourceFailed;
  }
  if (n == 0) return StoreResult::kChanged;
  *got = static_cast<size_t>(n);
  return StoreResult::kStored;
}

Backuper::StoreResult Backuper::CopySource(int source, uint64_t size, PendingRecord& record) {
  uint64_t offset = 0;
  if (size > 0) record.Flush();
  bool kernelCopy = true;
  while (offset < size) {
    if (kernelCopy && record.flushed()) {
      const ssize_t n = data_.CopyAppendFrom(
          source, offset, static_cast<size_t>(std::min<uint64_t>(kKernelCopyRange, size - offset)));
      if (n == 0) return StoreResult::kChanged;
      if (n > 0) {
        offset += static_cast<uint64_t>(n);
        continue;
      }
      kernelCopy = false;
    }
    size_t got = 0;
    if (const StoreResult r = ReadSource(source, offset, size, &got); r != StoreResult::kStored)
      return r;
    record.Append(buffer_.data(), got);
    offset += got;
    if (offset < size) {
      // More than a chunk: the rest goes file to file.
      record.Flush();
      PumpMessages();
    }
  }
  return StoreResult::kStored;
}

// Compresses straight into the data file: the bytes are those a separate
// compressed copy would hold, without writing and reading them twice.
Backuper::StoreResult Backuper::CompressSource(int source, uint64_t size, PendingRecord& record) {
  try {
    compressedSink_.Attach([&record](const uint8_t* data, size_t n) { record.Append(data, n); });
    Compress::DeflateStream stream(compressedSink_, deflateState_);
    for (uint64_t offset = 0; offset < size;) {
      size_t got = 0;
      if (const StoreResult r = ReadSource(source, offset, size, &got); r != StoreResult::kStored)
        return r;
      stream.Write(buffer_.data(), got);
      offset += got;
      PumpMessages();
    }
    stream.Finish();
    compressedSink_.Close();
  } catch (const Compress::CCompressException&) {
    return StoreResult::kCompressionFailed;
  }
  return StoreResult::kStored;
}

// The calling thread reads blocks ahead and writes the finished ones in
// order; the workers deflate those in between. A fixed number of blocks is
// in flight whatever the file's size.
Backuper::StoreResult Backuper::CompressBlocks(int source, uint64_t size, PendingRecord& record) {
  const size_t workers = static_cast<size_t>(pool_->workers());
  const PieceCuts cuts{size, workers};
  const size_t maxInFlight = kBlocksInFlightPerWorker * workers;
  std::deque<std::shared_ptr<BlockJob>> inFlight;
  std::shared_ptr<const std::vector<uint8_t>> previous;
  AdlerOfPieces adler;
  uint64_t read = 0;  // where the next piece to read starts
  record.Append(kZlibMagic, sizeof kZlibMagic);
  for (;;) {
    while (read < size && inFlight.size() < maxInFlight) {
      const uint64_t end = cuts.EndOfPieceAt(read);
      auto input = blockBuffers_.Get(static_cast<size_t>(end - read));
      size_t got = 0;
      if (const StoreResult r = ReadUpTo(source, read, input->data(), input->size(), &got);
          r != StoreResult::kStored)
        return r;
      if (got != input->size()) return StoreResult::kChanged;
      inFlight.push_back(std::make_shared<BlockJob>(previous, input, end == size));
      pool_->Submit(inFlight.back());
      previous = std::move(input);
      read = end;
    }
    const std::shared_ptr<BlockJob> job = std::move(inFlight.front());
    inFlight.pop_front();
    pool_->Wait(*job);
    if (job->failed()) return StoreResult::kCompressionFailed;
    record.Append(job->output().data(), job->output().size());
    adler.Add(job->adler(), job->input()->size());
    PumpMessages();
    if (read == size && inFlight.empty()) break;
  }
  const std::vector<uint8_t> trailer = adler.Trailer();
  record.Append(trailer.data(), trailer.size());
  return StoreResult::kStored;
}

template <class Body>
void Backuper::WriteFileRecord(uint64_t recordStart, const FileReport& report, Body&& body) {
  try {
    WriteRecord(recordStart, std::forward<Body>(body));
  } catch (const ComError&) {
    // A disk prompt was cancelled while this record was written; the run
    // ends, and the log says which file was not stored. The cancellation
    // travels on whatever the progress object makes of the line.
    try {
      if (report.log) progress_.Message(report.action + " " + report.name + " FAILED");
    } catch (...) {
    }
    throw;
  }
}

}  // namespace bkvp::archive
