// zlib between a producer of byte chunks and a chunk sink: DeflateStream
// turns file bytes into one zlib stream (level 9, 32 KiB window, memLevel 8),
// InflateStream turns such a stream back into the bytes. Neither holds more
// than the chunk it is given and its sink's output buffers.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "archive/format.h"

namespace bkvp::Compress {

// zlib reported an error. Stays inside the archive service.
class CCompressException {};

// True when the text after the last "." of the path (folders included) is
// not one of the stored-as-is types ",GIF,JPEG,ZIP,RAR,GZ,GZ," (letter case
// ignored); a path without "." is not compressible.
bool IsCompressible(std::string_view path);

// Owns the output buffers (one of 64 KiB unless told otherwise) and hands
// full stretches of them to one destination (the writer's data file, or a
// restore target).
class ChunkSink {
 public:
  using Destination = std::function<void(const uint8_t* data, size_t size)>;
  // `bufferSize`: how much zlib fills before the destination gets it.
  // With `buffers` above 1 they are filled in turn, so the destination may
  // leave a stretch it was given to other threads until its buffer comes
  // round again.
  explicit ChunkSink(Destination destination, size_t bufferSize = bkvp::archive::kChunkSize,
                     size_t buffers = 1)
      : destination_(std::move(destination)), bufferSize_(bufferSize), buffers_(buffers) {}
  // The buffer zlib fills next.
  uint8_t* ProvideBuffer();
  size_t BufferSize() const;
  void ReleaseBuffer() {}
  void Write(const uint8_t* data, size_t size) { destination_(data, size); }
  // Detaches the destination; its owner closes it.
  void Close() { destination_ = nullptr; }
  // Sends what follows to another destination; the buffer stays, so one sink
  // serves any number of files in turn.
  void Attach(Destination destination) { destination_ = std::move(destination); }

 private:
  Destination destination_;
  size_t bufferSize_;
  std::vector<std::vector<uint8_t>> buffers_;
  size_t next_ = 0;
};

// One zlib state for many streams in turn. Setting one up costs about
// 270 KiB of allocations for deflate (above the allocator's mmap threshold,
// so fresh pages each time); a reset returns it to the freshly initialised
// state, so every stream's bytes are those a new state would give. A stream
// abandoned half way leaves nothing behind: the next Begin resets it.
class ZlibState {
 public:
  // kRawDeflate: level 9 deflate without zlib header or trailer, for the
  // blocks that workers compress separately (block_deflate.h).
  enum class Direction { kDeflate, kRawDeflate, kInflate };
  explicit ZlibState(Direction direction) : direction_(direction) {}
  ZlibState(const ZlibState&) = delete;
  ZlibState& operator=(const ZlibState&) = delete;
  ~ZlibState() { Release(); }
  // Ready for a new stream: initialised the first time, reset after that.
  z_stream& Begin();
  // The stream begun last, where it stands: another thread may go on with
  // it once the one that began it is done.
  z_stream& Resume();
  Direction direction() const { return direction_; }

 private:
  void Release();

  Direction direction_;
  z_stream stream_{};
  bool initialised_ = false;
};

// What both directions share: the zlib state, the sink and the loops that
// drive zlib over one input chunk and drain it at the end.
class ZlibStream {
 public:
  ZlibStream(const ZlibStream&) = delete;
  ZlibStream& operator=(const ZlibStream&) = delete;
  // Consumes the whole chunk; bytes after the end of the stream are ignored.
  void Write(const uint8_t* data, size_t size);
  // Drains the stream to its end and writes the rest to the sink. A stream
  // that cannot reach its end throws.
  void Finish();
  bool ended() const { return lastResult_ == Z_STREAM_END; }
  // Bytes of the last chunk that came after the end of the stream.
  size_t unused() const { return stream_.avail_in; }
  // Bytes of input taken into the stream so far, its trailer included.
  uint64_t consumed() const { return stream_.total_in; }

 protected:
  // With a state of its own, or one lent by the caller that outlives it;
  // `resume`: the lent state's stream goes on where it stands.
  ZlibStream(ChunkSink& sink, ZlibState::Direction direction, ZlibState* lent, bool resume = false);
  ~ZlibStream() = default;
  z_stream& stream() { return stream_; }

 private:
  ChunkSink& sink_;
  std::optional<ZlibState> owned_;
  z_stream& stream_;
  int lastResult_ = Z_OK;
  bool deflating_;
};

// Level 9, deflate, window bits 15 (zlib header and Adler-32), memLevel 8.
class DeflateStream : public ZlibStream {
 public:
  explicit DeflateStream(ChunkSink& sink)
      : ZlibStream(sink, ZlibState::Direction::kDeflate, nullptr) {}
  // Starts a new stream in `state` (a deflate state), which it borrows.
  DeflateStream(ChunkSink& sink, ZlibState& state);
};

// Default window, zlib header expected.
class InflateStream : public ZlibStream {
 public:
  explicit InflateStream(ChunkSink& sink)
      : ZlibStream(sink, ZlibState::Direction::kInflate, nullptr) {}
  // Starts a new stream in `state` (an inflate state), which it borrows.
  InflateStream(ChunkSink& sink, ZlibState& state);
  // Goes on with the stream `state` stands in (see ZlibState::Resume).
  struct Resumed {};
  InflateStream(ChunkSink& sink, ZlibState& state, Resumed);
  // From here on the content's Adler-32 is neither summed nor compared:
  // the caller sums the bytes and compares the trailer itself. The sum of
  // what came before is adler().
  void LeaveAdlerToCaller();
  uint32_t adler() { return static_cast<uint32_t>(stream().adler); }
};

}  // namespace bkvp::Compress
