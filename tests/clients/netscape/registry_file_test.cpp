#include "clients/common/registry_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "clients/netscape/profile_registry.h"
#include "tests/clients/common/registry_file_writer.h"
#include "tests/support/test_support.h"

namespace bkvp::netscape {
namespace {

using bkvp::testing::TempDir;
using bkvp::testing::WriteFileBytes;
using clients::testing::Entry;
using clients::testing::Key;
using clients::testing::RegistryFileImage;
using clients::testing::TestNode;
using Status = clients::RegistryFile::Status;

class RegistryFileTest : public ::testing::Test {
 protected:
  // Existing profile folders: "work-real", "home", "old-dir".
  void SetUp() override {
    for (const char* name : {"work-real", "home", "old-dir"})
      bkvp::testing::WriteFile(dir_ / (std::string(name) + "/prefs.js"), "");
  }

  TestNode Profiles(std::vector<TestNode> extra = {}) {
    std::vector<TestNode> children = {
        Entry("CurrentProfile", "Work"),
        Key("Home", {Entry("directory", dir_ / "home")}),
        Key("Work",
            {Entry("directory", dir_ / "old-dir"), Entry("migratedFrom", dir_ / "work-real")}),
        Key("NoFolder", {Entry("migratedFrom", dir_ / "home")}),
        Key("Vanished", {Entry("directory", dir_ / "not-there")}),
    };
    children.insert(children.end(), extra.begin(), extra.end());
    return Key(
        "/", {Key("Users", {Key("Common")}), Key("Common", {Key("Profiles", std::move(children))}),
              Key("Version Registry")});
  }

  std::string Save(const RegistryFileImage& image) {
    const std::string path = dir_ / "registry.dat";
    WriteFileBytes(path, image.bytes());
    return path;
  }

  TempDir dir_;
};

TEST_F(RegistryFileTest, ReadsKeysEntriesAndSubkeysInFileOrder) {
  const auto file = clients::ReadRegistryFile(Save(RegistryFileImage(Profiles())));
  ASSERT_TRUE(file.ok());
  const clients::RegistryFileNode& root = file.root;
  EXPECT_EQ(root.name, "/");
  ASSERT_EQ(root.children.size(), 3u);
  const clients::RegistryFileNode* profiles = root.FindBelow("Profiles");
  ASSERT_NE(profiles, nullptr);
  ASSERT_EQ(profiles->children.size(), 5u);
  EXPECT_EQ(profiles->children[0].name, "CurrentProfile");  // entries before subkeys
  EXPECT_EQ(profiles->children[0].value, "Work");
  EXPECT_EQ(profiles->children[2].Child("migratedFrom")->value, dir_ / "work-real");
  // Lookups by name are exact.
  EXPECT_EQ(root.FindBelow("profiles"), nullptr);
  EXPECT_EQ(root.Child("Profiles"), nullptr);
}

TEST_F(RegistryFileTest, ListsProfilesWithTheirMigratedFolderAndTheCurrentOne) {
  const ProfileRegistry registry = ReadProfileRegistry(Save(RegistryFileImage(Profiles())));
  EXPECT_EQ(registry.profileNames, (std::vector<std::string>{"Home", "Work"}));
  EXPECT_EQ(registry.profileDirectories,
            (std::vector<std::string>{dir_ / "home", dir_ / "work-real"}));
  EXPECT_EQ(registry.currentIndex, 1);
  EXPECT_EQ(registry.CurrentDirectory(), dir_ / "work-real");
}

TEST_F(RegistryFileTest, AnUnlistedCurrentProfileLeavesNoCurrentIndex) {
  RegistryFileImage image(Profiles());
  // "Work" -> "Wxrk": the current name no longer matches any profile.
  const uint32_t name = image.OffsetOf("/Common/Profiles/Work") + 32;
  image.bytes()[name + 1] = 'x';
  const ProfileRegistry registry = ReadProfileRegistry(Save(image));
  EXPECT_EQ(registry.profileNames, (std::vector<std::string>{"Home", "Wxrk"}));
  EXPECT_EQ(registry.currentIndex, -1);
  EXPECT_FALSE(registry.CurrentDirectory());
}

TEST_F(RegistryFileTest, ADeletedNodeEndsItsChainAndKeepsEarlierSiblings) {
  RegistryFileImage image(Profiles());
  image.Patch16(image.OffsetOf("/Common/Profiles/Work") + clients::testing::kFieldType, 0x0080);
  const ProfileRegistry registry = ReadProfileRegistry(Save(image));
  EXPECT_EQ(registry.profileNames, (std::vector<std::string>{"Home"}));
  EXPECT_EQ(registry.currentIndex, -1);
}

TEST_F(RegistryFileTest, ACycleOfSiblingsOrSubkeysEndsCleanly) {
  RegistryFileImage image(Profiles());
  // The last profile points back at the first one, and a subkey at its parent.
  image.PatchNode("/Common/Profiles/Vanished", clients::testing::kFieldNext,
                  image.OffsetOf("/Common/Profiles/Home"));
  image.PatchNode("/Users/Common", clients::testing::kFieldDown, image.OffsetOf("/Users"));
  const std::string path = Save(image);
  const auto file = clients::ReadRegistryFile(path);
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(file.root.FindBelow("Profiles")->children.size(), 5u);
  EXPECT_EQ(ReadProfileRegistry(path).profileNames.size(), 2u);
}

TEST_F(RegistryFileTest, OffsetsAndLengthsPastTheEndEndTheAffectedChain) {
  const struct {
    const char* node;
    uint32_t field;
    uint32_t value;
  } damages[] = {
      {"/Common/Profiles/Work", clients::testing::kFieldLocation, 12345},  // location mismatch
      {"/Common/Profiles/Work", clients::testing::kFieldNameOffset,
       0x7FFFFFF0},  // name past the end
      {"/Common/Profiles/Work/directory", clients::testing::kFieldValueLength, 0x7FFFFFFF},
      {"/Common/Profiles/Home", clients::testing::kFieldNext, 0x7FFFFFF0},  // sibling past the end
  };
  for (const auto& damage : damages) {
    RegistryFileImage image(Profiles());
    image.PatchNode(damage.node, damage.field, damage.value);
    const ProfileRegistry registry = ReadProfileRegistry(Save(image));
    EXPECT_EQ(registry.profileNames, (std::vector<std::string>{"Home"})) << damage.node;
  }
}

TEST_F(RegistryFileTest, ANameWithoutItsTerminatingZeroIsRefused) {
  RegistryFileImage image(Profiles());
  // The name length now stops before the zero of "Work".
  image.Patch16(image.OffsetOf("/Common/Profiles/Work") + clients::testing::kFieldNameLength, 4);
  EXPECT_EQ(ReadProfileRegistry(Save(image)).profileNames, (std::vector<std::string>{"Home"}));
}

TEST_F(RegistryFileTest, AnotherMagicATruncatedOrMissingFileListsNothing) {
  RegistryFileImage image(Profiles());
  EXPECT_EQ(clients::ReadRegistryFile(dir_ / "absent.dat").status, Status::Unreadable);
  EXPECT_EQ(clients::ReadRegistryFile(dir_.path()).status, Status::Unreadable);
  ASSERT_EQ(mkfifo((dir_ / "pipe.dat").c_str(), 0600), 0);  // must not wait for a writer
  EXPECT_EQ(clients::ReadRegistryFile(dir_ / "pipe.dat").status, Status::Unreadable);

  std::vector<uint8_t> bytes = image.bytes();
  bytes[0] = 'X';
  WriteFileBytes(dir_ / "magic.dat", bytes);
  EXPECT_EQ(clients::ReadRegistryFile(dir_ / "magic.dat").status, Status::Damaged);

  for (const size_t size : {size_t{2}, size_t{20}}) {
    bytes = image.bytes();
    bytes.resize(size);
    WriteFileBytes(dir_ / "short.dat", bytes);
    EXPECT_EQ(clients::ReadRegistryFile(dir_ / "short.dat").status, Status::Damaged) << size;
    EXPECT_TRUE(ReadProfileRegistry(dir_ / "short.dat").profileNames.empty());
  }
}

TEST_F(RegistryFileTest, DeepNestingIsCutOffInsteadOfExhaustingTheStack) {
  TestNode deepest = Key("Profiles", {Key("Deep", {Entry("directory", dir_ / "home")})});
  for (int i = 0; i < clients::kRegistryMaxDepth + 10; ++i)
    deepest = Key("k", {std::move(deepest)});
  const auto file =
      clients::ReadRegistryFile(Save(RegistryFileImage(Key("/", {std::move(deepest)}))));
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(file.root.FindBelow("Profiles"), nullptr);
}

}  // namespace
}  // namespace bkvp::netscape
