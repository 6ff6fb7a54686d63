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

}  // namespace bkvp::archive
