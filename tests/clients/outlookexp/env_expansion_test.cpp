#include "clients/outlookexp/env_expansion.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace bkvp::outlookexp {
namespace {

class EnvExpansionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("BkvpOeHome", "/home/u", 1);
    setenv("BkvpOeId", "{A1}", 1);
    setenv("BkvpOeLong", std::string(300, 'x').c_str(), 1);
  }
  void TearDown() override {
    unsetenv("BkvpOeHome");
    unsetenv("BkvpOeId");
    unsetenv("BkvpOeLong");
  }
};

TEST_F(EnvExpansionTest, ReplacesEveryReferenceIgnoringTheNamesCase) {
  EXPECT_EQ(ExpandEnvironmentText("%BkvpOeHome%/Identities/%BKVPOEID%/Outlook Express"),
            "/home/u/Identities/{A1}/Outlook Express");
  EXPECT_EQ(ExpandEnvironmentText("/plain/path"), "/plain/path");
}

TEST_F(EnvExpansionTest, UnknownOrOverlongValueStopsWithWhatWasReplaced) {
  EXPECT_EQ(ExpandEnvironmentText("%BkvpOeHome%/%BkvpOeNothing%/%BkvpOeId%"),
            "/home/u/%BkvpOeNothing%/%BkvpOeId%");
  EXPECT_EQ(ExpandEnvironmentText("%BkvpOeLong%/%BkvpOeId%"), "%BkvpOeLong%/%BkvpOeId%");
  EXPECT_EQ(ExpandEnvironmentText("100% sure"), "100% sure");
  EXPECT_EQ(ExpandEnvironmentText("%%"), "%%");
}

TEST_F(EnvExpansionTest, InsertedValuesAreNotScannedAgain) {
  setenv("BkvpOePercent", "%BkvpOeHome%", 1);
  EXPECT_EQ(ExpandEnvironmentText("%BkvpOePercent%/%BkvpOeId%"), "%BkvpOeHome%/{A1}");
  unsetenv("BkvpOePercent");
}

}  // namespace
}  // namespace bkvp::outlookexp
