#include "clients/common/client_service.h"

#include <gtest/gtest.h>

#include "contract/icons.h"

namespace bkvp::clients {
namespace {

const uint8_t kPicture[] = {0x89, 'P', 'N', 'G', 1, 2, 3};
const IconSet kIcons = {{201, kPicture, sizeof kPicture}};
const StringTable kStrings = {{100, "BkVpSample"},
                              {101, "{11111111-1111-1111-1111-111111111111}"},
                              {102, "{22222222-2222-2222-2222-222222222222}"},
                              {103, "Sample Mail"},
                              {104, "{33333333-3333-3333-3333-333333333333}"}};

// The frame's answers; option bytes are checked through the clients that keep them.
class SampleService : public ClientServiceBase {
 public:
  SampleService() : ClientServiceBase(kStrings, kIcons) {}
  HRESULT ClientPresent(BOOL*) override { return S_OK; }
  HRESULT Backup(IBackuper*, IProgress*) override { return S_OK; }
  HRESULT Restore(IRestorer*, IProgress*) override { return S_OK; }
};

HRESULT Info(IBkVpService& service, const char* name, VARIANT* value) {
  Bstr property(name);
  return service.GetClientInfo(property.get(), value);
}

TEST(ClientService, FlagsTouchOnlyTheLowHalfAndNullPointersAreRefused) {
  auto* service = new SampleService;
  BOOL flag = static_cast<BOOL>(0xABCD0000u);
  EXPECT_EQ(service->HasAxBackup(&flag), S_OK);
  EXPECT_EQ(static_cast<uint32_t>(flag), 0xABCD0001u);
  flag = 0;
  service->HasAxRestore(&flag);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(service->HasAxRestore(nullptr), E_POINTER);
  EXPECT_EQ(service->GetAxBackupCLSID(nullptr), E_POINTER);
  EXPECT_EQ(service->GetClientInfo(Bstr("ClientName").get(), nullptr), E_POINTER);
  service->Release();
}

TEST(ClientService, ClientInfoNamesIgnoreLetterCase) {
  auto* service = new SampleService;
  Variant name;
  EXPECT_EQ(Info(*service, "ClientName", &name), S_OK);
  ASSERT_EQ(name.get().vt, VT_BSTR);
  EXPECT_EQ(ToAnsi(name.get().bstrVal), "Sample Mail");

  Variant icon;
  icon.get().vt = VT_I4;
  EXPECT_EQ(Info(*service, "ClientIcon", &icon), S_OK);
  EXPECT_EQ(icon.get().vt, VT_I4);  // the tag is the caller's
  const auto bytes = IconBytes(static_cast<uint32_t>(icon.get().lVal));
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, std::vector<uint8_t>(kPicture, kPicture + sizeof kPicture));

  Variant untouched;
  untouched.get().vt = VT_I4;
  untouched.get().lVal = 42;
  EXPECT_EQ(Info(*service, "HasBackup", &untouched), S_OK);
  EXPECT_EQ(untouched.get().lVal, 42);

  Variant lower;
  EXPECT_EQ(Info(*service, "clientname", &lower), S_OK);
  EXPECT_EQ(ToAnsi(lower.get().bstrVal), "Sample Mail");
  Variant other;
  EXPECT_EQ(Info(*service, "ClientNames", &other), E_INVALIDARG);
  EXPECT_EQ(other.get().vt, VT_EMPTY);
  service->Release();
}

TEST(StringTable, TextsAreCutToTheLoadBuffer) {
  std::string longText(600, 'a');
  longText.replace(510, 2, "\xC3\xA9");  // a two-byte character across the cut
  const StringTable table = {{1, longText}};
  EXPECT_EQ(table.Load(1).size(), 510u);
  EXPECT_EQ(table.Load(2), "");
}

}  // namespace
}  // namespace bkvp::clients
