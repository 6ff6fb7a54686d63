// bkvp register / unregister as a real process, followed by creation by
// class identifier in this process, from a fresh BKVP_HOME.
#include <gtest/gtest.h>

#include <filesystem>

#include "contract/component.h"
#include "contract/interfaces.h"
#include "platform/registry.h"
#include "tests/contract/test_module.h"
#include "tests/support/test_support.h"

using namespace bkvp;

namespace {

using namespace bkvp::testing;

class RegisterCommand : public HomeFixture {
 protected:
  static std::string Tool() { return BinDir() + "/bkvp"; }
  static std::string Module() {
    return std::filesystem::path(BinDir() + kTestModuleFromBinDir).lexically_normal().string();
  }
  static HRESULT CreateService() {
    bkvp::ComPtr<IBkVpService> service;
    const HRESULT hr = bkvp::CreateInstance(CLSID_TestService, service);
    if (Succeeded(hr)) {
      BOOL present = 0;
      EXPECT_EQ(service->ClientPresent(&present), S_OK);
      EXPECT_NE(present, 0);
    }
    return hr;
  }
};

TEST_F(RegisterCommand, RegisteredModuleCreatesByClassIdentifier) {
  ASSERT_EQ(CreateService(), REGDB_E_CLASSNOTREG);
  const CommandResult result = RunCommand(Tool() + " register " + Module());
  ASSERT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(result.output, "registered " + Module() + "\n");
  EXPECT_EQ(CreateService(), S_OK) << bkvp::LastComponentError();

  const CommandResult removed = RunCommand(Tool() + " unregister " + Module());
  ASSERT_EQ(removed.exitCode, 0) << removed.output;
  EXPECT_EQ(removed.output, "unregistered " + Module() + "\n");
  EXPECT_EQ(CreateService(), REGDB_E_CLASSNOTREG);
}

TEST_F(RegisterCommand, FailingModuleIsNamedAndTheOthersStillRegister) {
  const CommandResult result = RunCommand(Tool() + " register /nonexistent.so " + Module());
  EXPECT_EQ(result.exitCode, 1) << result.output;
  EXPECT_NE(result.output.find("cannot register /nonexistent.so: "), std::string::npos)
      << result.output;
  EXPECT_NE(result.output.find("No such file"), std::string::npos) << result.output;
  EXPECT_EQ(CreateService(), S_OK) << bkvp::LastComponentError();
}

TEST_F(RegisterCommand, WithoutArgumentsOnlyModulesBesideTheToolAreRegistered) {
  const CommandResult result = RunCommand(Tool() + " register");
  EXPECT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(result.output.find("BkVpTestModule"), std::string::npos) << result.output;
  EXPECT_EQ(result.output.find("libbkvp_contract"), std::string::npos) << result.output;
  EXPECT_EQ(CreateService(), REGDB_E_CLASSNOTREG);
  // The program's own component comes with them, served from the tool's file.
  EXPECT_EQ(
      platform::RegReadString(
          "HKEY_CLASSES_ROOT\\CLSID\\{ACD03E9E-6CF1-467C-A0E7-42DEF4D69311}\\InprocServer32", ""),
      std::filesystem::canonical(Tool()).string());
}

}  // namespace
