// How remote places are written, and how rclone's answers are read: its
// listings and the reasons in its last lines.
#include <gtest/gtest.h>

#include "app/engine/rclone_process.h"
#include "app/engine/remote_folder.h"
#include "app/engine/remote_place.h"
#include "app/engine/remote_upload.h"

namespace {

using namespace bkvp::engine;

TEST(RemotePlace, TextAndNamesRoundTrip) {
  const auto place = ParseRemotePlace("rclone:nas:backups/laptop//");
  ASSERT_TRUE(place);
  EXPECT_EQ(place->remote, "nas");
  EXPECT_EQ(place->path, "backups/laptop");
  EXPECT_EQ(place->Child("VOPALARC11K000.KV").Text(),
            "rclone:nas:backups/laptop/VOPALARC11K000.KV");
  EXPECT_EQ(place->Child("X.KV").Parent().Target(), "nas:backups/laptop");
  EXPECT_EQ(place->Child("X.KV").Name(), "X.KV");
  // The remote's root and an absolute path keep their meaning.
  EXPECT_EQ(ParseRemotePlace("rclone:nas:")->Child("X.KV").Target(), "nas:X.KV");
  EXPECT_EQ(ParseRemotePlace("rclone:nas:/")->Child("X.KV").Target(), "nas:/X.KV");
  EXPECT_EQ(ParseRemotePlace("rclone:nas:/X.KV")->Parent().Target(), "nas:/");
  EXPECT_FALSE(ParseRemotePlace("rclone:nas"));
  EXPECT_FALSE(ParseRemotePlace("rclone::path"));
  EXPECT_FALSE(ParseRemotePlace("rclone:--config=/tmp/x:path"));
  EXPECT_FALSE(ParseRemotePlace("/home/ann/rclone:nas:x"));
  // Only a local path is made absolute.
  EXPECT_EQ(ResolveDestination("rclone:nas:b"), "rclone:nas:b");
  EXPECT_EQ(ResolveDestination("/media/../media/backup"), "/media/backup/");
}

TEST(RemoteFolder, ListingsAreReadWithTheirEscapesAndHashes) {
  const auto files = ParseListing(
      "[\n{\"Path\":\"d\",\"Name\":\"d\",\"Size\":-1,\"IsDir\":true},\n"
      "{\"Path\":\"x\",\"Name\":\"caf\\u00e9 \\\"\\ud83d\\ude00\\\".KV\",\"Size\":2000662,"
      "\"IsDir\":false,\"Hashes\":{\"md5\":\"04f2\",\"sha1\":\"\"}}\n]");
  ASSERT_TRUE(files);
  ASSERT_EQ(files->size(), 2u);
  EXPECT_TRUE((*files)[0].isFolder);
  EXPECT_EQ((*files)[0].size, 0u);
  EXPECT_EQ((*files)[1].name, "caf\xC3\xA9 \"\xF0\x9F\x98\x80\".KV");
  EXPECT_EQ((*files)[1].size, 2000662u);
  // A hash the remote has no value for is no hash.
  ASSERT_EQ((*files)[1].hashes.size(), 1u);
  EXPECT_EQ((*files)[1].hashes[0].first, "md5");
  EXPECT_FALSE(ParseListing("[{\"Name\":\"x\"}"));
  EXPECT_FALSE(ParseListing("[\"x\"]"));
  EXPECT_FALSE(ParseListing(std::string(1000, '[') + std::string(1000, ']')));
}

TEST(RcloneProcess, TheReasonIsRclonesLastWordWithoutItsTimeStamp) {
  EXPECT_EQ(RcloneReason({"{\"level\":\"error\",\"msg\":\"error listing: directory not found\","
                          "\"object\":\"bk\",\"source\":\"x.go:1\"}",
                          "2026/12/09 04:42:44 Failed to lsjson: directory not found"}),
            "Failed to lsjson: directory not found");
  EXPECT_EQ(
      RcloneReason({"{\"level\":\"error\",\"msg\":\"hash unsupported\",\"object\":\"a.KV\"}",
                    "{\"level\":\"warning\",\"msg\":\"Transferred\",\"stats\":{\"bytes\":1}}"}),
      "a.KV: hash unsupported");
  EXPECT_EQ(RcloneReason({"2026/12/09 04:42:44 ERROR : a.KV: refused", ""}), "a.KV: refused");
  EXPECT_EQ(RcloneReason({}), "");
}

TEST(RemoteUpload, OnlyThisSendersTemporaryNamesAreLeftovers) {
  const std::string mine = UploadTempName();
  EXPECT_TRUE(IsOwnUploadLeftover(mine));
  EXPECT_NE(UploadTempName(), mine);
  std::string others = mine;
  others[others.find("upload-") + 7] ^= 1;  // another user, machine or state folder
  EXPECT_FALSE(IsOwnUploadLeftover(others));
  EXPECT_FALSE(IsOwnUploadLeftover(mine + ".part"));
  EXPECT_FALSE(IsOwnUploadLeftover("notes.part"));
  EXPECT_FALSE(IsOwnUploadLeftover("VOPALARC11K000.KV"));
}

}  // namespace
