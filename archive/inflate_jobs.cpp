#include "archive/inflate_jobs.h"

#include <algorithm>

#include "archive/compress_stream.h"

namespace bkvp::archive {

InflateJob::InflateJob(std::vector<uint8_t> dataPart, bool stream, size_t outputLimit)
    : dataPart_(std::move(dataPart)), stream_(stream), limit_(outputLimit), complete_(!stream) {}

// The same stream rules as the restore that reads as it goes: bytes after
// the end of the stream are ignored, and a stream must reach its end. The
// content is inflated into the worker's room and copied out at its size:
// memory of the limit's size for every file would be mapped and unmapped
// file after file, which costs more than the copy.
void InflateJob::Run(WorkerStates& states) {
  ByteBuffer& room = states.contentRoom;
  if (room.size() < limit_) room = ByteBuffer(limit_);
  if (const auto inflated = states.inflater.Inflate(dataPart_, {room.data(), limit_})) {
    inflated_ = ByteBuffer(inflated->contentSize);
    std::copy_n(room.data(), inflated->contentSize, inflated_.data());
    complete_ = true;
  }
  dataPart_ = std::vector<uint8_t>();
}

std::optional<std::span<const uint8_t>> InflateJob::content() const {
  if (!complete_) return std::nullopt;
  if (!stream_) return dataPart_;
  return inflated_.view();
}

HeadStartJob::HeadStartJob(std::unique_ptr<HeadStartBuffers> buffers)
    : buffers_(std::move(buffers)) {}

// A data part read whole is inflated whole when its content fits the room.
// Otherwise one call of zlib goes over what was read: it stops at the end of
// the stream, of the input or of the room, whichever comes first.
void HeadStartJob::Run(WorkerStates& states) {
  if (buffers_->wholePart) {
    if (const auto inflated =
            states.inflater.Inflate({buffers_->input(), buffers_->inputSize},
                                    {buffers_->output(), buffers_->outputRoom()})) {
      produced_ = inflated->contentSize;
      consumed_ = inflated->streamSize;
      outcome_ = Outcome::kWhole;
      return;
    }
  }
  try {
    z_stream& stream = state_.Begin();
    const size_t room = buffers_->outputRoom();
    stream.next_in = buffers_->input();
    stream.avail_in = static_cast<uInt>(buffers_->inputSize);
    stream.next_out = buffers_->output();
    stream.avail_out = static_cast<uInt>(room);
    const int result = inflate(&stream, Z_NO_FLUSH);
    produced_ = room - stream.avail_out;
    consumed_ = stream.total_in;
    if (result == Z_STREAM_END)
      outcome_ = Outcome::kWhole;
    else if ((result == Z_OK || result == Z_BUF_ERROR) &&
             (stream.avail_out == 0 || stream.avail_in == 0))
      outcome_ = Outcome::kHead;
  } catch (const Compress::CCompressException&) {
  }
}

class SideAdler::PieceJob : public CompressionJob {
 public:
  PieceJob(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  void Run(WorkerStates&) override { Sum(); }
  void Sum() { adler_ = AdlerOf({data_, size_}); }
  uint32_t adler() const { return adler_; }
  size_t size() const { return size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  uint32_t adler_ = 1;
};

SideAdler::~SideAdler() { WaitAllBut(0); }

void SideAdler::Add(const uint8_t* data, size_t size) {
  pieces_.push_back(std::make_shared<PieceJob>(data, size));
  pool_.SubmitFirst(pieces_.back());
}

// A piece no worker has taken yet (they are all busy with longer work) is
// summed here rather than waited for.
void SideAdler::WaitAllBut(size_t pending) {
  while (pieces_.size() > pending) {
    if (pool_.Withdraw(*pieces_.front()))
      pieces_.front()->Sum();
    else
      pool_.Wait(*pieces_.front());
    sum_.Add(pieces_.front()->adler(), pieces_.front()->size());
    pieces_.pop_front();
  }
}

uint32_t SideAdler::Value() {
  WaitAllBut(0);
  return sum_.value();
}

}  // namespace bkvp::archive
