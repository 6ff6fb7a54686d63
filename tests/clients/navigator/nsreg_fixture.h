// Profile registry files ("nsreg.dat") as Netscape 4.5 and later keep them:
// below the root, the "Users" key with one key per user whose
// "ProfileLocation" entry holds the profile folder.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/clients/common/registry_file_writer.h"

namespace bkvp::testing {

struct RegistryProfile {
  std::string user;
  std::string folder;
};

inline std::vector<uint8_t> NsregBytes(const std::vector<RegistryProfile>& profiles,
                                       uint32_t magic = clients::kRegistryFileMagic) {
  using clients::testing::Entry;
  using clients::testing::Key;
  std::vector<clients::testing::TestNode> users = {Entry("CurrentUser", "alice")};
  for (const RegistryProfile& profile : profiles)
    users.push_back(Key(profile.user, {Entry("ProfileLocation", profile.folder),
                                       Entry("NCHaveBeenPrompted", "TRUE")}));
  return clients::testing::RegistryFileImage(Key("/", {Key("Users", std::move(users))}), magic)
      .bytes();
}

}  // namespace bkvp::testing
