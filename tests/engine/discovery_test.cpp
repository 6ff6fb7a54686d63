#include "app/engine/discovery.h"

#include "contract/component.h"
#include "contract/identifiers.h"
#include "platform/registry.h"
#include "tests/support/test_support.h"

namespace bkvp::engine {
namespace {

const std::string kCurrent = "{0E0E0E0E-0000-4000-8000-000000000021}";
const std::string kNewer = "{0E0E0E0E-0000-4000-8000-000000000022}";
const std::string kMinorNewer = "{0E0E0E0E-0000-4000-8000-000000000015}";
const std::string kNegative = "{0E0E0E0E-0000-4000-8000-0000000000F1}";

class DiscoveryTest : public bkvp::testing::HomeFixture {
 protected:
  void SetUp() override {
    HomeFixture::SetUp();
    ASSERT_EQ(bkvp::RegisterModuleFile(FAKE_CLIENT_MODULE), S_OK) << bkvp::LastComponentError();
  }
  static void Announce(const std::string& key) {
    platform::RegWriteString(std::string(kDiscoveryKey) + "\\" + key, "Name", "announced");
  }
};

TEST_F(DiscoveryTest, AcceptsTheRegisteredClientOfTheProgramsVersion) {
  std::vector<DiscoveryNote> notes;
  ClientList list = DiscoverClients(&notes);
  ASSERT_EQ(list.entries().size(), 1u);
  EXPECT_EQ(list.entries()[0].clsid, kCurrent);
  EXPECT_EQ(list.entries()[0].name, "Fake 2.1");
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_TRUE(notes[0].present);  // only the low 16 bits of the flag count
  EXPECT_EQ(notes[0].registeredName, "Fake files");
}

TEST_F(DiscoveryTest, RefusesNewerVersionsWordByWord) {
  Announce(kNewer);
  Announce(kMinorNewer);
  Announce(kNegative);  // -1 is the largest word, not the smallest
  std::vector<DiscoveryNote> notes;
  ClientList list = DiscoverClients(&notes);
  ASSERT_EQ(list.entries().size(), 1u);
  EXPECT_EQ(list.entries()[0].clsid, kCurrent);
  int refused = 0;
  for (const auto& n : notes)
    if (!n.accepted) {
      ++refused;
      EXPECT_NE(n.refusal.find("newer"), std::string::npos) << n.key;
    }
  EXPECT_EQ(refused, 3);
}

TEST_F(DiscoveryTest, DropsWhatCannotBeCreatedAndIgnoresNamesWithoutBraces) {
  Announce("{0E0E0E0E-0000-4000-8000-0000000000FF}");  // no such class
  Announce("Settings");
  Announce("{not a guid}");
  std::vector<DiscoveryNote> notes;
  ClientList list = DiscoverClients(&notes);
  EXPECT_EQ(list.entries().size(), 1u);
  ASSERT_EQ(notes.size(), 3u);  // "Settings" is not even looked at
  for (const auto& n : notes) EXPECT_NE(n.key, "Settings");
}

TEST_F(DiscoveryTest, LookupByIdentifierIsExactInLetterCase) {
  std::string lower = kCurrent;
  for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
  ClientList list = DiscoverClients();
  EXPECT_NE(list.Find(kCurrent), nullptr);
  EXPECT_EQ(list.Find(lower), nullptr);
}

TEST_F(DiscoveryTest, NoDiscoveryKeyMeansNoClients) {
  platform::RegDeleteTree(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarvik Systems");
  EXPECT_TRUE(DiscoverClients().entries().empty());
}

}  // namespace
}  // namespace bkvp::engine
