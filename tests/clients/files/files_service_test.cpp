// The service's descriptive answers.
#include <gtest/gtest.h>

#include "clients/files/files_identity.h"
#include "clients/files/files_service.h"
#include "contract/icons.h"
#include "platform/registry.h"
#include "tests/support/test_support.h"

namespace bkvp::files {
namespace {

class FilesServiceInfo : public bkvp::testing::HomeFixture {
 protected:
  std::string Text(const char* property) {
    Variant value;
    EXPECT_EQ(service->GetClientInfo(Bstr(property).get(), &value), S_OK);
    EXPECT_EQ(value.get().vt, VT_BSTR);
    return value.get().vt == VT_BSTR ? ToAnsi(value.get().bstrVal) : "";
  }
  ComPtr<IBkVpService> service = ComPtr<IBkVpService>::Attach(new FilesService());
};

TEST_F(FilesServiceInfo, PropertyNamesIgnoreCaseAndNumbersKeepTheCallersType) {
  EXPECT_EQ(Text("ClientName"), "Files and folders");
  Variant major, minor, unknown;
  major.get().vt = VT_I4;
  ASSERT_EQ(service->GetClientInfo(Bstr("VersionMajor").get(), &major), S_OK);
  ASSERT_EQ(service->GetClientInfo(Bstr("versionminor").get(), &minor), S_OK);
  EXPECT_EQ(major.get().lVal, 2);
  EXPECT_EQ(minor.get().lVal, 1);
  EXPECT_EQ(major.get().vt, VT_I4);
  EXPECT_EQ(minor.get().vt, VT_EMPTY);
  unknown.get().lVal = 77;
  EXPECT_EQ(service->GetClientInfo(Bstr("clientnames").get(), &unknown), E_INVALIDARG);
  EXPECT_EQ(unknown.get().lVal, 77);
}

TEST_F(FilesServiceInfo, IconHandleGivesTheShippedSixteenPixelPicture) {
  Variant icon;
  ASSERT_EQ(service->GetClientInfo(Bstr("ClientIcon").get(), &icon), S_OK);
  ASSERT_NE(icon.get().ulVal, 0u);
  const auto bytes = IconBytes(icon.get().ulVal);
  ASSERT_TRUE(bytes);
  // The copy shipped beside the module holds the same picture.
  const std::string png = bkvp::testing::ReadFile(bkvp::testing::BinDir() + "/BkVpFiles.png");
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), png);
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\x10\0\0\0\x10", 8));  // width, height
}

TEST_F(FilesServiceInfo, HasBackupExplainsAnEmptyList) {
  EXPECT_EQ(Text("HasBackup"), "Files and folders\nError: no files to back up");
  ASSERT_EQ(platform::RegWriteString(BackuperKeyPath(), "File0", "not even parsable"), 0);
  EXPECT_EQ(Text("hasbackup"), "");
}

TEST_F(FilesServiceInfo, PagesAndPresenceAreAnswered) {
  Bstr backupPage, restorePage;
  EXPECT_EQ(service->GetAxBackupCLSID(backupPage.out()), S_OK);
  EXPECT_EQ(service->GetAxRestoreCLSID(restorePage.out()), S_OK);
  EXPECT_EQ(backupPage.str(), "{2FC77467-E802-4432-8536-D056E970132B}");
  EXPECT_EQ(restorePage.str(), "{96BA7CC3-BDFC-4CA0-8CFE-DEC9B60B32DC}");
  EXPECT_EQ(service->GetAxBackupCLSID(nullptr), E_FAIL);
  // Only the low half of each flag is the client's to write.
  const BOOL preset = static_cast<BOOL>(0x5A5A0000u);
  BOOL flags[3] = {preset, preset, preset};
  service->HasAxBackup(&flags[0]);
  service->HasAxRestore(&flags[1]);
  service->ClientPresent(&flags[2]);
  for (const BOOL flag : flags) EXPECT_EQ(static_cast<uint32_t>(flag), 0x5A5A0001u);
}

}  // namespace
}  // namespace bkvp::files
