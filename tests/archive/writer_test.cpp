// What Backuper writes, reports and leaves behind.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "platform/files.h"
#include "tests/archive/archive_harness.h"
#include "tests/archive/independent_reader.h"
#include "tests/archive/independent_writer.h"
#include "tests/support/test_support.h"

namespace bkvp::testing {
namespace {

class ArchiveWriter : public HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    WriteFile(source, "some file content");
  }
  // Names in a folder, sorted.
  static std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  plain::Archive Parse() {
    std::string error;
    auto parsed = plain::ParseArchive(ReadFile(archive), &error);
    EXPECT_TRUE(parsed) << error;
    return parsed.value_or(plain::Archive());
  }

  TempDir dir;
  std::string archive = dir / "Vopalarc000001.KV";
  std::string source = dir / "source.txt";
};

// A file that takes the archive's name at the very moment of the rename.
class RacingLayer : public archive::FileLayer {
 public:
  int RenameAt(int fromDir, const std::string& from, int toDir, const std::string& to,
               bool replace) override {
    WriteFile(to, "made by another process");
    return FileLayer::RenameAt(fromDir, from, toDir, to, replace);
  }
};

TEST_F(ArchiveWriter, AnArchiveNeverReplacesAFileAndWaitsForAnotherName) {
  WriteFile(archive, "an earlier archive");
  WriterHarness w;
  ASSERT_EQ(w.Start(archive), S_OK);
  w.Begin(kClsidA);
  w.File(source);
  w.End();
  EXPECT_EQ(w.Finish(), E_ARCHIVE_NAME_TAKEN);
  EXPECT_EQ(ReadFile(archive), "an earlier archive");
  archive = dir / "Vopalarc000002.KV";
  w.api->SetArchiveInfo(Bstr(archive).get(), Bstr("").get(), Bstr("").get(), Bstr("").get(), 0, 0);
  ASSERT_EQ(w.Finish(), S_OK);
  EXPECT_EQ(Parse().sections.size(), 1u);
  EXPECT_EQ(Parse().label, "label");  // the header as it was when the run started
  EXPECT_EQ(Listing(dir.path()),
            (std::vector<std::string>{"Vopalarc000001.KV", "Vopalarc000002.KV", "source.txt"}));

  // A name taken between the last look and the rename is not replaced either.
  RacingLayer racing;
  WriterHarness raced(racing);
  ASSERT_EQ(raced.Start(dir / "Vopalarc000003.KV"), S_OK);
  raced.Begin(kClsidA);
  raced.File(source);
  raced.End();
  EXPECT_EQ(raced.Finish(), E_ARCHIVE_NAME_TAKEN);
  EXPECT_EQ(ReadFile(dir / "Vopalarc000003.KV"), "made by another process");
  EXPECT_EQ(raced.Finish(1), S_OK);
  EXPECT_EQ(Listing(dir.path()).size(), 4u);  // and no temporary file
}

TEST_F(ArchiveWriter, ErasedOrEmptyBackupLeavesEarlierArchiveAndNoFiles) {
  WriteFile(archive, "an earlier archive");
  for (int erase : {1, 0}) {
    WriterHarness w;
    ASSERT_EQ(w.Start(archive), S_OK);
    w.Begin(kClsidA);
    w.File(source);
    w.End(erase == 0 ? 1 : 0);  // erase the archive, or discard every section
    EXPECT_EQ(w.Finish(erase), S_OK);
    EXPECT_EQ(ReadFile(archive), "an earlier archive");
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"Vopalarc000001.KV", "source.txt"}));
  }
}

TEST_F(ArchiveWriter, ReleasingAnUnfinishedWriterRemovesItsFiles) {
  {
    WriterHarness w;
    ASSERT_EQ(w.Start(archive), S_OK);
    w.Begin(kClsidA);
    w.File(source);
  }
  EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"source.txt"});
}

TEST_F(ArchiveWriter, DiscardedSectionLeavesNoTraceAndKeptOnesStayWhole) {
  WriterHarness w;
  w.Options(kClsidB, "Beta", {9, 9});
  ASSERT_EQ(w.Start(archive), S_OK);
  w.Begin(kClsidA);
  w.File(source);
  w.End();
  w.Begin(kClsidB);
  w.File(source);
  w.Key("HKEY_CURRENT_USER\\Software\\Gone");
  w.End(1);
  Variant options;
  w.api->GetClientOptions(Bstr(kClsidB).get(), &options);
  EXPECT_TRUE(ByteArrayOf(options.get())->empty());
  w.Finish();
  const auto parsed = Parse();
  ASSERT_EQ(parsed.sections.size(), 1u);
  EXPECT_EQ(parsed.sections[0].clsid, kClsidA);
  EXPECT_EQ(parsed.sections[0].records.size(), 1u);
  EXPECT_EQ(
      std::filesystem::file_size(archive),
      394 + 110 + parsed.sections[0].records[0].data.size() + 4 + 22 + source.size() + 1 + 28 + 6);
}

// The writer keeps one deflate state for all files; a file whose read fails
// half way must leave nothing in it that reaches the files after it.
TEST_F(ArchiveWriter, EveryFileIsCompressedAsIfAloneEvenAfterAFailedRead) {
  std::string text;
  for (int i = 0; text.size() < 300000; ++i)
    text += "entry " + std::to_string(i * 37 % 500) + " in a list\n";
  const std::vector<std::string> contents = {text.substr(0, 200000), text.substr(100, 2000),
                                             text.substr(0, 150000), text.substr(5000, 700)};
  std::vector<std::string> paths;
  for (size_t i = 0; i < contents.size(); ++i) {
    paths.push_back(dir / ("file" + std::to_string(i) + (i == 2 ? ".unreadable" : ".txt")));
    WriteFile(paths.back(), contents[i]);
  }
  FaultyFileLayer layer;
  layer.readPathPart = ".unreadable";
  layer.readFailFrom = 65536;  // the first chunk is already in the compressor
  WriterHarness w(layer);
  ASSERT_EQ(w.Start(archive), S_OK);
  w.Begin(kClsidA);
  for (size_t i = 0; i < paths.size(); ++i)
    EXPECT_EQ(w.File(paths[i]), i == 2 ? E_FAIL : S_OK) << i;
  w.End();
  ASSERT_EQ(w.Finish(), S_OK);
  const auto parsed = Parse();
  ASSERT_EQ(parsed.sections.size(), 1u);
  const auto& records = parsed.sections[0].records;
  ASSERT_EQ(records.size(), 3u);
  for (size_t r = 0, i = 0; r < records.size(); ++r, ++i) {
    if (i == 2) ++i;
    EXPECT_EQ(records[r].name, paths[i]);
    // The same bytes as in an archive of that file alone.
    const std::string alone = dir / "alone.KV";
    std::filesystem::remove(alone);
    WriterHarness single;
    ASSERT_EQ(single.Start(alone), S_OK);
    single.Begin(kClsidA);
    single.File(paths[i]);
    single.End();
    ASSERT_EQ(single.Finish(), S_OK);
    std::string error;
    const auto aloneParsed = plain::ParseArchive(ReadFile(alone), &error);
    ASSERT_TRUE(aloneParsed) << error;
    EXPECT_EQ(records[r].data, aloneParsed->sections.at(0).records.at(0).data) << paths[i];
    EXPECT_EQ(records[r].content, contents[i]) << paths[i];
  }
}

TEST_F(ArchiveWriter, ClientOptionsAppendAndStopAtStartBackup) {
  WriterHarness w;
  EXPECT_EQ(w.Options(kClsidA, "First", {1, 2, 3}), S_OK);
  EXPECT_EQ(w.Options(kClsidA, "Alpha", {4, 5}), S_OK);
  Variant notBytes;
  notBytes.get() = MakeStringVariant("text");
  EXPECT_EQ(
      w.api->SetClientOptions(Bstr(kClsidB).get(), Bstr("Named anyway").get(), notBytes.get()),
      E_INVALIDARG);
  ASSERT_EQ(w.Start(archive), S_OK);
  w.Options(kClsidA, "Too late", {6});
  for (const char* clsid : {kClsidA, kClsidB}) {
    w.Begin(clsid);
    w.End();
  }
  w.Finish();
  const auto parsed = Parse();
  ASSERT_EQ(parsed.sections.size(), 2u);
  EXPECT_EQ(parsed.sections[0].name, "Alpha");
  EXPECT_EQ(parsed.sections[0].options, std::string("\1\2\3\4\5", 5));
  EXPECT_EQ(parsed.sections[1].name, "Named anyway");
  EXPECT_EQ(parsed.sections[1].total, 0);
  EXPECT_TRUE(parsed.sections[1].records.empty());
}

// Sections are written behind room left for the table the register predicts
// at StartBackup; whenever the real table differs, they must still end up
// right behind it, byte for byte, and no temporary file may stay behind.
TEST_F(ArchiveWriter, SectionsLandRightBehindTheTableWhateverTheRegisterPredicted) {
  constexpr const char* kClsidC = "{CCCCCCCC-0000-0000-0000-000000000003}";
  struct Registration {
    const char* clsid;
    std::string name;
    std::vector<uint8_t> options;
  };
  struct Section {
    const char* clsid;
    bool keep;
  };
  const struct {
    const char* what;
    std::vector<Registration> registered;
    std::vector<Section> run;
    std::vector<plain::SectionSpec> expected;  // records filled in below
  } cases[] = {
      {"every registered client keeps its section, in another order",
       {{kClsidA, "Alpha", {1, 2}}, {kClsidB, "Beta", {}}},
       {{kClsidB, true}, {kClsidA, true}},
       {{kClsidB, "Beta", ""}, {kClsidA, "Alpha", std::string("\1\2", 2)}}},
      {"a registered client with options is discarded",
       {{kClsidA, "Alpha", {1, 2, 3}}, {kClsidB, "Beta", {4}}},
       {{kClsidA, false}, {kClsidB, true}},
       {{kClsidB, "Beta", "\4"}}},
      {"a client that never registered keeps a section",
       {{kClsidA, "Alpha", {7}}},
       {{kClsidC, true}, {kClsidA, true}},
       {{kClsidC, "", ""}, {kClsidA, "Alpha", "\7"}}},
      {"an unregistered client takes the room of a discarded one",
       {{kClsidA, "Alpha", {}}},
       {{kClsidA, false}, {kClsidC, true}},
       {{kClsidC, "", ""}}},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(archive);
    WriterHarness w;
    for (const Registration& r : c.registered) w.Options(r.clsid, r.name, r.options);
    ASSERT_EQ(w.Start(archive), S_OK) << c.what;
    // Too late: neither these bytes nor the name may reach the archive.
    w.Options(kClsidA, "Renamed", {9, 9, 9});
    for (const Section& section : c.run) {
      w.Begin(section.clsid);
      w.String("note", {"text of ", section.clsid}, 2);
      w.End(section.keep ? 0 : 1);
    }
    ASSERT_EQ(w.Finish(), S_OK) << c.what;

    std::vector<plain::SectionSpec> expected = c.expected;
    for (plain::SectionSpec& section : expected) {
      section.records = {plain::Record(2, 2, "note", "", "text of " + section.clsid)};
      section.total = 2;
    }
    const std::string bytes = ReadFile(archive);
    EXPECT_EQ(bytes, plain::ComposeArchive("user", "machine", "label", 37000.5, 3, 4, expected))
        << c.what;
    std::string error;
    EXPECT_TRUE(plain::ParseArchive(bytes, &error)) << c.what << ": " << error;
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"Vopalarc000001.KV", "source.txt"}))
        << c.what;
  }
}

TEST_F(ArchiveWriter, SectionClosedTwiceGivesTwoEntriesOfTheLaterSection) {
  WriterHarness w;
  ASSERT_EQ(w.Start(archive), S_OK);
  w.Begin(kClsidA);
  w.End();
  w.Begin(kClsidA);
  w.File(source);
  w.End();
  w.Finish();
  const auto parsed = Parse();
  ASSERT_EQ(parsed.sections.size(), 2u);
  EXPECT_EQ(parsed.sections[0].offset, parsed.sections[1].offset);
  EXPECT_EQ(parsed.sections[0].records.size(), 1u);
}

TEST_F(ArchiveWriter, ProgressAndLogLinesFollowEachObject) {
  WriterHarness w;
  ASSERT_EQ(w.Start(archive), S_OK);
  w.Begin(kClsidA, "Files and folders", 5);
  EXPECT_EQ(w.File(source, "l", 1), S_OK);
  EXPECT_EQ(w.File(source, "l", 1, VARIANT_FALSE), S_OK);  // same name: no second step
  EXPECT_EQ(w.File(dir / "missing.txt", "m", 1), E_FAIL);
  w.Key("HKEY_CURRENT_USER\\Software\\Logged", 2);
  w.String("s", {"a"}, 3, "Saving settings");
  w.String("t", {"b"}, 1, "");
  w.End();
  w.Finish();

  const auto& p = *w.progress.get();
  ASSERT_EQ(p.firstSteps.size(), 1u);
  EXPECT_EQ(p.firstSteps[0].name, "Files and folders");
  EXPECT_EQ(p.firstSteps[0].weight, 5);
  std::vector<std::string> steps;
  for (const auto& s : p.nextSteps) steps.push_back(s.name + "/" + std::to_string(s.weight));
  EXPECT_EQ(steps, (std::vector<std::string>{source + "/1", dir / "missing.txt/1",
                                             "Registry Key Backup/2", "/3", "/1"}));
  EXPECT_EQ(
      p.messages,
      (std::vector<std::string>{
          "File Backup " + source + " OK", "File Backup " + dir / "missing.txt FAILED",
          "Registry Key Backup HKEY_CURRENT_USER\\Software\\Logged OK", "Saving settings  OK"}));
  INT code = 0;
  Bstr text;
  w.api->GetLastError(&code, text.out());
  EXPECT_EQ(code, 2);
  EXPECT_NE(text.str().find(dir / "missing.txt"), std::string::npos);
  EXPECT_LE(text.str().size(), 255u);

  const auto parsed = Parse();
  ASSERT_EQ(parsed.sections.size(), 1u);
  // Two files, the key and two strings; the failed file left no record and
  // no weight.
  EXPECT_EQ(parsed.sections[0].records.size(), 5u);
  EXPECT_EQ(parsed.sections[0].total, 1 + 1 + 2 + 3 + 1);
}

TEST_F(ArchiveWriter, PipeOrFolderHandedOverAsFileFailsWithoutWaiting) {
  const std::string pipe = dir / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  WriterHarness w;
  ASSERT_EQ(w.Start(archive), S_OK);
  w.Begin(kClsidA);
  // Opening a pipe for reading would block until a writer appears.
  EXPECT_EQ(w.File(pipe), E_FAIL);
  EXPECT_EQ(w.File(dir.path()), E_FAIL);
  INT code = 0;
  Bstr text;
  w.api->GetLastError(&code, text.out());
  EXPECT_EQ(code, 5);
  EXPECT_EQ(w.File(source), S_OK);
  w.End();
  w.Finish();
  ASSERT_EQ(Parse().sections.at(0).records.size(), 1u);
}

}  // namespace
}  // namespace bkvp::testing
