// The read-only walk over an archive that "bkvp show" and "bkvp verify" do,
// over archives that are cut short or carry damaged fields.
#include "app/engine/archive_inspect.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>

#include "archive/format.h"
#include "tests/archive/independent_writer.h"
#include "tests/support/test_support.h"

namespace bkvp::engine {
namespace {

namespace plain = bkvp::testing::plain;
using namespace bkvp::archive;

// Two sections: a compressed file, a registry key and a string in the first,
// an empty file in the second; the first carries option bytes.
struct SoundArchive {
  std::string bytes;
  std::vector<uint64_t> recordEnds;  // where each record ends, in walk order
  uint64_t tableEnd = 0;
  uint64_t firstRecord = 0;  // offset of the first record of the first section

  SoundArchive() {
    const std::vector<std::string> first = {
        plain::Record(0, 1, "/home/u/a.txt", plain::FileInfo(0x20, 1, 2, 3, "a.txt"),
                      plain::Deflate(std::string(5000, 'a'))),
        plain::Record(1, 1, "HKEY_CURRENT_USER\\Software\\Vopal", "",
                      plain::KeyBlocks({{"", {{"Value", 1, std::string("text\0", 5)}}}})),
        plain::Record(2, 1, "note", "", "a string object")};
    const std::vector<std::string> second = {
        plain::Record(0, 1, "/home/u/empty", plain::FileInfo(0x20, 1, 2, 3, "empty"), "")};
    bytes = plain::ComposeArchive(
        "user", "machine", "label", 37000.5, 2, 1,
        {{"{A}", "First", "opts", first, 3}, {"{B}", "Second", "", second, 1}});
    tableEnd = kHeaderSize + 2 * kClientEntrySize + 4;
    uint64_t at = tableEnd;
    for (const auto* section : {&first, &second}) {
      at += kSectionWeightSize;
      if (firstRecord == 0) firstRecord = at;
      for (const std::string& record : *section) recordEnds.push_back(at += record.size());
    }
  }

  void Put32(uint64_t at, int64_t value) { PutLE<uint32_t>(Bytes(at), uint32_t(value)); }
  void Put64(uint64_t at, uint64_t value) { PutLE<uint64_t>(Bytes(at), value); }
  uint8_t* Bytes(uint64_t at) { return reinterpret_cast<uint8_t*>(bytes.data() + at); }
};

struct Walk {
  std::string problem;
  std::vector<uint64_t> objects;  // record offsets
};

Walk InspectFile(const std::string& path) {
  Walk walk;
  ArchiveVisitor visitor;
  visitor.object = [&](const InspectedClient&, const InspectedObject& o) {
    walk.objects.push_back(o.recordOffset);
  };
  walk.problem = InspectArchive(path, visitor).message();
  return walk;
}

Walk Inspect(const std::string& bytes) {
  bkvp::testing::TempDir dir;
  bkvp::testing::WriteFile(dir / "archive.KV", bytes);
  return InspectFile(dir / "archive.KV");
}

TEST(ArchiveInspect, OnlyTheWholeFileIsSoundAndEveryCutVisitsWholeRecordsOnly) {
  const SoundArchive archive;
  bkvp::testing::TempDir dir;
  const std::string path = dir / "archive.KV";
  bkvp::testing::WriteFile(path, archive.bytes);
  for (size_t cut = archive.bytes.size() + 1; cut-- > 0;) {
    ASSERT_EQ(::truncate(path.c_str(), off_t(cut)), 0);
    const Walk walk = InspectFile(path);
    ASSERT_EQ(walk.problem.empty(), cut == archive.bytes.size()) << "cut at " << cut;
    // Sections are walked only once the whole table has been read.
    std::vector<uint64_t> whole;
    uint64_t start = archive.firstRecord;
    for (const uint64_t end : archive.recordEnds) {
      if (cut < archive.tableEnd || end > cut) break;
      whole.push_back(start);
      start = end + (end == archive.recordEnds[2] ? kSectionWeightSize : 0);
    }
    ASSERT_EQ(walk.objects, whole) << "cut at " << cut << ": " << walk.problem;
  }
}

TEST(ArchiveInspect, DamagedFieldsAreNamedInsteadOfFollowed) {
  const SoundArchive sound;
  const uint64_t record = sound.firstRecord;
  const uint64_t info = record + kRecordFixedSize + std::strlen("/home/u/a.txt");
  const uint64_t entry = kHeaderSize;
  const struct Damage {
    const char* what;
    uint64_t at;
    int64_t value;
    const char* expected;
  } damages[] = {
      {"client count", kClientCountOffset, 1000000, "the client count 1000000 does not fit"},
      {"negative client count", kClientCountOffset, -1, "the client count -1 does not fit"},
      {"option length", entry + kEntryOptionCountOffset, 0x7FFFFFFF,
       "option length 2147483647 is out of range"},
      {"negative option length", entry + kEntryOptionCountOffset, -5,
       "option length -5 is out of range"},
      {"section offset", entry + kEntrySectionOffset, 20, "section offset 20 lies outside"},
      {"name length", record + kRecordNameLengthOffset, kMaxNameBytes + 1,
       "name length 257 is out of range"},
      {"negative name length", record + kRecordNameLengthOffset, -3,
       "name length -3 is out of range"},
      {"info length", info, kMaxInfoBytes + 1, "info length 285 is out of range"},
      {"negative info length", info, -1, "info length -1 is out of range"},
      {"data size", record + kRecordDataSizeOffset, 1u << 30, "the data part runs past the end"},
  };
  for (const Damage& damage : damages) {
    SoundArchive archive;
    if (damage.at == record + kRecordDataSizeOffset)
      archive.Put64(damage.at, uint64_t(damage.value));
    else
      archive.Put32(damage.at, damage.value);
    const Walk walk = Inspect(archive.bytes);
    EXPECT_NE(walk.problem.find(damage.expected), std::string::npos)
        << damage.what << ": " << walk.problem;
    EXPECT_TRUE(walk.objects.empty()) << damage.what;
  }
  EXPECT_NE(Inspect("PK\x03\x04 not ours").problem.find("is not a backup archive"),
            std::string::npos);
  EXPECT_EQ(Inspect("KV").problem, "the archive header is cut off");
}

}  // namespace
}  // namespace bkvp::engine
