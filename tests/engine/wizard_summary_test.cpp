#include "app/engine/wizard_summary.h"

#include <gtest/gtest.h>

#include "platform/time.h"
#include "tests/support/calendar_time.h"

namespace bkvp::engine {
namespace {

TEST(WizardSummary, BackupListsItemsDestinationAndEveryChosenMoment) {
  BackupChoices input;
  input.destination = "/media/backup/";
  input.runImmediately = true;
  input.schedule = true;
  input.record.kind = kMonthly;
  input.record.monthlyMode = kOrdinalWeekday;
  input.record.ordinal = 1;
  input.record.weekday = 0;
  input.record.timeOfDay =
      uint32_t(platform::MakeLocalTime(bkvp::testing::CalendarTime(2024, 5, 3, 3, 0)));
  const std::vector<std::string> names = {"Files and folders", "Outlook Express"};
  EXPECT_EQ(BackupSummary(input, names),
            "Backup Vopal is now ready to begin backup\nItems to back up:"
            "\n\tFiles and folders\n\tOutlook Express\n\n"
            "Destination:\n\t/media/backup/\n\n"
            "Schedule:\n\tNow\n\tOn the 2nd Sunday of every month at 03:00");

  input.runImmediately = input.schedule = false;
  EXPECT_TRUE(BackupSummary(input, names).ends_with("Schedule:\n\tNone"));
}

TEST(WizardSummary, RestoreListsTheClients) {
  EXPECT_EQ(RestoreSummary({"Files and folders"}),
            "Backup Vopal is now ready to restore data from archive\n\n"
            "Data to restore:\n\tFiles and folders");
}

TEST(WizardSummary, RunNoticeSpeaksOnlyWhenTheRunDidNotDoItsWork) {
  EXPECT_EQ(RunNotice(CouldNotStart("another run is in progress"), WizardRun::kBackup),
            "The backup could not start: another run is in progress.");
  RunOutcome outcome;
  outcome.result = RunResult::kStopped;
  outcome.problem = "the run was stopped";
  EXPECT_EQ(RunNotice(outcome, WizardRun::kBackup),
            "The backup did not complete: the run was stopped; the archive was discarded. The "
            "log tells more.");
  for (RunResult quiet : {RunResult::kSucceeded, RunResult::kFailures, RunResult::kCancelled}) {
    outcome.result = quiet;
    EXPECT_EQ(RunNotice(outcome, WizardRun::kRestore), "");
  }
}

}  // namespace
}  // namespace bkvp::engine
