#include "archive/compress_stream.h"

#include <cctype>
#include <string>

#include "archive/format.h"

namespace bkvp::Compress {

namespace {

constexpr std::string_view kStoredAsIs = ",GIF,JPEG,ZIP,RAR,GZ,GZ,";

// The drive loops shared by both directions. `step` is deflate or inflate.
template <class Step>
int ConsumeChunk(z_stream& stream, ChunkSink& sink, const uint8_t* data, size_t size, Step step,
                 int lastResult) {
  stream.next_in = const_cast<Bytef*>(data);
  stream.avail_in = static_cast<uInt>(size);
  const uInt bufferSize = static_cast<uInt>(sink.BufferSize());
  while (stream.avail_in > 0 && lastResult != Z_STREAM_END) {
    uint8_t* buffer = sink.ProvideBuffer();
    stream.next_out = buffer;
    stream.avail_out = bufferSize;
    while (stream.avail_out > 0 && stream.avail_in > 0) {
      lastResult = step(&stream, Z_NO_FLUSH);
      if (lastResult < 0) throw CCompressException();
      // Input after the end of the stream is not part of it; without this
      // stop a trailing byte would be offered to zlib forever.
      if (lastResult == Z_STREAM_END) break;
    }
    const size_t produced = bufferSize - stream.avail_out;
    if (produced > 0) sink.Write(buffer, produced);
  }
  return lastResult;
}

template <class Step>
int DrainStream(z_stream& stream, ChunkSink& sink, Step step, int lastResult) {
  stream.next_in = nullptr;
  stream.avail_in = 0;
  const uInt bufferSize = static_cast<uInt>(sink.BufferSize());
  while (lastResult != Z_STREAM_END) {
    uint8_t* buffer = sink.ProvideBuffer();
    stream.next_out = buffer;
    stream.avail_out = bufferSize;
    while (lastResult != Z_STREAM_END && stream.avail_out > 0) {
      const uInt before = stream.avail_out;
      lastResult = step(&stream, Z_FINISH);
      if (lastResult < 0) throw CCompressException();
      // No progress and no end: the stream can never finish.
      if (lastResult != Z_STREAM_END && stream.avail_out == before) throw CCompressException();
    }
    const size_t produced = bufferSize - stream.avail_out;
    if (produced > 0) sink.Write(buffer, produced);
  }
  return lastResult;
}

}  // namespace

bool IsCompressible(std::string_view path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string entry = ",";
  for (char c : path.substr(dot + 1))
    entry += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  entry += ",";
  return kStoredAsIs.find(entry) == std::string_view::npos;
}

uint8_t* ChunkSink::ProvideBuffer() {
  std::vector<uint8_t>& buffer = buffers_[next_];
  next_ = (next_ + 1) % buffers_.size();
  if (buffer.empty()) buffer.resize(bufferSize_);
  return buffer.data();
}

size_t ChunkSink::BufferSize() const { return bufferSize_; }

z_stream& ZlibState::Begin() {
  const bool deflating = direction_ != Direction::kInflate;
  if (initialised_) {
    if ((deflating ? deflateReset(&stream_) : inflateReset(&stream_)) == Z_OK) return stream_;
    Release();  // a state zlib no longer accepts is set up afresh
  }
  stream_ = z_stream{};
  const bool raw = direction_ == Direction::kRawDeflate;
  // Blocks take the larger hash table: on data that does not compress,
  // where chains are all collisions, level 9 runs a sixth faster with it.
  // Text runs as fast either way.
  const int result = deflating ? deflateInit2(&stream_, 9, Z_DEFLATED, raw ? -15 : 15, raw ? 9 : 8,
                                              Z_DEFAULT_STRATEGY)
                               : inflateInit(&stream_);
  if (result != Z_OK) throw CCompressException();
  initialised_ = true;
  return stream_;
}

z_stream& ZlibState::Resume() {
  if (!initialised_) throw CCompressException();
  return stream_;
}

void ZlibState::Release() {
  if (!initialised_) return;
  initialised_ = false;
  if (direction_ != Direction::kInflate)
    deflateEnd(&stream_);
  else
    inflateEnd(&stream_);
}

namespace {

// The state a stream drives: the lent one, or its own made in `owned`.
ZlibState& StateFor(std::optional<ZlibState>& owned, ZlibState::Direction direction,
                    ZlibState* lent) {
  if (lent) {
    if (lent->direction() != direction) throw CCompressException();
    return *lent;
  }
  return owned.emplace(direction);
}

}  // namespace

ZlibStream::ZlibStream(ChunkSink& sink, ZlibState::Direction direction, ZlibState* lent,
                       bool resume)
    : sink_(sink),
      stream_(resume && lent ? lent->Resume() : StateFor(owned_, direction, lent).Begin()),
      deflating_(direction == ZlibState::Direction::kDeflate) {}

void ZlibStream::Write(const uint8_t* data, size_t size) {
  lastResult_ = deflating_ ? ConsumeChunk(stream_, sink_, data, size, deflate, lastResult_)
                           : ConsumeChunk(stream_, sink_, data, size, inflate, lastResult_);
}

void ZlibStream::Finish() {
  lastResult_ = deflating_ ? DrainStream(stream_, sink_, deflate, lastResult_)
                           : DrainStream(stream_, sink_, inflate, lastResult_);
  sink_.ReleaseBuffer();
}

DeflateStream::DeflateStream(ChunkSink& sink, ZlibState& state)
    : ZlibStream(sink, ZlibState::Direction::kDeflate, &state) {}

InflateStream::InflateStream(ChunkSink& sink, ZlibState& state, Resumed)
    : ZlibStream(sink, ZlibState::Direction::kInflate, &state, true) {}

InflateStream::InflateStream(ChunkSink& sink, ZlibState& state)
    : ZlibStream(sink, ZlibState::Direction::kInflate, &state) {
  // A reset state keeps the last stream's choice.
  if (inflateValidate(&stream(), 1) != Z_OK) throw CCompressException();
}

void InflateStream::LeaveAdlerToCaller() {
  if (inflateValidate(&stream(), 0) != Z_OK) throw CCompressException();
}

}  // namespace bkvp::Compress
