// Restorer on archives composed independently of the service: well-formed
// ones restore, damaged ones fail cleanly at the point of damage.
#include <gtest/gtest.h>

#include "contract/errors.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "tests/archive/archive_harness.h"
#include "tests/archive/independent_writer.h"
#include "tests/support/test_support.h"

namespace bkvp::testing {
namespace {

using plain::KeyBlock;
using plain::LE;
using plain::Record;
using plain::SectionSpec;

std::string FileRecord(const std::string& name, const std::string& data, int32_t weight = 1) {
  return Record(0, weight, name + '\0', plain::FileInfo(0x20, 1, 2, 3, "local"), data);
}

class ArchiveReader : public HomeFixture {
 protected:
  std::string Write(const std::vector<SectionSpec>& sections) {
    WriteFile(path, plain::ComposeArchive("u", "m", "the label", 1.25, 5, 6, sections));
    return path;
  }
  TempDir dir;
  std::string path = dir / "composed.KV";
};

TEST_F(ArchiveReader, ComposedArchiveListsClientsInIdentifierOrder) {
  Write({{kClsidB, "Beta", "opt", {}, 0}, {kClsidA, "Alpha", "", {}, 0}});
  ReaderHarness r;
  Bstr user, machine, label;
  DATE time = 0;
  LONG clients = 0;
  ASSERT_EQ(r.api->GetArchiveInfo(Bstr(path).get(), user.out(), machine.out(), label.out(), &time,
                                  &clients),
            S_OK);
  EXPECT_EQ(label.str(), "the label");
  EXPECT_EQ(time, 1.25);
  EXPECT_EQ(clients, 2);
  LONG major = 0, minor = 0;
  EXPECT_EQ(r.api->GetVersionInfo(&major, &minor), S_OK);
  EXPECT_EQ(major * 10 + minor, 56);
  Bstr name, clsid;
  ASSERT_EQ(r.api->GetClient(0, name.out(), clsid.out()), S_OK);
  EXPECT_EQ(name.str() + clsid.str(), std::string("Alpha") + kClsidA);
  EXPECT_EQ(r.api->GetClient(2, name.out(), clsid.out()), E_FAIL);
  Variant options;
  r.api->GetClientOptions(Bstr(kClsidB).get(), &options);
  EXPECT_EQ(ByteArrayOf(options.get()), (std::vector<uint8_t>{'o', 'p', 't'}));
  EXPECT_EQ(r.Iterate("{unknown}"), E_FAIL);
}

TEST_F(ArchiveReader, ComposedObjectsRestore) {
  const std::string text(150000, 't');
  // Stored raw by another writer, yet a real zlib stream: taken as compressed.
  const std::string rawZlib = plain::Deflate("inflated anyway");
  Write({{kClsidA,
          "Alpha",
          "",
          {
              FileRecord("/a/compressed.txt", plain::Deflate(text)),
              FileRecord("/a/raw.bin", text),
              FileRecord("/a/raw-zlib.zip", rawZlib),
              FileRecord("/a/one.bin", "\x78"),
              Record(1, 1, "HKEY_CURRENT_USER\\Software\\Saved\0", "",
                     plain::KeyBlocks({{"", {{"", 1, std::string("def\0", 4)}, {"n", 4, LE(7, 4)}}},
                                       {"Sub", {{"empty", 3, ""}}}})),
              Record(2, 1, "str", "", "0123456789"),
              Record(0, 0, "/never/offered\0", "", ""),
          },
          6}});
  ReaderHarness r;
  ASSERT_EQ(r.Open(path), S_OK);
  ASSERT_EQ(r.Iterate(kClsidA), S_OK);
  ASSERT_EQ(r.progress->firstSteps.size(), 1u);
  EXPECT_EQ(r.progress->firstSteps[0].name, "Alpha");
  EXPECT_EQ(r.progress->firstSteps[0].weight, 6);

  for (const char* name : {"compressed.txt", "raw.bin", "raw-zlib.zip", "one.bin"}) {
    ASSERT_FALSE(r.AtEnd());
    EXPECT_EQ(r.Current().name, std::string("/a/") + name);
    EXPECT_EQ(r.ObjectOptions().size(), 28u + 6);
    EXPECT_EQ(r.RestoreFile(dir / name), S_OK) << name;
    r.api->Next();
  }
  EXPECT_EQ(ReadFile(dir / "compressed.txt"), text);
  EXPECT_EQ(ReadFile(dir / "raw.bin"), text);
  EXPECT_EQ(ReadFile(dir / "raw-zlib.zip"), "inflated anyway");
  EXPECT_EQ(ReadFile(dir / "one.bin"), "\x78");

  EXPECT_EQ(r.Current().type, 1);
  EXPECT_TRUE(r.ObjectOptions().empty());
  ASSERT_EQ(r.RestoreKey("HKEY_CURRENT_USER\\Software\\Target"), S_OK);
  EXPECT_EQ(platform::RegReadString("HKEY_CURRENT_USER\\Software\\Target", ""), "def");
  EXPECT_EQ(platform::RegReadDword("HKEY_CURRENT_USER\\Software\\Target", "n"), 7u);
  EXPECT_EQ(platform::RegReadBinary("HKEY_CURRENT_USER\\Software\\Target\\Sub", "empty"),
            std::vector<uint8_t>());
  EXPECT_EQ(r.progress->messages.back(), "HKEY_CURRENT_USER\\Software\\Target OK");
  r.api->Next();

  LONG total = 0;
  EXPECT_EQ(r.StringPieces(4, &total), (std::vector<std::string>{"0123", "4567", "89", ""}));
  EXPECT_EQ(total, 10);
  r.api->Next();
  // The weights add up to the stored sum: the weight-0 record after them
  // is never offered.
  EXPECT_TRUE(r.AtEnd());
  EXPECT_EQ(r.progress->nextSteps.size(), 6u);
  EXPECT_EQ(r.progress->nextSteps[4].name, "HKEY_CURRENT_USER\\Software\\Saved");
}

// Earlier writers made the stream of a large file out of blocks ended by
// sync flushes. Such streams restore whichever way their data part is
// taken: read ahead and inflated whole, inflated whole or in part ahead of
// the caller, or inflated by the caller as it reads.
TEST_F(ArchiveReader, StreamsFlushedInBlocksAsEarlierWritersMadeThemRestore) {
  const std::vector<std::pair<std::string, size_t>> files = {{"one-block.txt", 100000},
                                                             {"several.txt", 600000},
                                                             {"larger.txt", 3000000},
                                                             {"largest.txt", 9000000}};
  std::vector<std::string> records;
  for (const auto& [name, size] : files)
    records.push_back(FileRecord("/a/" + name, plain::DeflateInPieces(Text(size, 7), 128 * 1024)));
  Write({{kClsidA, "A", "", records, int32_t(files.size())}});
  ReaderHarness r;
  ASSERT_EQ(r.Open(path), S_OK);
  ASSERT_EQ(r.Iterate(kClsidA), S_OK);
  for (const auto& [name, size] : files) {
    EXPECT_EQ(r.RestoreFile(dir / name), S_OK) << name;
    EXPECT_EQ(ReadFile(dir / name), Text(size, 7)) << name;
    r.api->Next();
  }
}

TEST_F(ArchiveReader, SectionWithZeroTotalIsEmptyWhateverFollows) {
  Write({{kClsidA, "Alpha", "", {FileRecord("/x", "data")}, 0}});
  ReaderHarness r;
  ASSERT_EQ(r.Open(path), S_OK);
  r.Iterate(kClsidA);
  EXPECT_TRUE(r.AtEnd());
}

TEST_F(ArchiveReader, DamagedHeadersAndTablesAreRefused) {
  const std::string good =
      plain::ComposeArchive("u", "m", "l", 0, 1, 1, {{kClsidA, "A", "opts", {}, 0}});
  std::string badMagic = good;
  badMagic[0] = 'X';
  std::string negativeCount = good;
  negativeCount.replace(390, 4, LE(0xFFFFFFFF, 4));
  std::string hugeCount = good;
  hugeCount.replace(390, 4, LE(0x7FFFFFFF, 4));
  std::string hugeOptions = good;
  hugeOptions.replace(394 + 106, 4, LE(0x7FFFFFF0, 4));
  for (const std::string& bytes : {good.substr(0, 100), good.substr(0, 400), badMagic,
                                   negativeCount, hugeCount, hugeOptions, std::string()}) {
    WriteFile(path, bytes);
    ReaderHarness r;
    EXPECT_EQ(r.Open(path), E_FAIL) << bytes.size();
    EXPECT_TRUE(r.progress->prompts.empty());
    LONG major;
    EXPECT_EQ(r.api->GetVersionInfo(&major, &major), E_FAIL);
  }
  ReaderHarness r;
  EXPECT_EQ(r.Open(dir / "missing.KV"), E_FAIL);
}

TEST_F(ArchiveReader, DamagedRecordsEndTheWalkWithAnError) {
  // Name longer than the format allows: refused with the reason shown.
  std::string longName = Record(0, 1, std::string(300, 'n') + '\0', "", "");
  Write({{kClsidA, "A", "", {longName}, 1}});
  ReaderHarness named;
  ASSERT_EQ(named.Open(path), S_OK);
  named.Iterate(kClsidA);
  EXPECT_THROW(named.Current(), ComError);
  ASSERT_EQ(named.progress->prompts.size(), 1u);
  EXPECT_EQ(named.progress->prompts[0].type, 16u);
  EXPECT_NE(named.progress->prompts[0].text.find("damaged"), std::string::npos);

  // Section offset beyond the file.
  std::string bytes = plain::ComposeArchive("u", "m", "l", 0, 1, 1, {{kClsidA, "A", "", {}, 1}});
  bytes.replace(394, 8, LE(1u << 30, 8));
  WriteFile(path, bytes);
  ReaderHarness outside;
  ASSERT_EQ(outside.Open(path), S_OK);
  EXPECT_THROW(outside.Iterate(kClsidA), ComError);

  // Weights that never reach the total: the walk runs into the file's end
  // instead of around in circles.
  Write({{kClsidA, "A", "", {FileRecord("/a", "x", 0), FileRecord("/b", "y", 0)}, 5}});
  ReaderHarness endless;
  ASSERT_EQ(endless.Open(path), S_OK);
  endless.Iterate(kClsidA);
  int steps = 0;
  EXPECT_THROW(
      while (!endless.AtEnd() && steps < 10) {
        endless.api->Next();
        ++steps;
      },
      ComError);
  EXPECT_EQ(steps, 2);
}

TEST_F(ArchiveReader, CutOrCorruptDataLeavesTheTargetAsItWas) {
  const std::string text(200000, 'q');
  std::string corrupt = plain::Deflate(text);
  corrupt[corrupt.size() / 2] ^= 0x5A;
  corrupt[corrupt.size() / 2 + 3] ^= 0x5A;
  Write({{kClsidA, "A", "", {FileRecord("/c", corrupt), FileRecord("/d", text)}, 2}});
  std::string bytes = ReadFile(path);
  WriteFile(path, bytes.substr(0, bytes.size() - 50000));  // cut inside /d

  const std::string out = dir / "out";
  WriteFile(out + "/d", "the file before the restore");
  ReaderHarness r;
  ASSERT_EQ(r.Open(path), S_OK);
  r.Iterate(kClsidA);
  EXPECT_EQ(r.RestoreFile(out + "/c"), E_FAIL);
  r.api->Next();
  EXPECT_EQ(r.RestoreFile(out + "/d"), E_FAIL);
  // Neither a half-written file nor a temporary one is left.
  EXPECT_EQ(ReadFile(out + "/d"), "the file before the restore");
  EXPECT_EQ(platform::FindFiles(out + "/*").size(), 1u);
  EXPECT_EQ(platform::FindFiles(out + "/.*").size(), 0u);
  EXPECT_EQ(r.progress->messages, (std::vector<std::string>{out + "/c FAILED", out + "/d FAILED"}));
  EXPECT_THROW(r.api->Next(), ComError);
}

TEST_F(ArchiveReader, RegistryBlocksEndingEarlyStopTheRestore) {
  const std::string blocks = plain::KeyBlocks(
      {{"", {{"a", 1, std::string("1\0", 2)}}}, {"Deeper", {{"b", 1, std::string("2\0", 2)}}}});
  // D claims more than the blocks hold, and the count of the second block
  // is absurd.
  std::string damaged = blocks;
  damaged.replace(damaged.size() - 4 - 2 - 4 - 4 - 2 - 4, 4, LE(0x7FFFFFFF, 4));
  Write({{kClsidA,
          "A",
          "",
          {Record(1, 1, "HKEY_CURRENT_USER\\Software\\K\0", "", blocks + "xyz"),
           Record(1, 1, "HKEY_CURRENT_USER\\Software\\K\0", "", damaged)},
          2}});
  ReaderHarness r;
  ASSERT_EQ(r.Open(path), S_OK);
  r.Iterate(kClsidA);
  EXPECT_THROW(r.RestoreKey("HKEY_CURRENT_USER\\Software\\T1"), ComError);
  EXPECT_EQ(platform::RegReadString("HKEY_CURRENT_USER\\Software\\T1\\Deeper", "b"), "2");
  r.api->Next();
  EXPECT_THROW(r.RestoreKey("HKEY_CURRENT_USER\\Software\\T2"), ComError);
  EXPECT_EQ(platform::RegReadString("HKEY_CURRENT_USER\\Software\\T2", "a"), "1");
  EXPECT_TRUE(r.progress->messages.empty());
}

}  // namespace
}  // namespace bkvp::testing
