#include "tests/archive/independent_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace bkvp::testing::plain {

namespace {

std::string Fixed(const std::string& text, size_t size) {
  std::string out = text.substr(0, size - 1);
  out.resize(size, '\0');
  return out;
}

std::string Name(const std::string& text) { return LE(text.size() + 1, 4) + text + '\0'; }

}  // namespace

std::string LE(uint64_t value, int width) {
  std::string out;
  for (int i = 0; i < width; ++i) out += char(uint8_t(value >> (8 * i)));
  return out;
}

std::string Deflate(const std::string& bytes) {
  uLongf size = compressBound(bytes.size());
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size,
            reinterpret_cast<const Bytef*>(bytes.data()), bytes.size(), 9);
  out.resize(size);
  return out;
}

std::string DeflateInPieces(const std::string& bytes, size_t piece) {
  z_stream stream{};
  deflateInit2(&stream, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, bytes.size()) + 16 * (bytes.size() / piece + 1), '\0');
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  for (size_t at = 0; at < bytes.size() || at == 0; at += piece) {
    const size_t n = std::min(piece, bytes.size() - at);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + at));
    stream.avail_in = static_cast<uInt>(n);
    deflate(&stream, at + n < bytes.size() ? Z_SYNC_FLUSH : Z_FINISH);
  }
  out.resize(out.size() - stream.avail_out);
  deflateEnd(&stream);
  return out;
}

std::string FileInfo(uint32_t attributes, uint64_t creation, uint64_t access, uint64_t write,
                     const std::string& localName) {
  return LE(attributes, 4) + LE(creation, 8) + LE(access, 8) + LE(write, 8) + localName + '\0';
}

std::string KeyBlocks(const std::vector<KeyBlock>& blocks) {
  std::string out;
  for (const KeyBlock& b : blocks) {
    out += Name(b.relativeName) + LE(b.values.size(), 4);
    for (const Value& v : b.values)
      out += Name(v.name) + LE(v.type, 4) + LE(v.data.size(), 4) + v.data;
  }
  return out;
}

std::string Record(uint16_t type, int32_t weight, const std::string& storedName,
                   const std::string& info, const std::string& data) {
  return LE(data.size(), 8) + LE(type, 2) + LE(uint32_t(weight), 4) + LE(storedName.size(), 4) +
         storedName + LE(info.size(), 4) + info + data;
}

std::string ComposeArchive(const std::string& user, const std::string& machine,
                           const std::string& label, double time, int32_t major, int32_t minor,
                           const std::vector<SectionSpec>& sections) {
  uint64_t timeBits;
  std::memcpy(&timeBits, &time, 8);
  std::string out = "KV" + LE(timeBits, 8) + Fixed(user, 51) + Fixed(machine, 51) +
                    Fixed(label, 256) + std::string(4, '\0') + LE(uint32_t(major), 4) +
                    LE(uint32_t(minor), 4) + std::string(10, '\0') + LE(sections.size(), 4);
  uint64_t offset = out.size();
  for (const SectionSpec& s : sections) offset += 110 + s.options.size();
  std::string data;
  for (const SectionSpec& s : sections) {
    out += LE(offset + data.size(), 8) + Fixed(s.clsid, 39) + std::string(8, '\0') +
           Fixed(s.name, 51) + LE(s.options.size(), 4) + s.options;
    data += LE(uint32_t(s.total), 4);
    for (const std::string& r : s.records) data += r;
  }
  return out + data;
}

}  // namespace bkvp::testing::plain
