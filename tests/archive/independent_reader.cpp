#include "tests/archive/independent_reader.h"

#include <zlib.h>

#include <cstring>
#include <stdexcept>

namespace bkvp::testing::plain {

namespace {

struct Cursor {
  const std::string& bytes;
  uint64_t pos;
  std::string Take(uint64_t n) {
    if (n > bytes.size() || pos > bytes.size() - n)
      throw std::runtime_error("past the end at " + std::to_string(pos));
    std::string out = bytes.substr(pos, n);
    pos += n;
    return out;
  }
  uint64_t Unsigned(int width) {
    const std::string b = Take(width);
    uint64_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = (v << 8) | uint8_t(b[i]);
    return v;
  }
  int32_t I4() { return int32_t(uint32_t(Unsigned(4))); }
  std::string Fixed(size_t n) {
    const std::string b = Take(n);
    return b.substr(0, b.find('\0'));
  }
};

std::string Inflate(const std::string& in) {
  z_stream s{};
  if (inflateInit(&s) != Z_OK) throw std::runtime_error("inflateInit");
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  s.avail_in = uInt(in.size());
  std::string out;
  char buf[16384];
  int r;
  do {
    s.next_out = reinterpret_cast<Bytef*>(buf);
    s.avail_out = sizeof buf;
    r = inflate(&s, Z_NO_FLUSH);
    out.append(buf, sizeof buf - s.avail_out);
  } while (r == Z_OK);
  inflateEnd(&s);
  if (r != Z_STREAM_END) throw std::runtime_error("bad zlib stream");
  return out;
}

std::vector<KeyBlock> ParseBlocks(const std::string& data) {
  std::vector<KeyBlock> blocks;
  Cursor c{data, 0};
  while (c.pos < data.size()) {
    KeyBlock b;
    const int32_t n = c.I4();
    b.relativeName = c.Take(n).substr(0, size_t(n) - 1);
    const int32_t v = c.I4();
    for (int32_t i = 0; i < v; ++i) {
      Value value;
      const int32_t m = c.I4();
      value.name = c.Take(m).substr(0, size_t(m) - 1);
      value.type = uint32_t(c.I4());
      value.data = c.Take(c.I4());
      b.values.push_back(value);
    }
    blocks.push_back(b);
  }
  return blocks;
}

}  // namespace

std::optional<Archive> ParseArchive(const std::string& bytes, std::string* error) {
  try {
    Cursor c{bytes, 0};
    if (c.Take(2) != "KV") throw std::runtime_error("no magic");
    Archive a;
    const uint64_t timeBits = c.Unsigned(8);
    std::memcpy(&a.time, &timeBits, 8);
    a.user = c.Fixed(51);
    a.machine = c.Fixed(51);
    a.label = c.Fixed(256);
    c.Take(4);
    a.major = c.I4();
    a.minor = c.I4();
    c.Take(10);
    const int32_t n = c.I4();
    uint64_t dataStart = 394;
    for (int32_t i = 0; i < n; ++i) {
      Section s;
      s.offset = c.Unsigned(8);
      s.clsid = c.Fixed(39);
      c.Take(8);
      s.name = c.Fixed(51);
      s.options = c.Take(c.I4());
      dataStart += 110 + s.options.size();
      a.sections.push_back(s);
    }
    for (Section& s : a.sections) {
      if (s.offset < dataStart) throw std::runtime_error("section inside the table");
      Cursor r{bytes, s.offset};
      s.total = r.I4();
      for (int32_t passed = 0; passed < s.total;) {
        Record rec;
        rec.offset = r.pos;
        const uint64_t d = r.Unsigned(8);
        rec.type = uint16_t(r.Unsigned(2));
        rec.weight = r.I4();
        const int32_t l = r.I4();
        if (l < 0 || l > 256) throw std::runtime_error("name too long");
        rec.storedName = r.Take(l);
        rec.name = rec.storedName.substr(0, rec.storedName.find('\0'));
        rec.info = r.Take(r.I4());
        rec.data = r.Take(d);
        rec.compressed =
            rec.data.size() >= 2 && uint8_t(rec.data[0]) == 0x78 && uint8_t(rec.data[1]) == 0xDA;
        rec.content = rec.compressed && rec.type == 0 ? Inflate(rec.data) : rec.data;
        if (rec.type == 1) rec.blocks = ParseBlocks(rec.data);
        passed += rec.weight;
        s.records.push_back(rec);
      }
    }
    return a;
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    return std::nullopt;
  }
}

}  // namespace bkvp::testing::plain
