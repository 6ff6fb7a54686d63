#include "clients/navigator/profile_registry.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/clients/navigator/nsreg_fixture.h"
#include "tests/support/test_support.h"

namespace bkvp::navigator {
namespace {

using testing::ProfileRegistryImage;
using Status = ProfileRegistry::Status;

std::vector<std::string> Scan(const std::string& bytes, size_t piece = SIZE_MAX) {
  ProfileLocationScanner scanner;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    const size_t n = std::min(piece, bytes.size() - at);
    scanner.Feed(reinterpret_cast<const uint8_t*>(bytes.data()) + at, n);
  }
  return scanner.Locations();
}

std::string Bytes(const ProfileRegistryImage& image) {
  const auto bytes = image.Bytes();
  return std::string(bytes.begin(), bytes.end());
}

TEST(ProfileLocationScanner, FindsEveryProfileInFileOrderWhateverThePieces) {
  const std::string file = Bytes(ProfileRegistryImage()
                                     .Profile({"alice", "/home/alice/.netscape/alice"})
                                     .Profile({"bob", "/srv/Netscape Users/bob"}));
  const std::vector<std::string> expected = {"/home/alice/.netscape/alice",
                                             "/srv/Netscape Users/bob"};
  EXPECT_EQ(Scan(file), expected);
  EXPECT_EQ(Scan(file, 1), expected);
  EXPECT_EQ(Scan(file, 7), expected);
}

TEST(ProfileLocationScanner, NeverReadsPastTheEndAndSkipsWhatIsNoFolder) {
  using namespace std::string_literals;
  // A name at the very end, with and without its zero.
  EXPECT_TRUE(Scan("xxProfileLocation").empty());
  EXPECT_TRUE(Scan("xxProfileLocation\0"s).empty());
  // A text the file ends in before its zero.
  EXPECT_TRUE(Scan("ProfileLocation\0/home/cut"s).empty());
  // Empty texts; a name without its own zero is another name.
  EXPECT_EQ(Scan("ProfileLocation\0\0ProfileLocations\0/no\0ProfileLocation\0/yes\0"s),
            (std::vector<std::string>{"/yes"}));
  // A repeated first letter right before the name.
  EXPECT_EQ(Scan("PProfileLocation\0/a\0"s), (std::vector<std::string>{"/a"}));
  // A text longer than any path is dropped; the hit after it still counts.
  EXPECT_EQ(Scan("ProfileLocation\0"s + std::string(kMaxLocationBytes + 1, 'x') +
                 "ProfileLocation\0/after\0"s),
            (std::vector<std::string>{"/after"}));
}

class ProfileRegistryFile : public ::testing::Test {
 protected:
  std::string Write(const std::vector<uint8_t>& bytes) {
    testing::WriteFileBytes(path_, bytes);
    return path_;
  }
  testing::TempDir dir_;
  std::string path_ = dir_ / "nsreg.dat";
};

TEST_F(ProfileRegistryFile, LocationsAcrossTheReadChunksAreFound) {
  // Padding puts the second "ProfileLocation" across the 64 KiB chunk border:
  // the user node (36 bytes) and the entry node (32) come before it.
  ProfileRegistryImage image;
  image.Profile({"alice", "/p/alice"});
  const size_t before = image.Bytes().size();
  image.Raw(std::string(65536 - before - 74, '\x7f')).Profile({"bob", "/p/bob"});
  const auto result = ReadProfileRegistry(Write(image.Bytes()));
  EXPECT_EQ(result.status, Status::Ok);
  EXPECT_EQ(result.locations, (std::vector<std::string>{"/p/alice", "/p/bob"}));
}

TEST_F(ProfileRegistryFile, MissingUnreadableAndDamagedFilesAreRefused) {
  EXPECT_EQ(ReadProfileRegistry(path_).status, Status::Unreadable);
  std::filesystem::create_directory(path_);
  EXPECT_EQ(ReadProfileRegistry(path_).status, Status::Unreadable);
  std::filesystem::remove(path_);

  // Not a profile registry: another magic number, or too short for one.
  EXPECT_EQ(ReadProfileRegistry(
                Write(ProfileRegistryImage(0x12345678).Profile({"alice", "/p/alice"}).Bytes()))
                .status,
            Status::Damaged);
  EXPECT_EQ(ReadProfileRegistry(Write({0x41, 0x44, 0x64})).status, Status::Damaged);

  // A file naming more profiles than anyone has.
  ProfileRegistryImage crowded;
  for (size_t i = 0; i <= kMaxProfileLocations; ++i)
    crowded.Raw(std::string("ProfileLocation\0/p\0", 20));
  EXPECT_EQ(ReadProfileRegistry(Write(crowded.Bytes())).status, Status::Damaged);

  // A registry without profiles is not damaged.
  const auto empty = ReadProfileRegistry(Write(ProfileRegistryImage().Bytes()));
  EXPECT_EQ(empty.status, Status::Ok);
  EXPECT_TRUE(empty.locations.empty());
}

}  // namespace
}  // namespace bkvp::navigator
