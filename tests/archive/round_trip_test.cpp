// Objects stored by Backuper come back through Restorer unchanged, and the
// archive between them reads the same to a parser written from the format
// description alone.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "contract/component.h"
#include "contract/identifiers.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "tests/archive/archive_harness.h"
#include "tests/archive/independent_reader.h"
#include "tests/support/test_support.h"

namespace bkvp::testing {
namespace {

std::string Text(size_t size) {
  std::string s;
  for (size_t i = 0; s.size() < size; ++i) s += "record " + std::to_string(i) + " of a long log\n";
  s.resize(size);
  return s;
}

std::string Noise(size_t size) {
  std::string s(size, '\0');
  uint32_t x = 12345;
  for (char& c : s) c = char((x = x * 1103515245 + 12345) >> 16);
  return s;
}

class ArchiveRoundTrip : public HomeFixture {
 protected:
  TempDir dir;
  std::string archivePath() const { return dir / "Vopalarc000001.KV"; }

  // Writes each file into one section and restores every object into out/.
  void RoundTrip(const std::vector<std::pair<std::string, std::string>>& files,
                 ComPtr<IBackuper> writerApi = nullptr, ComPtr<IRestorer> readerApi = nullptr) {
    WriterHarness w = writerApi ? WriterHarness(writerApi) : WriterHarness();
    ASSERT_EQ(w.Start(archivePath()), S_OK);
    w.Begin(kClsidA, "Files", int(files.size()));
    for (const auto& [name, content] : files) {
      WriteFile(dir / ("in/" + name), content);
      ASSERT_EQ(w.File(dir / ("in/" + name), name), S_OK) << name;
    }
    w.End();
    ASSERT_EQ(w.Finish(), S_OK);

    ReaderHarness r = readerApi ? ReaderHarness(readerApi) : ReaderHarness();
    ASSERT_EQ(r.Open(archivePath()), S_OK);
    ASSERT_EQ(r.Iterate(kClsidA), S_OK);
    size_t restored = 0;
    while (!r.AtEnd()) {
      const auto object = r.Current();
      EXPECT_EQ(object.type, 0);
      const std::string name = platform::FileNameOf(object.name);
      EXPECT_EQ(r.RestoreFile(dir / ("out/" + name)), S_OK) << name;
      EXPECT_EQ(ReadFile(dir / ("out/" + name)), ReadFile(dir / ("in/" + name))) << name;
      r.api->Next();
      ++restored;
    }
    EXPECT_EQ(restored, files.size());
  }

  void SetUp() override {
    HomeFixture::SetUp();
    std::filesystem::create_directories(dir / "out");
  }
};

TEST_F(ArchiveRoundTrip, FilesOfEveryShapeComeBackByteForByte) {
  std::string zlibLooking = "\x78\xDA";
  zlibLooking += Noise(1000);
  RoundTrip(
      {{"empty.txt", ""},
       {"one.txt", "x"},
       {"noextension", Text(5000)},
       {"big.txt", Text(300000)},
       {"noise.zip", Noise(200001)},
       {"starts-like-zlib.zip", zlibLooking},
       {"P\xC5\x99\xC3\xADli\xC5\xA1 \xC5\xBElu\xC5\xA5ou\xC4\x8Dk\xC3\xBD.txt", "utf-8 name"}});

  std::string error;
  const auto parsed = plain::ParseArchive(ReadFile(archivePath()), &error);
  ASSERT_TRUE(parsed) << error;
  ASSERT_EQ(parsed->sections.size(), 1u);
  EXPECT_EQ(parsed->user, "user");
  EXPECT_EQ(parsed->major, 3);
  for (const auto& rec : parsed->sections[0].records) {
    const std::string name = platform::FileNameOf(rec.name);
    EXPECT_EQ(rec.content, ReadFile(dir / ("in/" + name))) << name;
    EXPECT_EQ(rec.storedName, rec.name + '\0');
    EXPECT_EQ(rec.info.substr(28), name + '\0');
    // Compressed exactly when the type and size call for it and the bytes
    // shrink, or when the raw bytes would be taken for a zlib stream.
    const bool expectCompressed = name == "big.txt" || name == "starts-like-zlib.zip";
    EXPECT_EQ(rec.compressed, expectCompressed) << name;
  }
}

TEST_F(ArchiveRoundTrip, LargeStreamsComeBackWhetherInflatedWholeOrAsAStream) {
  // A data part of some hundred KiB is inflated whole; one whose content
  // outgrows the room kept for that goes on as a stream from its start.
  RoundTrip({{"mixed.txt", testing::Text(3u << 20, 11)}, {"long.log", Text(9u << 20)}});
  std::string error;
  const auto parsed = plain::ParseArchive(ReadFile(archivePath()), &error);
  ASSERT_TRUE(parsed) << error;
  for (const auto& rec : parsed->sections[0].records) {
    EXPECT_TRUE(rec.compressed) << rec.name;
    EXPECT_GT(rec.data.size(), 256u << 10) << rec.name;
    EXPECT_LE(rec.data.size(), 2u << 20) << rec.name;
  }
}

TEST_F(ArchiveRoundTrip, FileTimesAndReadOnlyAttributeAreRestored) {
  const std::string source = dir / "in/ro.txt";
  WriteFile(source, "keep me");
  chmod(source.c_str(), 0444);
  const platform::FILETIME when = platform::kFileTimeUnixEpoch + 10'000'000ULL * 1'000'000'000ULL;
  platform::SetFileTimes(source, nullptr, &when, &when);
  const std::string target = dir / "out/ro.txt";
  WriteFile(target, "older, read-only target");
  chmod(target.c_str(), 0444);

  WriterHarness w;
  ASSERT_EQ(w.Start(archivePath()), S_OK);
  w.Begin(kClsidA);
  ASSERT_EQ(w.File(source, "ro.txt"), S_OK);
  w.End();
  w.Finish();

  ReaderHarness r;
  ASSERT_EQ(r.Open(archivePath()), S_OK);
  r.Iterate(kClsidA);
  ASSERT_EQ(r.RestoreFile(target, 1), S_OK);
  EXPECT_EQ(ReadFile(target), "keep me");
  const auto info = platform::GetFileInfo(target);
  ASSERT_TRUE(info);
  EXPECT_TRUE(info->attributes & platform::FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(info->lastWriteTime, when);
  EXPECT_EQ(r.progress->messages, std::vector<std::string>{target + " OK"});
}

TEST_F(ArchiveRoundTrip, NamesUpToTheLimitAreKeptAndLongerOnesRefused) {
  const std::string folder = dir / "in/";
  const std::string fits = folder + std::string(255 - folder.size(), 'n');
  const std::string tooLong = folder + std::string(256 - folder.size(), 'm');
  WriteFile(fits, "fits");
  WriteFile(tooLong, "too long");

  WriterHarness w;
  ASSERT_EQ(w.Start(archivePath()), S_OK);
  w.Begin(kClsidA);
  EXPECT_EQ(w.File(fits, "fits"), S_OK);
  EXPECT_EQ(w.File(tooLong, "long"), E_FAIL);
  INT code = 0;
  Bstr text;
  w.api->GetLastError(&code, text.out());
  EXPECT_EQ(code, 206);
  EXPECT_EQ(w.progress->messages.back(), "File Backup " + tooLong + " FAILED");
  w.End();
  w.Finish();

  ReaderHarness r;
  ASSERT_EQ(r.Open(archivePath()), S_OK);
  r.Iterate(kClsidA);
  EXPECT_EQ(r.Current().name, fits);
  r.api->Next();
  EXPECT_TRUE(r.AtEnd());
}

TEST_F(ArchiveRoundTrip, StringsAndRegistryKeysComeBack) {
  platform::RegWriteString("HKEY_CURRENT_USER\\Software\\RoundTrip", "Name", "value");
  WriterHarness w;
  ASSERT_EQ(w.Start(archivePath()), S_OK);
  w.Begin(kClsidA);
  w.String("greeting", {"Hello, ", "wor", "ld"});
  w.String("", {});
  w.Key("HKEY_CURRENT_USER\\Software\\RoundTrip");
  w.End();
  w.Finish();

  ReaderHarness r;
  ASSERT_EQ(r.Open(archivePath()), S_OK);
  r.Iterate(kClsidA);
  EXPECT_EQ(r.Current().name, "greeting");
  LONG total = 0;
  EXPECT_EQ(r.StringPieces(5, &total), (std::vector<std::string>{"Hello", ", wor", "ld", ""}));
  EXPECT_EQ(total, 12);
  r.api->Next();
  EXPECT_EQ(r.Current().type, 2);
  EXPECT_EQ(r.StringPieces(5, &total), (std::vector<std::string>{""}));
  r.api->Next();
  EXPECT_EQ(r.Current().type, 1);
  EXPECT_EQ(r.RestoreKey("HKEY_CURRENT_USER\\Software\\Copy"), S_OK);
  EXPECT_EQ(platform::RegReadString("HKEY_CURRENT_USER\\Software\\Copy", "Name"), "value");
  r.api->Next();
  EXPECT_TRUE(r.AtEnd());
}

TEST_F(ArchiveRoundTrip, ModuleObjectsCreatedByClassIdentifierWork) {
  ASSERT_EQ(RegisterModuleFile(BinDir() + "/BkVpSrv.so"), S_OK) << LastComponentError();
  EXPECT_EQ(platform::RegReadString("HKEY_CLASSES_ROOT\\BkVpSrv.Backuper", ""), "Backuper Class");
  EXPECT_EQ(platform::RegReadString("HKEY_CLASSES_ROOT\\BkVpSrv.Restorer.1", ""), "Restorer Class");
  EXPECT_EQ(platform::RegReadString(
                "HKEY_CLASSES_ROOT\\CLSID\\{D2E48CF4-F37E-4C16-B86C-69ED344B7DC2}\\TypeLib", ""),
            "{73032AFB-505D-4379-9DB3-0CD7E2BE2FAE}");
  EXPECT_TRUE(platform::RegListSubKeys(kDiscoveryKey).empty());

  ComPtr<IBackuper> writer;
  ComPtr<IRestorer> reader;
  ASSERT_EQ(CreateInstance(CLSID_Backuper, writer), S_OK) << LastComponentError();
  ASSERT_EQ(CreateInstance(CLSID_Restorer, reader), S_OK) << LastComponentError();
  RoundTrip({{"a.txt", Text(70000)}, {"b.gz", Noise(10)}}, writer, reader);
}

}  // namespace
}  // namespace bkvp::testing
