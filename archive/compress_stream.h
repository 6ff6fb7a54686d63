// zlib between a producer of byte chunks and a chunk sink: DeflateStream
// turns file bytes into one zlib stream (level 9, 32 KiB window, memLevel 8),
// InflateStream turns such a stream back into the bytes. Neither holds more
// than the chunk it is given and one 64 KiB output buffer.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace Compress {

// zlib reported an error. Stays inside the archive service.
class CCompressException {};

// True when the text after the last "." of the path (folders included) is
// not one of the stored-as-is types ",GIF,JPEG,ZIP,RAR,GZ,GZ," (letter case
// ignored); a path without "." is not compressible.
bool IsCompressible(std::string_view path);

// Owns the 64 KiB output buffer and hands full stretches of it to one
// destination (the writer's data file, or a restore target).
class ChunkSink {
 public:
  using Destination = std::function<void(const uint8_t* data, size_t size)>;
  explicit ChunkSink(Destination destination) : destination_(std::move(destination)) {}
  uint8_t* ProvideBuffer();
  size_t BufferSize() const;
  void ReleaseBuffer() {}
  void Write(const uint8_t* data, size_t size) { destination_(data, size); }
  // Detaches the destination; its owner closes it.
  void Close() { destination_ = nullptr; }

 private:
  Destination destination_;
  std::vector<uint8_t> buffer_;
};

// What both directions share: the zlib state, the sink and the loops that
// drive zlib over one input chunk and drain it at the end.
class ZlibStream {
 public:
  ZlibStream(const ZlibStream&) = delete;
  ZlibStream& operator=(const ZlibStream&) = delete;
  // Consumes the whole chunk; bytes after the end of the stream are ignored.
  void Write(const uint8_t* data, size_t size);
  // Drains the stream to its end, writes the rest to the sink and releases
  // zlib. A stream that cannot reach its end throws.
  void Finish();
  bool ended() const { return lastResult_ == Z_STREAM_END; }

 protected:
  using Step = int (*)(z_streamp, int);
  using End = int (*)(z_streamp);
  ZlibStream(ChunkSink& sink, Step step, End end) : sink_(sink), step_(step), end_(end) {}
  ~ZlibStream();

  ChunkSink& sink_;
  z_stream stream_{};
  int lastResult_ = Z_OK;
  bool initialised_ = false;

 private:
  Step step_;
  End end_;
};

// Level 9, deflate, window bits 15 (zlib header and Adler-32), memLevel 8.
class DeflateStream : public ZlibStream {
 public:
  explicit DeflateStream(ChunkSink& sink);
};

// Default window, zlib header expected.
class InflateStream : public ZlibStream {
 public:
  explicit InflateStream(ChunkSink& sink);
};

}  // namespace Compress
