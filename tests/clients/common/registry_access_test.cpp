#include "clients/common/registry_access.h"

#include <gtest/gtest.h>

#include "clients/common/client_options.h"
#include "platform/registry.h"
#include "tests/support/test_support.h"

namespace bkvp::clients {
namespace {

class RegistryAccessTest : public testing::HomeFixture {};

TEST_F(RegistryAccessTest, RootNamesAreAcceptedInAnyLetterCase) {
  ASSERT_TRUE(WriteString("hkey_current_user\\Software\\Mail", "Store Root", "/home/u/store"));
  EXPECT_EQ(ReadString("HKEY_CURRENT_USER\\Software\\Mail", "Store Root"), "/home/u/store");
  EXPECT_EQ(ReadString("Hkey_Current_User\\software\\MAIL", "store root"), "/home/u/store");
  EXPECT_TRUE(WriteDword("HKEY_LOCAL_MACHINE\\Software\\Mail", "Running", 7));
  EXPECT_EQ(ReadDword("hkey_local_machine\\Software\\Mail", "Running"), 7u);
  // The classes root is a view of the machine's Classes key.
  ASSERT_TRUE(WriteString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\x.y", "", "v"));
  EXPECT_EQ(ReadString("hkey_classes_root\\x.y", ""), "v");
}

TEST_F(RegistryAccessTest, MissingOrForeignThingsReadAsEmpty) {
  WriteDword("HKEY_CURRENT_USER\\Software\\Mail", "Number", 5);
  WriteString("HKEY_CURRENT_USER\\Software\\Mail", "Text", "t");
  EXPECT_EQ(ReadString("HKEY_CURRENT_USER\\Software\\Mail", "Number"), "");
  EXPECT_EQ(ReadDword("HKEY_CURRENT_USER\\Software\\Mail", "Text"), 0u);
  EXPECT_EQ(ReadString("HKEY_CURRENT_USER\\Software\\Nothing", "Text"), "");
  EXPECT_FALSE(KeyExists("HKEY_CURRENT_USER\\Software\\Nothing"));
  EXPECT_FALSE(KeyExists("HKEY_SOMEWHERE\\Software\\Mail"));
  EXPECT_FALSE(WriteString("HKEY_SOMEWHERE\\Software\\Mail", "Text", "t"));
  EXPECT_TRUE(ListSubKeys("HKEY_CURRENT_USER\\Software\\Nothing").empty());
  EXPECT_TRUE(ListValues("HKEY_CURRENT_USER\\Software\\Nothing").empty());
}

TEST_F(RegistryAccessTest, ValuesListInCreationOrderWithTypeAndData) {
  const std::string key = "HKEY_CURRENT_USER\\Software\\Profiles\\Default\\0a0d";
  WriteString(key, "001e6700", "/home/u/mail.pst");
  platform::RegWriteBinary(key, "01020fff", std::vector<uint8_t>(600, 0xAB));
  WriteDword(key, "Flags", 3);
  const auto values = ListValues(key);
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[0].name, "001e6700");
  EXPECT_EQ(values[0].type, platform::REG_SZ);
  EXPECT_EQ(ValueText(values[0]), "/home/u/mail.pst");
  EXPECT_EQ(values[1].type, platform::REG_BINARY);
  EXPECT_EQ(values[1].data, std::vector<uint8_t>(600, 0xAB));
  EXPECT_EQ(values[2].type, platform::REG_DWORD);

  DeleteAllValues(key);
  EXPECT_TRUE(ListValues(key).empty());
  EXPECT_TRUE(KeyExists(key));
}

TEST_F(RegistryAccessTest, OptionKeysAndTheirSwitches) {
  const std::string clsid = "{53FA8AB8-13BA-4011-8007-A7998B8ED53B}";
  const std::string key = ClientOptionKey(clsid, kBackuperSubkey);
  EXPECT_EQ(key,
            "HKEY_CURRENT_USER\\SOFTWARE\\Tarvik Systems\\Backup Vopal\\"
            "{53FA8AB8-13BA-4011-8007-A7998B8ED53B}\\backuper");
  EXPECT_FALSE(ReadCloseRestartOptions(clsid, SwitchRule::NonZero).autoClose);
  WriteDword(key, kOptAutoClose, 2);
  WriteDword(key, kOptAutoRestart, 1);
  const auto anyValue = ReadCloseRestartOptions(clsid, SwitchRule::NonZero);
  EXPECT_TRUE(anyValue.autoClose);
  EXPECT_TRUE(anyValue.autoRestart);
  const auto exactlyOne = ReadCloseRestartOptions(clsid, SwitchRule::ExactlyOne);
  EXPECT_FALSE(exactlyOne.autoClose);
  EXPECT_TRUE(exactlyOne.autoRestart);
}

}  // namespace
}  // namespace bkvp::clients
