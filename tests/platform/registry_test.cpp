#include "platform/registry.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "platform/paths.h"
#include "platform/registry_store.h"
#include "tests/support/test_support.h"

namespace bkvp::platform {
namespace {

using bkvp::testing::ReadFile;
using bkvp::testing::WriteFile;
using Bytes = std::vector<uint8_t>;

Bytes BytesOf(std::string_view text, bool withZero = true) {
  Bytes bytes(text.begin(), text.end());
  if (withZero) bytes.push_back(0);
  return bytes;
}

class Registry : public bkvp::testing::HomeFixture {
 protected:
  static RegKeyHandle Create(HKEY root, const char* path) {
    RegKeyHandle key;
    EXPECT_EQ(RegCreateKey(root, path, key.out()), ERROR_SUCCESS) << path;
    return key;
  }
  static LSTATUS Set(HKEY key, const char* name, uint32_t type, const Bytes& data) {
    return RegSetValue(key, name, type, data.data(), uint32_t(data.size()));
  }
  static LSTATUS Query(HKEY key, const char* name, uint32_t* type, Bytes* data) {
    uint32_t size = 0;
    if (LSTATUS status = RegQueryValue(key, name, type, nullptr, &size)) return status;
    data->resize(size);
    return RegQueryValue(key, name, type, data->data(), &size);
  }
  static std::vector<std::string> SubKeyNames(HKEY key) {
    std::vector<std::string> names;
    char name[kMaxRegistryName + 1];
    for (uint32_t index = 0;; ++index) {
      uint32_t size = sizeof name;
      const LSTATUS status = RegEnumKey(key, index, name, &size);
      if (status == ERROR_NO_MORE_ITEMS) return names;
      EXPECT_EQ(status, ERROR_SUCCESS);
      if (status) return names;
      names.emplace_back(name, size);
    }
  }
  static std::vector<std::string> ValueNames(HKEY key) {
    std::vector<std::string> names;
    char name[kMaxRegistryName + 1];
    for (uint32_t index = 0;; ++index) {
      uint32_t size = sizeof name;
      const LSTATUS status = RegEnumValue(key, index, name, &size, nullptr, nullptr, nullptr);
      if (status == ERROR_NO_MORE_ITEMS) return names;
      EXPECT_EQ(status, ERROR_SUCCESS);
      if (status) return names;
      names.emplace_back(name, size);
    }
  }
  // Runs body in a child process; true when it exited with 0.
  template <class Body>
  static pid_t Spawn(Body body) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body() ? 0 : 1);
    return pid;
  }
  static bool Succeeded(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
};

TEST_F(Registry, NamesAreCaseInsensitiveAndKeepTheirFirstSpelling) {
  Create(HKEY_CURRENT_USER, "Software\\MyApp\\Über");
  RegKeyHandle again = Create(HKEY_CURRENT_USER, "SOFTWARE\\myapp\\üBER");
  RegKeyHandle opened;
  ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, "software\\MYAPP", opened.out()), ERROR_SUCCESS);
  EXPECT_EQ(SubKeyNames(opened.get()), std::vector<std::string>{"Über"});

  ASSERT_EQ(Set(again.get(), "Colour", REG_SZ, BytesOf("red")), ERROR_SUCCESS);
  ASSERT_EQ(Set(again.get(), "COLOUR", REG_SZ, BytesOf("blue")), ERROR_SUCCESS);
  EXPECT_EQ(ValueNames(again.get()), std::vector<std::string>{"Colour"});
  uint32_t type = 0;
  Bytes data;
  ASSERT_EQ(Query(again.get(), "colour", &type, &data), ERROR_SUCCESS);
  EXPECT_EQ(data, BytesOf("blue"));
}

TEST_F(Registry, SubKeysComeInCaseInsensitiveNameOrder) {
  RegKeyHandle parent = Create(HKEY_CURRENT_USER, "Order");
  for (const char* name : {"beta", "Alpha", "gamma", "Delta", "Écrire", "alphabet", "Zulu"})
    Create(parent.get(), name);
  EXPECT_EQ(
      SubKeyNames(parent.get()),
      (std::vector<std::string>{"Alpha", "alphabet", "beta", "Delta", "gamma", "Zulu", "Écrire"}));
}

TEST_F(Registry, ValuesComeInCreationOrderAndAnOverwriteKeepsItsPlace) {
  RegKeyHandle key = Create(HKEY_CURRENT_USER, "Values");
  for (const char* name : {"zeta", "alpha", "mid", ""})
    ASSERT_EQ(Set(key.get(), name, REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
  ASSERT_EQ(Set(key.get(), "ALPHA", REG_BINARY, {9, 9}), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValue(key.get(), "mid"), ERROR_SUCCESS);
  ASSERT_EQ(Set(key.get(), "Mid", REG_DWORD, {2, 0, 0, 0}), ERROR_SUCCESS);
  EXPECT_EQ(ValueNames(key.get()), (std::vector<std::string>{"zeta", "alpha", "", "Mid"}));

  uint32_t type = 0;
  Bytes data(2);
  uint32_t size = 2;
  char name[8];
  uint32_t nameSize = sizeof name;
  ASSERT_EQ(RegEnumValue(key.get(), 1, name, &nameSize, &type, data.data(), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(data, (Bytes{9, 9}));
}

TEST_F(Registry, EveryValueTypeKeepsItsExactBytes) {
  RegKeyHandle key = Create(HKEY_LOCAL_MACHINE, "Types");
  const struct {
    const char* name;
    uint32_t type;
    Bytes data;
  } cases[] = {
      {"none", REG_NONE, {}},
      {"text", REG_SZ, BytesOf("héllo \"world\"")},
      {"unterminated", REG_SZ, BytesOf("abc", false)},
      {"expand", REG_EXPAND_SZ, BytesOf("%HOME%\\x")},
      {"binary", REG_BINARY, {0, 255, 0, 1}},
      {"empty binary", REG_BINARY, {}},
      {"dword", REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
      {"short dword", REG_DWORD, {1, 2, 3}},
      {"big endian", REG_DWORD_BIG_ENDIAN, {0x12, 0x34, 0x56, 0x78}},
      {"link", REG_LINK, {'a', 0, 'b', 0}},
      {"multi", REG_MULTI_SZ, {'a', 0, 'b', 'c', 0, 0}},
      {"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"odd type", 0x1234, {7}},
  };
  for (const auto& c : cases) ASSERT_EQ(Set(key.get(), c.name, c.type, c.data), ERROR_SUCCESS);
  for (const auto& c : cases) {
    uint32_t type = 0;
    Bytes data;
    ASSERT_EQ(Query(key.get(), c.name, &type, &data), ERROR_SUCCESS) << c.name;
    EXPECT_EQ(type, c.type) << c.name;
    EXPECT_EQ(data, c.data) << c.name;
  }
}

TEST_F(Registry, MissingKeysAndValuesAreReportedAndReadsCreateNothing) {
  RegKeyHandle key;
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, "Nothing\\Here", key.out()), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(key);
  char name[16];
  uint32_t size = sizeof name;
  EXPECT_EQ(RegEnumKey(HKEY_CURRENT_USER, 0, name, &size), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegEnumKey(HKEY_CLASSES_ROOT, 0, name, &size), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegQueryValue(HKEY_CURRENT_USER, "x", nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Nothing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValue(HKEY_CURRENT_USER, "x"), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(std::filesystem::exists(RegistryFolder()));

  key = Create(HKEY_CURRENT_USER, "Present");
  EXPECT_EQ(RegQueryValue(key.get(), "absent", nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValue(key.get(), nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValue(key.get(), "absent"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegEnumValue(key.get(), 0, name, &size, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
}

TEST_F(Registry, TooSmallBuffersGiveMoreDataWithTheSizeNeeded) {
  RegKeyHandle key = Create(HKEY_CURRENT_USER, "Sizes\\LongerSubKeyName");
  key = Create(HKEY_CURRENT_USER, "Sizes");
  const Bytes text = BytesOf("twelve bytes");
  ASSERT_EQ(text.size(), 13u);
  ASSERT_EQ(Set(key.get(), "value", REG_SZ, text), ERROR_SUCCESS);

  uint8_t data[32];
  uint32_t size = 12;
  uint32_t type = 0;
  EXPECT_EQ(RegQueryValue(key.get(), "value", &type, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 13u);
  EXPECT_EQ(type, REG_SZ);
  size = 13;
  EXPECT_EQ(RegQueryValue(key.get(), "value", &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(Bytes(data, data + size), text);

  char name[32];
  uint32_t nameSize = 5;  // "value" needs 6 with its zero
  size = sizeof data;
  EXPECT_EQ(RegEnumValue(key.get(), 0, name, &nameSize, nullptr, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(nameSize, 6u);
  nameSize = sizeof name;
  size = 3;
  EXPECT_EQ(RegEnumValue(key.get(), 0, name, &nameSize, &type, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 13u);
  EXPECT_STREQ(name, "value");

  nameSize = 4;
  EXPECT_EQ(RegEnumKey(key.get(), 0, name, &nameSize), ERROR_MORE_DATA);
  EXPECT_EQ(nameSize, 17u);  // "LongerSubKeyName" and its zero
}

TEST_F(Registry, DeleteKeyRefusesSubKeysAndDeleteTreeTakesThemAll) {
  RegKeyHandle top = Create(HKEY_CURRENT_USER, "Tree");
  Create(top.get(), "a\\b\\c");
  Create(top.get(), "d");
  ASSERT_EQ(Set(top.get(), "v", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);

  EXPECT_EQ(RegDeleteKey(top.get(), "a"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKey(top.get(), "D"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, nullptr), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteTree(top.get(), "a"), ERROR_SUCCESS);
  EXPECT_TRUE(SubKeyNames(top.get()).empty());
  RegKeyHandle gone;
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, "Tree\\a\\b\\c", gone.out()), ERROR_FILE_NOT_FOUND);

  // Without a subkey name only the contents go; the key stays.
  Create(top.get(), "again\\deeper");
  EXPECT_EQ(RegDeleteTree(top.get(), nullptr), ERROR_SUCCESS);
  EXPECT_TRUE(SubKeyNames(top.get()).empty());
  EXPECT_TRUE(ValueNames(top.get()).empty());
  RegKeyHandle stays;
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, "Tree", stays.out()), ERROR_SUCCESS);
}

TEST_F(Registry, AHandleToADeletedKeyNeverReachesItsSuccessor) {
  RegKeyHandle key = Create(HKEY_CURRENT_USER, "Doomed");
  ASSERT_EQ(Set(key.get(), "v", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "Doomed"), ERROR_SUCCESS);
  RegKeyHandle successor = Create(HKEY_CURRENT_USER, "Doomed");

  const Bytes data{2, 0, 0, 0};
  EXPECT_EQ(RegSetValue(key.get(), "v", REG_DWORD, data.data(), 4), ERROR_KEY_DELETED);
  EXPECT_EQ(RegQueryValue(key.get(), "v", nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
  char name[16];
  uint32_t size = sizeof name;
  EXPECT_EQ(RegEnumValue(key.get(), 0, name, &size, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
  RegKeyHandle child;
  EXPECT_EQ(RegCreateKey(key.get(), "child", child.out()), ERROR_KEY_DELETED);
  EXPECT_TRUE(ValueNames(successor.get()).empty());
  EXPECT_TRUE(SubKeyNames(successor.get()).empty());
}

TEST_F(Registry, ClassesRootIsTheClassesKeyOfTheMachine) {
  RegKeyHandle clsid = Create(HKEY_CLASSES_ROOT, "CLSID\\{1234}\\InprocServer32");
  ASSERT_EQ(Set(clsid.get(), nullptr, REG_SZ, BytesOf("/opt/x.so")), ERROR_SUCCESS);
  EXPECT_EQ(
      RegReadString("HKEY_LOCAL_MACHINE\\Software\\classes\\CLSID\\{1234}\\InprocServer32", ""),
      "/opt/x.so");
  ASSERT_EQ(RegWriteDword("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.txt", "n", 5), ERROR_SUCCESS);
  EXPECT_EQ(RegReadDword("HKEY_CLASSES_ROOT\\.TXT", "N"), 5u);
  RegKeyHandle root;
  ASSERT_EQ(RegOpenKey(HKEY_CLASSES_ROOT, nullptr, root.out()), ERROR_SUCCESS);
  EXPECT_EQ(SubKeyNames(root.get()), (std::vector<std::string>{".txt", "CLSID"}));
  EXPECT_TRUE(RegListSubKeys("HKEY_CURRENT_USER").empty());
}

TEST_F(Registry, BadHandlesAndNamesAreRefused) {
  RegKeyHandle key = Create(HKEY_CURRENT_USER, "Names");
  const std::string longest(kMaxRegistryName, 'k');
  const std::string tooLong(kMaxRegistryName + 1, 'k');
  const Bytes data{1};
  EXPECT_EQ(RegSetValue(key.get(), longest.c_str(), REG_BINARY, data.data(), 1), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValue(key.get(), tooLong.c_str(), REG_BINARY, data.data(), 1),
            ERROR_INVALID_PARAMETER);
  RegKeyHandle sub;
  EXPECT_EQ(RegCreateKey(key.get(), longest.c_str(), sub.out()), ERROR_SUCCESS);
  EXPECT_EQ(RegCreateKey(key.get(), tooLong.c_str(), sub.out()), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKey(key.get(), "a\\\\b", sub.out()), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKey(HKEY_DYN_DATA, "a", sub.out()), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKey(HKEY_PERFORMANCE_DATA, nullptr, sub.out()), ERROR_INVALID_HANDLE);

  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, "Names", &raw), ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(raw), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(raw), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValue(raw, nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, FullPathHelpersReadWriteAndList) {
  const std::string key = "hkey_current_user\\Software\\Example";
  ASSERT_EQ(RegWriteString(key, "Name", "Vopal"), ERROR_SUCCESS);
  ASSERT_EQ(RegWriteDword(key, "Count", 7), ERROR_SUCCESS);
  ASSERT_EQ(RegWriteBinary(key, "Blob", {1, 2}), ERROR_SUCCESS);
  ASSERT_EQ(RegWriteString(key + "\\Child", "", "x"), ERROR_SUCCESS);
  EXPECT_EQ(RegReadString(key, "name"), "Vopal");
  EXPECT_EQ(RegReadDword(key, "Count"), 7u);
  EXPECT_EQ(RegReadBinary(key, "Blob"), (Bytes{1, 2}));
  EXPECT_EQ(RegReadDword(key, "Name"), std::nullopt);  // another type
  EXPECT_EQ(RegReadString(key, "Missing"), std::nullopt);
  EXPECT_EQ(RegReadString("HKEY_NOWHERE\\x", "Name"), std::nullopt);
  EXPECT_EQ(RegListSubKeys("HKEY_CURRENT_USER\\SOFTWARE"), std::vector<std::string>{"Example"});

  const auto split = SplitKeyPath("Hkey_Local_Machine\\A\\B");
  ASSERT_TRUE(split);
  EXPECT_EQ(split->root, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(split->subKey, "A\\B");
  EXPECT_EQ(JoinRootAndSubKey(split->root, split->subKey), "HKEY_LOCAL_MACHINE\\A\\B");
  EXPECT_EQ(SplitKeyPath("HKEY_USERS")->subKey, "");
  EXPECT_FALSE(SplitKeyPath("HKLM\\A"));
}

TEST_F(Registry, RootsFollowTheCurrentRegistryFolder) {
  ASSERT_EQ(RegWriteDword("HKEY_CURRENT_USER\\Where", "v", 1), ERROR_SUCCESS);
  RegKeyHandle first;
  ASSERT_EQ(RegOpenKeyPath("HKEY_CURRENT_USER\\Where", first.out()), ERROR_SUCCESS);
  const std::string firstHome = std::getenv("BKVP_HOME");
  bkvp::testing::TempDir other;
  setenv("BKVP_HOME", other.path().c_str(), 1);
  EXPECT_EQ(RegReadDword("HKEY_CURRENT_USER\\Where", "v"), std::nullopt);
  ASSERT_EQ(RegWriteDword("HKEY_CURRENT_USER\\Where", "v", 2), ERROR_SUCCESS);
  // A handle stays with the store it was opened in.
  uint32_t value = 0, size = 4;
  EXPECT_EQ(RegQueryValue(first.get(), "v", nullptr, reinterpret_cast<uint8_t*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 1u);
  setenv("BKVP_HOME", firstHome.c_str(), 1);
  EXPECT_EQ(RegReadDword("HKEY_CURRENT_USER\\Where", "v"), 1u);
}

TEST_F(Registry, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr int kPerProcess = 250;
  RegKeyHandle shared = Create(HKEY_CURRENT_USER, "Shared");  // the parent holds it open
  // Values also go to a hive that neither process finds made yet.
  const auto writer = [](char tag) {
    return [tag] {
      for (int i = 0; i < kPerProcess; ++i) {
        const std::string name = std::string(1, tag) + std::to_string(i);
        if (RegWriteDword("HKEY_CURRENT_USER\\Shared", name, uint32_t(i)) != ERROR_SUCCESS ||
            RegWriteDword("HKEY_USERS\\Fresh", name, uint32_t(i)) != ERROR_SUCCESS)
          return false;
        if (i % 25 == 0 && RegWriteString("HKEY_CURRENT_USER\\Shared\\" + name, "", name))
          return false;
      }
      return true;
    };
  };
  const pid_t a = Spawn(writer('a'));
  const pid_t b = Spawn(writer('b'));
  EXPECT_TRUE(Succeeded(a));
  EXPECT_TRUE(Succeeded(b));

  const std::vector<std::string> names = ValueNames(shared.get());
  EXPECT_EQ(names.size(), 2u * kPerProcess);
  EXPECT_EQ(SubKeyNames(shared.get()).size(), 2u * kPerProcess / 25);
  EXPECT_EQ(RegReadDword("HKEY_CURRENT_USER\\Shared", "b249"), 249u);
  RegKeyHandle fresh;
  ASSERT_EQ(RegOpenKeyPath("HKEY_USERS\\Fresh", fresh.out()), ERROR_SUCCESS);
  EXPECT_EQ(ValueNames(fresh.get()).size(), 2u * kPerProcess);
}

TEST_F(Registry, EnumerationSeesChangesMadeByAnotherProcess) {
  RegKeyHandle key = Create(HKEY_CURRENT_USER, "Watched");
  Create(key.get(), "one");
  ASSERT_EQ(SubKeyNames(key.get()).size(), 1u);
  ASSERT_EQ(ValueNames(key.get()).size(), 0u);
  // The child also goes on using the handle it inherited.
  ASSERT_TRUE(Succeeded(Spawn([&key] {
    const Bytes data{3, 0, 0, 0};
    RegKeyHandle two;
    return RegCreateKey(key.get(), "two", two.out()) == ERROR_SUCCESS &&
           RegSetValue(key.get(), "v", REG_DWORD, data.data(), 4) == ERROR_SUCCESS &&
           RegDeleteKey(HKEY_CURRENT_USER, "Watched\\one") == ERROR_SUCCESS;
  })));
  EXPECT_EQ(SubKeyNames(key.get()), std::vector<std::string>{"two"});
  EXPECT_EQ(ValueNames(key.get()), std::vector<std::string>{"v"});
}

class DamagedRegistry : public Registry {
 protected:
  std::string HivePath() const { return RegistryFolder() + "HKEY_CURRENT_USER.db"; }
  // Every call on the damaged hive fails with ERROR_BADDB; the file stays.
  void ExpectRefusedAndUntouched() {
    const std::string before = ReadFile(HivePath());
    RegKeyHandle key;
    EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, "Software", key.out()), ERROR_BADDB);
    EXPECT_EQ(RegCreateKey(HKEY_CURRENT_USER, "Software\\New", key.out()), ERROR_BADDB);
    const Bytes data{1, 0, 0, 0};
    EXPECT_EQ(RegSetValue(HKEY_CURRENT_USER, "v", REG_DWORD, data.data(), 4), ERROR_BADDB);
    char name[8];
    uint32_t size = sizeof name;
    EXPECT_EQ(RegEnumKey(HKEY_CURRENT_USER, 0, name, &size), ERROR_BADDB);
    EXPECT_EQ(RegReadString("HKEY_CURRENT_USER\\Software", "x"), std::nullopt);
    regstore::CloseCachedDatabases();
    EXPECT_TRUE(ReadFile(HivePath()) == before);
    // Other hives are not affected.
    EXPECT_EQ(RegWriteDword("HKEY_LOCAL_MACHINE\\Fine", "v", 1), ERROR_SUCCESS);
  }
};

TEST_F(DamagedRegistry, AFileThatIsNoDatabaseIsRefused) {
  WriteFile(HivePath(), "this is not a registry hive, just some text\n" + std::string(5000, 'x'));
  ExpectRefusedAndUntouched();
}

TEST_F(DamagedRegistry, AHiveWithDamagedPagesIsRefused) {
  for (int i = 0; i < 200; ++i)
    ASSERT_EQ(RegWriteString("HKEY_CURRENT_USER\\Software\\K" + std::to_string(i), "v",
                             std::string(100, 'v')),
              ERROR_SUCCESS);
  regstore::CloseCachedDatabases();
  std::string file = ReadFile(HivePath());
  ASSERT_GT(file.size(), 3 * 4096u);
  std::memset(file.data() + 4096, 0xA5, file.size() - 4096);  // every page past the first
  WriteFile(HivePath(), file);
  ExpectRefusedAndUntouched();
}

}  // namespace
}  // namespace bkvp::platform
