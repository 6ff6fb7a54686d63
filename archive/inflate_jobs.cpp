#include "archive/inflate_jobs.h"

#include <algorithm>

#include "archive/compress_stream.h"

namespace bkvp::archive {

namespace {

// Thrown inside the inflater's sink when the content outgrows its limit.
struct TooLarge {};

}  // namespace

InflateJob::InflateJob(std::vector<uint8_t> dataPart, bool stream, size_t outputLimit)
    : limit_(outputLimit) {
  if (stream) {
    input_ = std::move(dataPart);
  } else {
    output_ = std::move(dataPart);
    complete_ = true;
  }
}

// The same stream rules as the restore that reads as it goes: bytes after
// the end of the stream are ignored, and a stream must reach its end.
void InflateJob::Run(WorkerStates& states) {
  try {
    Compress::ChunkSink& sink = states.inflated;
    sink.Attach([this](const uint8_t* data, size_t size) {
      if (size > limit_ - output_.size()) throw TooLarge();
      if (output_.size() + size > output_.capacity())
        output_.reserve(std::min(limit_, std::max(output_.size() + size, 2 * output_.capacity())));
      output_.insert(output_.end(), data, data + size);
    });
    Compress::InflateStream stream(sink, states.inflate);
    stream.Write(input_.data(), input_.size());
    stream.Finish();
    complete_ = true;
  } catch (const Compress::CCompressException&) {
  } catch (const TooLarge&) {
  }
  states.inflated.Close();
  if (!complete_) output_ = std::vector<uint8_t>();
  input_ = std::vector<uint8_t>();
}

HeadStartJob::HeadStartJob(std::unique_ptr<HeadStartBuffers> buffers)
    : buffers_(std::move(buffers)) {}

// One call of zlib over what was read: it stops at the end of the stream,
// of the input or of the room, whichever comes first.
void HeadStartJob::Run(WorkerStates&) {
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
