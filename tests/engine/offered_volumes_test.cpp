#include "app/engine/offered_volumes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/test_support.h"

namespace bkvp::engine {
namespace {

using bkvp::testing::TempDir;

TEST(OfferedVolumes, SystemAndReadOnlyVolumesAreNoDestinationButDiscsAreASource) {
  TempDir mount;
  const VolumeFacts disk{mount.path(), "ext4"};
  EXPECT_TRUE(OfferAsBackupDestination(disk));
  EXPECT_TRUE(OfferAsRestoreSource(disk));

  const VolumeFacts pressedDisc{mount.path(), "iso9660", true, /*readOnly=*/true};
  EXPECT_FALSE(OfferAsBackupDestination(pressedDisc));
  EXPECT_TRUE(OfferAsRestoreSource(pressedDisc));
  const VolumeFacts packetWritingDisc{mount.path(), "udf", true, /*readOnly=*/false};
  EXPECT_TRUE(OfferAsBackupDestination(packetWritingDisc));

  const VolumeFacts memory{mount.path(), "tmpfs"};
  EXPECT_FALSE(OfferAsRestoreSource(memory));
  const VolumeFacts emptyDrive{mount.path(), "udf", /*ready=*/false};
  EXPECT_FALSE(OfferAsRestoreSource(emptyDrive));
  // The root stays whatever it is mounted as (an overlay in a container).
  EXPECT_TRUE(OfferAsRestoreSource({"/", "overlay"}));

  // A volume this user cannot write to (root may write anywhere).
  if (geteuid() != 0) {
    chmod(mount.path().c_str(), 0555);
    EXPECT_FALSE(OfferAsBackupDestination(disk));
    EXPECT_TRUE(OfferAsRestoreSource(disk));
  }
}

TEST(OfferedVolumes, StoredMountPointSelectsTheVolumeALongerPathTheFolder) {
  const std::vector<std::string> roots = {"/", "/media/usb"};
  EXPECT_EQ(PreselectDestination("", roots).kind, Preselection::Kind::kNothing);
  const Preselection volume = PreselectDestination("/media/usb/", roots);
  EXPECT_EQ(volume.kind, Preselection::Kind::kVolume);
  EXPECT_EQ(volume.path, "/media/usb");
  EXPECT_EQ(PreselectDestination("/", roots).kind, Preselection::Kind::kVolume);
  const Preselection folder = PreselectDestination("/media/usb/Backup/", roots);
  EXPECT_EQ(folder.kind, Preselection::Kind::kFolder);
  EXPECT_EQ(folder.path, "/media/usb/Backup");
}

}  // namespace
}  // namespace bkvp::engine
