#include <filesystem>

#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/registry_store.h"
#include "tests/support/test_support.h"

namespace bkvp::platform {
namespace {

using Bytes = std::vector<uint8_t>;

class RegFile : public bkvp::testing::HomeFixture {
 protected:
  static void Set(const std::string& path, const char* name, uint32_t type, const Bytes& data) {
    RegKeyHandle key;
    ASSERT_EQ(RegCreateKeyPath(path, key.out()), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValue(key.get(), name, type, data.data(), uint32_t(data.size())),
              ERROR_SUCCESS);
  }
  static std::string Export(const std::string& path) {
    std::string text;
    const RegFileResult result = ExportRegText(path, text);
    EXPECT_TRUE(result.ok) << result.error;
    return text;
  }
  static void Import(const std::string& text) {
    const RegFileResult result = ImportRegText(text);
    ASSERT_TRUE(result.ok) << result.error;
  }
  static bool KeyExists(const std::string& path) {
    RegKeyHandle key;
    return RegOpenKeyPath(path, key.out()) == ERROR_SUCCESS;
  }
};

TEST_F(RegFile, ExportWritesTheKnownLayout) {
  const std::string top = "HKEY_CURRENT_USER\\Software\\Vendor";
  Set(top, "Path", REG_SZ, {'C', ':', '\\', '"', 'x', '"', 0});
  Set(top, nullptr, REG_SZ, {'d', 0});
  Set(top, "Count", REG_DWORD, {10, 0, 0, 0});
  Set(top + "\\sub", "Bin", REG_BINARY, {0, 1, 0xab});
  Set(top + "\\sub", "Exp", REG_EXPAND_SZ, {'%', 0});
  Set(top + "\\Sub\\Deeper", "Q", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0});
  Set(top + "\\Another", "M", REG_MULTI_SZ, {'a', 0, 0});
  EXPECT_EQ(Export("hkey_current_user\\software\\VENDOR"),
            "REGEDIT4\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Vendor]\n"
            "\"Path\"=\"C:\\\\\\\"x\\\"\"\n"
            "@=\"d\"\n"
            "\"Count\"=dword:0000000a\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Vendor\\Another]\n"
            "\"M\"=hex(7):61,00,00\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Vendor\\sub]\n"
            "\"Bin\"=hex:00,01,ab\n"
            "\"Exp\"=hex(2):25,00\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Vendor\\sub\\Deeper]\n"
            "\"Q\"=hex(b):01,00,00,00,00,00,00,00\n"
            "\n");
}

TEST_F(RegFile, EveryValueTypeSurvivesExportAndImportExactly) {
  const std::string top = "HKEY_LOCAL_MACHINE\\SOFTWARE\\RoundTrip";
  Bytes longBinary(300);
  for (size_t i = 0; i < longBinary.size(); ++i) longBinary[i] = uint8_t(i * 7);
  Set(top, nullptr, REG_SZ, {0});
  Set(top, "text \"quoted\" \\ back", REG_SZ, {'a', '\\', '"', 0xC3, 0xA9, 0});
  Set(top, "unterminated", REG_SZ, {'a', 'b'});
  Set(top, "embedded zero", REG_SZ, {'a', 0, 'b', 0});
  Set(top, "line break", REG_SZ, {'a', '\n', 'b', 0});
  Set(top, "empty", REG_SZ, {});
  Set(top, "none", REG_NONE, {});
  Set(top, "expand", REG_EXPAND_SZ, {'%', 'P', '%', 0});
  Set(top, "binary", REG_BINARY, longBinary);
  Set(top, "empty binary", REG_BINARY, {});
  Set(top, "dword", REG_DWORD, {0xff, 0xfe, 0xfd, 0xfc});
  Set(top, "odd dword", REG_DWORD, {1, 2});
  Set(top, "big endian", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 1});
  Set(top, "multi", REG_MULTI_SZ, {'a', 0, 'b', 0, 0});
  Set(top, "qword", REG_QWORD, {8, 7, 6, 5, 4, 3, 2, 1});
  Set(top, "custom", 0x20001, {5});
  Set(top + "\\Ünïcode\\b", "v", REG_DWORD, {1, 0, 0, 0});
  Set(top + "\\a]b", "v", REG_DWORD, {2, 0, 0, 0});
  const std::string first = Export(top);
  for (size_t start = 0, end; (end = first.find('\n', start)) != std::string::npos; start = end + 1)
    EXPECT_LE(end - start, 80u) << first.substr(start, end - start);

  ASSERT_EQ(RegDeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\RoundTrip"), ERROR_SUCCESS);
  ASSERT_FALSE(KeyExists(top));
  Import(first);
  EXPECT_EQ(Export(top), first);
  uint8_t data[400];
  uint32_t size = sizeof data, type = 0;
  RegKeyHandle key;
  ASSERT_EQ(RegOpenKeyPath(top, key.out()), ERROR_SUCCESS);
  ASSERT_EQ(RegQueryValue(key.get(), "binary", &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(Bytes(data, data + size), longBinary);
  size = sizeof data;
  ASSERT_EQ(RegQueryValue(key.get(), "line break", &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(Bytes(data, data + size), (Bytes{'a', '\n', 'b', 0}));
}

TEST_F(RegFile, ImportAcceptsTheUsualVariations) {
  Import(
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; a comment\r\n"
      "[HKEY_CURRENT_USER\\Software\\Var]\r\n"
      "\"spaced\" = \"x\"  \r\n"
      "\"wrapped\"=hex:01,\\\r\n"
      "   02,03,\\\r\n"
      "\t04\r\n"
      "\"short dword\"=dword:1F\r\n"
      "\"lone backslash\"=\"C:\\dir\"\r\n"
      "@=hex(2):41,00\r\n"
      "[HKEY_CLASSES_ROOT\\.bkv]\r\n"
      "@=\"BackupVopal.Archive\"\r\n");
  const std::string key = "HKEY_CURRENT_USER\\Software\\Var";
  EXPECT_EQ(RegReadString(key, "spaced"), "x");
  EXPECT_EQ(RegReadBinary(key, "wrapped"), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(RegReadDword(key, "short dword"), 0x1Fu);
  EXPECT_EQ(RegReadString(key, "lone backslash"), "C:\\dir");
  EXPECT_EQ(RegReadString(key, ""), "A");
  EXPECT_EQ(RegReadString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.bkv", ""),
            "BackupVopal.Archive");
  EXPECT_EQ(RegReadString("HKEY_CURRENT_USER\\SOFTWARE\\Classes\\.bkv", ""), std::nullopt);
}

TEST_F(RegFile, DeletionFormsRemoveKeysWithTheirSubtreeAndValues) {
  Set("HKEY_CURRENT_USER\\Software\\Gone\\Deep\\Deeper", "v", REG_DWORD, {1, 0, 0, 0});
  Set("HKEY_CURRENT_USER\\Software\\Kept", "drop", REG_DWORD, {1, 0, 0, 0});
  Set("HKEY_CURRENT_USER\\Software\\Kept", "keep", REG_DWORD, {1, 0, 0, 0});
  Import(
      "REGEDIT4\n\n"
      "[-HKEY_CURRENT_USER\\Software\\gone]\n\n"
      "[-HKEY_CURRENT_USER\\Software\\NeverWas]\n\n"
      "[HKEY_CURRENT_USER\\Software\\Kept]\n"
      "\"DROP\"=-\n"
      "\"never was\"=-\n");
  EXPECT_FALSE(KeyExists("HKEY_CURRENT_USER\\Software\\Gone"));
  EXPECT_FALSE(KeyExists("HKEY_CURRENT_USER\\Software\\Gone\\Deep\\Deeper"));
  EXPECT_EQ(RegReadDword("HKEY_CURRENT_USER\\Software\\Kept", "drop"), std::nullopt);
  EXPECT_EQ(RegReadDword("HKEY_CURRENT_USER\\Software\\Kept", "keep"), 1u);
  // Deletions alone in a hive that has no file yet create nothing.
  Import("REGEDIT4\n\n[-HKEY_USERS\\Nobody]\n");
  EXPECT_FALSE(std::filesystem::exists(RegistryFolder() + "HKEY_USERS.db"));
}

TEST_F(RegFile, AFaultyFileChangesNothingAndNamesItsLine) {
  Set("HKEY_CURRENT_USER\\Software\\Before", "v", REG_DWORD, {1, 0, 0, 0});
  const std::string before = Export("HKEY_CURRENT_USER");
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"[HKEY_CURRENT_USER\\Software\\New]\n\"a\"=dword:1\n[-HKEY_CURRENT_USER\\Software\\Before]\n"
       "[HKEY_CURRENT_USER\\Software\\New2]\n\"b\"=dword:123456789\n",
       "line 7: "},
      {"[HKEY_CURRENT_USER\\Software\\New]\n\"a\"=hex:01,zz\n", "line 4: "},
      {"[HKEY_CURRENT_USER\\Software\\New]\n\"a=\"x\"\n", "line 4: "},
      {"\"a\"=\"x\"\n", "line 3: "},
      {"[HKEY_CURRENT_USER\\Software\\New]\n[HKEY_NOWHERE\\Software]\n", "HKEY_NOWHERE"},
      {"[HKEY_CURRENT_USER\\Software\\New\n", "line 3: "},
      {"[-HKEY_CURRENT_USER]\n", "line 3: "},
      {"[HKEY_DYN_DATA\\x]\n", "HKEY_DYN_DATA"},
      {"[HKEY_CURRENT_USER\\a\\\\b]\n", "line 3: "},
      {"[HKEY_CURRENT_USER\\a\rb]\n", "line 3: "},  // could never be exported
      {"[HKEY_CURRENT_USER\\New]\n\"x\"=unknown:1\n", "line 4: "},
  };
  for (const auto& c : cases) {
    const RegFileResult result = ImportRegText(std::string("REGEDIT4\n\n") + c.text);
    EXPECT_FALSE(result.ok) << c.text;
    EXPECT_NE(result.error.find(c.error), std::string::npos) << result.error;
    EXPECT_EQ(Export("HKEY_CURRENT_USER"), before) << c.text;
  }
  EXPECT_FALSE(ImportRegText("[HKEY_CURRENT_USER\\x]\n").ok);  // no header
  EXPECT_FALSE(ImportRegText(std::string("\xFF\xFE[\0H", 4)).ok);
}

TEST_F(RegFile, AFailureInOneHiveLeavesTheOtherHivesUnchanged) {
  Set("HKEY_CURRENT_USER\\Software\\Before", "v", REG_DWORD, {1, 0, 0, 0});
  bkvp::testing::WriteFile(RegistryFolder() + "HKEY_LOCAL_MACHINE.db", std::string(8192, 'x'));
  const RegFileResult result = ImportRegText(
      "REGEDIT4\n\n"
      "[-HKEY_CURRENT_USER\\Software\\Before]\n\n"
      "[HKEY_LOCAL_MACHINE\\Software\\New]\n"
      "\"a\"=\"b\"\n");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(RegReadDword("HKEY_CURRENT_USER\\Software\\Before", "v"), 1u);
}

TEST_F(RegFile, ExportNamesWhatItCannotFind) {
  std::string text = "unchanged";
  RegFileResult result = ExportRegText("HKEY_CURRENT_USER\\Missing", text);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("HKEY_CURRENT_USER\\Missing"), std::string::npos);
  result = ExportRegText("HKEY_WRONG\\x", text);
  EXPECT_NE(result.error.find("HKEY_WRONG"), std::string::npos);
  EXPECT_EQ(text, "unchanged");
}

TEST_F(RegFile, ImportFileReportsAMissingFile) {
  const RegFileResult result = ImportRegFile(home() + "/absent.reg");
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("absent.reg"), std::string::npos);
}

}  // namespace
}  // namespace bkvp::platform
