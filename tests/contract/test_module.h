// What the test module BkVpTestModule declares, shared by the tests that
// register it and create its objects.
#pragma once

#include "contract/guid.h"

namespace bkvp::testing {

constexpr CLSID CLSID_TestService = MakeGuid("{5B0C3F0E-7A51-4C1B-9E7C-2A8E1D6F4B10}");
constexpr GUID LIBID_TestModule = MakeGuid("{C4A9D2E7-0B36-4F58-8D1A-93E5B7C20F6D}");
constexpr const char* kTestServiceProgId = "BkVpTestModule.TestService";
constexpr const char* kTestServiceDescription = "TestService Class";
constexpr const char* kTestClientName = "Test client";

// Where the build puts the module, relative to the tool's folder.
constexpr const char* kTestModuleFromBinDir = "/../tests/modules/BkVpTestModule.so";

}  // namespace bkvp::testing
