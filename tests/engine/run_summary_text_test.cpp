// The one line a finished run ends with, as every face shows it.
#include "app/engine/run_summary_text.h"

#include <gtest/gtest.h>

#include "app/engine/run_log.h"
#include "tests/support/test_support.h"

namespace bkvp::engine {
namespace {

using RunSummaryText = bkvp::testing::HomeFixture;

TEST_F(RunSummaryText, NamesWhatWasDoneKeptAndFailed) {
  RunOutcome restore;
  restore.result = RunResult::kSucceeded;
  restore.objectsDone = 2;
  restore.bytesDone = 2048;
  restore.objectsKept = 3;
  restore.seconds = 0.25;
  EXPECT_EQ(RunSummaryLine({RunKind::kRestore, "/b/A.KV", ""}, restore),
            "Restored 2 items (2.0 KiB) from /b/A.KV in 0.2 s. 3 files kept as they were.");
  restore.objectsKept = 1;
  restore.objectsFailed = 1;
  restore.result = RunResult::kFailures;
  EXPECT_EQ(RunSummaryLine({RunKind::kRestore, "/b/A.KV", ""}, restore),
            "Restored 2 items (2.0 KiB) from /b/A.KV in 0.2 s. 1 file kept as it was. 1 not "
            "restored; see " +
                LogPath() + ".");

  RunOutcome backup;
  backup.result = RunResult::kSucceeded;
  backup.objectsDone = 1;
  backup.bytesDone = 10;
  backup.archivePath = "/b/VOPALARC.KV";
  backup.archiveBytes = 90;
  EXPECT_EQ(RunEndLine({}, backup), "Saved 1 item (10 B) into /b/VOPALARC.KV (90 B) in 0.0 s.");
}

TEST_F(RunSummaryText, ARunThatDidNotGoThroughSaysWhy) {
  EXPECT_EQ(RunEndLine({}, CouldNotStart("the backup drive for /media/usb is not connected")),
            "The backup could not start: the backup drive for /media/usb is not connected.");
  RunOutcome cancelled;
  cancelled.result = RunResult::kCancelled;
  cancelled.problem = "the run was cancelled";
  EXPECT_EQ(RunEndLine({RunKind::kRestore, "/b/A.KV", ""}, cancelled),
            "The restore was cancelled.");
  RunOutcome stopped;
  stopped.result = RunResult::kStopped;
  stopped.problem = "the destination is full";
  EXPECT_EQ(RunEndLine({RunKind::kRestore, "/b/A.KV", "/x"}, stopped),
            "The extraction did not complete: the destination is full.");
}

}  // namespace
}  // namespace bkvp::engine
