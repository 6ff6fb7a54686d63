// The ground every client service test stands on: a fresh BKVP_HOME with the
// archive service registered, a data folder with the archive path in it, and
// the close countdown answered by the test instead of a person.
#pragma once

#include <string>
#include <vector>

#include "platform/ui.h"
#include "tests/support/recording_progress.h"
#include "tests/support/test_support.h"

namespace bkvp::testing {

class ClientServiceFixture : public HomeFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The key and everything below it as registry export text.
  static std::string Export(const std::string& fullKeyPath);

  TempDir data;
  const std::string archive = data / "Vopalarc.KV";
  RecordingProgress progress;
  // The running text of every countdown shown, and the answer each gets.
  std::vector<std::string> countdowns;
  int countdownAnswer = platform::ui::IDOK;
};

}  // namespace bkvp::testing
